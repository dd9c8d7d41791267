#include "mire/animation/AnimationPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
    using Vela::Animation;
    using Vela::AnimationPlayer;
    using Vela::Quaternion;

    // Joint 0 of frame f sits at x = f and turns a little further about y each frame.
    std::shared_ptr<Animation> MakeClip(uint32_t aFrameCount, float aFramesPerSecond, float aDuration, uint32_t aJointCount = 1)
    {
        auto clip = std::make_shared<Animation>();
        clip->myFrameCount = aFrameCount;
        clip->myFramesPerSecond = aFramesPerSecond;
        clip->myDuration = aDuration;
        clip->myFrames.resize(aFrameCount);
        for (uint32_t f = 0; f < aFrameCount; ++f)
        {
            Vela::Pose& pose = clip->myFrames[f];
            pose.myJointCount = aJointCount;
            for (uint32_t j = 0; j < aJointCount; ++j)
            {
                const float angle = 0.01f * static_cast<float>(f);
                pose.myJoints[j].myTranslation = { static_cast<float>(f), static_cast<float>(j), 0.0f };
                pose.myJoints[j].myRotation = Quaternion(std::cos(angle), 0.0f, std::sin(angle), 0.0f);
                pose.myJoints[j].myScale = { 1.0f + static_cast<float>(f), 1.0f, 1.0f };
            }
        }
        return clip;
    }

    AnimationPlayer MakePlaying(std::shared_ptr<Animation> aClip, float aTime, bool aLoop)
    {
        AnimationPlayer player;
        player.SetAnimation(std::move(aClip));
        player.SetTime(aTime);
        player.SetLooping(aLoop);
        player.SetState(AnimationPlayer::State::Playing);
        return player;
    }
}

TEST(AnimationPlayer, LoopingClipWrapsAndBlendsTheTwoSurroundingFrames)
{
    AnimationPlayer player = MakePlaying(MakeClip(31, 30.0f, 1.0f), 0.9f, true);
    player.Update(0.25f);

    EXPECT_EQ(player.GetTime(), 0.9f + 0.25f - 1.0f);
    EXPECT_FLOAT_EQ(player.GetTime(), 0.14999998f);
    EXPECT_EQ(player.GetState(), AnimationPlayer::State::Playing);

    // Frame 4 blended towards frame 5 by just under a half.
    const float x = player.GetPose().myJoints[0].myTranslation.x;
    EXPECT_GT(x, 4.49f);
    EXPECT_LT(x, 4.5f);
    EXPECT_EQ(player.GetPose().myJointCount, 1u);
}

TEST(AnimationPlayer, NonLoopingClipEndsInItsFinalStateOnTheLastWholeFrame)
{
    auto clip = MakeClip(31, 30.0f, 1.0f);
    AnimationPlayer player = MakePlaying(clip, 0.9f, false);
    player.Update(0.25f);

    EXPECT_EQ(player.GetTime(), 1.0f);
    EXPECT_EQ(player.GetState(), AnimationPlayer::State::Finished);
    // 1.0 / (1 / 30) is 29.999998 in single precision: frame 29, not blended with anything.
    const Vela::JointTransform& joint = player.GetPose().myJoints[0];
    const Vela::JointTransform& frame29 = clip->myFrames[29].myJoints[0];
    EXPECT_EQ(joint.myTranslation.x, frame29.myTranslation.x);
    EXPECT_EQ(joint.myScale.x, frame29.myScale.x);
    EXPECT_FLOAT_EQ(joint.myRotation.w, frame29.myRotation.w);
    EXPECT_FLOAT_EQ(joint.myRotation.y, frame29.myRotation.y);

    // A finished player does not advance any more but keeps sampling its end.
    player.Update(0.5f);
    EXPECT_EQ(player.GetTime(), 1.0f);
    EXPECT_EQ(player.GetPose().myJoints[0].myTranslation.x, 29.0f);
}

TEST(AnimationPlayer, NegativeDeltaClampsAtTheStartOrWrapsBackwards)
{
    AnimationPlayer once = MakePlaying(MakeClip(31, 30.0f, 1.0f), 0.1f, false);
    once.Update(-0.5f);
    EXPECT_EQ(once.GetTime(), 0.0f);
    EXPECT_EQ(once.GetState(), AnimationPlayer::State::Finished);

    AnimationPlayer looping = MakePlaying(MakeClip(31, 30.0f, 1.0f), 0.1f, true);
    looping.Update(-0.5f);
    EXPECT_NEAR(looping.GetTime(), 0.6f, 1e-6f);
    EXPECT_EQ(looping.GetState(), AnimationPlayer::State::Playing);
}

TEST(AnimationPlayer, OnlyThePlayingStateAdvancesTime)
{
    for (AnimationPlayer::State state : { AnimationPlayer::State::New, AnimationPlayer::State::Stopped })
    {
        AnimationPlayer player = MakePlaying(MakeClip(31, 30.0f, 1.0f), 0.5f, true);
        player.SetState(state);
        player.Update(0.25f);
        EXPECT_EQ(player.GetTime(), 0.5f);
        // Still sampled at the current time: frame 15.
        EXPECT_FLOAT_EQ(player.GetPose().myJoints[0].myTranslation.x, 15.0f);
    }
}

TEST(AnimationPlayer, WithoutInterpolationThePoseIsExactlyTheFloorFrame)
{
    auto clip = MakeClip(31, 30.0f, 1.0f);
    AnimationPlayer player = MakePlaying(clip, 0.15f, true);
    player.SetInterpolating(false);
    player.SamplePose();
    const uint32_t frame = static_cast<uint32_t>(std::floor(0.15f / (1.0f / 30.0f)));
    const Vela::JointTransform& joint = player.GetPose().myJoints[0];
    EXPECT_EQ(joint.myTranslation.x, clip->myFrames[frame].myJoints[0].myTranslation.x);
    EXPECT_EQ(joint.myRotation, clip->myFrames[frame].myJoints[0].myRotation);
    EXPECT_EQ(joint.myScale.x, clip->myFrames[frame].myJoints[0].myScale.x);
}

TEST(AnimationPlayer, LastFrameBlendsTowardsTheFirstWhileLooping)
{
    AnimationPlayer player = MakePlaying(MakeClip(4, 1.0f, 4.0f), 3.5f, true);
    player.SamplePose();
    // Halfway between frame 3 (x = 3) and frame 0 (x = 0).
    EXPECT_FLOAT_EQ(player.GetPose().myJoints[0].myTranslation.x, 1.5f);
}

TEST(AnimationPlayer, JointsAboveTheClipsCountKeepWhatTheyHeld)
{
    AnimationPlayer player = MakePlaying(MakeClip(31, 30.0f, 1.0f, 3), 0.0f, true);
    player.Update(0.0f);
    EXPECT_EQ(player.GetPose().myJointCount, 3u);
    EXPECT_EQ(player.GetPose().myJoints[2].myTranslation.y, 2.0f);

    player.SetAnimation(MakeClip(31, 30.0f, 1.0f, 1));
    player.Update(0.0f);
    EXPECT_EQ(player.GetPose().myJointCount, 1u);
    EXPECT_EQ(player.GetPose().myJoints[2].myTranslation.y, 2.0f);
}

TEST(AnimationPlayer, WithoutAClipUpdateAndSampleChangeNothing)
{
    AnimationPlayer player;
    player.SetState(AnimationPlayer::State::Playing);
    player.SetTime(0.5f);
    player.Update(0.25f);
    player.SamplePose();
    EXPECT_EQ(player.GetTime(), 0.5f);
    EXPECT_EQ(player.GetPose().myJointCount, 0u);
    EXPECT_EQ(player.GetPose().myJoints[0].myTranslation.x, 0.0f);
    EXPECT_EQ(player.GetFramesPerSecond(), 0.0f);
}

TEST(AnimationPlayer, SwitchingToAShorterClipNeverSamplesPastItsEnd)
{
    AnimationPlayer player = MakePlaying(MakeClip(301, 30.0f, 10.0f), 9.5f, true);
    player.Update(0.0f);
    // The time is carried over; the shorter clip holds its last frame.
    player.SetAnimation(MakeClip(4, 30.0f, 0.1f));
    player.SetState(AnimationPlayer::State::Stopped);
    player.Update(0.0f);
    EXPECT_EQ(player.GetTime(), 9.5f);
    EXPECT_EQ(player.GetPose().myJoints[0].myTranslation.x, 3.0f);

    // A frame count larger than the frame list is not trusted either.
    auto lying = MakeClip(4, 30.0f, 1.0f);
    lying->myFrameCount = 40;
    player.SetAnimation(lying);
    player.SamplePose();
    EXPECT_EQ(player.GetPose().myJoints[0].myTranslation.x, 3.0f);
}

TEST(AnimationPlayer, ClipsWithoutFramesOrLengthDoNotHang)
{
    AnimationPlayer empty = MakePlaying(MakeClip(0, 30.0f, 1.0f), 0.0f, true);
    empty.Update(0.4f);
    EXPECT_EQ(empty.GetPose().myJointCount, 0u);

    // A looping clip of length 0, forwards and backwards.
    AnimationPlayer still = MakePlaying(MakeClip(1, 30.0f, 0.0f), 0.0f, true);
    still.Update(0.25f);
    EXPECT_EQ(still.GetTime(), 0.0f);
    still.Update(-0.25f);
    EXPECT_EQ(still.GetTime(), 0.0f);
    EXPECT_EQ(still.GetPose().myJoints[0].myTranslation.x, 0.0f);

    // Far past the end, and a delta that is not a number.
    AnimationPlayer far = MakePlaying(MakeClip(31, 30.0f, 1.0f), 0.0f, true);
    far.Update(1.0e9f);
    EXPECT_GE(far.GetTime(), 0.0f);
    EXPECT_LT(far.GetTime(), 1.0f);
    far.Update(-3.0e9f);
    EXPECT_GE(far.GetTime(), 0.0f);
    EXPECT_LT(far.GetTime(), 1.0f);
    far.Update(std::nanf(""));
    EXPECT_TRUE(std::isfinite(far.GetTime()));

    // No frame rate: the first frame shows whatever the time.
    AnimationPlayer noRate = MakePlaying(MakeClip(31, 0.0f, 1.0f), 0.7f, true);
    noRate.SamplePose();
    EXPECT_EQ(noRate.GetPose().myJoints[0].myTranslation.x, 0.0f);
}
