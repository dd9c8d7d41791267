#include "Camera/CameraController.h"

#include "Spine/GameGlobals.h"

#include "mire/core/Engine.h"
#include "mire/settings/Settings.h"

#include <algorithm>

CameraController::CameraController()
    : myPerspectiveCamera(std::make_unique<Vela::Camera>()), myOrthographicCamera(std::make_unique<Vela::Camera>())
{
}

CameraController::~CameraController()
{
    myOrthographicCamera.reset();
    myPerspectiveCamera.reset();
}

Vela::Vector2<float> CameraController::GetRenderSize() const
{
    const Vela::Engine* engine = Vela::Engine::GetInstance();
    const Vela::EngineConfiguration& configuration = engine ? engine->myConfiguration : Vela::Settings::GetEngineConfiguration();
    return { static_cast<float>(configuration.myRenderWidth), static_cast<float>(configuration.myRenderHeight) };
}

void CameraController::Init()
{
    ResetTuning();

    const Vela::Vector2<float> renderSize = GetRenderSize();
    myPerspectiveCamera->SetPerspectiveProjection(myCurrentFov, renderSize, myNearPlane, myFarPlane);
    Vela::Matrix4x4<float> transform = myPerspectiveCamera->GetTransform();
    transform.SetTranslation(transform.GetTranslation() + myOffset);
    myPerspectiveCamera->SetTransform(transform);

    // y up for the screens' 2D layer; replaces the y-down projection of ResizeOrthographic.
    myOrthographicCamera->SetOrthographicProjection(0.0f, renderSize.x, 0.0f, renderSize.y, -1.0f, 1.0f);
    myOrthographicCamera->SetTransform(Vela::Matrix4x4<float>());
    myTarget = nullptr;
}

void CameraController::ResetForLevel()
{
    ResetTuning();
    myPerspectiveCamera->SetPerspectiveProjection(myCurrentFov, GetRenderSize(), myNearPlane, myFarPlane);
}

void CameraController::ResetTuning()
{
    myOffset = { 0.0f, 250.0f, -1000.0f };
    myHeightScale = 250.0f;
    myReferenceFov = 37.0f;
    myLookAhead = 190.0f;
    myHeld = false;
    myFovTarget = myCurrentFov = myDefaultFov = 90.0f;
    mySecondarySmoothing = myDefaultSecondarySmoothing = 0.03f;
    myNearPlane = 0.5f;
    myFarPlane = 4000.0f;
    myFollowSmoothing = myDefaultFollowSmoothing = 0.03f;
}

void CameraController::Update()
{
    if (myTarget)
    {
        const Vela::Vector3<float> target = myTarget->GetTranslation();
        Vela::Vector3<float> desired = target + myOffset;
        if (!myHeld)
            desired.x += myLookDirection * myLookAhead;
        Vela::Matrix4x4<float> transform = myPerspectiveCamera->GetTransform();
        const Vela::Vector3<float> position = transform.GetTranslation();
        // A fixed fraction per frame: the follow is frame-rate dependent by design.
        transform.SetTranslation(position + (desired - position) * myFollowSmoothing);
        myPerspectiveCamera->SetTransform(transform);
    }

    if (myCurrentFov != myFovTarget)
    {
        myCurrentFov += (myFovTarget - myCurrentFov) * myFollowSmoothing;
        myOffset.y = (1.0f - myReferenceFov / myFovTarget) * myHeightScale;
        myPerspectiveCamera->SetPerspectiveProjection(myCurrentFov, GetRenderSize(), myNearPlane, myFarPlane);
    }
}

void CameraController::SetFov(float aFov)
{
    // A target of 0 would send the height offset to infinity.
    myFovTarget = std::clamp(aFov, MIN_FOV, MAX_FOV);
}

void CameraController::SetPosition(const Vela::Vector3<float>& aPosition)
{
    Vela::Matrix4x4<float> transform = myPerspectiveCamera->GetTransform();
    transform.SetTranslation(aPosition);
    myPerspectiveCamera->SetTransform(transform);
}

void CameraController::ResizeOrthographic()
{
    myOrthographicCamera->SetOrthographicProjection(0.0f, GameGlobals::renderWidth, GameGlobals::renderHeight, 0.0f, -1.0f, 1.0f);
}
