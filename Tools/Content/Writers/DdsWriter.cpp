#include "DdsWriter.h"

#include "ByteOutput.h"

#include "BlockCompression.h"

#include <algorithm>

namespace Vela::Content
{
    namespace
    {
        uint32_t DxgiFormat(DdsFormat aFormat)
        {
            switch (aFormat)
            {
            case DdsFormat::Rgba8: return 28;
            case DdsFormat::Rgba8Srgb: return 29;
            case DdsFormat::Bc1Srgb: return 72;
            case DdsFormat::Bc3Srgb: return 78;
            }
            return 0;
        }

        bool IsBlockCompressed(DdsFormat aFormat) { return aFormat == DdsFormat::Bc1Srgb || aFormat == DdsFormat::Bc3Srgb; }

        std::vector<uint8_t> Header(uint32_t aWidth, uint32_t aHeight, uint32_t aMipCount, DdsFormat aFormat, bool aCube)
        {
            const bool compressed = IsBlockCompressed(aFormat);
            const uint32_t blockBytes = aFormat == DdsFormat::Bc1Srgb ? 8 : 16;
            const uint32_t pitch = compressed ? std::max(1u, (aWidth + 3) / 4) * blockBytes * std::max(1u, (aHeight + 3) / 4) : aWidth * 4;
            std::vector<uint8_t> bytes = { 'D', 'D', 'S', ' ' };
            Put32(bytes, 124);
            // caps, height, width, pixel format, mip count, and pitch or linear size
            Put32(bytes, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | (compressed ? 0x80000 : 0x8));
            Put32(bytes, aHeight);
            Put32(bytes, aWidth);
            Put32(bytes, pitch);
            Put32(bytes, 0);
            Put32(bytes, aMipCount);
            for (int i = 0; i < 11; ++i)
                Put32(bytes, 0);
            Put32(bytes, 32);  // pixel format size
            Put32(bytes, 0x4); // four-cc
            bytes.insert(bytes.end(), { 'D', 'X', '1', '0' });
            for (int i = 0; i < 5; ++i)
                Put32(bytes, 0);
            Put32(bytes, 0x1000 | (aMipCount > 1 ? 0x400000 : 0) | (aCube || aMipCount > 1 ? 0x8 : 0)); // texture, mipmap, complex
            Put32(bytes, aCube ? 0xFE00 : 0);                                                           // every cube face
            Put32(bytes, 0);
            Put32(bytes, 0);
            Put32(bytes, 0);
            Put32(bytes, DxgiFormat(aFormat));
            Put32(bytes, 3); // 2D
            Put32(bytes, aCube ? 0x4 : 0);
            Put32(bytes, 1);
            Put32(bytes, 0);
            return bytes;
        }

        void AppendSurface(std::vector<uint8_t>& someBytes, const Image& anImage, DdsFormat aFormat)
        {
            std::vector<uint8_t> data;
            if (aFormat == DdsFormat::Bc1Srgb)
                data = CompressBc1(anImage);
            else if (aFormat == DdsFormat::Bc3Srgb)
                data = CompressBc3(anImage);
            else
                data = anImage.Pixels();
            someBytes.insert(someBytes.end(), data.begin(), data.end());
        }
    }

    std::vector<uint8_t> EncodeDds(const std::vector<std::vector<Image>>& someFaces, DdsFormat aFormat)
    {
        const Image& top = someFaces.front().front();
        std::vector<uint8_t> bytes = Header(top.Width(), top.Height(), uint32_t(someFaces.front().size()), aFormat, someFaces.size() == 6);
        for (const std::vector<Image>& mips : someFaces)
            for (const Image& level : mips)
                AppendSurface(bytes, level, aFormat);
        return bytes;
    }

    std::vector<uint8_t> EncodeDds(const Image& anImage, DdsFormat aFormat) { return EncodeDds(std::vector<std::vector<Image>>{ { anImage } }, aFormat); }

    std::vector<Image> MipChain(const Image& anImage)
    {
        std::vector<Image> chain = { anImage };
        while (chain.back().Width() > 1 || chain.back().Height() > 1)
        {
            const Image& last = chain.back();
            chain.push_back(last.Downscaled(std::max(1u, last.Width() / 2), std::max(1u, last.Height() / 2)));
        }
        return chain;
    }
}
