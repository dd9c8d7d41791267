#include "Platform/window/CursorFile.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

namespace Vela::Platform
{
    namespace
    {
        constexpr uint32_t MAX_CURSOR_SIDE = 1024;
        constexpr size_t DIRECTORY_SIZE = 6;
        constexpr size_t ENTRY_SIZE = 16;
        constexpr size_t BITMAP_HEADER_MIN_SIZE = 40;

        uint16_t ReadU16(std::span<const uint8_t> aBytes, size_t aOffset)
        {
            return static_cast<uint16_t>(aBytes[aOffset] | (aBytes[aOffset + 1] << 8));
        }

        uint32_t ReadU32(std::span<const uint8_t> aBytes, size_t aOffset)
        {
            return static_cast<uint32_t>(aBytes[aOffset]) | (static_cast<uint32_t>(aBytes[aOffset + 1]) << 8) |
                   (static_cast<uint32_t>(aBytes[aOffset + 2]) << 16) |
                   (static_cast<uint32_t>(aBytes[aOffset + 3]) << 24);
        }

        bool IsPng(std::span<const uint8_t> aBytes)
        {
            static constexpr uint8_t SIGNATURE[8] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
            return aBytes.size() >= 8 && std::memcmp(aBytes.data(), SIGNATURE, 8) == 0;
        }

        bool DecodePng(std::span<const uint8_t> aBytes, CursorImage& aImage)
        {
            png_image image{};
            image.version = PNG_IMAGE_VERSION;
            if (png_image_begin_read_from_memory(&image, aBytes.data(), aBytes.size()) == 0)
            {
                return false;
            }
            if (image.width == 0 || image.height == 0 || image.width > MAX_CURSOR_SIDE ||
                image.height > MAX_CURSOR_SIDE)
            {
                png_image_free(&image);
                return false;
            }
            image.format = PNG_FORMAT_RGBA;
            aImage.width = image.width;
            aImage.height = image.height;
            aImage.rgba.assign(PNG_IMAGE_SIZE(image), 0);
            if (png_image_finish_read(&image, nullptr, aImage.rgba.data(), 0, nullptr) == 0)
            {
                png_image_free(&image);
                return false;
            }
            return true;
        }

        // A bitmap without its file header: the colour rows bottom-up, then a 1-bit transparency mask;
        // the stored height counts both.
        bool DecodeBitmap(std::span<const uint8_t> aBytes, CursorImage& aImage)
        {
            if (aBytes.size() < BITMAP_HEADER_MIN_SIZE)
            {
                return false;
            }
            const uint32_t headerSize = ReadU32(aBytes, 0);
            const int32_t width = static_cast<int32_t>(ReadU32(aBytes, 4));
            const int32_t doubledHeight = static_cast<int32_t>(ReadU32(aBytes, 8));
            const uint16_t bitCount = ReadU16(aBytes, 14);
            const uint32_t compression = ReadU32(aBytes, 16);
            uint32_t paletteCount = ReadU32(aBytes, 32);
            if (headerSize < BITMAP_HEADER_MIN_SIZE || headerSize > aBytes.size() || compression != 0 ||
                width <= 0 || doubledHeight <= 0 || static_cast<uint32_t>(width) > MAX_CURSOR_SIDE ||
                static_cast<uint32_t>(doubledHeight) > 2 * MAX_CURSOR_SIDE)
            {
                return false;
            }
            if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
            {
                return false;
            }
            const uint32_t w = static_cast<uint32_t>(width);
            const uint32_t h = static_cast<uint32_t>(doubledHeight) / 2;
            if (h == 0)
            {
                return false;
            }
            if (bitCount <= 8 && paletteCount == 0)
            {
                paletteCount = 1u << bitCount;
            }
            if (bitCount > 8)
            {
                paletteCount = 0;
            }
            if (paletteCount > 256)
            {
                return false;
            }
            const size_t paletteOffset = headerSize;
            const size_t colourOffset = paletteOffset + static_cast<size_t>(paletteCount) * 4;
            const size_t colourStride = ((static_cast<size_t>(w) * bitCount + 31) / 32) * 4;
            const size_t maskOffset = colourOffset + colourStride * h;
            const size_t maskStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
            if (colourOffset > aBytes.size() || maskOffset > aBytes.size())
            {
                return false;
            }
            // Some 32-bit cursors leave the mask out and rely on alpha alone.
            const bool hasMask = maskOffset + maskStride * h <= aBytes.size();

            aImage.width = w;
            aImage.height = h;
            aImage.rgba.assign(static_cast<size_t>(w) * h * 4, 0);
            bool anyAlpha = false;
            for (uint32_t row = 0; row < h; ++row)
            {
                const size_t source = colourOffset + colourStride * (h - 1 - row);
                for (uint32_t x = 0; x < w; ++x)
                {
                    uint8_t* pixel = &aImage.rgba[(static_cast<size_t>(row) * w + x) * 4];
                    if (bitCount == 32 || bitCount == 24)
                    {
                        const size_t at = source + static_cast<size_t>(x) * (bitCount / 8);
                        pixel[0] = aBytes[at + 2];
                        pixel[1] = aBytes[at + 1];
                        pixel[2] = aBytes[at + 0];
                        pixel[3] = bitCount == 32 ? aBytes[at + 3] : 255;
                        anyAlpha = anyAlpha || (bitCount == 32 && pixel[3] != 0);
                    }
                    else
                    {
                        const size_t bitIndex = static_cast<size_t>(x) * bitCount;
                        const uint8_t byte = aBytes[source + bitIndex / 8];
                        const uint32_t shift = 8 - bitCount - static_cast<uint32_t>(bitIndex % 8);
                        const uint32_t index = (byte >> shift) & ((1u << bitCount) - 1);
                        if (index < paletteCount)
                        {
                            const size_t entry = paletteOffset + index * 4;
                            pixel[0] = aBytes[entry + 2];
                            pixel[1] = aBytes[entry + 1];
                            pixel[2] = aBytes[entry + 0];
                        }
                        pixel[3] = 255;
                    }
                }
            }
            const bool useMask = hasMask && !(bitCount == 32 && anyAlpha);
            if (bitCount == 32 && !anyAlpha && !hasMask)
            {
                for (size_t i = 3; i < aImage.rgba.size(); i += 4)
                {
                    aImage.rgba[i] = 255;
                }
            }
            if (useMask)
            {
                for (uint32_t row = 0; row < h; ++row)
                {
                    const size_t source = maskOffset + maskStride * (h - 1 - row);
                    for (uint32_t x = 0; x < w; ++x)
                    {
                        const bool transparent = ((aBytes[source + x / 8] >> (7 - x % 8)) & 1) != 0;
                        uint8_t* pixel = &aImage.rgba[(static_cast<size_t>(row) * w + x) * 4];
                        pixel[3] = transparent ? 0 : 255;
                    }
                }
            }
            return true;
        }
    }

    std::optional<CursorImage> ParseCursorFile(std::span<const uint8_t> aBytes)
    {
        if (aBytes.size() < DIRECTORY_SIZE)
        {
            return std::nullopt;
        }
        const uint16_t reserved = ReadU16(aBytes, 0);
        const uint16_t type = ReadU16(aBytes, 2);
        const uint16_t count = ReadU16(aBytes, 4);
        if (reserved != 0 || type != 2 || count == 0 || DIRECTORY_SIZE + ENTRY_SIZE * count > aBytes.size())
        {
            return std::nullopt;
        }
        // Prefer the image nearest the usual cursor size.
        size_t best = 0;
        int bestDistance = 1 << 30;
        for (size_t i = 0; i < count; ++i)
        {
            const size_t entry = DIRECTORY_SIZE + ENTRY_SIZE * i;
            const int side = aBytes[entry] == 0 ? 256 : aBytes[entry];
            const int distance = std::abs(side - 32);
            if (distance < bestDistance)
            {
                bestDistance = distance;
                best = i;
            }
        }
        const size_t entry = DIRECTORY_SIZE + ENTRY_SIZE * best;
        const uint16_t hotspotX = ReadU16(aBytes, entry + 4);
        const uint16_t hotspotY = ReadU16(aBytes, entry + 6);
        const uint32_t size = ReadU32(aBytes, entry + 8);
        const uint32_t offset = ReadU32(aBytes, entry + 12);
        if (offset >= aBytes.size() || size == 0 || size > aBytes.size() - offset)
        {
            return std::nullopt;
        }
        const std::span<const uint8_t> payload = aBytes.subspan(offset, size);
        CursorImage image;
        const bool decoded = IsPng(payload) ? DecodePng(payload, image) : DecodeBitmap(payload, image);
        if (!decoded)
        {
            return std::nullopt;
        }
        image.hotspotX = hotspotX < image.width ? hotspotX : image.width - 1;
        image.hotspotY = hotspotY < image.height ? hotspotY : image.height - 1;
        return image;
    }
}
