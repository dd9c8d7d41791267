#pragma once
#include "mire/graphics/Camera.h"
#include "mire/graphics/RenderStates.h"
#include "mire/math/Color.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

#include <array>
#include <cstdint>

namespace Vela
{
    class Texture;

    struct PointLight
    {
        Vector3<float> myPosition;
        Color myColor = { 1.0f, 1.0f, 1.0f, 1.0f }; // sRGB
        float myRange = 1000.0f;
        float myParameter = 0.0f;
    };

    constexpr int MAX_POINT_LIGHTS = 8;

    // Everything the state stack decides per draw. The three large groups carry a change stamp so
    // that deciding whether to upload them is one integer compare.
    struct RenderState
    {
        int32_t myBlendState = 0;
        int32_t myDepthStencilState = 0;
        int32_t myRasterizerState = 0;
        int32_t mySamplerFilter = 0;
        int32_t mySamplerAddressMode = 0;

        uint32_t myCustomParametersStamp = 0;
        uint32_t myCustomScalar = 0;
        Vector4<float> myCustomShaderParameters;

        uint32_t myLightsStamp = 0;
        int32_t myPointLightCount = 0;
        std::array<PointLight, MAX_POINT_LIGHTS> myPointLights;
        Matrix4x4<float> myLightMatrix;
        Color mySecondLightColor = { 0.0f, 0.0f, 0.0f, 0.0f };
        float myLightScalar = 0.0f;
        Color myMainLightColor = { 1.0f, 1.0f, 1.0f, 1.0f };
        int32_t myEnvironmentMapChoice = 0; // 0 white cube map, 1 horizon cube map, 2 myEnvironmentTexture
        const Texture* myEnvironmentTexture = nullptr;

        uint32_t myCameraStamp = 0;
        Camera myCamera;

        Matrix4x4<float> myTransform;
    };
}
