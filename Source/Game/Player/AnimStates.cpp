#include "Player/AnimStates.h"

#include "Player/AnimStateMachine.h"

#include "mire/animation/AnimationPlayer.h"

#include <cstdio>
#include <initializer_list>
#include <optional>

namespace
{
    // Speeds are compared with this constant exactly as each rule writes it (> or >=).
    constexpr float MOVING = 0.1f;

    using Id = AnimStateId;
    using State = Vela::AnimationPlayer::State;

    // One line of a state's rule: when it applies, hand over to the target, or stay without one.
    struct AnimRule
    {
        bool applies;
        std::optional<AnimStateId> target;
    };
    constexpr std::optional<AnimStateId> STAY = std::nullopt;
    // The last line of a rule that always ends in a hand-over.
    constexpr bool OTHERWISE = true;

    // The first line that applies wins; returns whether one did (a matching stay counts).
    bool FollowFirstRule(AnimStateMachine& aMachine, std::initializer_list<AnimRule> someRules)
    {
        for (const AnimRule& rule : someRules)
        {
            if (rule.applies)
            {
                if (rule.target)
                {
                    aMachine.ChangeTo(*rule.target);
                }
                return true;
            }
        }
        return false;
    }
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
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.pushing, Id::Push },
        { someFlags.pulling, Id::Pull },
        { someFlags.jumpStarted, Id::TakeOff },
        { !someFlags.grounded, Id::Fall },
        { someFlags.crouching, Id::IdleToCrouch },
        { someFlags.speed > MOVING, Id::Jog },
    });
}

void JogState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    const bool keepsJogging = someFlags.speed >= MOVING && !someFlags.jumpStarted && !someFlags.crouching && someFlags.grounded;
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.pushing, Id::Push },
        { someFlags.pulling, Id::Pull },
        { keepsJogging, STAY },
        { someFlags.speed < MOVING, Id::Idle },
        { someFlags.jumpStarted, Id::TakeOff },
        { someFlags.crouching, Id::IdleToCrouch },
        { OTHERWISE, Id::Fall },
    });
}

void CrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { !someFlags.crouching, Id::CrouchToIdle },
        { someFlags.speed > MOVING, Id::WalkCrouch },
    });
}

void WalkCrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { !someFlags.crouching, Id::CrouchToIdle },
        { someFlags.speed < MOVING, Id::Crouch },
    });
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
    // The time before this frame counts, so Land follows at the earliest once 0.2 s have passed.
    const bool mayLand = myElapsed >= myMinimumAirTime && someFlags.grounded;
    const bool handedOver = FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { IsClipFinished(), Id::Fall },
        { mayLand, Id::Land },
    });
    if (!handedOver)
    {
        myElapsed += aDeltaTime;
    }
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
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.jumpStarted, Id::TakeOff },
        { someFlags.grounded, Id::Land },
    });
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
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.jumpStarted, Id::TakeOff },
        { someFlags.crouching, Id::IdleToCrouch },
        { !IsClipFinished(), STAY },
        { someFlags.speed > MOVING, Id::Jog },
        { OTHERWISE, Id::Idle },
    });
}

void BoxHoldState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.*myOther, myOtherState },
        { someFlags.*myHeld, STAY },
        { someFlags.speed > MOVING, Id::Jog },
        { OTHERWISE, Id::Idle },
    });
}

void OnceState::OnEnter(AnimStateMachine&) { PlayClip(false); }
void OnceState::OnExit(AnimStateMachine&) { StopClip(); }

void InteractState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { IsClipFinished(), Id::Idle },
    });
}

void DeathState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, STAY },
        { OTHERWISE, Id::Idle },
    });
}

void StepBackState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { !IsClipFinished(), STAY },
        { someFlags.pushing, Id::Push },
        { someFlags.pulling, Id::Pull },
        { OTHERWISE, Id::Idle },
    });
}

void IdleToCrouchState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { !someFlags.crouching, Id::Idle },
        { !IsClipFinished(), STAY },
        { someFlags.speed > MOVING, Id::WalkCrouch },
        { OTHERWISE, Id::Crouch },
    });
}

void CrouchToIdleState::Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime)
{
    AdvanceClip(aDeltaTime);
    FollowFirstRule(aMachine, {
        { someFlags.dead, Id::Death },
        { someFlags.crouching, Id::Crouch },
        { IsClipFinished(), Id::Idle },
    });
}
