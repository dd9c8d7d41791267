#include "mire/loaders/DdsLoader.h"

#include "Platform/file/WholeFile.h"

#include <bit>
#include <cstring>
#include <fstream>

namespace Vela
{
    namespace
    {
        constexpr uint32_t MAX_DIMENSION = 16384;
        constexpr size_t MAIN_HEADER_END = 128;  // magic + 124-byte header
        constexpr size_t EXTENDED_HEADER_SIZE = 20;

        constexpr uint32_t FLAG_MIPMAP_COUNT = 0x20000;
        constexpr uint32_t PIXEL_ALPHA = 0x1;
        constexpr uint32_t PIXEL_FOURCC = 0x4;
        constexpr uint32_t PIXEL_RGB = 0x40;
        constexpr uint32_t CAPS2_CUBEMAP = 0x200;
        constexpr uint32_t CAPS2_ALL_FACES = 0xFC00;
        constexpr uint32_t CAPS2_VOLUME = 0x200000;
        constexpr uint32_t MISC_TEXTURECUBE = 0x4;
        constexpr uint32_t DIMENSION_TEXTURE1D = 2;
        constexpr uint32_t DIMENSION_TEXTURE2D = 3;

        constexpr uint32_t FourCC(const char (&aText)[5])
        {
            return uint32_t(uint8_t(aText[0])) | uint32_t(uint8_t(aText[1])) << 8 | uint32_t(uint8_t(aText[2])) << 16 |
                   uint32_t(uint8_t(aText[3])) << 24;
        }

        uint32_t ReadU32(std::span<const uint8_t> someBytes, size_t anOffset)
        {
            uint32_t value = 0;
            std::memcpy(&value, someBytes.data() + anOffset, 4);
            if constexpr (std::endian::native == std::endian::big)
                value = ((value & 0xFF) << 24) | ((value & 0xFF00) << 8) | ((value >> 8) & 0xFF00) | (value >> 24);
            return value;
        }

        // Formats written with a DX10 header; typeless ones read as their UNORM twin.
        PixelFormat FromDxgi(uint32_t aFormat)
        {
            switch (aFormat)
            {
            case 27: return PixelFormat::R8G8B8A8_UNORM;
            case 70: return PixelFormat::BC1_UNORM;
            case 73: return PixelFormat::BC2_UNORM;
            case 76: return PixelFormat::BC3_UNORM;
            case 79: return PixelFormat::BC4_UNORM;
            case 82: return PixelFormat::BC5_UNORM;
            case 90: return PixelFormat::B8G8R8A8_UNORM;
            case 92: return PixelFormat::B8G8R8X8_UNORM;
            case 94: return PixelFormat::BC6H_UF16;
            case 97: return PixelFormat::BC7_UNORM;
            case 28: case 29: case 71: case 72: case 74: case 75: case 77: case 78: case 80: case 81:
            case 83: case 84: case 87: case 88: case 91: case 93: case 95: case 96: case 98: case 99:
                return static_cast<PixelFormat>(aFormat);
            default:
                return PixelFormat::Unknown;
            }
        }

        // Formats described by the old DX9 pixel-format block.
        PixelFormat FromLegacy(std::span<const uint8_t> someBytes, bool& aNeedsOpaqueAlpha)
        {
            const uint32_t flags = ReadU32(someBytes, 80);
            const uint32_t fourCC = ReadU32(someBytes, 84);
            aNeedsOpaqueAlpha = false;
            if (flags & PIXEL_FOURCC)
            {
                if (fourCC == FourCC("DXT1")) return PixelFormat::BC1_UNORM;
                if (fourCC == FourCC("DXT2") || fourCC == FourCC("DXT3")) return PixelFormat::BC2_UNORM;
                if (fourCC == FourCC("DXT4") || fourCC == FourCC("DXT5")) return PixelFormat::BC3_UNORM;
                if (fourCC == FourCC("ATI1") || fourCC == FourCC("BC4U")) return PixelFormat::BC4_UNORM;
                if (fourCC == FourCC("BC4S")) return PixelFormat::BC4_SNORM;
                if (fourCC == FourCC("ATI2") || fourCC == FourCC("BC5U")) return PixelFormat::BC5_UNORM;
                if (fourCC == FourCC("BC5S")) return PixelFormat::BC5_SNORM;
                return PixelFormat::Unknown;
            }
            if (!(flags & PIXEL_RGB) || ReadU32(someBytes, 88) != 32)
                return PixelFormat::Unknown;
            const uint32_t red = ReadU32(someBytes, 92);
            const uint32_t green = ReadU32(someBytes, 96);
            const uint32_t blue = ReadU32(someBytes, 100);
            const uint32_t alpha = (flags & PIXEL_ALPHA) ? ReadU32(someBytes, 104) : 0;
            if (red == 0x000000FF && green == 0x0000FF00 && blue == 0x00FF0000)
            {
                // RGBX has no format of its own: keep the bytes and make the fourth one opaque.
                aNeedsOpaqueAlpha = alpha == 0;
                return alpha == 0xFF000000 || alpha == 0 ? PixelFormat::R8G8B8A8_UNORM : PixelFormat::Unknown;
            }
            if (red == 0x00FF0000 && green == 0x0000FF00 && blue == 0x000000FF)
            {
                if (alpha == 0xFF000000) return PixelFormat::B8G8R8A8_UNORM;
                if (alpha == 0) return PixelFormat::B8G8R8X8_UNORM;
            }
            return PixelFormat::Unknown;
        }

        uint32_t FullMipCount(uint32_t aWidth, uint32_t aHeight)
        {
            uint32_t count = 1;
            for (uint32_t size = aWidth > aHeight ? aWidth : aHeight; size > 1; size /= 2)
                ++count;
            return count;
        }
    }

    bool LoadDdsFromMemory(std::span<const uint8_t> someBytes, TextureSrgbMode aMode, DdsImage& anImage, std::string& anError)
    {
        if (someBytes.size() < 4 || std::memcmp(someBytes.data(), "DDS ", 4) != 0)
        {
            anError = "not a DDS file (no DDS magic)";
            return false;
        }
        if (someBytes.size() < MAIN_HEADER_END)
        {
            anError = "DDS header is cut short";
            return false;
        }
        if (ReadU32(someBytes, 4) != 124 || ReadU32(someBytes, 76) != 32)
        {
            anError = "DDS header has the wrong size fields";
            return false;
        }

        const uint32_t height = ReadU32(someBytes, 12);
        const uint32_t width = ReadU32(someBytes, 16);
        uint32_t mipCount = (ReadU32(someBytes, 8) & FLAG_MIPMAP_COUNT) ? ReadU32(someBytes, 28) : 1;
        if (mipCount == 0)
            mipCount = 1;
        const uint32_t caps2 = ReadU32(someBytes, 112);

        PixelFormat format = PixelFormat::Unknown;
        bool needsOpaqueAlpha = false;
        bool isCube = false;
        size_t dataOffset = MAIN_HEADER_END;

        const bool extended = (ReadU32(someBytes, 80) & PIXEL_FOURCC) && ReadU32(someBytes, 84) == FourCC("DX10");
        if (extended)
        {
            if (someBytes.size() < MAIN_HEADER_END + EXTENDED_HEADER_SIZE)
            {
                anError = "DDS extended header is cut short";
                return false;
            }
            const uint32_t dxgiFormat = ReadU32(someBytes, 128);
            const uint32_t dimension = ReadU32(someBytes, 132);
            const uint32_t miscFlags = ReadU32(someBytes, 136);
            const uint32_t arraySize = ReadU32(someBytes, 140);
            format = FromDxgi(dxgiFormat);
            if (format == PixelFormat::Unknown)
            {
                anError = "unsupported DDS format " + std::to_string(dxgiFormat);
                return false;
            }
            if ((dimension != DIMENSION_TEXTURE2D && dimension != DIMENSION_TEXTURE1D) || arraySize != 1)
            {
                anError = "only single 2D textures and cube maps are supported";
                return false;
            }
            isCube = (miscFlags & MISC_TEXTURECUBE) != 0;
            dataOffset += EXTENDED_HEADER_SIZE;
        }
        else
        {
            format = FromLegacy(someBytes, needsOpaqueAlpha);
            if (format == PixelFormat::Unknown)
            {
                anError = "unsupported DDS pixel format";
                return false;
            }
            if (caps2 & CAPS2_VOLUME)
            {
                anError = "volume textures are not supported";
                return false;
            }
            if (caps2 & CAPS2_CUBEMAP)
            {
                if ((caps2 & CAPS2_ALL_FACES) != CAPS2_ALL_FACES)
                {
                    anError = "cube maps need all six faces";
                    return false;
                }
                isCube = true;
            }
        }

        if (width == 0 || height == 0 || width > MAX_DIMENSION || height > MAX_DIMENSION)
        {
            anError = "DDS size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range";
            return false;
        }
        if (isCube && width != height)
        {
            anError = "cube map faces must be square";
            return false;
        }
        if (mipCount > FullMipCount(width, height))
        {
            anError = "DDS claims more mip levels than its size allows";
            return false;
        }

        const uint32_t faceCount = isCube ? 6 : 1;
        std::vector<DdsSurface> surfaces;
        surfaces.reserve(size_t(faceCount) * mipCount);
        size_t offset = 0;
        for (uint32_t face = 0; face < faceCount; ++face)
        {
            uint32_t mipWidth = width;
            uint32_t mipHeight = height;
            for (uint32_t mip = 0; mip < mipCount; ++mip)
            {
                const uint64_t size = SurfaceSize(format, mipWidth, mipHeight);
                surfaces.push_back({ offset, size_t(size), uint32_t(RowPitch(format, mipWidth)), mipWidth, mipHeight });
                offset += size_t(size);
                mipWidth = mipWidth > 1 ? mipWidth / 2 : 1;
                mipHeight = mipHeight > 1 ? mipHeight / 2 : 1;
            }
        }
        if (someBytes.size() - dataOffset < offset)
        {
            anError = "DDS pixel data is cut short (" + std::to_string(someBytes.size() - dataOffset) + " of " +
                      std::to_string(offset) + " bytes)";
            return false;
        }

        if (aMode == TextureSrgbMode::ForceSrgb)
            format = ToSrgb(format);
        else if (aMode == TextureSrgbMode::IgnoreSrgb)
            format = ToLinear(format);

        anImage.myFormat = format;
        anImage.myWidth = width;
        anImage.myHeight = height;
        anImage.myMipCount = mipCount;
        anImage.myFaceCount = faceCount;
        anImage.myIsCubeMap = isCube;
        anImage.myPixels.assign(someBytes.begin() + dataOffset, someBytes.begin() + dataOffset + offset);
        anImage.mySurfaces = std::move(surfaces);
        if (needsOpaqueAlpha)
        {
            for (size_t i = 3; i < anImage.myPixels.size(); i += 4)
                anImage.myPixels[i] = 0xFF;
        }
        return true;
    }

    bool LoadDdsFromFile(const std::filesystem::path& aPath, TextureSrgbMode aMode, DdsImage& anImage, std::string& anError)
    {
        std::string text;
        std::string reason;
        if (!Platform::ReadWholeFile(aPath, text, reason))
        {
            anError = aPath.string() + " " + reason;
            return false;
        }
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        return LoadDdsFromMemory(bytes, aMode, anImage, anError);
    }
}
