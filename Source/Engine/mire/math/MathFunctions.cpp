#include "mire/math/MathFunctions.h"

#include <cmath>

namespace Vela
{
    void RotationFromEulerDegrees(Matrix4x4<float>& aMatrix, const Vector3<float>& aAnglesInDegrees)
    {
        constexpr float HALF_DEGREES_TO_RADIANS = 0.017453292f * 0.5f;
        const float hx = aAnglesInDegrees.x * HALF_DEGREES_TO_RADIANS;
        const float hy = aAnglesInDegrees.y * HALF_DEGREES_TO_RADIANS;
        const float hz = aAnglesInDegrees.z * HALF_DEGREES_TO_RADIANS;
        const float cx = std::cos(hx), sx = std::sin(hx);
        const float cy = std::cos(hy), sy = std::sin(hy);
        const float cz = std::cos(hz), sz = std::sin(hz);

        const float w = cx * cy * cz + sx * sy * sz;
        const float x = sx * cy * cz - cx * sy * sz;
        const float y = cx * sy * cz + sx * cy * sz;
        const float z = cx * cy * sz - sx * sy * cz;

        // The rotation part of the quaternion's matrix; row and column 4 of aMatrix are kept.
        const Matrix4x4<float> rotation = Quaternion(w, x, y, z).ToMatrix();
        for (int row = 1; row <= 3; ++row)
        {
            for (int column = 1; column <= 3; ++column)
            {
                aMatrix(row, column) = rotation(row, column);
            }
        }
    }

    void DecomposeMatrix(const Matrix4x4<float>& aMatrix, Vector3<float>& aTranslation, Quaternion& aRotation, Vector3<float>& aScale)
    {
        const Vector4<float> rows[3] = { aMatrix.GetRow(1), aMatrix.GetRow(2), aMatrix.GetRow(3) };
        aScale = { rows[0].Length(), rows[1].Length(), rows[2].Length() };

        const float scales[3] = { aScale.x, aScale.y, aScale.z };
        Vector3<float> basis[3];
        for (int i = 0; i < 3; ++i)
        {
            basis[i] = scales[i] > 0.0f ? rows[i].GetXYZ() / scales[i] : Vector3<float>();
        }
        aRotation = Quaternion::CreateFromBasis(basis[0], basis[1], basis[2]);
        aTranslation = aMatrix.GetTranslation();
    }
}
