#pragma once
#include "mire/loaders/PixelFormat.h"
#include "mire/texture/TextureSrgbMode.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace Vela
{
    // One mip level of one face, pointing into DdsImage::myPixels.
    struct DdsSurface
    {
        size_t myOffset = 0;
        size_t mySize = 0;
        uint32_t myRowPitch = 0;
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
    };

    // A decoded DDS file: a 2D texture or a cube map with its mip chain, still in the file's pixel format.
    struct DdsImage
    {
        PixelFormat myFormat = PixelFormat::Unknown;
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        uint32_t myMipCount = 0;
        uint32_t myFaceCount = 0; // 6 for a cube map
        bool myIsCubeMap = false;
        std::vector<uint8_t> myPixels;
        std::vector<DdsSurface> mySurfaces; // face-major: face 0 mips 0..n, face 1 ...

        const DdsSurface& GetSurface(uint32_t aFace, uint32_t aMip) const { return mySurfaces[aFace * myMipCount + aMip]; }
    };

    // Reads DX9-style and DX10-extended DDS data. The sRGB mode forces or strips the sRGB variant of
    // the format. On failure returns false and says why in anError (nothing else is touched).
    bool LoadDdsFromMemory(std::span<const uint8_t> someBytes, TextureSrgbMode aMode, DdsImage& anImage, std::string& anError);
    bool LoadDdsFromFile(const std::filesystem::path& aPath, TextureSrgbMode aMode, DdsImage& anImage, std::string& anError);
}
