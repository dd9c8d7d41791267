#pragma once
// The game's two cameras: the perspective one that follows the player with smoothing and look-ahead
// and is held in rooms, and the orthographic one every screen draws its 2D layer with. Main thread only.
#include "mire/graphics/Camera.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

#include <memory>

class CameraController
{
public:
    static constexpr float MIN_FOV = 1.0f;
    static constexpr float MAX_FOV = 179.0f;

    CameraController();
    ~CameraController();
    CameraController(const CameraController&) = delete;
    CameraController& operator=(const CameraController&) = delete;

    void Init();
    // Back to Init's tuning, field of view and hold for a new level; the cameras and the follow
    // target are left to the caller.
    void ResetForLevel();
    // Once per frame: eases the camera toward the follow target and the field of view toward its target.
    void Update();

    void SetTarget(const Vela::Matrix4x4<float>* aTarget) { myTarget = aTarget; }
    void SetDefaultTarget(const Vela::Matrix4x4<float>* aTarget) { myDefaultTarget = aTarget; }
    void RestoreTarget() { myTarget = myDefaultTarget; }

    // Clamped to [MIN_FOV, MAX_FOV] degrees.
    void SetFov(float aFov);
    void SetDefaultFov(float aFov) { myDefaultFov = aFov; }
    void RestoreFov() { myFovTarget = myDefaultFov; }

    void SetFollowSpeed(float aSpeed) { myFollowSmoothing = aSpeed; }
    void SetDefaultFollowSpeed(float aSpeed) { myDefaultFollowSmoothing = aSpeed; }
    void RestoreFollowSpeed() { myFollowSmoothing = myDefaultFollowSmoothing; }

    // Kept, defaulted and restored; the field of view eases with the follow smoothing.
    void SetSecondarySmoothing(float aSmoothing) { mySecondarySmoothing = aSmoothing; }
    void SetDefaultSecondarySmoothing(float aSmoothing) { myDefaultSecondarySmoothing = aSmoothing; }
    void RestoreSecondarySmoothing() { mySecondarySmoothing = myDefaultSecondarySmoothing; }

    void SetPosition(const Vela::Vector3<float>& aPosition);
    void SetLookDirection(float aDirection) { myLookDirection = aDirection; }
    // y-down screen projection over the process-wide render size.
    void ResizeOrthographic();

    // A room zone holds the camera on its own point; the pause menu clears it when it closes.
    bool IsHeld() const { return myHeld; }
    void SetHeld(bool aHeld) { myHeld = aHeld; }

    Vela::Camera& GetPerspectiveCamera() { return *myPerspectiveCamera; }
    Vela::Camera& GetOrthographicCamera() { return *myOrthographicCamera; }
    const Vela::Matrix4x4<float>* GetTarget() const { return myTarget; }
    const Vela::Vector3<float>& GetOffset() const { return myOffset; }
    float GetFovTarget() const { return myFovTarget; }
    float GetCurrentFov() const { return myCurrentFov; }
    float GetDefaultFov() const { return myDefaultFov; }
    float GetFollowSpeed() const { return myFollowSmoothing; }
    float GetDefaultFollowSpeed() const { return myDefaultFollowSmoothing; }
    float GetSecondarySmoothing() const { return mySecondarySmoothing; }
    float GetDefaultSecondarySmoothing() const { return myDefaultSecondarySmoothing; }

private:
    Vela::Vector2<float> GetRenderSize() const;
    void ResetTuning();

    std::unique_ptr<Vela::Camera> myPerspectiveCamera;
    std::unique_ptr<Vela::Camera> myOrthographicCamera;
    const Vela::Matrix4x4<float>* myTarget = nullptr;
    const Vela::Matrix4x4<float>* myDefaultTarget = nullptr;
    Vela::Vector3<float> myOffset{ 0.0f, 250.0f, -1000.0f };
    float myHeightScale = 250.0f;
    float myReferenceFov = 37.0f;
    float myLookDirection = 0.0f;
    float myLookAhead = 190.0f;
    bool myHeld = false;
    float myFovTarget = 90.0f;
    float myCurrentFov = 90.0f;
    float myDefaultFov = 90.0f;
    float mySecondarySmoothing = 0.03f;
    float myDefaultSecondarySmoothing = 0.03f;
    float myNearPlane = 0.5f;
    float myFarPlane = 4000.0f;
    float myFollowSmoothing = 0.03f;
    float myDefaultFollowSmoothing = 0.03f;
};
