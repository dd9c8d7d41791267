// Boxes against the six planes of a camera at the origin looking along +z with a 90 degree view both
// ways, near 1 and far 100; the planes are written out by hand.
#include "World/AABB.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    Frustum NinetyDegreeFrustum()
    {
        const float s = 1.0f / std::sqrt(2.0f);
        Frustum frustum;
        frustum[0].normal = { 0.0f, s, s };   // bottom: y >= -z
        frustum[1].normal = { 0.0f, -s, s };  // top
        frustum[2].normal = { s, 0.0f, s };   // left: x >= -z
        frustum[3].normal = { -s, 0.0f, s };  // right
        frustum[4].normal = { 0.0f, 0.0f, -1.0f };
        frustum[4].d = 100.0f;                // far: z <= 100
        frustum[5].normal = { 0.0f, 0.0f, 1.0f };
        frustum[5].d = -1.0f;                 // near: z >= 1
        for (int plane = 0; plane < 4; ++plane)
            frustum[static_cast<size_t>(plane)].d = 0.0f;
        return frustum;
    }

    Vela::Matrix4x4<float> At(float anX, float aY, float aZ)
    {
        Vela::Matrix4x4<float> transform;
        transform.SetTranslation({ anX, aY, aZ });
        return transform;
    }
}

TEST(AABBTest, BoxesJustInsideAndJustOutsideEachPlane)
{
    const Frustum frustum = NinetyDegreeFrustum();
    const AABB unitCube({ 0.0f, 0.0f, 0.0f }, { 0.5f, 0.5f, 0.5f });
    // A side plane puts the cube outside when its centre is more than 1 (= (0.5 + 0.5) x sqrt 2 / sqrt 2)
    // beyond it, measured along the axis at depth 50.
    struct Case
    {
        const char* plane;
        Vela::Vector3<float> inside;
        Vela::Vector3<float> outside;
    };
    const Case cases[] = {
        { "bottom", { 0.0f, -50.99f, 50.0f }, { 0.0f, -51.01f, 50.0f } },
        { "top", { 0.0f, 50.99f, 50.0f }, { 0.0f, 51.01f, 50.0f } },
        { "left", { -50.99f, 0.0f, 50.0f }, { -51.01f, 0.0f, 50.0f } },
        { "right", { 50.99f, 0.0f, 50.0f }, { 51.01f, 0.0f, 50.0f } },
        { "far", { 0.0f, 0.0f, 100.49f }, { 0.0f, 0.0f, 100.51f } },
        { "near", { 0.0f, 0.0f, 0.51f }, { 0.0f, 0.0f, 0.49f } },
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.plane);
        EXPECT_TRUE(unitCube.IsOnFrustum(frustum, At(test.inside.x, test.inside.y, test.inside.z)));
        EXPECT_FALSE(unitCube.IsOnFrustum(frustum, At(test.outside.x, test.outside.y, test.outside.z)));
    }
    EXPECT_TRUE(unitCube.IsOnFrustum(frustum, At(0.0f, 0.0f, 0.5f))) << "touching the near plane from inside";
}

TEST(AABBTest, TheTransformScalesAndMovesTheBoxCentre)
{
    const Frustum frustum = NinetyDegreeFrustum();
    const AABB offsetCube({ 0.0f, 0.0f, 2.0f }, { 0.5f, 0.5f, 0.5f });
    Vela::Matrix4x4<float> scaled;
    scaled(1, 1) = 2.0f;
    scaled(2, 2) = 2.0f;
    scaled(3, 3) = 2.0f;
    scaled.SetTranslation({ 0.0f, 0.0f, -4.1f });
    // Centre at z = 2 x 2 - 4.1 = -0.1, half size 1: reaches z 0.9, short of the near plane.
    EXPECT_FALSE(offsetCube.IsOnFrustum(frustum, scaled));
    scaled.SetTranslation({ 0.0f, 0.0f, -3.9f });
    EXPECT_TRUE(offsetCube.IsOnFrustum(frustum, scaled));
}
