// The content writers' files read back through the engine's own loaders as written.
#include "Support/TestSupport.h"
#include "Writers/CursorWriter.h"
#include "Writers/DdsWriter.h"
#include "Writers/FileOutput.h"
#include "Writers/PngWriter.h"
#include "Writers/Synth.h"
#include "Writers/WavWriter.h"

#include "mire/loaders/DdsLoader.h"
#include "mire/loaders/PngLoader.h"
#include "Platform/audio/WavDecoder.h"
#include "Platform/window/CursorFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Vela::Content::Image;

    // Every pixel different: red along x, green along y, alpha in steps.
    Image Pattern(uint32_t aWidth, uint32_t aHeight)
    {
        Image image(aWidth, aHeight);
        for (uint32_t y = 0; y < aHeight; ++y)
            for (uint32_t x = 0; x < aWidth; ++x)
                image.Set(x, y, { uint8_t(x * 255 / aWidth), uint8_t(y * 255 / aHeight), 77, uint8_t(x % 4 == 0 ? 0 : 255 - y) });
        return image;
    }
}

TEST(ContentWriters, PngAndRgbaDdsReadBackPixelForPixel)
{
    const Image image = Pattern(12, 7);
    VelaTest::TempDirectory folder;
    ASSERT_TRUE(Vela::Content::WriteFileBytes(folder.Path() / "pattern.png", Vela::Content::EncodePng(image)));
    Vela::RgbaImage png;
    std::string error;
    ASSERT_TRUE(Vela::LoadPngImage(folder.Path() / "pattern.png", Vela::TextureSrgbMode::AsStored, png, error)) << error;
    EXPECT_EQ(png.myWidth, 12u);
    EXPECT_EQ(png.myHeight, 7u);
    EXPECT_TRUE(png.myIsSrgb);
    EXPECT_EQ(png.myPixels, image.Pixels());

    const std::vector<uint8_t> bytes = Vela::Content::EncodeDds(image, Vela::Content::DdsFormat::Rgba8Srgb);
    Vela::DdsImage dds;
    ASSERT_TRUE(Vela::LoadDdsFromMemory(bytes, Vela::TextureSrgbMode::AsStored, dds, error)) << error;
    EXPECT_EQ(dds.myFormat, Vela::PixelFormat::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(dds.myWidth, 12u);
    EXPECT_EQ(std::vector<uint8_t>(dds.myPixels.begin(), dds.myPixels.end()), image.Pixels());
}

TEST(ContentWriters, CompressedAndCubeDdsHaveTheLayoutTheLoaderExpects)
{
    std::string error;
    for (auto [format, expected, blockBytes] : { std::tuple{ Vela::Content::DdsFormat::Bc1Srgb, Vela::PixelFormat::BC1_UNORM_SRGB, 8u },
                                                 std::tuple{ Vela::Content::DdsFormat::Bc3Srgb, Vela::PixelFormat::BC3_UNORM_SRGB, 16u } })
    {
        const std::vector<uint8_t> bytes = Vela::Content::EncodeDds(Pattern(16, 8), format);
        Vela::DdsImage dds;
        ASSERT_TRUE(Vela::LoadDdsFromMemory(bytes, Vela::TextureSrgbMode::AsStored, dds, error)) << error;
        EXPECT_EQ(dds.myFormat, expected);
        EXPECT_EQ(dds.GetSurface(0, 0).mySize, size_t(4 * 2 * blockBytes));
    }
    const std::vector<Image> mips = Vela::Content::MipChain(Pattern(8, 8));
    ASSERT_EQ(mips.size(), 4u);
    EXPECT_EQ(mips.back().Width(), 1u);
    const std::vector<uint8_t> cube = Vela::Content::EncodeDds(std::vector<std::vector<Image>>(6, mips), Vela::Content::DdsFormat::Rgba8);
    Vela::DdsImage dds;
    ASSERT_TRUE(Vela::LoadDdsFromMemory(cube, Vela::TextureSrgbMode::AsStored, dds, error)) << error;
    EXPECT_TRUE(dds.myIsCubeMap);
    EXPECT_EQ(dds.myFaceCount, 6u);
    EXPECT_EQ(dds.myMipCount, 4u);
}

TEST(ContentWriters, WavAndCursorReadBackAsWritten)
{
    const std::vector<float> samples = { 0.0f, 0.5f, -0.5f, 0.25f, -0.125f };
    const std::vector<uint8_t> wav = Vela::Content::EncodeWav(samples, 22050);
    Vela::Platform::DecodedSound sound;
    std::string error;
    ASSERT_TRUE(Vela::Platform::DecodeWav(wav, 22050, sound, error)) << error;
    EXPECT_EQ(sound.channels, 1u);
    ASSERT_EQ(sound.samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(sound.samples[i], int16_t(std::lround(samples[i] * 32767.0f)));

    const Image arrow = Pattern(32, 32);
    const std::vector<uint8_t> bytes = Vela::Content::EncodeCursor(arrow, 3, 5);
    const auto cursor = Vela::Platform::ParseCursorFile(bytes);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->width, 32u);
    EXPECT_EQ(cursor->hotspotX, 3u);
    EXPECT_EQ(cursor->hotspotY, 5u);
    EXPECT_EQ(cursor->rgba, arrow.Pixels());
}

TEST(ContentWriters, ALoopsTailWrapsOntoItsStart)
{
    Vela::Content::Track track(1000u, size_t(100));
    track.AddTone(0.08f, 0.04f, 50.0f, 0.5f, Vela::Content::Wave::Sine, { 0.0f, 0.0f, 0.0f });
    const std::vector<float> before = track.Samples();
    ASSERT_EQ(before.size(), 120u); // the note runs 20 samples past the end
    track.WrapInto(100);
    ASSERT_EQ(track.Samples().size(), 100u);
    for (size_t i = 0; i < 20; ++i)
        EXPECT_FLOAT_EQ(track.Samples()[i], before[i] + before[100 + i]);
    EXPECT_FLOAT_EQ(track.Samples()[90], before[90]);
}
