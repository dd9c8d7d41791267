#pragma once
#include <cstdint>

namespace Vela
{
    // The pixel formats our image loaders produce. The values are the DXGI numbers, which the
    // device layer understands directly.
    enum class PixelFormat : uint32_t
    {
        Unknown = 0,
        R8G8B8A8_UNORM = 28,
        R8G8B8A8_UNORM_SRGB = 29,
        BC1_UNORM = 71,
        BC1_UNORM_SRGB = 72,
        BC2_UNORM = 74,
        BC2_UNORM_SRGB = 75,
        BC3_UNORM = 77,
        BC3_UNORM_SRGB = 78,
        BC4_UNORM = 80,
        BC4_SNORM = 81,
        BC5_UNORM = 83,
        BC5_SNORM = 84,
        B8G8R8A8_UNORM = 87,
        B8G8R8X8_UNORM = 88,
        B8G8R8A8_UNORM_SRGB = 91,
        B8G8R8X8_UNORM_SRGB = 93,
        BC6H_UF16 = 95,
        BC6H_SF16 = 96,
        BC7_UNORM = 98,
        BC7_UNORM_SRGB = 99,
    };

    bool IsBlockCompressed(PixelFormat aFormat);
    // Bytes per 4x4 block for compressed formats, bytes per pixel otherwise; 0 for Unknown.
    uint32_t BytesPerBlockOrPixel(PixelFormat aFormat);
    // Bytes of one row of pixels (or of 4x4 blocks) of the given width.
    uint64_t RowPitch(PixelFormat aFormat, uint32_t aWidth);
    // Bytes of a whole surface of the given size.
    uint64_t SurfaceSize(PixelFormat aFormat, uint32_t aWidth, uint32_t aHeight);

    PixelFormat ToSrgb(PixelFormat aFormat);   // unchanged when there is no sRGB twin
    PixelFormat ToLinear(PixelFormat aFormat); // unchanged when already linear
    bool IsSrgb(PixelFormat aFormat);
}
