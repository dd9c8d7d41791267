#pragma once
// Bounding boxes for culling models against the view frustum.
#include "mire/math/Matrix4x4.h"
#include "mire/math/Plane.h"
#include "mire/math/Vector.h"

#include <array>

// The six planes of a view, normals pointing inwards.
using Frustum = std::array<Vela::Plane, 6>;

class BoundingVolume
{
public:
    virtual ~BoundingVolume() = default;
    virtual bool IsOnFrustum(const Frustum& aFrustum, const Vela::Matrix4x4<float>& aTransform) const = 0;
};

class AABB : public BoundingVolume
{
public:
    AABB() = default;
    AABB(const Vela::Vector3<float>& aCentre, const Vela::Vector3<float>& someExtents) : myCentre(aCentre), myExtents(someExtents) {}

    // A box exactly touching a plane from inside counts as on the frustum.
    bool IsOnFrustum(const Frustum& aFrustum, const Vela::Matrix4x4<float>& aTransform) const override;

    Vela::Vector3<float> myCentre;
    Vela::Vector3<float> myExtents; // half sizes
};
