#include "mire/loaders/PixelFormat.h"

namespace Vela
{
    bool IsBlockCompressed(PixelFormat aFormat)
    {
        switch (aFormat)
        {
        case PixelFormat::BC1_UNORM: case PixelFormat::BC1_UNORM_SRGB:
        case PixelFormat::BC2_UNORM: case PixelFormat::BC2_UNORM_SRGB:
        case PixelFormat::BC3_UNORM: case PixelFormat::BC3_UNORM_SRGB:
        case PixelFormat::BC4_UNORM: case PixelFormat::BC4_SNORM:
        case PixelFormat::BC5_UNORM: case PixelFormat::BC5_SNORM:
        case PixelFormat::BC6H_UF16: case PixelFormat::BC6H_SF16:
        case PixelFormat::BC7_UNORM: case PixelFormat::BC7_UNORM_SRGB:
            return true;
        default:
            return false;
        }
    }

    uint32_t BytesPerBlockOrPixel(PixelFormat aFormat)
    {
        switch (aFormat)
        {
        case PixelFormat::Unknown:
            return 0;
        case PixelFormat::BC1_UNORM: case PixelFormat::BC1_UNORM_SRGB:
        case PixelFormat::BC4_UNORM: case PixelFormat::BC4_SNORM:
            return 8;
        default:
            return IsBlockCompressed(aFormat) ? 16 : 4;
        }
    }

    uint64_t RowPitch(PixelFormat aFormat, uint32_t aWidth)
    {
        const uint64_t columns = IsBlockCompressed(aFormat) ? (uint64_t(aWidth) + 3) / 4 : aWidth;
        return (columns == 0 ? 1 : columns) * BytesPerBlockOrPixel(aFormat);
    }

    uint64_t SurfaceSize(PixelFormat aFormat, uint32_t aWidth, uint32_t aHeight)
    {
        uint64_t rows = IsBlockCompressed(aFormat) ? (uint64_t(aHeight) + 3) / 4 : aHeight;
        if (rows == 0)
            rows = 1;
        return RowPitch(aFormat, aWidth) * rows;
    }

    PixelFormat ToSrgb(PixelFormat aFormat)
    {
        switch (aFormat)
        {
        case PixelFormat::R8G8B8A8_UNORM: return PixelFormat::R8G8B8A8_UNORM_SRGB;
        case PixelFormat::B8G8R8A8_UNORM: return PixelFormat::B8G8R8A8_UNORM_SRGB;
        case PixelFormat::B8G8R8X8_UNORM: return PixelFormat::B8G8R8X8_UNORM_SRGB;
        case PixelFormat::BC1_UNORM: return PixelFormat::BC1_UNORM_SRGB;
        case PixelFormat::BC2_UNORM: return PixelFormat::BC2_UNORM_SRGB;
        case PixelFormat::BC3_UNORM: return PixelFormat::BC3_UNORM_SRGB;
        case PixelFormat::BC7_UNORM: return PixelFormat::BC7_UNORM_SRGB;
        default: return aFormat;
        }
    }

    PixelFormat ToLinear(PixelFormat aFormat)
    {
        switch (aFormat)
        {
        case PixelFormat::R8G8B8A8_UNORM_SRGB: return PixelFormat::R8G8B8A8_UNORM;
        case PixelFormat::B8G8R8A8_UNORM_SRGB: return PixelFormat::B8G8R8A8_UNORM;
        case PixelFormat::B8G8R8X8_UNORM_SRGB: return PixelFormat::B8G8R8X8_UNORM;
        case PixelFormat::BC1_UNORM_SRGB: return PixelFormat::BC1_UNORM;
        case PixelFormat::BC2_UNORM_SRGB: return PixelFormat::BC2_UNORM;
        case PixelFormat::BC3_UNORM_SRGB: return PixelFormat::BC3_UNORM;
        case PixelFormat::BC7_UNORM_SRGB: return PixelFormat::BC7_UNORM;
        default: return aFormat;
        }
    }

    bool IsSrgb(PixelFormat aFormat) { return ToLinear(aFormat) != aFormat; }
}
