#pragma once
#include <cstdint>

namespace Vela
{
    // Meshes one model can hold: the texture slots and the editor rows are sized for this many.
    constexpr uint32_t MAX_MESHES_PER_MODEL = 4;
    // Texture slots per mesh: colour, normal, material, effects.
    constexpr uint32_t TEXTURES_PER_MESH = 4;
}
