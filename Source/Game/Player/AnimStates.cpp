#include "Player/AnimStates.h"

#include "Player/AnimStateMachine.h"

#include "mire/animation/AnimationPlayer.h"

#include <cstdio>

namespace
{
    // Speeds are compared with this constant exactly as each rule writes it (> or >=).
    constexpr float MOVING = 0.1f;

    using Id = AnimStateId;
    using State = Vela::AnimationPlayer::State;
}

void IAnimState::PlayClip(bool aLooped)
{
    if (!myClip)
    {
        return;
    }
    myClip->SetState(State::Playing);
    // A once-clip must be able to finish even when its clip set marks it looping.
    myClip->SetLooping(aLooped);
}

void IAnimState::StopClip()
{
    if (!myClip)
    {
        return;
    }
    myClip->SetState(State::Stopped);
    myClip->SetTime(0.0f);
}

void IAnimState::AdvanceClip(float aDeltaTime)
{
    if (myClip && myClip->GetAnimation())
    {
        myClip->Update(aDeltaTime);
    }
}

bool IAnimState::IsClipFinished() const
{
    // A clip the level did not give has nothing to play: it counts as done so the machine moves on.
    return !myClip || !myClip->GetAnimation() || myClip->GetState() == State::Finished;
}

LoopingSoundState::LoopingSoundState(AnimStateId anId, const char* aSoundName, bool aReportsFullPool)
    : IAnimState(anId), mySoundName(aSoundName), myReportsFullPool(aReportsFullPool)
{
}

void LoopingSoundState::OnEnter(AnimStateMachine&)
{
    PlayClip(true);
    mySound = SoundManager::GetInstance().PlayLoopingSfx(mySoundName);
    if (!mySound && myReportsFullPool)
    {
        std::printf("Pool full - %s failed\n", mySoundName);
    }
}

void LoopingSoundState::OnExit(AnimStateMachine&)
{
    // The handle stops only the sound this state started, never a later one in the same slot.
    SoundManager::GetInstance().StopSound(mySound, true);
    StopClip();
}

IdleState::IdleState() : LoopingSoundState(Id::Idle, "Player_Idle", false) {}
JogState::JogState() : LoopingSoundState(Id::Jog, "Player_Jog", true) {}
CrouchState::CrouchState() : LoopingSoundState(Id::Crouch, "Player_IdleCrouch", true) {}
WalkCrouchState::WalkCrouchState() : LoopingSoundState(Id::WalkCrouch, "Player_CrouchWalk", true) {}

void IdleState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.pushing)
        aMachine.ChangeTo(Id::Push);
    else if (someFlags.pulling)
        aMachine.ChangeTo(Id::Pull);
    else if (someFlags.jumpStarted)
        aMachine.ChangeTo(Id::TakeOff);
    else if (!someFlags.grounded)
        aMachine.ChangeTo(Id::Fall);
    else if (someFlags.crouching)
        aMachine.ChangeTo(Id::IdleToCrouch);
    else if (someFlags.speed > MOVING)
        aMachine.ChangeTo(Id::Jog);
}

void JogState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.pushing)
        aMachine.ChangeTo(Id::Push);
    else if (someFlags.pulling)
        aMachine.ChangeTo(Id::Pull);
    else if (someFlags.speed >= MOVING && !someFlags.jumpStarted && !someFlags.crouching && someFlags.grounded)
        return;
    else if (someFlags.speed < MOVING)
        aMachine.ChangeTo(Id::Idle);
    else if (someFlags.jumpStarted)
        aMachine.ChangeTo(Id::TakeOff);
    else if (someFlags.crouching)
        aMachine.ChangeTo(Id::IdleToCrouch);
    else
        aMachine.ChangeTo(Id::Fall);
}

void CrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (!someFlags.crouching)
        aMachine.ChangeTo(Id::CrouchToIdle);
    else if (someFlags.speed > MOVING)
        aMachine.ChangeTo(Id::WalkCrouch);
}

void WalkCrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (!someFlags.crouching)
        aMachine.ChangeTo(Id::CrouchToIdle);
    else if (someFlags.speed < MOVING)
        aMachine.ChangeTo(Id::Crouch);
}

void TakeOffState::OnEnter(AnimStateMachine&)
{
    PlayClip(false);
    myElapsed = 0.0f;
    mySound = SoundManager::GetInstance().PlayOneShot("Player_Jump");
    if (!mySound)
    {
        std::printf("Pool full - Player_Jump failed\n");
    }
}

void TakeOffState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
    {
        aMachine.ChangeTo(Id::Death);
        return;
    }
    if (IsClipFinished())
    {
        aMachine.ChangeTo(Id::Fall);
        return;
    }
    // The time before this frame counts, so Land follows at the earliest once 0.2 s have passed.
    if (myElapsed >= myMinimumAirTime && someFlags.grounded)
    {
        aMachine.ChangeTo(Id::Land);
        return;
    }
    myElapsed += aDeltaTime;
}

void TakeOffState::OnExit(AnimStateMachine&)
{
    StopClip();
    // The jump sound plays out.
    mySound.Reset();
}

void LoopedState::OnEnter(AnimStateMachine&) { PlayClip(true); }
void LoopedState::OnExit(AnimStateMachine&) { StopClip(); }

void FallState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.jumpStarted)
        aMachine.ChangeTo(Id::TakeOff);
    else if (someFlags.grounded)
        aMachine.ChangeTo(Id::Land);
}

void LandState::OnEnter(AnimStateMachine&)
{
    PlayClip(false);
    mySound = SoundManager::GetInstance().PlayOneShot("Player_Land");
    if (!mySound)
    {
        std::printf("Pool full - Player_Land failed\n");
    }
}

void LandState::OnExit(AnimStateMachine&)
{
    SoundManager::GetInstance().StopSound(mySound, false);
    StopClip();
}

void LandState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.jumpStarted)
        aMachine.ChangeTo(Id::TakeOff);
    else if (someFlags.crouching)
        aMachine.ChangeTo(Id::IdleToCrouch);
    else if (!IsClipFinished())
        return;
    else if (someFlags.speed > MOVING)
        aMachine.ChangeTo(Id::Jog);
    else
        aMachine.ChangeTo(Id::Idle);
}

void BoxHoldState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.*myOther)
        aMachine.ChangeTo(myOtherState);
    else if (someFlags.*myHeld)
        return;
    else if (someFlags.speed > MOVING)
        aMachine.ChangeTo(Id::Jog);
    else
        aMachine.ChangeTo(Id::Idle);
}

void OnceState::OnEnter(AnimStateMachine&) { PlayClip(false); }
void OnceState::OnExit(AnimStateMachine&) { StopClip(); }

void InteractState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (IsClipFinished())
        aMachine.ChangeTo(Id::Idle);
}

void DeathState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (!someFlags.dead)
        aMachine.ChangeTo(Id::Idle);
}

void StepBackState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (!IsClipFinished())
        return;
    else if (someFlags.pushing)
        aMachine.ChangeTo(Id::Push);
    else if (someFlags.pulling)
        aMachine.ChangeTo(Id::Pull);
    else
        aMachine.ChangeTo(Id::Idle);
}

void IdleToCrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (!someFlags.crouching)
        aMachine.ChangeTo(Id::Idle);
    else if (!IsClipFinished())
        return;
    else if (someFlags.speed > MOVING)
        aMachine.ChangeTo(Id::WalkCrouch);
    else
        aMachine.ChangeTo(Id::Crouch);
}

void CrouchToIdleState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    if (someFlags.dead)
        aMachine.ChangeTo(Id::Death);
    else if (someFlags.crouching)
        aMachine.ChangeTo(Id::Crouch);
    else if (IsClipFinished())
        aMachine.ChangeTo(Id::Idle);
}
