#include "mire/loaders/TgaLoader.h"

#include "mire/core/Assert.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

namespace Vela
{
    namespace
    {
        constexpr size_t HEADER_SIZE = 18;
        constexpr uint8_t TYPE_UNCOMPRESSED_TRUE_COLOUR = 2;
        constexpr uint32_t MAX_DIMENSION = 16384;
    }

    std::unique_ptr<TargaImage> LoadTargaImage(const wchar_t* aPath)
    {
        const std::filesystem::path path = aPath ? std::filesystem::path(aPath) : std::filesystem::path();
        std::ifstream fp(path, std::ios::binary);
        const bool opened = fp.is_open();
        VELA_ASSERT(opened);
        if (!opened)
            return nullptr;

        uint8_t header[HEADER_SIZE] = {};
        if (!fp.read(reinterpret_cast<char*>(header), HEADER_SIZE))
        {
            printf("Targa file %s is shorter than its header\n", path.string().c_str());
            return nullptr;
        }
        const uint8_t idLength = header[0];
        const uint8_t colourMapType = header[1];
        const uint8_t imageType = header[2];
        const uint16_t width = uint16_t(header[12] | header[13] << 8);
        const uint16_t height = uint16_t(header[14] | header[15] << 8);
        const uint8_t bitsPerPixel = header[16];

        if (bitsPerPixel != 32)
            return nullptr;
        if (imageType != TYPE_UNCOMPRESSED_TRUE_COLOUR || colourMapType != 0)
        {
            printf("Targa file %s: only uncompressed true-colour images are supported (type %u)\n", path.string().c_str(),
                   unsigned(imageType));
            return nullptr;
        }
        if (width == 0 || height == 0 || width > MAX_DIMENSION || height > MAX_DIMENSION)
        {
            printf("Targa file %s: size %u x %u is out of range\n", path.string().c_str(), unsigned(width), unsigned(height));
            return nullptr;
        }
        // The optional image ID sits between the header and the pixels.
        fp.seekg(HEADER_SIZE + idLength, std::ios::beg);

        auto image = std::make_unique<TargaImage>();
        image->myWidth = width;
        image->myHeight = height;
        image->myBitsPerPixel = 32;
        const size_t rowSize = size_t(width) * 4;
        image->myPixels.resize(rowSize * height);
        if (!fp.read(reinterpret_cast<char*>(image->myPixels.data()), std::streamsize(image->myPixels.size())))
        {
            printf("Targa file %s is cut short: its pixels are missing\n", path.string().c_str());
            return nullptr;
        }

        // Stored bottom row first: flip so the first row in memory is the top one.
        for (size_t row = 0; row < height / 2u; ++row)
        {
            uint8_t* top = image->myPixels.data() + row * rowSize;
            uint8_t* bottom = image->myPixels.data() + (height - 1 - row) * rowSize;
            std::swap_ranges(top, top + rowSize, bottom);
        }
        // BGRA to RGBA.
        for (size_t i = 0; i < image->myPixels.size(); i += 4)
            std::swap(image->myPixels[i], image->myPixels[i + 2]);
        return image;
    }
}
