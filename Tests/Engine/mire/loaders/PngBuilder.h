#pragma once
// Writes small 8-bit RGB PNG files in memory for the loader and texture tests.
#include <zlib.h>

#include <cstdint>
#include <string>

namespace VelaTest
{
    enum class ColourSpaceChunk { None, Srgb, Gamma22, GammaLinear };

    inline void PutBigEndian(std::string& someBytes, uint32_t aValue)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            someBytes += char((aValue >> shift) & 0xFF);
    }

    inline void PutPngChunk(std::string& aFile, const char* aType, const std::string& aData)
    {
        PutBigEndian(aFile, uint32_t(aData.size()));
        const std::string typed = std::string(aType) + aData;
        aFile += typed;
        PutBigEndian(aFile, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
    }

    // someRgb: width x height x 3 bytes, top row first.
    inline std::string MakePng(uint32_t aWidth, uint32_t aHeight, const std::string& someRgb, ColourSpaceChunk aChunk)
    {
        std::string file = "\x89PNG\r\n\x1a\n";
        std::string header;
        PutBigEndian(header, aWidth);
        PutBigEndian(header, aHeight);
        header += std::string{ 8, 2, 0, 0, 0 };
        PutPngChunk(file, "IHDR", header);
        if (aChunk == ColourSpaceChunk::Srgb)
            PutPngChunk(file, "sRGB", std::string(1, '\0'));
        if (aChunk == ColourSpaceChunk::Gamma22 || aChunk == ColourSpaceChunk::GammaLinear)
        {
            std::string gamma;
            PutBigEndian(gamma, aChunk == ColourSpaceChunk::Gamma22 ? 45455 : 100000);
            PutPngChunk(file, "gAMA", gamma);
        }
        std::string rows;
        for (uint32_t row = 0; row < aHeight; ++row)
            rows += '\0' + someRgb.substr(size_t(row) * aWidth * 3, size_t(aWidth) * 3);
        uLongf compressedSize = compressBound(uLong(rows.size()));
        std::string compressed(compressedSize, '\0');
        compress(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize, reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()));
        compressed.resize(compressedSize);
        PutPngChunk(file, "IDAT", compressed);
        PutPngChunk(file, "IEND", "");
        return file;
    }
}
