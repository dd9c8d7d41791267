#include "mire/graphics/Camera.h"

#include "mire/core/Assert.h"

#include <cmath>

namespace Vela
{
    namespace FMath
    {
        constexpr float KindaSmallNumber = 0.0001f;
    }

    void Camera::SetOrthographicProjection(float aLeft, float aRight, float aBottom, float aTop, float aNearPlane, float aFarPlane)
    {
        Matrix4x4<float> projection({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
        projection(1, 1) = 2.0f / (aRight - aLeft);
        projection(2, 2) = 2.0f / (aTop - aBottom);
        projection(3, 3) = 1.0f / (aFarPlane - aNearPlane);
        projection(4, 1) = -(aLeft + aRight) / (aRight - aLeft);
        projection(4, 2) = -(aTop + aBottom) / (aTop - aBottom);
        projection(4, 3) = -aNearPlane / (aFarPlane - aNearPlane);
        projection(4, 4) = 1.0f;
        myProjection = projection;
    }

    void Camera::SetPerspectiveProjection(float aHorizontalFovDegrees, Vector2<float> aResolution, float aNearPlane, float aFarPlane)
    {
        VELA_ASSERT(aNearPlane < aFarPlane);
        VELA_ASSERT(aNearPlane >= FMath::KindaSmallNumber);

        const float halfFov = aHorizontalFovDegrees * 0.017453292f * 0.5f;
        const float tangent = std::tan(halfFov);
        Matrix4x4<float> projection({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
        projection(1, 1) = 1.0f / tangent;
        projection(2, 2) = aResolution.x / (tangent * aResolution.y);
        projection(3, 3) = aFarPlane / (aFarPlane - aNearPlane);
        projection(3, 4) = 1.0f;
        projection(4, 3) = -aNearPlane * aFarPlane / (aFarPlane - aNearPlane);
        projection(4, 4) = 0.0f;
        myProjection = projection;
    }
}
