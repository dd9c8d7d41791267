// The player's animation states on a clip set made in the test: the transition table, once-clips that
// finish even when the set marks them looping, take-off timing, and the sounds the states own.
#include "Player/AnimStateMachine.h"
#include "Sound/SoundManager.h"

#include "mire/animation/Animation.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    using Id = AnimStateId;

    std::shared_ptr<Vela::Animation> MakeClip(float aDuration)
    {
        auto clip = std::make_shared<Vela::Animation>();
        clip->myFrames.resize(2);
        clip->myFrameCount = 2;
        clip->myFramesPerSecond = 2.0f / aDuration;
        clip->myDuration = aDuration;
        return clip;
    }

    class AnimStateTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            static const bool registered = (SoundManager::GetInstance().RegisterSounds(), true);
            (void)registered;
            SoundManager::GetInstance().StopAllLooping(true);
            // As the level builder loads them: clips 0 to 9 looping (also TakeOff, Land and Interact), 10 to 13 not.
            for (uint32_t index = 0; index < ANIM_STATE_COUNT; ++index)
            {
                mySet[index].SetAnimation(MakeClip(index == static_cast<uint32_t>(Id::TakeOff) ? 1.0f : 0.1f));
                mySet[index].SetLooping(index <= static_cast<uint32_t>(Id::Interact));
            }
            myMachine.Bind(&mySet, nullptr);
        }

        Id Step(const AnimFlags& someFlags, float aDeltaTime = 0.01f)
        {
            myMachine.Update(someFlags, aDeltaTime);
            return myMachine.GetCurrentState()->GetId();
        }
        Id From(Id aStart, const AnimFlags& someFlags)
        {
            myMachine.ChangeTo(aStart);
            return Step(someFlags);
        }

        PlayerAnimationSet mySet;
        AnimStateMachine myMachine;
    };

    AnimFlags Grounded(float aSpeed = 0.0f)
    {
        AnimFlags flags;
        flags.grounded = true;
        flags.speed = aSpeed;
        return flags;
    }
}

TEST_F(AnimStateTest, TransitionsFollowTheTable)
{
    EXPECT_EQ(myMachine.GetCurrentState()->GetId(), Id::Idle);
    AnimFlags dead = Grounded();
    dead.dead = true;
    AnimFlags crouching = Grounded();
    crouching.crouching = true;
    AnimFlags pushing = Grounded();
    pushing.pushing = true;
    AnimFlags pulling = Grounded();
    pulling.pulling = true;
    AnimFlags jump = Grounded();
    jump.jumpStarted = true;
    const AnimFlags air;

    // Speed exactly 0.1 keeps the four movement states where they are.
    EXPECT_EQ(From(Id::Idle, Grounded(0.1f)), Id::Idle);
    EXPECT_EQ(From(Id::Jog, Grounded(0.1f)), Id::Jog);
    crouching.speed = 0.1f;
    EXPECT_EQ(From(Id::Crouch, crouching), Id::Crouch);
    EXPECT_EQ(From(Id::WalkCrouch, crouching), Id::WalkCrouch);
    crouching.speed = 0.0f;

    EXPECT_EQ(From(Id::Idle, Grounded(0.2f)), Id::Jog);
    EXPECT_EQ(From(Id::Idle, air), Id::Fall);
    EXPECT_EQ(From(Id::Idle, crouching), Id::IdleToCrouch);
    EXPECT_EQ(From(Id::Idle, pushing), Id::Push);
    EXPECT_EQ(From(Id::Jog, jump), Id::Idle) << "a standing jump leaves Jog for Idle first";
    jump.speed = 0.5f;
    EXPECT_EQ(From(Id::Jog, jump), Id::TakeOff);
    EXPECT_EQ(From(Id::Jog, air), Id::Idle) << "speed below 0.1 comes before the air test";
    AnimFlags fastAir;
    fastAir.speed = 0.5f;
    EXPECT_EQ(From(Id::Jog, fastAir), Id::Fall);
    EXPECT_EQ(From(Id::Fall, Grounded()), Id::Land);
    EXPECT_EQ(From(Id::Push, pulling), Id::Pull);
    EXPECT_EQ(From(Id::Pull, Grounded(0.5f)), Id::Jog);
    EXPECT_EQ(From(Id::Crouch, Grounded()), Id::CrouchToIdle);
    EXPECT_EQ(From(Id::CrouchToIdle, crouching), Id::Crouch);
    EXPECT_EQ(From(Id::IdleToCrouch, Grounded()), Id::Idle);
    EXPECT_EQ(From(Id::Death, dead), Id::Death);
    EXPECT_EQ(From(Id::Death, Grounded()), Id::Idle);
    for (Id state : { Id::Idle, Id::Jog, Id::Crouch, Id::WalkCrouch, Id::TakeOff, Id::Fall, Id::Land, Id::Push, Id::Pull, Id::Interact,
                      Id::StepBack, Id::IdleToCrouch, Id::CrouchToIdle })
    {
        EXPECT_EQ(From(state, dead), Id::Death) << static_cast<int>(state);
    }
}

TEST_F(AnimStateTest, OnceStatesFinishAndMoveOnEvenWhenTheirClipIsMarkedLooping)
{
    AnimFlags crouching = Grounded();
    crouching.crouching = true;
    const AnimFlags air;
    const struct
    {
        Id state;
        AnimFlags flags;
        Id next;
    } cases[] = {
        { Id::Land, Grounded(), Id::Idle },         { Id::Land, Grounded(0.5f), Id::Jog },  { Id::TakeOff, air, Id::Fall },
        { Id::IdleToCrouch, crouching, Id::Crouch }, { Id::CrouchToIdle, Grounded(), Id::Idle }, { Id::Interact, Grounded(), Id::Idle },
        { Id::StepBack, Grounded(), Id::Idle },
    };
    for (const auto& test : cases)
    {
        myMachine.ChangeTo(test.state);
        EXPECT_FALSE(mySet[static_cast<uint32_t>(test.state)].IsLooping());
        Id now = test.state;
        for (int frame = 0; frame < 200 && now == test.state; ++frame)
        {
            now = Step(test.flags, 0.02f);
        }
        EXPECT_EQ(now, test.next) << static_cast<int>(test.state);
        EXPECT_EQ(mySet[static_cast<uint32_t>(test.state)].GetState(), Vela::AnimationPlayer::State::Stopped);
        EXPECT_EQ(mySet[static_cast<uint32_t>(test.state)].GetTime(), 0.0f);
    }
}

TEST_F(AnimStateTest, LandingDuringTheFirstFifthOfASecondKeepsTakeOffOnEveryJump)
{
    for (int jump = 0; jump < 2; ++jump)
    {
        myMachine.ChangeTo(Id::TakeOff);
        // The time before each frame counts: 0, 1/16, 2/16, 3/16 are short of 0.2; 4/16 is not.
        for (int frame = 0; frame < 4; ++frame)
        {
            EXPECT_EQ(Step(Grounded(), 1.0f / 16.0f), Id::TakeOff) << "jump " << jump << " frame " << frame;
        }
        EXPECT_EQ(Step(Grounded(), 1.0f / 16.0f), Id::Land);
        Step(Grounded(), 1.0f);
    }
}

TEST_F(AnimStateTest, StatesStopOnlyTheirOwnSoundsAndLeaveNoneBehind)
{
    SoundManager& sounds = SoundManager::GetInstance();
    const int32_t idle = sounds.CountActiveSounds();
    EXPECT_TRUE(static_cast<const LoopingSoundState&>(myMachine.GetState(Id::Idle)).GetSound().IsActive());

    // A level build frees every loop after the selection started Idle's; the orb's hum then takes that slot.
    sounds.StopAllLooping(true);
    SoundHandle hum = sounds.PlayLoopingSfx("Orb_034");
    ASSERT_TRUE(hum.IsActive());
    Step(Grounded(0.5f));
    ASSERT_EQ(myMachine.GetCurrentState()->GetId(), Id::Jog);
    EXPECT_TRUE(hum.IsActive()) << "leaving Idle must not stop the hum";
    sounds.StopSound(hum, true);

    // Binding again while a looping state is current stops its sound before Idle starts its own.
    myMachine.Bind(&mySet, nullptr);
    EXPECT_FALSE(static_cast<const LoopingSoundState&>(myMachine.GetState(Id::Jog)).GetSound().IsActive());
    const int32_t afterBind = sounds.CountActiveSounds();

    const Id cycle[] = { Id::Jog, Id::Crouch, Id::WalkCrouch, Id::Fall, Id::Push, Id::Idle };
    for (int change = 0; change < 50; ++change)
    {
        myMachine.ChangeTo(cycle[change % 6]);
    }
    myMachine.Bind(&mySet, nullptr);
    EXPECT_EQ(sounds.CountActiveSounds(), afterBind);
    EXPECT_EQ(afterBind, idle);
}
