// The ".cur" reader: hotspot and pixels from bitmap and PNG payloads, and refusal of broken files.
#include "Platform/window/Cursor.h"
#include "Platform/window/CursorFile.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <vector>

using namespace Vela::Platform;

namespace
{
    void PutU16(std::vector<uint8_t>& aBytes, uint16_t aValue)
    {
        aBytes.push_back(static_cast<uint8_t>(aValue & 0xFF));
        aBytes.push_back(static_cast<uint8_t>(aValue >> 8));
    }

    void PutU32(std::vector<uint8_t>& aBytes, uint32_t aValue)
    {
        for (int i = 0; i < 4; ++i)
        {
            aBytes.push_back(static_cast<uint8_t>((aValue >> (8 * i)) & 0xFF));
        }
    }

    // A one-image cursor file around aPayload.
    std::vector<uint8_t> CursorFile(uint8_t aSide, uint16_t aHotX, uint16_t aHotY, const std::vector<uint8_t>& aPayload)
    {
        std::vector<uint8_t> bytes;
        PutU16(bytes, 0);
        PutU16(bytes, 2);
        PutU16(bytes, 1);
        bytes.push_back(aSide);
        bytes.push_back(aSide);
        bytes.push_back(0);
        bytes.push_back(0);
        PutU16(bytes, aHotX);
        PutU16(bytes, aHotY);
        PutU32(bytes, static_cast<uint32_t>(aPayload.size()));
        PutU32(bytes, 22);
        bytes.insert(bytes.end(), aPayload.begin(), aPayload.end());
        return bytes;
    }

    std::vector<uint8_t> BitmapHeader(uint32_t aWidth, uint32_t aHeight, uint16_t aBits, uint32_t aPaletteCount = 0)
    {
        std::vector<uint8_t> bytes;
        PutU32(bytes, 40);
        PutU32(bytes, aWidth);
        PutU32(bytes, aHeight * 2);
        PutU16(bytes, 1);
        PutU16(bytes, aBits);
        PutU32(bytes, 0);
        PutU32(bytes, 0);
        PutU32(bytes, 0);
        PutU32(bytes, 0);
        PutU32(bytes, aPaletteCount);
        PutU32(bytes, 0);
        return bytes;
    }

    const uint8_t* Pixel(const CursorImage& aImage, uint32_t aX, uint32_t aY)
    {
        return &aImage.rgba[(aY * aImage.width + aX) * 4];
    }
}

TEST(CursorFileTest, ThirtyTwoBitBitmapKeepsItsAlphaAndFlipsRows)
{
    // 2 x 2: bottom row stored first. Bottom-left red opaque, bottom-right green half, top row blue and clear.
    std::vector<uint8_t> payload = BitmapHeader(2, 2, 32);
    const uint8_t bottom[] = { 0, 0, 255, 255, 0, 255, 0, 128 };
    const uint8_t top[] = { 255, 0, 0, 255, 0, 0, 0, 0 };
    payload.insert(payload.end(), bottom, bottom + 8);
    payload.insert(payload.end(), top, top + 8);
    payload.insert(payload.end(), 8, 0); // mask rows (ignored when alpha is present)

    const auto image = ParseCursorFile(CursorFile(2, 1, 0, payload));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->height, 2u);
    EXPECT_EQ(image->hotspotX, 1u);
    EXPECT_EQ(image->hotspotY, 0u);
    EXPECT_EQ(Pixel(*image, 0, 1)[0], 255);
    EXPECT_EQ(Pixel(*image, 0, 1)[3], 255);
    EXPECT_EQ(Pixel(*image, 1, 1)[1], 255);
    EXPECT_EQ(Pixel(*image, 1, 1)[3], 128);
    EXPECT_EQ(Pixel(*image, 0, 0)[2], 255) << "row 0 of the image is the top row";
    EXPECT_EQ(Pixel(*image, 1, 0)[3], 0);
}

TEST(CursorFileTest, TwentyFourBitBitmapTakesTransparencyFromTheMask)
{
    std::vector<uint8_t> payload = BitmapHeader(2, 1, 24);
    const uint8_t row[] = { 10, 20, 30, 40, 50, 60, 0, 0 }; // two BGR pixels, padded to 8 bytes
    payload.insert(payload.end(), row, row + 8);
    const uint8_t mask[] = { 0x40, 0, 0, 0 }; // second pixel transparent
    payload.insert(payload.end(), mask, mask + 4);

    const auto image = ParseCursorFile(CursorFile(2, 0, 0, payload));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Pixel(*image, 0, 0)[0], 30);
    EXPECT_EQ(Pixel(*image, 0, 0)[2], 10);
    EXPECT_EQ(Pixel(*image, 0, 0)[3], 255);
    EXPECT_EQ(Pixel(*image, 1, 0)[3], 0);
}

TEST(CursorFileTest, PalettedBitmapLooksColoursUp)
{
    std::vector<uint8_t> payload = BitmapHeader(2, 1, 1, 2);
    const uint8_t palette[] = { 0, 0, 0, 0, 255, 255, 255, 0 };
    payload.insert(payload.end(), palette, palette + 8);
    const uint8_t row[] = { 0x40, 0, 0, 0 }; // pixel 0 black, pixel 1 white
    payload.insert(payload.end(), row, row + 4);
    const uint8_t mask[] = { 0, 0, 0, 0 };
    payload.insert(payload.end(), mask, mask + 4);

    const auto image = ParseCursorFile(CursorFile(2, 5, 5, payload));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Pixel(*image, 0, 0)[0], 0);
    EXPECT_EQ(Pixel(*image, 1, 0)[0], 255);
    EXPECT_EQ(image->hotspotX, 1u) << "a hotspot outside the image is clamped";
}

TEST(CursorFileTest, PngPayloadIsDecoded)
{
    const uint8_t rgba[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 2;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    ASSERT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr), 0);
    std::vector<uint8_t> png(size);
    ASSERT_NE(png_image_write_to_memory(&image, png.data(), &size, 0, rgba, 0, nullptr), 0);
    png.resize(size);

    const auto cursor = ParseCursorFile(CursorFile(2, 1, 1, png));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->width, 2u);
    EXPECT_EQ(cursor->hotspotY, 1u);
    ASSERT_EQ(cursor->rgba.size(), 16u);
    EXPECT_EQ(std::memcmp(cursor->rgba.data(), rgba, 16), 0);
}

TEST(CursorFileTest, BrokenFilesAreRefusedWithoutReadingPastTheEnd)
{
    std::vector<uint8_t> payload = BitmapHeader(2, 2, 32);
    payload.insert(payload.end(), 16, 0xFF);
    const std::vector<uint8_t> good = CursorFile(2, 0, 0, payload);
    ASSERT_TRUE(ParseCursorFile(good).has_value());

    EXPECT_FALSE(ParseCursorFile({}).has_value());
    // An icon (type 1), not a cursor.
    std::vector<uint8_t> icon = good;
    icon[2] = 1;
    EXPECT_FALSE(ParseCursorFile(icon).has_value());
    // Every truncation of the file.
    for (size_t length = 0; length < good.size(); ++length)
    {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(ParseCursorFile(cut).has_value()) << "length " << length;
    }
    // An image offset past the end.
    std::vector<uint8_t> farOffset = good;
    farOffset[18] = 0xFF;
    farOffset[19] = 0xFF;
    EXPECT_FALSE(ParseCursorFile(farOffset).has_value());
    // A huge width claimed by the bitmap header.
    std::vector<uint8_t> huge = good;
    huge[22 + 4] = 0xFF;
    huge[22 + 5] = 0xFF;
    huge[22 + 6] = 0xFF;
    EXPECT_FALSE(ParseCursorFile(huge).has_value());
    // Many directory entries claimed by a short file.
    std::vector<uint8_t> manyEntries = good;
    manyEntries[4] = 0xFF;
    EXPECT_FALSE(ParseCursorFile(manyEntries).has_value());
    // A PNG signature followed by garbage.
    std::vector<uint8_t> badPng = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3, 4 };
    EXPECT_FALSE(ParseCursorFile(CursorFile(2, 0, 0, badPng)).has_value());
}

TEST(CursorFileTest, AFolderOrAMissingFileLeavesTheSystemCursor)
{
    // Read from the window procedure: a throw there would end the program.
    const VelaTest::TempDirectory folder;
    std::filesystem::create_directories(folder.Path() / "MouseCursor.cur");
    Vela::Platform::CursorHandle cursor = nullptr;
    testing::internal::CaptureStdout();
    EXPECT_NO_THROW(cursor = Vela::Platform::LoadCursorFromFile(folder.Path() / "MouseCursor.cur"));
    EXPECT_EQ(cursor, nullptr);
    EXPECT_NO_THROW(cursor = Vela::Platform::LoadCursorFromFile(folder.Path() / "Absent.cur"));
    EXPECT_EQ(cursor, nullptr);
    const std::string lines = testing::internal::GetCapturedStdout();
    EXPECT_EQ(lines, "Could not read cursor file " + (folder.Path() / "MouseCursor.cur").string() +
                         " (is a folder, not a file); the system cursor is used\n"
                         "Could not read cursor file " + (folder.Path() / "Absent.cur").string() + " (not found); the system cursor is used\n");
}
