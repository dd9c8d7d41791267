#include "PngBuilder.h"

#include "mire/loaders/PngLoader.h"
#include "mire/loaders/TgaLoader.h"

#include "Support/AssertionCapture.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
    // A Targa file whose pixel (row r from the bottom, column c) has BGRA bytes (c, r, 200, 255).
    std::string MakeTarga(uint16_t aWidth, uint16_t aHeight, uint8_t aBits = 32, uint8_t aType = 2, const std::string& anId = "")
    {
        std::string bytes(18, '\0');
        bytes[0] = char(anId.size());
        bytes[2] = char(aType);
        bytes[12] = char(aWidth & 0xFF);
        bytes[13] = char(aWidth >> 8);
        bytes[14] = char(aHeight & 0xFF);
        bytes[15] = char(aHeight >> 8);
        bytes[16] = char(aBits);
        bytes[17] = 8;
        bytes += anId;
        for (uint16_t row = 0; row < aHeight; ++row)
            for (uint16_t column = 0; column < aWidth; ++column)
                bytes += std::string{ char(column), char(row), char(200), char(255) };
        return bytes;
    }

    std::unique_ptr<Vela::TargaImage> LoadTarga(const std::filesystem::path& aPath)
    {
        return Vela::LoadTargaImage(aPath.wstring().c_str());
    }

    // A 2x2 picture: red, green / blue, white.
    std::string MakePng(VelaTest::ColourSpaceChunk aChunk)
    {
        const std::string rgb = { char(255), 0, 0, 0, char(255), 0, 0, 0, char(255), char(255), char(255), char(255) };
        return VelaTest::MakePng(2, 2, rgb, aChunk);
    }
}

TEST(TargaLoader, ComesOutTopRowFirstInRgbaOrder)
{
    VelaTest::TempDirectory folder;
    const auto image = LoadTarga(folder.Write("picture.tga", MakeTarga(3, 2)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->myWidth, 3);
    EXPECT_EQ(image->myHeight, 2);
    EXPECT_EQ(image->myBitsPerPixel, 32);
    ASSERT_EQ(image->myPixels.size(), 3u * 2u * 4u);
    // First row in memory is the file's last (top) row: r = 1. Bytes swapped to R, G, B, A.
    EXPECT_EQ(image->myPixels[0], 200);
    EXPECT_EQ(image->myPixels[1], 1);
    EXPECT_EQ(image->myPixels[2], 0);
    EXPECT_EQ(image->myPixels[3], 255);
    EXPECT_EQ(image->myPixels[3 * 4 + 1], 0); // second row: r = 0
    EXPECT_EQ(image->myPixels[2 * 4 + 2], 2); // column 2
}

TEST(TargaLoader, SkipsTheImageIdField)
{
    VelaTest::TempDirectory folder;
    const auto image = LoadTarga(folder.Write("named.tga", MakeTarga(2, 2, 32, 2, "made by hand")));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->myPixels[0], 200);
    EXPECT_EQ(image->myPixels[1], 1);
}

TEST(TargaLoader, RefusesWhatItCannotReadWithoutReadingGarbage)
{
    VelaTest::TempDirectory folder;
    EXPECT_FALSE(LoadTarga(folder.Write("rgb.tga", MakeTarga(2, 2, 24))));
    EXPECT_FALSE(LoadTarga(folder.Write("rle.tga", MakeTarga(2, 2, 32, 10))));
    EXPECT_FALSE(LoadTarga(folder.Write("empty.tga", MakeTarga(0, 2))));
    std::string huge = MakeTarga(1, 1);
    huge[12] = char(0x01);
    huge[13] = char(0x41); // 16641 wide
    EXPECT_FALSE(LoadTarga(folder.Write("huge.tga", huge)));
    std::string cut = MakeTarga(4, 4);
    cut.resize(cut.size() - 5);
    EXPECT_FALSE(LoadTarga(folder.Write("cut.tga", cut)));
    EXPECT_FALSE(LoadTarga(folder.Write("header.tga", "short")));

    VelaTest::AssertionCapture capture;
    EXPECT_FALSE(LoadTarga(folder.Path() / "missing.tga"));
    EXPECT_EQ(capture.Count(), 1u);
}

TEST(PngLoader, ColourSpaceFollowsTheFileInStoredModeAndTheModeOtherwise)
{
    VelaTest::TempDirectory folder;
    const auto plain = folder.Write("plain.png", MakePng(VelaTest::ColourSpaceChunk::None));
    const auto srgb = folder.Write("srgb.png", MakePng(VelaTest::ColourSpaceChunk::Srgb));
    const auto gamma = folder.Write("gamma.png", MakePng(VelaTest::ColourSpaceChunk::Gamma22));
    const auto linear = folder.Write("linear.png", MakePng(VelaTest::ColourSpaceChunk::GammaLinear));

    auto load = [](const std::filesystem::path& aPath, Vela::TextureSrgbMode aMode) {
        Vela::RgbaImage image;
        std::string error;
        EXPECT_TRUE(Vela::LoadPngImage(aPath, aMode, image, error)) << error;
        return image;
    };
    EXPECT_FALSE(load(plain, Vela::TextureSrgbMode::AsStored).myIsSrgb);
    EXPECT_TRUE(load(srgb, Vela::TextureSrgbMode::AsStored).myIsSrgb);
    EXPECT_TRUE(load(gamma, Vela::TextureSrgbMode::AsStored).myIsSrgb);
    EXPECT_FALSE(load(linear, Vela::TextureSrgbMode::AsStored).myIsSrgb);
    EXPECT_TRUE(load(plain, Vela::TextureSrgbMode::ForceSrgb).myIsSrgb);
    EXPECT_FALSE(load(srgb, Vela::TextureSrgbMode::IgnoreSrgb).myIsSrgb);

    // Pixels come out as stored (no gamma conversion), RGB widened to opaque RGBA.
    const Vela::RgbaImage image = load(linear, Vela::TextureSrgbMode::AsStored);
    ASSERT_EQ(image.myWidth, 2u);
    ASSERT_EQ(image.myHeight, 2u);
    const std::vector<uint8_t> expected = { 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255 };
    EXPECT_EQ(image.myPixels, expected);
}

TEST(PngLoader, RefusesCorruptFilesWithAReason)
{
    VelaTest::TempDirectory folder;
    std::string broken = MakePng(VelaTest::ColourSpaceChunk::None);
    broken.resize(broken.size() / 2 + 10);
    const auto brokenPath = folder.Write("broken.png", broken);
    const auto notPng = folder.Write("text.png", "hello, world");

    Vela::RgbaImage image;
    image.myWidth = 77;
    std::string error;
    EXPECT_FALSE(Vela::LoadPngImage(brokenPath, Vela::TextureSrgbMode::AsStored, image, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image.myWidth, 77u) << "a failed decode leaves the caller's image alone";
    error.clear();
    EXPECT_FALSE(Vela::LoadPngImage(notPng, Vela::TextureSrgbMode::AsStored, image, error));
    EXPECT_NE(error.find("not a PNG"), std::string::npos);
    EXPECT_FALSE(Vela::IsPngFile(folder.Path() / "missing.png"));
}
