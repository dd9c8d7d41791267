#pragma once
#include "mire/graphics/Camera.h"
#include "mire/graphics/RenderState.h"

#include <cstddef>
#include <cstdint>

namespace Vela
{
    // Byte layouts of the shared shader constant blocks (std140 on the shader side).
    constexpr size_t FRAME_CONSTANTS_SIZE = 16;    // b0
    constexpr size_t CAMERA_CONSTANTS_SIZE = 272;  // b1
    constexpr size_t LIGHT_CONSTANTS_SIZE = 496;   // b2
    constexpr size_t CUSTOM_CONSTANTS_SIZE = 32;   // b3
    constexpr size_t OBJECT_CONSTANTS_SIZE = 64;   // b4
    constexpr size_t BONE_CONSTANTS_SIZE = 8192;   // b5: 128 matrices

    void WriteFrameConstants(uint8_t* aDestination, float aRenderWidth, float aRenderHeight, float aTotalTime, float aDeltaTime);
    // World-to-camera, camera-to-world, projection, its inverse, then near and far as recovered
    // from the projection.
    void WriteCameraConstants(uint8_t* aDestination, const Camera& aCamera);
    // Zeroes the block, then writes the lights in use (colours linearised) and the light fields.
    void WriteLightConstants(uint8_t* aDestination, const RenderState& aState);
    void WriteCustomConstants(uint8_t* aDestination, const RenderState& aState);

    // The inverse of a rotation-plus-translation matrix without a general inverse.
    Matrix4x4<float> GetFastInverse(const Matrix4x4<float>& aTransform);
}
