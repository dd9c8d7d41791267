#pragma once
// Writes DDS files with the DX10 header extension: 2D textures or cube maps, with the mip levels given.
#include "Image.h"

#include <filesystem>
#include <vector>

namespace Vela::Content
{
    enum class DdsFormat
    {
        Rgba8,
        Rgba8Srgb,
        Bc1Srgb, // opaque colour art
        Bc3Srgb, // colour art with alpha
    };

    // someFaces: one entry per face (1, or 6 for a cube map in the order +X, -X, +Y, -Y, +Z, -Z), each its
    // mip chain from the full size down. Every face has the same size and mip count.
    std::vector<uint8_t> EncodeDds(const std::vector<std::vector<Image>>& someFaces, DdsFormat aFormat);
    std::vector<uint8_t> EncodeDds(const Image& anImage, DdsFormat aFormat);

    // The chain from anImage down to 1 x 1, each level half the size of the one before (at least 1).
    std::vector<Image> MipChain(const Image& anImage);
}
