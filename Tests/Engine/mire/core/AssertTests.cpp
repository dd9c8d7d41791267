#include "Support/AssertionCapture.h"

#include <gtest/gtest.h>

TEST(Assertions, ReportTheExpressionTextAndCarryOn)
{
    VelaTest::AssertionCapture capture;
    int reached = 0;
    VELA_ASSERT(1 + 1 == 3);
    reached = 1;
    VELA_ASSERT(false && "Something went wrong");
    VELA_ASSERT(true);
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(capture.Count(), 2u);
    EXPECT_EQ(capture.Expressions()[0], "1 + 1 == 3");
    EXPECT_EQ(capture.Expressions()[1], "false && \"Something went wrong\"");
}
