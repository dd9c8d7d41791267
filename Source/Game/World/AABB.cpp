#include "World/AABB.h"

#include <cmath>

bool AABB::IsOnFrustum(const Frustum& aFrustum, const Vela::Matrix4x4<float>& aTransform) const
{
    const Vela::Vector4<float> row1 = aTransform.GetRow(1);
    const Vela::Vector4<float> row2 = aTransform.GetRow(2);
    const Vela::Vector4<float> row3 = aTransform.GetRow(3);
    const Vela::Vector4<float> row4 = aTransform.GetRow(4);

    const Vela::Vector3<float> worldCentre =
        row1.GetXYZ() * myCentre.x + row2.GetXYZ() * myCentre.y + row3.GetXYZ() * myCentre.z + row4.GetXYZ();
    const Vela::Vector3<float> right = row1.GetXYZ() * myExtents.x;
    const Vela::Vector3<float> up = row2.GetXYZ() * myExtents.y;
    const Vela::Vector3<float> forward = row3.GetXYZ() * myExtents.z;
    const Vela::Vector3<float> worldExtents = { std::fabs(right.x) + std::fabs(up.x) + std::fabs(forward.x),
                                                std::fabs(right.y) + std::fabs(up.y) + std::fabs(forward.y),
                                                std::fabs(right.z) + std::fabs(up.z) + std::fabs(forward.z) };

    for (const Vela::Plane& plane : aFrustum)
    {
        const float radius = worldExtents.x * std::fabs(plane.normal.x) + worldExtents.y * std::fabs(plane.normal.y) +
                             worldExtents.z * std::fabs(plane.normal.z);
        if (plane.DistanceTo(worldCentre) < -radius)
            return false;
    }
    return true;
}
