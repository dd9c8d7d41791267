#pragma once
// The player's animation state machine: the level's fourteen player clips, one state per clip, the
// current state and the model the states pose. It never moves the player.
#include "Player/AnimStates.h"

#include "mire/animation/AnimationPlayer.h"

#include <array>

namespace Vela
{
    class AnimatedModelInstance;
}

using PlayerAnimationSet = std::array<Vela::AnimationPlayer, ANIM_STATE_COUNT>;

class AnimStateMachine
{
public:
    AnimStateMachine() = default;
    AnimStateMachine(const AnimStateMachine&) = delete;
    AnimStateMachine& operator=(const AnimStateMachine&) = delete;

    // Binds every state to its clip and forces Idle (through the current state's exit); binding
    // again while Idle is current only rebinds the clips.
    void Bind(PlayerAnimationSet* aSet, Vela::AnimatedModelInstance* aModel);
    // The current state's rule for this frame; nothing before the first binding.
    void Update(const AnimFlags& someFlags, float aDeltaTime);
    // Exit of the current state, the model takes the target's pose, entry of the target.
    void ChangeTo(AnimStateId aTarget);

    IAnimState& GetState(AnimStateId anId);
    IAnimState* GetCurrentState() const { return myCurrentState; }
    bool CanRun() const { return myBound && myCurrentState != nullptr; }
    Vela::AnimatedModelInstance* GetModel() const { return myModel; }

private:
    IdleState myIdle;
    JogState myJog;
    CrouchState myCrouch;
    WalkCrouchState myWalkCrouch;
    TakeOffState myTakeOff;
    FallState myFall;
    LandState myLand;
    PushState myPush;
    PullState myPull;
    InteractState myInteract;
    DeathState myDeath;
    StepBackState myStepBack;
    IdleToCrouchState myIdleToCrouch;
    CrouchToIdleState myCrouchToIdle;
    IAnimState* myCurrentState = nullptr;
    bool myBound = false;
    Vela::AnimatedModelInstance* myModel = nullptr;
};
