#pragma once
// PNG encoding through libpng: 8-bit RGBA marked as sRGB, no time stamp, so equal pictures give equal bytes.
#include "Image.h"

#include <vector>

namespace Vela::Content
{
    // Empty when libpng fails.
    std::vector<uint8_t> EncodePng(const Image& anImage);
}
