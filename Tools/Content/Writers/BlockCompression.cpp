#include "BlockCompression.h"

#include "ByteOutput.h"

#include <algorithm>
#include <cmath>

namespace Vela::Content
{
    namespace
    {
        uint16_t To565(const std::array<int, 3>& aColor)
        {
            return uint16_t(((aColor[0] * 31 + 127) / 255) << 11 | ((aColor[1] * 63 + 127) / 255) << 5 | ((aColor[2] * 31 + 127) / 255));
        }

        std::array<int, 3> From565(uint16_t aValue)
        {
            const int r = (aValue >> 11) & 31, g = (aValue >> 5) & 63, b = aValue & 31;
            return { (r * 255 + 15) / 31, (g * 255 + 31) / 63, (b * 255 + 15) / 31 };
        }


        // The 4-colour block: end points from the colour range of the pixels that count.
        void EncodeColorBlock(const Rgba (&somePixels)[16], bool aSkipTransparent, std::vector<uint8_t>& someBytes)
        {
            std::array<int, 3> low = { 255, 255, 255 }, high = { 0, 0, 0 };
            bool any = false;
            for (const Rgba& pixel : somePixels)
            {
                if (aSkipTransparent && pixel[3] == 0)
                    continue;
                any = true;
                for (size_t c = 0; c < 3; ++c)
                {
                    low[c] = std::min(low[c], int(pixel[c]));
                    high[c] = std::max(high[c], int(pixel[c]));
                }
            }
            if (!any)
                low = high = { 0, 0, 0 };
            uint16_t color0 = To565(high), color1 = To565(low);
            if (color0 < color1)
                std::swap(color0, color1);
            Put16(someBytes, color0);
            Put16(someBytes, color1);
            uint32_t indices = 0;
            if (color0 != color1)
            {
                const std::array<int, 3> a = From565(color0), b = From565(color1);
                std::array<std::array<int, 3>, 4> palette = { a, b, {}, {} };
                for (size_t c = 0; c < 3; ++c)
                {
                    palette[2][c] = (2 * a[c] + b[c] + 1) / 3;
                    palette[3][c] = (a[c] + 2 * b[c] + 1) / 3;
                }
                for (int i = 0; i < 16; ++i)
                {
                    int best = 0, bestDistance = 1 << 30;
                    for (int p = 0; p < 4; ++p)
                    {
                        int distance = 0;
                        for (size_t c = 0; c < 3; ++c)
                            distance += (somePixels[i][c] - palette[size_t(p)][c]) * (somePixels[i][c] - palette[size_t(p)][c]);
                        if (distance < bestDistance)
                        {
                            bestDistance = distance;
                            best = p;
                        }
                    }
                    indices |= uint32_t(best) << (2 * i);
                }
            }
            for (int i = 0; i < 4; ++i)
                someBytes.push_back(uint8_t(indices >> (8 * i)));
        }

        // The 8-level alpha block.
        void EncodeAlphaBlock(const Rgba (&somePixels)[16], std::vector<uint8_t>& someBytes)
        {
            int low = 255, high = 0;
            for (const Rgba& pixel : somePixels)
            {
                low = std::min(low, int(pixel[3]));
                high = std::max(high, int(pixel[3]));
            }
            someBytes.push_back(uint8_t(high));
            someBytes.push_back(uint8_t(low));
            uint64_t indices = 0;
            if (high != low)
            {
                int palette[8] = { high, low };
                for (int i = 1; i < 7; ++i)
                    palette[i + 1] = ((7 - i) * high + i * low + 3) / 7;
                for (int i = 0; i < 16; ++i)
                {
                    int best = 0;
                    for (int p = 1; p < 8; ++p)
                        if (std::abs(somePixels[i][3] - palette[p]) < std::abs(somePixels[i][3] - palette[best]))
                            best = p;
                    indices |= uint64_t(best) << (3 * i);
                }
            }
            for (int i = 0; i < 6; ++i)
                someBytes.push_back(uint8_t(indices >> (8 * i)));
        }

        template <typename Encode>
        std::vector<uint8_t> ForEachBlock(const Image& anImage, Encode anEncode)
        {
            std::vector<uint8_t> bytes;
            for (uint32_t blockY = 0; blockY + 4 <= anImage.Height(); blockY += 4)
                for (uint32_t blockX = 0; blockX + 4 <= anImage.Width(); blockX += 4)
                {
                    Rgba pixels[16];
                    for (uint32_t y = 0; y < 4; ++y)
                        for (uint32_t x = 0; x < 4; ++x)
                            pixels[y * 4 + x] = anImage.At(blockX + x, blockY + y);
                    anEncode(pixels, bytes);
                }
            return bytes;
        }
    }

    std::vector<uint8_t> CompressBc1(const Image& anImage)
    {
        return ForEachBlock(anImage, [](const Rgba (&somePixels)[16], std::vector<uint8_t>& someBytes) {
            EncodeColorBlock(somePixels, false, someBytes);
        });
    }

    std::vector<uint8_t> CompressBc3(const Image& anImage)
    {
        return ForEachBlock(anImage, [](const Rgba (&somePixels)[16], std::vector<uint8_t>& someBytes) {
            EncodeAlphaBlock(somePixels, someBytes);
            EncodeColorBlock(somePixels, true, someBytes);
        });
    }
}
