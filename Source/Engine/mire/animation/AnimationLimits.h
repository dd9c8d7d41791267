#pragma once
#include <cstdint>

namespace Vela
{
    // Joints a pose, a skeleton and the skinning constant buffer can hold.
    constexpr uint32_t MAX_ANIMATION_BONES = 128;
}
