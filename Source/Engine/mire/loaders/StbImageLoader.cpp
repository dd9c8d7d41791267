#include "mire/loaders/StbImageLoader.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace Vela
{
    namespace
    {
        struct FileCloser
        {
            void operator()(FILE* aFile) const { fclose(aFile); }
        };

        // Reads the first bytes of an open file; the caller rewinds when it goes on reading.
        bool StartsLikeOtherImage(FILE* aFile)
        {
            uint8_t start[4] = {};
            if (!aFile || fread(start, 1, sizeof(start), aFile) != sizeof(start))
                return false;
            const bool jpeg = start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
            const bool bitmap = start[0] == 'B' && start[1] == 'M';
            const bool gif = std::memcmp(start, "GIF8", 4) == 0;
            return jpeg || bitmap || gif;
        }
    }

    bool IsOtherImageFile(const std::filesystem::path& aPath)
    {
        std::unique_ptr<FILE, FileCloser> file(fopen(aPath.c_str(), "rb"));
        return StartsLikeOtherImage(file.get());
    }

    bool LoadOtherImage(const std::filesystem::path& aPath, TextureSrgbMode aMode, RgbaImage& anImage, std::string& anError)
    {
        // One open file serves the check and the decode.
        std::unique_ptr<FILE, FileCloser> file(fopen(aPath.c_str(), "rb"));
        if (!StartsLikeOtherImage(file.get()))
        {
            anError = "not a JPEG, BMP or GIF file: " + aPath.string();
            return false;
        }
        rewind(file.get());
        int width = 0;
        int height = 0;
        int channels = 0;
        if (!stbi_info_from_file(file.get(), &width, &height, &channels) || width <= 0 || height <= 0 ||
            width > int(MAX_IMAGE_DIMENSION) || height > int(MAX_IMAGE_DIMENSION))
        {
            anError = "cannot read the picture's size, or it is out of range";
            return false;
        }
        std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load_from_file(file.get(), &width, &height, &channels, 4), stbi_image_free);
        if (!pixels)
        {
            anError = std::string("cannot decode: ") + (stbi_failure_reason() ? stbi_failure_reason() : "unknown reason");
            return false;
        }
        anImage.myWidth = uint32_t(width);
        anImage.myHeight = uint32_t(height);
        anImage.myIsSrgb = aMode == TextureSrgbMode::ForceSrgb;
        anImage.myPixels.assign(pixels.get(), pixels.get() + size_t(width) * size_t(height) * 4);
        return true;
    }
}
