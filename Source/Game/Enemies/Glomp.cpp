#include "Enemies/Glomp.h"

#include "Effects/FlipbookPresets.h"
#include "Player/Player.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/core/Engine.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/math/MathFunctions.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cmath>

using namespace Vela::Literals;

namespace
{
    constexpr const char* WALK_SOUND = "Glomp_Walk";
    constexpr const char* ALARM_SOUND = "Glomp_Alarmed";
    constexpr float PATROL_DUST_INTERVAL = 0.07f;
    constexpr float CHASE_DUST_INTERVAL = 0.02f;
    constexpr float DUST_LIFT = 7.0f;
    constexpr float DUST_SIZE = 50.0f;
    constexpr float DUST_RISE = 10.0f;
    constexpr float GROUND_HALF_SIZE = 15.0f;
    constexpr int32_t CLIP_ALARMED = 0;
    constexpr int32_t CLIP_IDLE = 1;
    constexpr int32_t CLIP_WALK = 2;
}

Glomp::Glomp(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : Enemy(aPlayer, aStateStack, aContext)
{
    mySpeed = WALK_SPEED;
}

Glomp::~Glomp() = default;

void Glomp::Init()
{
    Enemy::Init();
    mySpeed = WALK_SPEED;
    myWalked = 0.0f;
    myChaseFactor = 2.0f;
    const Vela::Vector3<float> forward = myModelInstance.GetTransform().GetRow(3).GetXYZ().GetNormalized();
    myFacesLeft = std::atan2(forward.y, forward.x) >= 0.0f;
    myStateTimer = 0.0f;
    myState = PAUSE;
    mySpawnPosition = myPosition;
    mySpawnFacesLeft = myFacesLeft;
    myGroundCollider.SetBox(myPosition.x, myPosition.y, GROUND_HALF_SIZE, GROUND_HALF_SIZE);
    myGroundCollider.name = "GroundCollider"_sid;
    myGroundCollider.type = ColliderType::EnemyGround;
    myCone = std::make_unique<SightCone>(myContext, CONE_STEP);
    myCone->InitForGlomp(myModelInstance.GetTransform(), myFacesLeft, myRoamingDistance);
    myDust.Clear();
}

void Glomp::Render()
{
    myDust.Render(*Vela::Engine::GetInstance()->myGraphicsEngine->GetSpriteDrawer());
    Enemy::Render();
}

void Glomp::Update(float aDeltaTime)
{
    myDustTimer -= aDeltaTime;
    myDust.Update(aDeltaTime);

    if (myPlayer)
    {
        PlaceSound(myWalkSound, GetDistanceAttenuation(myPlayer->GetPosition(), myPosition));
        PlaceSound(myAlarmSound, 1.0f);
    }

    myGroundCollider.x = myPosition.x;
    myGroundCollider.y = myPosition.y;
    if (!myGrounded)
    {
        // Never further in one frame than the ground probe reaches: a long frame (a level load) would
        // otherwise sink the body box into the floor, and every chase step would be blocked from then on.
        myPosition.y -= std::min(myGravityFactor * GRAVITY * aDeltaTime, GROUND_HALF_SIZE);
    }

    const Vela::Vector3<float> facing{ 0.0f, myFacesLeft ? 180.0f : 0.0f, 0.0f };
    Vela::RotationFromEulerDegrees(myModelInstance.GetTransform(), facing);
    Vela::RotationFromEulerDegrees(myAnimatedModel.GetTransform(), facing);
    mySpeed = myFacesLeft ? -std::fabs(mySpeed) : std::fabs(mySpeed);

    if (myPlayer && myCone && (myState == PAUSE || myState == PATROL) && DistanceToPlayer() <= NOTICE_DISTANCE &&
        myCone->TestGlomp(*myPlayer, myModelInstance.GetTransform(), mySightOccluders))
    {
        myStateTimer = 0.0f;
        myState = ALARMED;
        SoundManager::GetInstance().StopSound(myWalkSound, true);
        myAlarmSound = SoundManager::GetInstance().PlayOneShot(ALARM_SOUND);
    }

    StepState(aDeltaTime);
    PlaceColliderBox();
    if (myCone)
    {
        myCone->UpdateGlompFacing(myModelInstance.GetTransform(), myFacesLeft);
    }
    AnimateClip(myClipIndex, aDeltaTime);
}

void Glomp::StepState(float aDeltaTime)
{
    switch (myState)
    {
    case PAUSE: StepPause(aDeltaTime); break;
    case PATROL: StepPatrol(aDeltaTime); break;
    case ALARMED: StepAlarmed(aDeltaTime); break;
    case CHASE: StepChase(aDeltaTime); break;
    case RETURN: StepReturn(aDeltaTime); break;
    case CATCHING: StepCatching(aDeltaTime); break;
    case KILL_FADE: StepKillFade(); break;
    default: break;
    }
}

void Glomp::StepPause(float aDeltaTime)
{
    myStateTimer += aDeltaTime;
    myClipIndex = CLIP_IDLE;
    if (myStateTimer >= myBreakTime)
    {
        myFacesLeft = !myFacesLeft;
        myStateTimer = 0.0f;
        myWalked = 0.0f;
        RestartLooping(myWalkSound, WALK_SOUND);
        myState = PATROL;
    }
}

void Glomp::StepPatrol(float aDeltaTime)
{
    myPosition.x += mySpeed * aDeltaTime;
    myWalked += std::fabs(mySpeed) * aDeltaTime;
    myClipIndex = CLIP_WALK;
    SpawnDust(PATROL_DUST_INTERVAL);
    if (myWalked >= myRoamingDistance)
    {
        SoundManager::GetInstance().StopSound(myWalkSound, true);
        myState = PAUSE;
    }
}

void Glomp::StepAlarmed(float aDeltaTime)
{
    myStateTimer += aDeltaTime;
    myClipIndex = CLIP_ALARMED;
    Vela::AnimationPlayer* clip = GetClip(CLIP_ALARMED);
    const float duration = clip && clip->GetAnimation() ? clip->GetAnimation()->myDuration : 0.0f;
    if (myStateTimer >= duration)
    {
        if (clip)
        {
            clip->SetTime(0.0f);
        }
        ResumeChase();
    }
}

void Glomp::StepChase(float aDeltaTime)
{
    if (!myPlayer || !myCone)
    {
        myClipIndex = CLIP_WALK;
        SpawnDust(CHASE_DUST_INTERVAL);
        return;
    }
    const Vela::Vector3<float> toPlayer = myPlayer->GetPosition() - myPosition;
    const Vela::Vector2<float> direction = Vela::Vector2<float>{ toPlayer.x, toPlayer.y }.GetNormalized();
    myFacesLeft = direction.x < 0.0f;
    const float step = std::fabs(mySpeed) * myChaseFactor * direction.x * aDeltaTime;
    bool blocked = false;
    if (myEnemyBox && myContext && myContext->collisionManager)
    {
        myEnemyBox->x += step;
        blocked = myContext->collisionManager->IsOverlappingAny(*myEnemyBox);
        myEnemyBox->x -= step;
    }
    if (!blocked)
    {
        myPosition.x += step;
    }
    // The dust rises where this frame's step ended.
    myClipIndex = CLIP_WALK;
    SpawnDust(CHASE_DUST_INTERVAL);

    if (myCone->TestGlomp(*myPlayer, myModelInstance.GetTransform(), mySightOccluders))
    {
        myLostTimer = 0.0f;
        myPlayer->SetSpotted(true);
        return;
    }
    myPlayer->SetSpotted(false);
    myLostTimer += aDeltaTime;
    if (myLostTimer >= LOST_TIME)
    {
        myFacesLeft = myPosition.x - mySpawnPosition.x >= 0.0f;
        myLostTimer = 0.0f;
        SoundManager::GetInstance().StopSound(myWalkSound, true);
        myState = RETURN;
    }
}

void Glomp::StepReturn(float aDeltaTime)
{
    const float before = myPosition.x;
    myPosition.x += mySpeed * aDeltaTime;
    myFacesLeft = before - mySpawnPosition.x >= 0.0f;
    const bool arrived = mySpeed < 0.0f ? myPosition.x <= mySpawnPosition.x : myPosition.x >= mySpawnPosition.x;
    if (arrived)
    {
        // x is left where the step ended.
        myWalked = 0.0f;
        myStateTimer = 0.0f;
        myFacesLeft = mySpawnFacesLeft;
        myState = PAUSE;
    }
}

void Glomp::StepCatching(float aDeltaTime)
{
    myCatchTimer += aDeltaTime;
    myClipIndex = CLIP_ALARMED;
    if (myCatchTimer < CATCH_TIME)
    {
        return;
    }
    myCatchTimer = 0.0f;
    if (Vela::AnimationPlayer* clip = GetClip(CLIP_ALARMED))
    {
        clip->SetTime(0.0f);
    }
    if (DistanceToPlayer() > myCatchRadius)
    {
        ResumeChase();
        return;
    }
    KillPlayer();
    myState = KILL_FADE;
}

void Glomp::StepKillFade()
{
    if (!IsPlayerDeathFinished())
    {
        return;
    }
    StartKillFade();
    BackAtSpawn();
}

void Glomp::ResumeChase()
{
    SoundManager& sounds = SoundManager::GetInstance();
    sounds.StopSound(myWalkSound, true);
    sounds.StopSound(myAlarmSound, false);
    myWalkSound = sounds.PlayLoopingSfx(WALK_SOUND);
    myState = CHASE;
}

void Glomp::ResetToSpawn()
{
    BackAtSpawn();
}

void Glomp::BackAtSpawn()
{
    myPosition = mySpawnPosition;
    myFacesLeft = mySpawnFacesLeft;
    myWalked = 0.0f;
    myStateTimer = 0.0f;
    myState = PAUSE;
    // It pauses silently; the walk loop starts again with its next patrol.
    SoundManager::GetInstance().StopSound(myWalkSound, true);
    // A Glomp back at its spawn watches nobody: the player may hide again.
    if (myPlayer)
    {
        myPlayer->SetSpotted(false);
    }
}

void Glomp::OnCollision(Vela::Vector2<float>, float, Collider*, Collider* anOther)
{
    if (!anOther)
    {
        return;
    }
    // Only a Glomp that is not already catching starts a catch; a touch during the kill fade is ignored.
    if (anOther->type == ColliderType::Player && myPlayer && !myPlayer->IsHidden() && myState >= PAUSE && myState <= RETURN)
    {
        SoundManager::GetInstance().StopSound(myWalkSound, true);
        myState = CATCHING;
    }
    else if (anOther->type == ColliderType::DeathBox)
    {
        ResetToSpawn();
    }
}

void Glomp::SpawnDust(float anInterval)
{
    if (myDustTimer >= 0.0f)
    {
        return;
    }
    const float size = NextDustSize(myDustIndex) * DUST_SIZE;
    myDust.Spawn(FlipbookPresets::WALK_DUST, { myPosition.x, myPosition.y + DUST_LIFT }, { size, size }, { 0.0f, DUST_RISE });
    myDustTimer = anInterval;
}

void Glomp::SetParameters(float aBreakTime, float aRoamingDistance)
{
    myBreakTime = aBreakTime;
    myRoamingDistance = aRoamingDistance;
}
