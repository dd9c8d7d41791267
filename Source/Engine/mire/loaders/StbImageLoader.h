#pragma once
#include "mire/loaders/PngLoader.h"

#include <filesystem>
#include <string>

namespace Vela
{
    // True when the file starts like a JPEG, BMP or GIF picture.
    bool IsOtherImageFile(const std::filesystem::path& aPath);

    // Decodes a JPEG, BMP or GIF (first frame) into RGBA8. These files carry no colour-space
    // information we read: they are UNORM unless the mode forces sRGB.
    bool LoadOtherImage(const std::filesystem::path& aPath, TextureSrgbMode aMode, RgbaImage& anImage, std::string& anError);
}
