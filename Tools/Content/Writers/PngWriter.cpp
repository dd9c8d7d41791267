#include "PngWriter.h"

#include <png.h>

#include <csetjmp>

namespace Vela::Content
{
    namespace
    {
        void AppendBytes(png_structp aPng, png_bytep someData, png_size_t aLength)
        {
            auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(aPng));
            bytes->insert(bytes->end(), someData, someData + aLength);
        }

        void Flush(png_structp) {}

        // Kept apart from EncodePng so that the longjmp of an error skips no destructors.
        bool Encode(const Image& anImage, std::vector<uint8_t>& someBytes)
        {
            png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
            if (!png)
                return false;
            png_infop info = png_create_info_struct(png);
            if (!info || setjmp(png_jmpbuf(png)))
            {
                png_destroy_write_struct(&png, &info);
                return false;
            }
            png_set_write_fn(png, &someBytes, AppendBytes, Flush);
            png_set_IHDR(png, info, anImage.Width(), anImage.Height(), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                         PNG_FILTER_TYPE_DEFAULT);
            // The pictures are sRGB colour art; the sRGB chunk lets readers know.
            png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
            png_set_compression_level(png, 6);
            png_write_info(png, info);
            for (uint32_t row = 0; row < anImage.Height(); ++row)
                png_write_row(png, const_cast<png_bytep>(anImage.Pixels().data() + size_t(row) * anImage.Width() * 4));
            png_write_end(png, info);
            png_destroy_write_struct(&png, &info);
            return true;
        }
    }

    std::vector<uint8_t> EncodePng(const Image& anImage)
    {
        std::vector<uint8_t> bytes;
        if (!Encode(anImage, bytes))
            bytes.clear();
        return bytes;
    }
}
