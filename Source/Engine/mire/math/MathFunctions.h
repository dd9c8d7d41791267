#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/math/Quaternion.h"
#include "mire/math/Vector.h"

namespace Vela
{
    // Writes the upper-left 3x3 of aMatrix from Euler angles in degrees; row and column 4 are left alone.
    void RotationFromEulerDegrees(Matrix4x4<float>& aMatrix, const Vector3<float>& aAnglesInDegrees);

    // Splits a scale-rotation-translation matrix. A zero-length row gives a scale of 0 on that axis
    // and that rotation row is taken as zero instead of dividing by zero.
    void DecomposeMatrix(const Matrix4x4<float>& aMatrix, Vector3<float>& aTranslation, Quaternion& aRotation, Vector3<float>& aScale);
}
