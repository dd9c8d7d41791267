#include "mire/loaders/PngLoader.h"

#include <png.h>

#include <csetjmp>
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

        // libpng reports errors through longjmp; the message is kept for our own error text.
        struct ErrorState
        {
            char myMessage[256] = {};
        };

        void OnPngError(png_structp aPng, png_const_charp aMessage)
        {
            auto* state = static_cast<ErrorState*>(png_get_error_ptr(aPng));
            snprintf(state->myMessage, sizeof(state->myMessage), "%s", aMessage);
            png_longjmp(aPng, 1);
        }

        void OnPngWarning(png_structp, png_const_charp) {}

        // Everything that may be interrupted by longjmp lives in plain storage owned by the caller.
        bool Decode(FILE* aFile, ErrorState& anErrorState, RgbaImage& anImage, bool& aFileSaysSrgb)
        {
            png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &anErrorState, OnPngError, OnPngWarning);
            if (!png)
                return false;
            png_infop info = png_create_info_struct(png);
            if (!info)
            {
                png_destroy_read_struct(&png, nullptr, nullptr);
                return false;
            }
            // Row pointers are allocated before setjmp so nothing with a destructor is skipped.
            std::vector<png_bytep> rows;
            if (setjmp(png_jmpbuf(png)))
            {
                png_destroy_read_struct(&png, &info, nullptr);
                return false;
            }
            png_init_io(png, aFile);
            png_set_user_limits(png, MAX_IMAGE_DIMENSION, MAX_IMAGE_DIMENSION);
            png_read_info(png, info);

            const png_uint_32 width = png_get_image_width(png, info);
            const png_uint_32 height = png_get_image_height(png, info);
            const int colourType = png_get_color_type(png, info);
            const int bitDepth = png_get_bit_depth(png, info);

            int intent = 0;
            double gamma = 0.0;
            aFileSaysSrgb = png_get_sRGB(png, info, &intent) != 0;
            if (!aFileSaysSrgb && png_get_gAMA(png, info, &gamma) != 0)
                aFileSaysSrgb = gamma > 0.4500 && gamma < 0.4600; // stored as 1/2.2 = 0.45455

            if (bitDepth == 16)
                png_set_strip_16(png);
            if (colourType == PNG_COLOR_TYPE_PALETTE)
                png_set_palette_to_rgb(png);
            if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
                png_set_expand_gray_1_2_4_to_8(png);
            if (png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_tRNS_to_alpha(png);
            if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
                png_set_gray_to_rgb(png);
            if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
            png_set_interlace_handling(png);
            png_read_update_info(png, info);
            if (png_get_rowbytes(png, info) != size_t(width) * 4)
                png_error(png, "unexpected row size after conversion");

            anImage.myWidth = width;
            anImage.myHeight = height;
            anImage.myPixels.resize(size_t(width) * height * 4);
            rows.resize(height);
            for (png_uint_32 row = 0; row < height; ++row)
                rows[row] = anImage.myPixels.data() + size_t(row) * width * 4;
            png_read_image(png, rows.data());
            png_read_end(png, nullptr);
            png_destroy_read_struct(&png, &info, nullptr);
            return true;
        }
    }

    bool IsPngFile(const std::filesystem::path& aPath)
    {
        std::unique_ptr<FILE, FileCloser> file(fopen(aPath.c_str(), "rb"));
        uint8_t signature[8] = {};
        return file && fread(signature, 1, sizeof(signature), file.get()) == sizeof(signature) &&
               png_sig_cmp(signature, 0, sizeof(signature)) == 0;
    }

    bool LoadPngImage(const std::filesystem::path& aPath, TextureSrgbMode aMode, RgbaImage& anImage, std::string& anError)
    {
        if (!IsPngFile(aPath))
        {
            anError = "not a PNG file: " + aPath.string();
            return false;
        }
        std::unique_ptr<FILE, FileCloser> file(fopen(aPath.c_str(), "rb"));
        if (!file)
        {
            anError = "cannot open " + aPath.string();
            return false;
        }
        ErrorState errorState;
        RgbaImage decoded;
        bool fileSaysSrgb = false;
        if (!Decode(file.get(), errorState, decoded, fileSaysSrgb))
        {
            anError = std::string("cannot decode the PNG: ") + (errorState.myMessage[0] ? errorState.myMessage : "unknown reason");
            return false;
        }
        decoded.myIsSrgb = aMode == TextureSrgbMode::ForceSrgb || (aMode == TextureSrgbMode::AsStored && fileSaysSrgb);
        anImage = std::move(decoded);
        return true;
    }
}
