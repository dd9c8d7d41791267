#include "mire/drawers/SpriteDrawer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{
    // Where a local quad point lands under the record's world matrix.
    Vela::Vector2<float> Place(const Vela::SpriteGpuInstance& aRecord, float aX, float aY)
    {
        const float* m = aRecord.myWorld;
        return { aX * m[0] + aY * m[4] + m[12], aX * m[1] + aY * m[5] + m[13] };
    }

    Vela::SpriteInstance Sprite(Vela::Vector2<float> aPosition, Vela::Vector2<float> aPivot, Vela::Vector2<float> aSize)
    {
        Vela::SpriteInstance sprite;
        sprite.myPosition = aPosition;
        sprite.myPivot = aPivot;
        sprite.mySize = aSize;
        return sprite;
    }
}

TEST(SpriteInstance, PivotChoosesWhichPointOfTheQuadSitsOnThePosition)
{
    const Vela::Matrix4x4<float> identity;
    // Pivot (0, 0): the top-left corner (local 0, 0) on the position; the quad hangs down and right.
    auto record = Vela::MakeSpriteGpuInstance(Sprite({ 20, 30 }, { 0, 0 }, { 10, 10 }), identity);
    EXPECT_EQ(Place(record, 0, 0), (Vela::Vector2<float>{ 20, 30 }));
    EXPECT_EQ(Place(record, 1, -1), (Vela::Vector2<float>{ 30, 20 }));
    // Pivot (0.5, 0.5) centres it.
    record = Vela::MakeSpriteGpuInstance(Sprite({ 20, 30 }, { 0.5f, 0.5f }, { 10, 4 }), identity);
    EXPECT_EQ(Place(record, 0.5f, -0.5f), (Vela::Vector2<float>{ 20, 30 }));
    EXPECT_EQ(Place(record, 0, 0), (Vela::Vector2<float>{ 15, 32 }));
    // Pivot (0, 0.5): grows right from the middle of the left edge.
    record = Vela::MakeSpriteGpuInstance(Sprite({ 0, 0 }, { 0, 0.5f }, { 8, 2 }), identity);
    EXPECT_EQ(Place(record, 0, -0.5f), (Vela::Vector2<float>{ 0, 0 }));
    EXPECT_EQ(Place(record, 1, -0.5f), (Vela::Vector2<float>{ 8, 0 }));
}

TEST(SpriteInstance, RotationScaleAndStateTransformBuildTheWorldMatrix)
{
    auto sprite = Sprite({ 0, 0 }, { 0, 0 }, { 2, 1 });
    sprite.myRotation = std::numbers::pi_v<float> / 2.0f;
    auto record = Vela::MakeSpriteGpuInstance(sprite, Vela::Matrix4x4<float>());
    EXPECT_NEAR(record.myWorld[0], 0.0f, 1e-6f);
    EXPECT_NEAR(record.myWorld[1], 2.0f, 1e-6f);
    EXPECT_NEAR(record.myWorld[4], -1.0f, 1e-6f);
    EXPECT_NEAR(record.myWorld[5], 0.0f, 1e-6f);

    sprite.myRotation = 0.0f;
    sprite.myScale = { 3, 2 };
    const auto transform = Vela::Matrix4x4<float>::CreateTranslation({ 100, 50, 0 });
    record = Vela::MakeSpriteGpuInstance(sprite, transform);
    EXPECT_EQ(Place(record, 1, -1), (Vela::Vector2<float>{ 106, 48 }));
}

TEST(SpriteInstance, ColourIsLinearisedAndRectangleArrivesSwizzled)
{
    auto sprite = Sprite({ 0, 0 }, { 0, 0 }, { 1, 1 });
    sprite.myColor = { 0.5f, 0.5f, 0.02f, 0.5f };
    sprite.myRectangle = { 0.1f, 0.2f, 0.3f, 0.4f };
    sprite.myUVOffset = { 0.25f, 0.5f };
    sprite.myUVScale = { 2, 3 };
    const auto record = Vela::MakeSpriteGpuInstance(sprite, Vela::Matrix4x4<float>());
    EXPECT_NEAR(record.myColor[0], 0.214f, 0.001f);
    EXPECT_NEAR(record.myColor[2], 0.02f / 12.92f, 1e-6f);
    EXPECT_FLOAT_EQ(record.myColor[3], 0.5f);
    const float rectangle[4] = { 0.1f, 0.4f, 0.3f, 0.2f };
    const float uv[4] = { 0.25f, 0.5f, 2.0f, 3.0f };
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(record.myRectangle[i], rectangle[i]);
        EXPECT_FLOAT_EQ(record.myUV[i], uv[i]);
    }
}
