#pragma once
#include "mire/texture/TextureSrgbMode.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Vela
{
    // An 8-bit RGBA image, top row first, with the colour space the file (or the mode) chose.
    struct RgbaImage
    {
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        bool myIsSrgb = false;
        std::vector<uint8_t> myPixels;
    };

    constexpr uint32_t MAX_IMAGE_DIMENSION = 16384;

    // True when the file starts with the PNG signature.
    bool IsPngFile(const std::filesystem::path& aPath);

    // Decodes a PNG file of any colour type and depth into RGBA8. In AsStored mode the image counts as
    // sRGB when it carries an sRGB chunk or a gamma of 1/2.2. On failure returns false with a reason.
    bool LoadPngImage(const std::filesystem::path& aPath, TextureSrgbMode aMode, RgbaImage& anImage, std::string& anError);
}
