#include "DdsBuilder.h"

#include "mire/loaders/DdsLoader.h"
#include "Support/TestSupport.h"

#include <filesystem>

#include <gtest/gtest.h>

using Vela::PixelFormat;
using Vela::TextureSrgbMode;
using VelaTest::DdsDescription;
using VelaTest::MakeDds;

namespace
{
    DdsDescription Describe(uint32_t aWidth, uint32_t aHeight, uint32_t aMipCount, bool aCube, uint32_t aDxgiFormat, const char* aFourCC)
    {
        DdsDescription description;
        description.width = aWidth;
        description.height = aHeight;
        description.mipCount = aMipCount;
        description.cube = aCube;
        description.dxgiFormat = aDxgiFormat;
        description.fourCC = aFourCC;
        return description;
    }

    bool Load(const std::vector<uint8_t>& someBytes, Vela::DdsImage& anImage, TextureSrgbMode aMode = TextureSrgbMode::AsStored)
    {
        std::string error;
        const bool loaded = Vela::LoadDdsFromMemory(someBytes, aMode, anImage, error);
        EXPECT_EQ(loaded, error.empty()) << error;
        return loaded;
    }

    std::string Refusal(const std::vector<uint8_t>& someBytes)
    {
        Vela::DdsImage image;
        std::string error;
        EXPECT_FALSE(Vela::LoadDdsFromMemory(someBytes, TextureSrgbMode::AsStored, image, error));
        EXPECT_EQ(image.myFormat, PixelFormat::Unknown) << "a refused file must leave the image untouched";
        return error;
    }
}

TEST(DdsLoader, ReadsOldStyleUncompressedFormatsByTheirMasks)
{
    DdsDescription rgba = Describe(2, 2, 1, false, 0, "");
    rgba.redMask = 0xFF; rgba.greenMask = 0xFF00; rgba.blueMask = 0xFF0000; rgba.alphaMask = 0xFF000000;
    Vela::DdsImage image;
    ASSERT_TRUE(Load(MakeDds(rgba, 16), image));
    EXPECT_EQ(image.myFormat, PixelFormat::R8G8B8A8_UNORM);
    EXPECT_EQ(image.myPixels.size(), 16u);
    EXPECT_EQ(image.myPixels[5], 5);

    DdsDescription bgra = rgba;
    bgra.redMask = 0xFF0000; bgra.blueMask = 0xFF;
    ASSERT_TRUE(Load(MakeDds(bgra, 16), image));
    EXPECT_EQ(image.myFormat, PixelFormat::B8G8R8A8_UNORM);

    DdsDescription bgrx = bgra;
    bgrx.alphaMask = 0;
    ASSERT_TRUE(Load(MakeDds(bgrx, 16), image));
    EXPECT_EQ(image.myFormat, PixelFormat::B8G8R8X8_UNORM);

    // RGBX has no format of its own: the fourth byte becomes opaque.
    DdsDescription rgbx = rgba;
    rgbx.alphaMask = 0;
    ASSERT_TRUE(Load(MakeDds(rgbx, 16), image));
    EXPECT_EQ(image.myFormat, PixelFormat::R8G8B8A8_UNORM);
    EXPECT_EQ(image.myPixels[3], 0xFF);
    EXPECT_EQ(image.myPixels[2], 2);
}

TEST(DdsLoader, MipChainOfBlockCompressedTextureHasBlockSizedLevels)
{
    // 16x8 DXT1: 4x2 blocks (64 bytes), 2x1 (16), 1x1 (8), 1x1 (8), 1x1 (8).
    DdsDescription description = Describe(16, 8, 5, false, 0, "DXT1");
    Vela::DdsImage image;
    ASSERT_TRUE(Load(MakeDds(description, 64 + 16 + 8 + 8 + 8), image));
    EXPECT_EQ(image.myFormat, PixelFormat::BC1_UNORM);
    ASSERT_EQ(image.mySurfaces.size(), 5u);
    EXPECT_EQ(image.GetSurface(0, 0).mySize, 64u);
    EXPECT_EQ(image.GetSurface(0, 0).myRowPitch, 32u);
    EXPECT_EQ(image.GetSurface(0, 1).myOffset, 64u);
    EXPECT_EQ(image.GetSurface(0, 1).myWidth, 8u);
    EXPECT_EQ(image.GetSurface(0, 1).myHeight, 4u);
    EXPECT_EQ(image.GetSurface(0, 4).myWidth, 1u);
    EXPECT_EQ(image.GetSurface(0, 4).mySize, 8u);

    const struct { const char* code; PixelFormat format; size_t blockBytes; } fourCCs[] = {
        { "DXT3", PixelFormat::BC2_UNORM, 16 }, { "DXT5", PixelFormat::BC3_UNORM, 16 },
        { "ATI1", PixelFormat::BC4_UNORM, 8 },  { "ATI2", PixelFormat::BC5_UNORM, 16 },
    };
    for (const auto& entry : fourCCs)
    {
        DdsDescription single = Describe(4, 4, 1, false, 0, entry.code);
        ASSERT_TRUE(Load(MakeDds(single, entry.blockBytes), image)) << entry.code;
        EXPECT_EQ(image.myFormat, entry.format) << entry.code;
    }
}

TEST(DdsLoader, ExtendedHeaderCubeMapHasSixFacesEachWithItsMips)
{
    // BC7 cube map 8x8 with 4 mips: 64 + 16 + 16 + 16 bytes per face.
    DdsDescription description = Describe(8, 8, 4, true, 98, "");
    Vela::DdsImage image;
    ASSERT_TRUE(Load(MakeDds(description, 6 * 112), image));
    EXPECT_TRUE(image.myIsCubeMap);
    EXPECT_EQ(image.myFaceCount, 6u);
    EXPECT_EQ(image.myFormat, PixelFormat::BC7_UNORM);
    EXPECT_EQ(image.GetSurface(1, 0).myOffset, 112u);
    EXPECT_EQ(image.GetSurface(5, 3).myOffset, 5 * 112u + 96u);

    // Old-style cube maps need all six faces.
    DdsDescription oldCube = Describe(4, 4, 1, true, 0, "DXT1");
    ASSERT_TRUE(Load(MakeDds(oldCube, 6 * 8), image));
    EXPECT_EQ(image.myFaceCount, 6u);
    auto partial = MakeDds(oldCube, 6 * 8);
    partial[112] = 0x00; // caps2: cube flag without the face bits
    partial[113] = 0x02;
    EXPECT_NE(Refusal(partial).find("six faces"), std::string::npos);
}

TEST(DdsLoader, SrgbModeForcesOrStripsTheSrgbVariant)
{
    DdsDescription unorm = Describe(4, 4, 1, false, 71, "");
    DdsDescription srgb = Describe(4, 4, 1, false, 99, "");
    Vela::DdsImage image;
    ASSERT_TRUE(Load(MakeDds(unorm, 8), image, TextureSrgbMode::ForceSrgb));
    EXPECT_EQ(image.myFormat, PixelFormat::BC1_UNORM_SRGB);
    ASSERT_TRUE(Load(MakeDds(srgb, 16), image, TextureSrgbMode::IgnoreSrgb));
    EXPECT_EQ(image.myFormat, PixelFormat::BC7_UNORM);
    ASSERT_TRUE(Load(MakeDds(srgb, 16), image, TextureSrgbMode::AsStored));
    EXPECT_EQ(image.myFormat, PixelFormat::BC7_UNORM_SRGB);
    // Formats without an sRGB twin stay as they are.
    DdsDescription bc5 = Describe(4, 4, 1, false, 83, "");
    ASSERT_TRUE(Load(MakeDds(bc5, 16), image, TextureSrgbMode::ForceSrgb));
    EXPECT_EQ(image.myFormat, PixelFormat::BC5_UNORM);
    // Typeless storage reads as its UNORM twin.
    DdsDescription typeless = Describe(4, 4, 1, false, 27, "");
    ASSERT_TRUE(Load(MakeDds(typeless, 64), image, TextureSrgbMode::ForceSrgb));
    EXPECT_EQ(image.myFormat, PixelFormat::R8G8B8A8_UNORM_SRGB);
}

TEST(DdsLoader, RefusesBrokenFilesWithAReason)
{
    DdsDescription good = Describe(8, 8, 4, false, 0, "DXT5");
    const auto complete = MakeDds(good, 64 + 16 + 16 + 16);

    EXPECT_FALSE(Refusal({ 'D', 'D', 'S' }).empty());
    auto wrongMagic = complete;
    wrongMagic[0] = 'X';
    EXPECT_NE(Refusal(wrongMagic).find("magic"), std::string::npos);
    auto truncated = complete;
    truncated.resize(truncated.size() - 1);
    EXPECT_NE(Refusal(truncated).find("cut short"), std::string::npos);
    EXPECT_FALSE(Refusal(MakeDds(Describe(4, 4, 4, false, 0, "DXT1"), 1000)).empty());
    EXPECT_FALSE(Refusal(MakeDds(Describe(0, 4, 1, false, 0, "DXT1"), 8)).empty());
    EXPECT_FALSE(Refusal(MakeDds(Describe(20000, 4, 1, false, 0, "DXT1"), 8)).empty());
    EXPECT_FALSE(Refusal(MakeDds(Describe(4, 4, 1, false, 0, "ABCD"), 64)).empty());
    EXPECT_FALSE(Refusal(MakeDds(Describe(4, 4, 1, false, 2, ""), 256)).empty());
    // A width and height whose block sizes overflow 32 bits must not wrap into a small size.
    EXPECT_FALSE(Refusal(MakeDds(Describe(16384, 16384, 1, false, 28, ""), 64)).empty());

    Vela::DdsImage image;
    std::string error;
    EXPECT_FALSE(Vela::LoadDdsFromFile("/no/such/file.dds", TextureSrgbMode::AsStored, image, error));
    EXPECT_EQ(error, "/no/such/file.dds not found");
    // A folder opens like a file on this system, and its read throws from the file buffer.
    const VelaTest::TempDirectory folder;
    std::filesystem::create_directories(folder.Path() / "T_Folder_C.dds");
    bool loaded = true;
    EXPECT_NO_THROW(loaded = Vela::LoadDdsFromFile(folder.Path() / "T_Folder_C.dds", TextureSrgbMode::AsStored, image, error));
    EXPECT_FALSE(loaded);
    EXPECT_NE(error.find("is a folder, not a file"), std::string::npos) << error;
}
