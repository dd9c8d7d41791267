#pragma once
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

namespace Vela
{
    // Rotation quaternion stored w first.
    struct Quaternion
    {
        float w = 1.0f;
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;

        constexpr Quaternion() = default;
        constexpr Quaternion(float aW, float aX, float aY, float aZ) : w(aW), x(aX), y(aY), z(aZ) {}
        constexpr bool operator==(const Quaternion&) const = default;

        constexpr Quaternion operator+(const Quaternion& aOther) const { return { w + aOther.w, x + aOther.x, y + aOther.y, z + aOther.z }; }
        constexpr Quaternion operator-(const Quaternion& aOther) const { return { w - aOther.w, x - aOther.x, y - aOther.y, z - aOther.z }; }
        constexpr Quaternion operator-() const { return { -w, -x, -y, -z }; }
        constexpr Quaternion operator*(float aScalar) const { return { w * aScalar, x * aScalar, y * aScalar, z * aScalar }; }
        constexpr Quaternion operator/(float aScalar) const { return { w / aScalar, x / aScalar, y / aScalar, z / aScalar }; }

        constexpr float Dot(const Quaternion& aOther) const { return w * aOther.w + x * aOther.x + y * aOther.y + z * aOther.z; }
        float Length() const;
        Quaternion GetNormalized() const;

        // The rotation as a 4x4 matrix for row vectors (fourth row and column identity).
        Matrix4x4<float> ToMatrix() const;

        // From the three rows of an orthonormal rotation matrix; picks the numerically largest case.
        static Quaternion CreateFromBasis(const Vector3<float>& aRow1, const Vector3<float>& aRow2, const Vector3<float>& aRow3);

        // Shortest-arc blend. Almost every blend between neighbouring animation frames takes the
        // normalised linear path; only rotations nearly 180 degrees apart take the spherical one.
        static Quaternion Slerp(const Quaternion& aFrom, const Quaternion& aTo, const float& aT);
    };
}
