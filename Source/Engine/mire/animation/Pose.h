#pragma once
#include "mire/animation/AnimationLimits.h"
#include "mire/animation/JointTransform.h"

#include <array>
#include <cstdint>

namespace Vela
{
    // A local-space pose of fixed capacity, so sampling never allocates. Only the first myJointCount joints
    // carry meaning; the rest stay as they were.
    struct Pose
    {
        std::array<JointTransform, MAX_ANIMATION_BONES> myJoints{};
        uint32_t myJointCount = 0;
    };

    // Model-space joint matrices written by the skeleton from a pose.
    struct ModelSpacePose
    {
        std::array<Matrix4x4<float>, MAX_ANIMATION_BONES> myMatrices{};
        uint32_t myCount = 0;
    };
}
