#pragma once
// Reader for ".cur" cursor files: a directory of images, each with its hotspot, stored as a
// device-independent bitmap (colour plus a 1-bit mask) or as a PNG.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Vela::Platform
{
    struct CursorImage
    {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t hotspotX = 0;
        uint32_t hotspotY = 0;
        std::vector<uint8_t> rgba; // width x height, rows top to bottom, straight alpha
    };

    // The image closest to 32 x 32 pixels (the usual cursor size). Empty for anything that is not a valid
    // cursor file; never reads outside aBytes.
    std::optional<CursorImage> ParseCursorFile(std::span<const uint8_t> aBytes);
}
