#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

namespace Vela
{
    // A world transform plus a projection (row vectors, depth mapped to 0..1).
    class Camera
    {
    public:
        void SetTransform(const Matrix4x4<float>& aTransform) { myTransform = aTransform; }
        void SetOrthographicProjection(float aLeft, float aRight, float aBottom, float aTop, float aNearPlane, float aFarPlane);
        // The field of view is horizontal; the vertical scale follows from the resolution's ratio.
        void SetPerspectiveProjection(float aHorizontalFovDegrees, Vector2<float> aResolution, float aNearPlane, float aFarPlane);

        const Matrix4x4<float>& GetTransform() const { return myTransform; }
        const Matrix4x4<float>& GetProjection() const { return myProjection; }
        float GetNearPlane() const { return myNearPlane; }
        float GetFarPlane() const { return myFarPlane; }

    private:
        Matrix4x4<float> myTransform;
        Matrix4x4<float> myProjection;
        // The setters leave these alone: they describe the camera, not the projection in use.
        float myNearPlane = 1.0f;
        float myFarPlane = 10000.0f;
    };
}
