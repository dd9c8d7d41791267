#include "Camera/CameraCollider.h"

#include "Camera/CameraController.h"

#include <cmath>

namespace
{
    // Fields of view that a zone may set; anything else leaves the camera's target alone.
    bool IsUsableFov(float aFov)
    {
        return aFov > 0.0f && aFov < 180.0f;
    }
}

void CameraCollider::Init(Vela::Vector2<float> aHalfExtents, Vela::Vector2<float> aCentre)
{
    myCollider.SetBox(aCentre.x, aCentre.y, aHalfExtents.x, aHalfExtents.y);
    myCollider.type = ColliderType::CameraZone;
    myCollider.active = true;
    myCollider.isTrigger = true;
    myCollider.isPlayer = false;
    myBasePoint = aCentre;
}

void CameraCollider::SetPosition(const Vela::Vector3<float>& anOffset)
{
    myTargetTransform.SetTranslation({ myBasePoint.x + anOffset.x, myBasePoint.y + anOffset.y, anOffset.z });
}

Vela::Vector3<float> CameraCollider::GetOffset() const
{
    const Vela::Vector3<float> target = myTargetTransform.GetTranslation();
    return { target.x - myBasePoint.x, target.y - myBasePoint.y, target.z };
}

void CameraCollider::OnCollision(Vela::Vector2<float> /*aNormal*/, float /*aDepth*/, Collider* aSelf, Collider* anOther)
{
    if (!anOther || !anOther->isPlayer || !myCameraController)
        return;
    CameraController& camera = *myCameraController;

    if (!myIsRoom)
    {
        if (myFovZoom == 0.0f)
            return;
        // A zone changes the defaults for the rest of the level.
        if (IsUsableFov(myFovZoom))
        {
            camera.SetFov(myFovZoom);
            camera.SetDefaultFov(myFovZoom);
        }
        camera.SetFollowSpeed(myCameraSpeed);
        camera.SetDefaultFollowSpeed(myCameraSpeed);
        camera.SetSecondarySmoothing(myFovZoomSpeed);
        camera.SetDefaultSecondarySmoothing(myFovZoomSpeed);
        return;
    }

    const Collider& zone = aSelf ? *aSelf : myCollider;
    const bool centreInside = std::fabs(anOther->x - myBasePoint.x) <= zone.halfWidth && std::fabs(anOther->y - myBasePoint.y) <= zone.halfHeight;
    if (centreInside)
    {
        if (IsUsableFov(myFovZoom))
            camera.SetFov(myFovZoom);
        camera.SetFollowSpeed(myCameraSpeed);
        camera.SetSecondarySmoothing(myFovZoomSpeed);
        camera.SetTarget(&myTargetTransform);
        camera.SetHeld(true);
    }
    else
    {
        // The player's centre is in the room's edge band: back to the defaults.
        camera.RestoreTarget();
        camera.RestoreFov();
        camera.RestoreFollowSpeed();
        camera.RestoreSecondarySmoothing();
        camera.SetHeld(false);
    }
}
