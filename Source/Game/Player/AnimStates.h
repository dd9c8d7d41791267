#pragma once
// The player's animation states. Each plays one clip of the level's player clip set (its index is the
// state's id), may start a sound, and every frame decides from the player's flags whether to stay or
// to hand over to another state.
#include "Player/AnimFlags.h"
#include "Sound/SoundManager.h"

#include <cstdint>

namespace Vela
{
    class AnimationPlayer;
}
class AnimStateMachine;

// Also the index of each state's clip in the player's clip set.
enum class AnimStateId : uint32_t
{
    Idle = 0,
    Jog,
    Crouch,
    WalkCrouch,
    TakeOff,
    Fall,
    Land,
    Push,
    Pull,
    Interact,
    Death,
    StepBack,
    IdleToCrouch,
    CrouchToIdle,
    Count
};
constexpr uint32_t ANIM_STATE_COUNT = static_cast<uint32_t>(AnimStateId::Count);

class IAnimState
{
public:
    explicit IAnimState(AnimStateId anId) : myId(anId) {}
    virtual ~IAnimState() = default;

    virtual void OnEnter(AnimStateMachine& aMachine) = 0;
    virtual void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) = 0;
    virtual void OnExit(AnimStateMachine& aMachine) = 0;

    AnimStateId GetId() const { return myId; }
    Vela::AnimationPlayer* GetClip() const { return myClip; }
    void SetClip(Vela::AnimationPlayer* aClip) { myClip = aClip; }

protected:
    // Starts the clip from where it stands; a once-clip has its loop flag cleared so it can finish.
    void PlayClip(bool aLooped);
    // Stopped and rewound.
    void StopClip();
    // Advances the clip by dt when it has an animation.
    void AdvanceClip(float aDeltaTime);
    bool IsClipFinished() const;

    Vela::AnimationPlayer* myClip = nullptr;

private:
    AnimStateId myId;
};

// A looping state whose looping sound belongs to it: started on entry, stopped at once on exit.
class LoopingSoundState : public IAnimState
{
public:
    LoopingSoundState(AnimStateId anId, const char* aSoundName, bool aReportsFullPool);
    void OnEnter(AnimStateMachine& aMachine) override;
    void OnExit(AnimStateMachine& aMachine) override;
    const SoundHandle& GetSound() const { return mySound; }

protected:
    SoundHandle mySound;

private:
    const char* mySoundName;
    bool myReportsFullPool;
};

class IdleState : public LoopingSoundState
{
public:
    IdleState();
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class JogState : public LoopingSoundState
{
public:
    JogState();
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class CrouchState : public LoopingSoundState
{
public:
    CrouchState();
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class WalkCrouchState : public LoopingSoundState
{
public:
    WalkCrouchState();
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class TakeOffState : public IAnimState
{
public:
    static constexpr float MIN_AIR_TIME = 0.2f;
    TakeOffState() : IAnimState(AnimStateId::TakeOff) {}
    void OnEnter(AnimStateMachine& aMachine) override;
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
    void OnExit(AnimStateMachine& aMachine) override;

private:
    float myMinimumAirTime = MIN_AIR_TIME;
    float myElapsed = 0.0f;
    SoundHandle mySound;
};

// A looping state without a sound of its own.
class LoopedState : public IAnimState
{
public:
    using IAnimState::IAnimState;
    void OnEnter(AnimStateMachine& aMachine) override;
    void OnExit(AnimStateMachine& aMachine) override;
};

class FallState : public LoopedState
{
public:
    FallState() : LoopedState(AnimStateId::Fall) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class LandState : public IAnimState
{
public:
    LandState() : IAnimState(AnimStateId::Land) {}
    void OnEnter(AnimStateMachine& aMachine) override;
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
    void OnExit(AnimStateMachine& aMachine) override;

private:
    SoundHandle mySound;
};

// Pushing or pulling a box: stays while its own flag is set and turns into the other on the other flag.
class BoxHoldState : public LoopedState
{
public:
    BoxHoldState(AnimStateId anId, bool AnimFlags::*aHeld, bool AnimFlags::*anOther, AnimStateId anOtherState)
        : LoopedState(anId), myHeld(aHeld), myOther(anOther), myOtherState(anOtherState)
    {
    }
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;

private:
    bool AnimFlags::*myHeld;
    bool AnimFlags::*myOther;
    AnimStateId myOtherState;
};

class PushState : public BoxHoldState
{
public:
    PushState() : BoxHoldState(AnimStateId::Push, &AnimFlags::pushing, &AnimFlags::pulling, AnimStateId::Pull) {}
};

class PullState : public BoxHoldState
{
public:
    PullState() : BoxHoldState(AnimStateId::Pull, &AnimFlags::pulling, &AnimFlags::pushing, AnimStateId::Push) {}
};

// The states that play their clip once and then hand over.
class OnceState : public IAnimState
{
public:
    using IAnimState::IAnimState;
    void OnEnter(AnimStateMachine& aMachine) override;
    void OnExit(AnimStateMachine& aMachine) override;
};

class InteractState : public OnceState
{
public:
    InteractState() : OnceState(AnimStateId::Interact) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class DeathState : public OnceState
{
public:
    DeathState() : OnceState(AnimStateId::Death) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class StepBackState : public OnceState
{
public:
    StepBackState() : OnceState(AnimStateId::StepBack) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class IdleToCrouchState : public OnceState
{
public:
    IdleToCrouchState() : OnceState(AnimStateId::IdleToCrouch) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};

class CrouchToIdleState : public OnceState
{
public:
    CrouchToIdleState() : OnceState(AnimStateId::CrouchToIdle) {}
    void Update(AnimStateMachine& aMachine, const AnimFlags& someFlags, float aDeltaTime) override;
};
