#pragma once
// A camera zone placed in a level: the player's hurt box touching it retunes the camera controller,
// and a room holds the camera on the zone's own point while the player's centre is inside.
#include "World/Collider.h"

#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

class CameraController;

class CameraCollider : public Observers::ColliderObserver
{
public:
    CameraCollider() = default;

    void Init(Vela::Vector2<float> aHalfExtents, Vela::Vector2<float> aCentre);
    void SetCameraController(CameraController* aController) { myCameraController = aController; }
    // The room's hold point, as an offset from the zone's centre (z taken as it is).
    void SetPosition(const Vela::Vector3<float>& anOffset);
    Vela::Vector3<float> GetOffset() const;
    // The zone's values, set once by the level build.
    void SetFovZoom(float aFovZoom) { myFovZoom = aFovZoom; }
    void SetCameraSpeed(float aSpeed) { myCameraSpeed = aSpeed; }
    void SetFovZoomSpeed(float aSpeed) { myFovZoomSpeed = aSpeed; }
    void SetIsRoom(bool anIsRoom) { myIsRoom = anIsRoom; }

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;

    Collider& GetCollider() { return myCollider; }
    const Collider& GetCollider() const { return myCollider; }
    Vela::Vector2<float> GetBasePoint() const { return myBasePoint; }
    // Where a room holds the camera.
    const Vela::Matrix4x4<float>& GetTargetTransform() const { return myTargetTransform; }
    float GetFovZoom() const { return myFovZoom; }
    float GetCameraSpeed() const { return myCameraSpeed; }
    float GetFovZoomSpeed() const { return myFovZoomSpeed; }
    bool IsRoom() const { return myIsRoom; }

private:
    Collider myCollider;
    Vela::Vector2<float> myBasePoint;
    CameraController* myCameraController = nullptr;
    Vela::Matrix4x4<float> myTargetTransform;
    // The zone's values, from the level's properties of the same names.
    float myFovZoom = 0.0f;      // "Fov/Zoom"; 0 leaves a zone that is not a room inert
    float myCameraSpeed = 0.0f;  // "Camera Speed"
    float myFovZoomSpeed = 0.0f; // "Fov/Zoom Speed"
    bool myIsRoom = false;       // "Is Room"
};
