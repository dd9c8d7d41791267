#pragma once
// BC1 (opaque) and BC3 (with alpha) block compression of RGBA8 pictures. Simple and deterministic:
// each block's end points span the block's colour range; good for the flat art of the demo content.
#include "Image.h"

#include <vector>

namespace Vela::Content
{
    // Both need width and height that are multiples of 4.
    std::vector<uint8_t> CompressBc1(const Image& anImage);
    std::vector<uint8_t> CompressBc3(const Image& anImage);
}
