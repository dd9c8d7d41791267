#pragma once
#include <cstdint>

namespace Vela
{
    // How a texture's colour space is chosen; also part of its cache key.
    enum class TextureSrgbMode : uint32_t
    {
        AsStored = 0,    // whatever the file says
        ForceSrgb = 1,   // key suffix "#SRGB"
        IgnoreSrgb = 2,  // key suffix "#NO_SRGB"
    };
}
