#include "mire/graphics/ConstantBlocks.h"

#include <algorithm>
#include <cstring>

namespace Vela
{
    namespace
    {
        void Put(uint8_t* aDestination, size_t anOffset, const void* aSource, size_t aSize)
        {
            std::memcpy(aDestination + anOffset, aSource, aSize);
        }
        void PutFloat(uint8_t* aDestination, size_t anOffset, float aValue) { Put(aDestination, anOffset, &aValue, 4); }
        void PutMatrix(uint8_t* aDestination, size_t anOffset, const Matrix4x4<float>& aMatrix)
        {
            Put(aDestination, anOffset, aMatrix.GetData(), 64);
        }
        void PutColor(uint8_t* aDestination, size_t anOffset, const Color& aColor)
        {
            const float values[4] = { aColor.r, aColor.g, aColor.b, aColor.a };
            Put(aDestination, anOffset, values, 16);
        }
    }

    Matrix4x4<float> GetFastInverse(const Matrix4x4<float>& aTransform)
    {
        Matrix4x4<float> inverse = Matrix4x4<float>::Transpose(aTransform);
        const Vector3<float> translation = aTransform.GetTranslation();
        for (int column = 1; column <= 3; ++column)
        {
            const Vector3<float> rotationRow(aTransform(column, 1), aTransform(column, 2), aTransform(column, 3));
            inverse(4, column) = -translation.Dot(rotationRow);
        }
        inverse(1, 4) = 0.0f;
        inverse(2, 4) = 0.0f;
        inverse(3, 4) = 0.0f;
        inverse(4, 4) = aTransform(4, 4);
        return inverse;
    }

    void WriteFrameConstants(uint8_t* aDestination, float aRenderWidth, float aRenderHeight, float aTotalTime, float aDeltaTime)
    {
        const float values[4] = { aRenderWidth, aRenderHeight, aTotalTime, aDeltaTime };
        Put(aDestination, 0, values, sizeof(values));
    }

    void WriteCameraConstants(uint8_t* aDestination, const Camera& aCamera)
    {
        const Matrix4x4<float>& projection = aCamera.GetProjection();
        PutMatrix(aDestination, 0, GetFastInverse(aCamera.GetTransform()));
        PutMatrix(aDestination, 64, aCamera.GetTransform());
        PutMatrix(aDestination, 128, projection);
        PutMatrix(aDestination, 192, Matrix4x4<float>::GetInverse(projection));
        // [row][column] 0-based: P[3][2] is (4,3), P[2][2] is (3,3).
        const float nearPlane = -projection(4, 3) / projection(3, 3);
        const float farPlane = projection(3, 3) * nearPlane / (projection(3, 3) - 1.0f);
        PutFloat(aDestination, 256, nearPlane);
        PutFloat(aDestination, 260, farPlane);
        std::memset(aDestination + 264, 0, CAMERA_CONSTANTS_SIZE - 264);
    }

    void WriteLightConstants(uint8_t* aDestination, const RenderState& aState)
    {
        std::memset(aDestination, 0, LIGHT_CONSTANTS_SIZE);
        const int count = std::clamp(aState.myPointLightCount, 0, MAX_POINT_LIGHTS);
        for (int i = 0; i < count; ++i)
        {
            const PointLight& light = aState.myPointLights[size_t(i)];
            const size_t record = size_t(i) * 48;
            const float position[3] = { light.myPosition.x, light.myPosition.y, light.myPosition.z };
            Put(aDestination, record, position, sizeof(position));
            PutColor(aDestination, record + 16, light.myColor.AsLinear());
            PutFloat(aDestination, record + 32, light.myRange);
            PutFloat(aDestination, record + 36, light.myParameter);
        }
        const int32_t storedCount = count;
        Put(aDestination, 384, &storedCount, 4);
        PutFloat(aDestination, 388, aState.myLightScalar);
        PutColor(aDestination, 400, aState.myMainLightColor.AsLinear());
        PutColor(aDestination, 416, aState.mySecondLightColor.AsLinear());
        PutMatrix(aDestination, 432, aState.myLightMatrix);
    }

    void WriteCustomConstants(uint8_t* aDestination, const RenderState& aState)
    {
        std::memset(aDestination, 0, CUSTOM_CONSTANTS_SIZE);
        const float parameters[4] = { aState.myCustomShaderParameters.x, aState.myCustomShaderParameters.y,
                                      aState.myCustomShaderParameters.z, aState.myCustomShaderParameters.w };
        Put(aDestination, 0, parameters, sizeof(parameters));
        Put(aDestination, 16, &aState.myCustomScalar, 4);
    }
}
