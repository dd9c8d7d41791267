#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace Vela
{
    // An uncompressed 32-bit Targa image, RGBA, top row first.
    struct TargaImage
    {
        uint16_t myWidth = 0;
        uint16_t myHeight = 0;
        uint8_t myBitsPerPixel = 0;
        std::vector<uint8_t> myPixels; // width x height x 4
    };

    // Null when the file cannot be read or is not an uncompressed 32-bit true-colour Targa image.
    std::unique_ptr<TargaImage> LoadTargaImage(const wchar_t* aPath);
}
