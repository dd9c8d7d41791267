#include "mire/graphics/ConstantBlocks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

namespace
{
    float FloatAt(const uint8_t* someBytes, size_t anOffset)
    {
        float value;
        std::memcpy(&value, someBytes + anOffset, 4);
        return value;
    }

    int32_t IntAt(const uint8_t* someBytes, size_t anOffset)
    {
        int32_t value;
        std::memcpy(&value, someBytes + anOffset, 4);
        return value;
    }

    Vela::Matrix4x4<float> MatrixAt(const uint8_t* someBytes, size_t anOffset)
    {
        std::array<float, 16> elements;
        std::memcpy(elements.data(), someBytes + anOffset, 64);
        return Vela::Matrix4x4<float>(elements);
    }

    void ExpectMatrixNear(const Vela::Matrix4x4<float>& anActual, const Vela::Matrix4x4<float>& anExpected)
    {
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(anActual[i], anExpected[i], 1e-4f) << "element " << i;
    }

    float Linear(float aChannel) { return aChannel >= 0.04045f ? std::pow((aChannel + 0.055f) / 1.055f, 2.4f) : aChannel / 12.92f; }
}

TEST(ConstantBlocks, CameraBlockHoldsViewTransformProjectionInverseAndPlanes)
{
    Vela::Camera camera;
    Vela::Matrix4x4<float> transform = Vela::Matrix4x4<float>::CreateRotationAroundY(0.7f);
    transform.SetTranslation({ 3.0f, -2.0f, 5.0f });
    camera.SetTransform(transform);
    camera.SetPerspectiveProjection(75.0f, { 1280.0f, 720.0f }, 0.25f, 800.0f);

    std::array<uint8_t, Vela::CAMERA_CONSTANTS_SIZE> block;
    block.fill(0xCD);
    Vela::WriteCameraConstants(block.data(), camera);

    ExpectMatrixNear(MatrixAt(block.data(), 0), Vela::Matrix4x4<float>::GetInverse(transform));
    EXPECT_EQ(MatrixAt(block.data(), 64), transform);
    EXPECT_EQ(MatrixAt(block.data(), 128), camera.GetProjection());
    ExpectMatrixNear(MatrixAt(block.data(), 192) * camera.GetProjection(), Vela::Matrix4x4<float>());
    EXPECT_NEAR(FloatAt(block.data(), 256), 0.25f, 1e-5f);
    EXPECT_NEAR(FloatAt(block.data(), 260), 800.0f, 0.5f);
    for (size_t i = 264; i < block.size(); ++i)
        EXPECT_EQ(block[i], 0) << "padding byte " << i;
}

TEST(ConstantBlocks, CameraBlockForOrthographicProjectionKeepsTheExactNearPlane)
{
    Vela::Camera camera;
    camera.SetOrthographicProjection(0, 1920, 0, 1080, -1.0f, 1.0f);
    std::array<uint8_t, Vela::CAMERA_CONSTANTS_SIZE> block{};
    Vela::WriteCameraConstants(block.data(), camera);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 256), -1.0f);
    EXPECT_EQ(MatrixAt(block.data(), 0), Vela::Matrix4x4<float>());
}

TEST(ConstantBlocks, LightBlockWritesOnlyTheLightsInUseWithLinearColours)
{
    Vela::RenderState state;
    state.myPointLightCount = 2;
    state.myPointLights[0] = { { 1.0f, 2.0f, 3.0f }, { 0.5f, 0.25f, 1.0f, 0.5f }, 40.0f, 7.0f };
    state.myPointLights[1] = { { -4.0f, 5.0f, -6.0f }, { 0.02f, 1.0f, 0.0f, 1.0f }, 12.0f, 0.0f };
    state.myPointLights[2] = { { 9.0f, 9.0f, 9.0f }, { 1.0f, 1.0f, 1.0f, 1.0f }, 99.0f, 9.0f }; // beyond the count
    state.myLightScalar = 0.75f;
    state.myMainLightColor = { 0.5f, 0.5f, 0.5f, 1.0f };
    state.mySecondLightColor = { 1.0f, 0.0f, 0.5f, 0.25f };
    state.myLightMatrix = Vela::Matrix4x4<float>::CreateRotationAroundX(0.3f);

    std::array<uint8_t, Vela::LIGHT_CONSTANTS_SIZE> block;
    block.fill(0xAB);
    Vela::WriteLightConstants(block.data(), state);

    EXPECT_FLOAT_EQ(FloatAt(block.data(), 0), 1.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 4), 2.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 8), 3.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 12), 0.0f);
    EXPECT_NEAR(FloatAt(block.data(), 16), 0.214f, 0.001f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 20), Linear(0.25f));
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 24), 1.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 28), 0.5f); // alpha unchanged
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 32), 40.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 36), 7.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 40), 0.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 44), 0.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 48), -4.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 48 + 16), 0.02f / 12.92f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 48 + 32), 12.0f);
    for (size_t i = 96; i < 384; ++i)
        ASSERT_EQ(block[i], 0) << "unused light record byte " << i;

    EXPECT_EQ(IntAt(block.data(), 384), 2);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 388), 0.75f);
    EXPECT_EQ(IntAt(block.data(), 392), 0);
    EXPECT_EQ(IntAt(block.data(), 396), 0);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 400), Linear(0.5f));
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 412), 1.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 416), 1.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 420), 0.0f);
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 424), Linear(0.5f));
    EXPECT_FLOAT_EQ(FloatAt(block.data(), 428), 0.25f);
    EXPECT_EQ(MatrixAt(block.data(), 432), state.myLightMatrix);
}

TEST(ConstantBlocks, DefaultLightsAreWhiteMainLightWithIdentityMatrix)
{
    const Vela::RenderState state;
    std::array<uint8_t, Vela::LIGHT_CONSTANTS_SIZE> block;
    Vela::WriteLightConstants(block.data(), state);
    EXPECT_EQ(IntAt(block.data(), 384), 0);
    for (size_t offset = 400; offset < 416; offset += 4)
        EXPECT_FLOAT_EQ(FloatAt(block.data(), offset), 1.0f);
    for (size_t offset = 416; offset < 432; offset += 4)
        EXPECT_FLOAT_EQ(FloatAt(block.data(), offset), 0.0f);
    EXPECT_EQ(MatrixAt(block.data(), 432), Vela::Matrix4x4<float>());
}
