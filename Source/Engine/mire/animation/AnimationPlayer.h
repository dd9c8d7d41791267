#pragma once
#include "mire/animation/Animation.h"
#include "mire/animation/Pose.h"

#include <cstdint>
#include <memory>

namespace Vela
{
    // Playback position in one shared clip. Each update advances the time (when playing), wraps or clamps
    // it, and writes the blend of the two surrounding frames into the player's own local pose.
    // A player without a clip updates and samples as a no-op.
    class AnimationPlayer
    {
    public:
        enum class State : uint8_t
        {
            New = 1,
            Playing = 2,
            Stopped = 3,
            Finished = 5, // a clip that does not loop ran past one of its ends
        };

        // Keeps time, state and pose: game code switches clips and carries on from where it was.
        void SetAnimation(std::shared_ptr<Animation> aAnimation);
        void Update(float aDeltaTime);
        // Writes the pose for the current time without advancing it.
        void SamplePose();

        const std::shared_ptr<Animation>& GetAnimation() const { return myAnimation; }
        const Pose& GetPose() const { return myPose; }

        float GetTime() const { return myTime; }
        void SetTime(float aTime) { myTime = aTime; }
        bool IsLooping() const { return myLoop; }
        void SetLooping(bool aLoop) { myLoop = aLoop; }
        bool IsInterpolating() const { return myInterpolate; }
        void SetInterpolating(bool aInterpolate) { myInterpolate = aInterpolate; }
        float GetFramesPerSecond() const { return myFramesPerSecond; }
        State GetState() const { return myState; }
        void SetState(State aState) { myState = aState; }

    private:
        void AdvanceTime(float aDeltaTime);

        std::shared_ptr<Animation> myAnimation;
        float myTime = 0.0f;
        bool myLoop = false;
        bool myInterpolate = true;
        float myFramesPerSecond = 0.0f;
        State myState = State::New;
        Pose myPose;
    };
}
