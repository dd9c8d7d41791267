#pragma once
// Builds DDS files in memory for the loader tests.
#include <cstdint>
#include <string>
#include <vector>

namespace VelaTest
{
    struct DdsDescription
    {
        uint32_t width = 4;
        uint32_t height = 4;
        uint32_t mipCount = 1;
        bool cube = false;
        // Extended header when dxgiFormat != 0, else the old pixel-format block below.
        uint32_t dxgiFormat = 0;
        std::string fourCC;      // "DXT1" etc.; empty for uncompressed
        uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
        uint32_t bitCount = 32;
    };

    inline void Put32(std::vector<uint8_t>& someBytes, uint32_t aValue)
    {
        for (int i = 0; i < 4; ++i)
            someBytes.push_back(uint8_t(aValue >> (8 * i)));
    }

    inline std::vector<uint8_t> MakeDdsHeader(const DdsDescription& aDescription)
    {
        std::vector<uint8_t> bytes = { 'D', 'D', 'S', ' ' };
        Put32(bytes, 124);
        Put32(bytes, 0x1007 | (aDescription.mipCount > 1 ? 0x20000 : 0));
        Put32(bytes, aDescription.height);
        Put32(bytes, aDescription.width);
        Put32(bytes, 0);
        Put32(bytes, 0);
        Put32(bytes, aDescription.mipCount);
        for (int i = 0; i < 11; ++i)
            Put32(bytes, 0);
        Put32(bytes, 32);
        const bool fourCC = aDescription.dxgiFormat != 0 || !aDescription.fourCC.empty();
        uint32_t flags = fourCC ? 0x4 : 0x40;
        if (!fourCC && aDescription.alphaMask)
            flags |= 0x1;
        Put32(bytes, flags);
        const std::string code = aDescription.dxgiFormat ? "DX10" : aDescription.fourCC;
        for (size_t i = 0; i < 4; ++i)
            bytes.push_back(i < code.size() ? uint8_t(code[i]) : 0);
        Put32(bytes, fourCC ? 0 : aDescription.bitCount);
        Put32(bytes, aDescription.redMask);
        Put32(bytes, aDescription.greenMask);
        Put32(bytes, aDescription.blueMask);
        Put32(bytes, aDescription.alphaMask);
        Put32(bytes, 0x1000);
        Put32(bytes, aDescription.cube ? 0xFE00 : 0);
        Put32(bytes, 0);
        Put32(bytes, 0);
        Put32(bytes, 0);
        if (aDescription.dxgiFormat)
        {
            Put32(bytes, aDescription.dxgiFormat);
            Put32(bytes, 3);
            Put32(bytes, aDescription.cube ? 0x4 : 0);
            Put32(bytes, 1);
            Put32(bytes, 0);
        }
        return bytes;
    }

    // Header plus aPayloadSize bytes counting up from aSeed.
    inline std::vector<uint8_t> MakeDds(const DdsDescription& aDescription, size_t aPayloadSize, uint8_t aSeed = 0)
    {
        std::vector<uint8_t> bytes = MakeDdsHeader(aDescription);
        for (size_t i = 0; i < aPayloadSize; ++i)
            bytes.push_back(uint8_t(aSeed + i));
        return bytes;
    }

    // A whole DX10 R8G8B8A8_UNORM_SRGB file of one colour, as the text a test root writes.
    inline std::string MakeSolidRgbaDds(uint32_t aWidth, uint32_t aHeight, uint8_t aRed, uint8_t aGreen, uint8_t aBlue, uint8_t anAlpha)
    {
        DdsDescription description;
        description.width = aWidth;
        description.height = aHeight;
        description.dxgiFormat = 29;
        std::vector<uint8_t> file = MakeDdsHeader(description);
        for (uint32_t i = 0; i < aWidth * aHeight; ++i)
            file.insert(file.end(), { aRed, aGreen, aBlue, anAlpha });
        return std::string(file.begin(), file.end());
    }
}
