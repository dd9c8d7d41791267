#include "mire/math/Vector.h"

#include <gtest/gtest.h>

#include <limits>

using Vec3 = Vela::Vector3<float>;

TEST(Vector3Order, LexicographicOnXThenYThenZ)
{
    EXPECT_TRUE(Vec3(0, 9, 9) < Vec3(1, 0, 0));
    EXPECT_FALSE(Vec3(1, 0, 0) < Vec3(0, 9, 9));
    EXPECT_TRUE(Vec3(1, 0, 9) < Vec3(1, 1, 0));
    EXPECT_TRUE(Vec3(1, 1, 0) < Vec3(1, 1, 1));
    EXPECT_FALSE(Vec3(1, 1, 1) < Vec3(1, 1, 1));
    // The socket's seating test: the remainder lies strictly between (-1, -1, -1) and (1, 1, 1).
    EXPECT_TRUE(Vec3(-1, -1, -1) < Vec3(0.5f, 3, 3) && Vec3(0.5f, 3, 3) < Vec3(1, 1, 1));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(Vec3(nan, 0, 0) < Vec3(1, 0, 0));
    EXPECT_FALSE(Vec3(1, 0, 0) < Vec3(nan, 0, 0));
    EXPECT_FALSE(Vec3(0, nan, 0) < Vec3(0, 1, 5));
}
