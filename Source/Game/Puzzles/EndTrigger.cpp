#include "Puzzles/EndTrigger.h"

#include "Camera/CameraController.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Player/GameObject.h"
#include "Player/Player.h"
#include "Screens/EndingState.h"
#include "Screens/StateStack.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/math/MathFunctions.h"
#include "mire/math/Quaternion.h"

#include <cstdio>
#include <cstring>
#include <numbers>

namespace
{
    constexpr float FADE_SPEED = 0.8f;
    constexpr float WALK_OUT_STEP = 0.5f;
    constexpr float WALK_SPEED_FLAG = 0.7f;
    constexpr float ARRIVAL_SPEED_FLAG = 1.0f;
    constexpr float WALK_OUT_FOV_CHANGE = 20.0f;
    // The fade colours are authored on a 0..255 scale; the overlay takes 0..1.
    constexpr Vela::Vector3<float> CREDITS_COLOR{ 235.0f / 255.0f, 230.0f / 255.0f, 120.0f / 255.0f };
    constexpr Vela::Vector3<float> LEVEL_COLOR{ 1.0f, 1.0f, 1.0f };

    TransitionState* GetFade(StateStack& aStack)
    {
        return dynamic_cast<TransitionState*>(aStack.GetState(StateId::Transition));
    }

    bool IsFadeOnTop(const StateStack& aStack)
    {
        return aStack.TopId() == static_cast<int>(StateId::Transition);
    }
}

EndTrigger::~EndTrigger() = default;

void EndTrigger::Init(Vela::Vector2<float> aHalfExtents, Vela::Vector2<float> aCentre)
{
    myBasePoint = aCentre;
    myCollider.x = aCentre.x;
    myCollider.y = aCentre.y;
    myCollider.halfWidth = aHalfExtents.x;
    myCollider.halfHeight = aHalfExtents.y;
    myCollider.type = ColliderType::Trigger;
    myCollider.isPlayer = false;
    myCollider.isTrigger = true;
}

void EndTrigger::SetStair(RotatingStairRecord* aStair)
{
    myStair = aStair;
    if (aStair)
    {
        mySavedStairTransform = aStair->model.GetTransform();
    }
}

void EndTrigger::TurnPlayer(float aYawDegrees)
{
    if (myPlayerTransform)
    {
        Vela::RotationFromEulerDegrees(*myPlayerTransform, { 0.0f, aYawDegrees, 0.0f });
    }
}

void EndTrigger::OnCollision(Vela::Vector2<float>, float, Collider*, Collider* anOther)
{
    if (!anOther || !anOther->isPlayer || myActivated || !myCollider.active || !myPlayer)
    {
        return;
    }
    myCredits = std::strcmp(myNextScene.GetString(), CREDITS) == 0;
    if (!myCredits)
    {
        SoundManager::GetInstance().PlayOneShot("StairCase");
    }
    myActivated = true;
    myPlayer->SetLocked(true);
    myPlayer->SetVerticalVelocity(0.0f);
    if (myContext && myContext->cameraController)
    {
        myContext->cameraController->SetLookDirection(0.0f);
    }
    myPlayerTransform = &myPlayer->GetModelTransform();
    myPlayer->GetAnimatedModel().Update(someAnimations[1]);
    myCountdown = WALK_OUT_SECONDS;
    myCollider.active = false;
    TurnPlayer(myPlayerTransform->GetTranslation().x <= myBasePoint.x ? 0.0f : -180.0f);
    myPlayer->GetAnimFlags().speed = ARRIVAL_SPEED_FLAG;
}

void EndTrigger::Update(const UpdateContext& aContext)
{
    myDeltaTime = aContext.deltaTime;
    if (!myStateStack)
    {
        return;
    }
    if (myFinished)
    {
        TransitionState* fade = GetFade(*myStateStack);
        if (IsFadeOnTop(*myStateStack) && fade && fade->IsFinished())
        {
            myStateStack->Pop();
        }
        return;
    }
    if (myWaitingForLevel)
    {
        TryStartLevel();
        return;
    }
    UpdateStair();
    if (myActivated)
    {
        WalkToCentre(aContext);
    }
    if (myWalkingOut)
    {
        WalkOut();
    }
}

void EndTrigger::UpdateStair()
{
    if (!myStair || (!myActivated && !myWalkingOut))
    {
        return;
    }
    Vela::Matrix4x4<float>& stair = myStair->model.GetTransform();
    Vela::Vector3<float> translation = stair.GetTranslation();
    translation.y += STAIR_RISE_PER_SECOND * myDeltaTime;
    // One more degree of turn about the vertical axis each frame, on top of the stair as built.
    myStairSpin += 1.0f;
    Vela::Vector3<float> savedTranslation;
    Vela::Quaternion savedRotation;
    Vela::Vector3<float> savedScale;
    Vela::DecomposeMatrix(mySavedStairTransform, savedTranslation, savedRotation, savedScale);
    const float spin = -myStairSpin * std::numbers::pi_v<float> / 180.0f;
    stair = Vela::Matrix4x4<float>::CreateScale(savedScale) * savedRotation.ToMatrix() * Vela::Matrix4x4<float>::CreateRotationAroundY(spin);
    stair.SetTranslation(translation);
}

void EndTrigger::WalkToCentre(const UpdateContext& aContext)
{
    if (!myPlayer)
    {
        return;
    }
    Vela::Vector3<float> position = myPlayer->GetPosition();
    // Eased once per frame, not scaled by dt.
    position.x += (myCollider.x - position.x) * WALK_EASING;
    myPlayer->SetPosition(position);
    myPlayer->GetAnimFlags().speed = WALK_SPEED_FLAG;
    if (myContext && myContext->collisionManager)
    {
        myPlayer->SetGrounded(myContext->collisionManager->IsOverlappingAny(myPlayer->GetGroundCollider()));
    }
    if (!myPlayer->IsGrounded())
    {
        myPlayer->FallStep(aContext.deltaTime);
    }
    const Vela::Vector3<float> offset = myPlayer->GetPosition() - Vela::Vector3<float>{ myCollider.x, myCollider.y, 0.0f };
    const bool arrived = offset < Vela::Vector3<float>{ ARRIVAL_DISTANCE, ARRIVAL_DISTANCE, 0.0f } &&
                         Vela::Vector3<float>{ -ARRIVAL_DISTANCE, -ARRIVAL_DISTANCE, 0.0f } < offset;
    if (!arrived)
    {
        return;
    }
    myActivated = false;
    myWalkingOut = true;
    myStateStack->Push(StateId::Transition);
    if (TransitionState* fade = GetFade(*myStateStack))
    {
        fade->Cover(myCredits ? CREDITS_COLOR : LEVEL_COLOR, FADE_SPEED);
    }
    TurnPlayer(-90.0f);
    if (myContext && myContext->cameraController)
    {
        myContext->cameraController->SetFov(myContext->cameraController->GetFovTarget() - WALK_OUT_FOV_CHANGE);
    }
}

void EndTrigger::WalkOut()
{
    if (myPlayer && myPlayerTransform)
    {
        Vela::Vector3<float> position = myPlayer->GetPosition();
        position.z = myPlayerTransform->GetTranslation().z + WALK_OUT_STEP;
        myPlayer->SetPosition(position);
        myPlayerTransform->SetTranslation(position);
        // The player itself is updated by the game under the cover fade, once per frame.
    }
    myCountdown -= myDeltaTime;
    if (myCountdown < 0.0f)
    {
        myWalkingOut = false;
        StartNextScene();
    }
}

void EndTrigger::StartNextScene()
{
    if (myCredits)
    {
        StartEnding();
        return;
    }
    if (myStair)
    {
        myStair->model.SetTransform(mySavedStairTransform);
    }
    myWaitingForLevel = true;
    TryStartLevel();
}

void EndTrigger::StartEnding()
{
    PopTransitionOnTop();
    myStateStack->Push(StateId::Ending);
    if (auto* ending = dynamic_cast<EndingState*>(myStateStack->GetState(StateId::Ending)))
    {
        ending->Reset();
    }
    myStateStack->Push(StateId::Transition);
    if (TransitionState* fade = GetFade(*myStateStack))
    {
        // The ending's reveal keeps whatever speed the exit's fade was left with.
        fade->Reveal(fade->GetSpeed());
        fade->SetColor(CREDITS_COLOR.x, CREDITS_COLOR.y, CREDITS_COLOR.z);
    }
    myCredits = false;
    myFinished = true;
}

void EndTrigger::TryStartLevel()
{
    LevelLoader* loader = myContext ? myContext->levelLoader : nullptr;
    // Only the first level can be selected before the loader's worker has published the rest.
    const bool firstLevel = std::strcmp(myNextScene.GetString(), "level_0") == 0;
    const bool ready = loader && (firstLevel || loader->IsReady());
    if (!ready)
    {
        // Keep the screen covered while we wait; the game would otherwise turn the finished cover into a reveal.
        if (IsFadeOnTop(*myStateStack))
        {
            if (TransitionState* fade = GetFade(*myStateStack); fade && fade->IsRevealing())
            {
                // Back to covering from where the alpha stands, without restarting.
                fade->SetCover();
                fade->SetSpeed(FADE_SPEED);
            }
        }
        return;
    }
    myWaitingForLevel = false;
    PopTransitionOnTop();
    if (!loader->FindLevel(myNextScene))
    {
        std::printf("Unknown next scene: %s - back to the main menu\n", myNextScene.GetString());
        myStateStack->Clear();
        myStateStack->Push(StateId::MainMenu);
        return;
    }
    // An empty level could be entered but never left: say again why, and go back to the main menu.
    if (const std::optional<std::string> failure = loader->GetLoadFailure(myNextScene))
    {
        std::fprintf(stderr, "%s\n", failure->c_str());
        myStateStack->Clear();
        myStateStack->Push(StateId::MainMenu);
        return;
    }
    myStateStack->StartLevel(myNextScene);
}

void EndTrigger::PopTransitionOnTop()
{
    // Popping anything else would take the game screen away.
    if (IsFadeOnTop(*myStateStack))
    {
        myStateStack->Pop();
    }
}
