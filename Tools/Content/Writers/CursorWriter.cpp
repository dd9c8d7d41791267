#include "CursorWriter.h"

#include "ByteOutput.h"

namespace Vela::Content
{
    std::vector<uint8_t> EncodeCursor(const Image& anImage, uint16_t aHotspotX, uint16_t aHotspotY)
    {
        const uint32_t width = anImage.Width(), height = anImage.Height();
        const uint32_t maskStride = ((width + 31) / 32) * 4;
        // The bitmap: a BITMAPINFOHEADER of double height (colour plus mask), BGRA rows bottom up, then the mask.
        std::vector<uint8_t> bitmap;
        Put32(bitmap, 40);
        Put32(bitmap, width);
        Put32(bitmap, height * 2);
        Put16(bitmap, 1);
        Put16(bitmap, 32);
        for (int i = 0; i < 6; ++i)
            Put32(bitmap, 0);
        for (uint32_t row = height; row-- > 0;)
            for (uint32_t x = 0; x < width; ++x)
            {
                const Rgba pixel = anImage.At(x, row);
                bitmap.insert(bitmap.end(), { pixel[2], pixel[1], pixel[0], pixel[3] });
            }
        for (uint32_t row = height; row-- > 0;)
        {
            std::vector<uint8_t> mask(maskStride, 0);
            for (uint32_t x = 0; x < width; ++x)
                if (anImage.At(x, row)[3] == 0)
                    mask[x / 8] |= uint8_t(0x80 >> (x % 8));
            bitmap.insert(bitmap.end(), mask.begin(), mask.end());
        }

        std::vector<uint8_t> bytes;
        Put16(bytes, 0);
        Put16(bytes, 2); // cursor
        Put16(bytes, 1); // one image
        bytes.push_back(uint8_t(width == 256 ? 0 : width));
        bytes.push_back(uint8_t(height == 256 ? 0 : height));
        bytes.push_back(0);
        bytes.push_back(0);
        Put16(bytes, aHotspotX);
        Put16(bytes, aHotspotY);
        Put32(bytes, uint32_t(bitmap.size()));
        Put32(bytes, 6 + 16);
        bytes.insert(bytes.end(), bitmap.begin(), bitmap.end());
        return bytes;
    }
}
