#pragma once
// ".cur" cursor files: one 32-bit image with its AND mask and hotspot.
#include "Image.h"

#include <vector>

namespace Vela::Content
{
    // anImage must be at most 256 x 256.
    std::vector<uint8_t> EncodeCursor(const Image& anImage, uint16_t aHotspotX, uint16_t aHotspotY);
}
