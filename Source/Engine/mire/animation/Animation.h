#pragma once
#include "mire/animation/Pose.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Vela
{
    // A sampled clip: one complete local pose per frame, converted against one model's skeleton.
    // Shared between players and never changed after conversion.
    struct Animation
    {
        std::vector<Pose> myFrames;
        uint32_t myFrameCount = 0;
        float myFramesPerSecond = 0.0f;
        float myDuration = 0.0f;
        std::wstring myName;
    };
}
