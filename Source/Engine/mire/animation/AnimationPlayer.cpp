#include "mire/animation/AnimationPlayer.h"

#include <algorithm>
#include <cmath>

namespace Vela
{
    namespace
    {
        // Repeated subtraction keeps the usual single wrap exact; a time many clip lengths away (or so large
        // that subtracting changes nothing) falls back to the remainder so the loop always ends.
        constexpr int MAX_WRAP_STEPS = 16;

        float WrapForwards(float aTime, float aDuration)
        {
            for (int step = 0; step < MAX_WRAP_STEPS && aTime >= aDuration; ++step)
            {
                aTime -= aDuration;
            }
            if (aTime >= aDuration)
            {
                aTime = std::fmod(aTime, aDuration);
            }
            return aTime;
        }

        float WrapBackwards(float aTime, float aDuration)
        {
            for (int step = 0; step < MAX_WRAP_STEPS && aTime < 0.0f; ++step)
            {
                aTime += aDuration;
            }
            if (aTime < 0.0f)
            {
                const float remainder = std::fmod(aTime, aDuration);
                aTime = remainder < 0.0f ? remainder + aDuration : 0.0f;
            }
            return aTime;
        }
    }

    void AnimationPlayer::SetAnimation(std::shared_ptr<Animation> aAnimation)
    {
        myAnimation = std::move(aAnimation);
        myFramesPerSecond = myAnimation ? myAnimation->myFramesPerSecond : 0.0f;
    }

    void AnimationPlayer::Update(float aDeltaTime)
    {
        if (!myAnimation)
        {
            return;
        }
        if (myState == State::Playing)
        {
            AdvanceTime(aDeltaTime);
        }
        SamplePose();
    }

    void AnimationPlayer::AdvanceTime(float aDeltaTime)
    {
        if (!std::isfinite(aDeltaTime))
        {
            return;
        }
        myTime += aDeltaTime;
        const float duration = myAnimation->myDuration;
        if (myTime >= duration)
        {
            if (!myLoop)
            {
                myTime = duration;
                myState = State::Finished;
            }
            else
            {
                // A clip without length has nowhere to wrap to.
                myTime = duration > 0.0f ? WrapForwards(myTime, duration) : 0.0f;
            }
        }
        else if (myTime < 0.0f)
        {
            if (!myLoop)
            {
                myTime = 0.0f;
                myState = State::Finished;
            }
            else
            {
                myTime = duration > 0.0f ? WrapBackwards(myTime, duration) : 0.0f;
            }
        }
    }

    void AnimationPlayer::SamplePose()
    {
        if (!myAnimation)
        {
            return;
        }
        const Animation& clip = *myAnimation;
        // A clip switched in with SetAnimation may be shorter than the time carried over, and the frame
        // count and the frame list could disagree: never index past either.
        const uint32_t frameCount = std::min<uint32_t>(clip.myFrameCount, static_cast<uint32_t>(clip.myFrames.size()));
        if (frameCount == 0)
        {
            return;
        }

        const float frameLength = 1.0f / myFramesPerSecond;
        const float position = myTime / frameLength;
        uint32_t frame = 0;
        float t = 0.0f;
        bool pastEnd = false;
        if (position > 0.0f) // also false for NaN
        {
            const float whole = std::floor(position);
            if (whole < static_cast<float>(frameCount))
            {
                frame = static_cast<uint32_t>(whole);
                t = position - whole;
            }
            else
            {
                frame = frameCount - 1;
                pastEnd = true;
            }
        }

        uint32_t next = frame + 1;
        if (next >= frameCount)
        {
            next = 0;
        }
        if (myState == State::Finished || pastEnd)
        {
            next = frame;
        }

        const Pose& from = clip.myFrames[frame];
        const Pose& to = clip.myFrames[next];
        const uint32_t jointCount = std::min(from.myJointCount, MAX_ANIMATION_BONES);
        for (uint32_t j = 0; j < jointCount; ++j)
        {
            const JointTransform& a = from.myJoints[j];
            if (!myInterpolate)
            {
                myPose.myJoints[j] = a;
                continue;
            }
            const JointTransform& b = to.myJoints[j];
            JointTransform& out = myPose.myJoints[j];
            out.myTranslation = a.myTranslation + (b.myTranslation - a.myTranslation) * t;
            out.myRotation = Quaternion::Slerp(a.myRotation, b.myRotation, t);
            out.myScale = a.myScale + (b.myScale - a.myScale) * t;
        }
        myPose.myJointCount = jointCount;
    }
}
