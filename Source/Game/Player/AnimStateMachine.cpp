#include "Player/AnimStateMachine.h"

#include "mire/model/AnimatedModelInstance.h"

void AnimStateMachine::Bind(PlayerAnimationSet* aSet, Vela::AnimatedModelInstance* aModel)
{
    for (uint32_t index = 0; index < ANIM_STATE_COUNT; ++index)
    {
        GetState(static_cast<AnimStateId>(index)).SetClip(aSet ? &(*aSet)[index] : nullptr);
    }
    myModel = aModel;
    if (myCurrentState != &myIdle)
    {
        if (myCurrentState)
        {
            myCurrentState->OnExit(*this);
        }
        myCurrentState = &myIdle;
        if (myModel && myIdle.GetClip())
        {
            myModel->Update(*myIdle.GetClip());
        }
        myIdle.OnEnter(*this);
    }
    myBound = true;
}

void AnimStateMachine::Update(const AnimFlags& someFlags, float aDeltaTime)
{
    if (CanRun())
    {
        myCurrentState->Update(*this, someFlags, aDeltaTime);
    }
}

void AnimStateMachine::ChangeTo(AnimStateId aTarget)
{
    IAnimState& target = GetState(aTarget);
    if (&target == myCurrentState)
    {
        return;
    }
    if (myCurrentState)
    {
        myCurrentState->OnExit(*this);
    }
    myCurrentState = &target;
    if (myModel && target.GetClip())
    {
        myModel->Update(*target.GetClip());
    }
    target.OnEnter(*this);
}

IAnimState& AnimStateMachine::GetState(AnimStateId anId)
{
    switch (anId)
    {
    case AnimStateId::Jog: return myJog;
    case AnimStateId::Crouch: return myCrouch;
    case AnimStateId::WalkCrouch: return myWalkCrouch;
    case AnimStateId::TakeOff: return myTakeOff;
    case AnimStateId::Fall: return myFall;
    case AnimStateId::Land: return myLand;
    case AnimStateId::Push: return myPush;
    case AnimStateId::Pull: return myPull;
    case AnimStateId::Interact: return myInteract;
    case AnimStateId::Death: return myDeath;
    case AnimStateId::StepBack: return myStepBack;
    case AnimStateId::IdleToCrouch: return myIdleToCrouch;
    case AnimStateId::CrouchToIdle: return myCrouchToIdle;
    case AnimStateId::Idle:
    case AnimStateId::Count: break;
    }
    return myIdle;
}
