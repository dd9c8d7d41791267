#pragma once
#include "mire/math/Vector.h"

namespace Vela
{
    // Unit normal and d = -dot(point, normal), so dot(p, normal) + d is the signed distance of p.
    struct Plane
    {
        Vector3<float> normal{ 0.0f, 1.0f, 0.0f };
        float d = 0.0f;

        constexpr Plane() = default;
        // A zero normal stays zero (no division).
        Plane(const Vector3<float>& aPoint, const Vector3<float>& aNormal)
            : normal(aNormal.GetNormalized()), d(-(aPoint.x * normal.x + aPoint.y * normal.y + aPoint.z * normal.z))
        {
        }

        float DistanceTo(const Vector3<float>& aPoint) const { return aPoint.Dot(normal) + d; }
    };
}
