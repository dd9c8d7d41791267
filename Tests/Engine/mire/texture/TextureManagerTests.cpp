// The texture cache on the headless device: placeholders, keys, reloads, threads and file formats.
#include "../graphics/RendererTestSupport.h"
#include "../loaders/DdsBuilder.h"
#include "../loaders/PngBuilder.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/filewatcher/FileWatcher.h"
#include "mire/texture/Texture.h"

#include <chrono>
#include <thread>

using Vela::TextureSrgbMode;
using VelaTest::RENDER_HEIGHT;

namespace
{
    // An uncompressed RGBA8 DDS (sRGB when asked) of one colour per mip level.
    std::string SolidDds(uint32_t aSize, const std::vector<std::array<uint8_t, 4>>& someMipColours, bool aSrgb = false)
    {
        VelaTest::DdsDescription description;
        description.width = aSize;
        description.height = aSize;
        description.mipCount = uint32_t(someMipColours.size());
        description.dxgiFormat = aSrgb ? 29 : 28;
        std::vector<uint8_t> bytes = VelaTest::MakeDdsHeader(description);
        uint32_t size = aSize;
        for (const auto& colour : someMipColours)
        {
            for (uint32_t i = 0; i < size * size; ++i)
                bytes.insert(bytes.end(), colour.begin(), colour.end());
            size = size > 1 ? size / 2 : 1;
        }
        return std::string(bytes.begin(), bytes.end());
    }

    // A block-compressed 4x4 DDS made of one block.
    std::string OneBlockDds(uint32_t aDxgiFormat, const std::vector<uint8_t>& aBlock)
    {
        VelaTest::DdsDescription description;
        description.dxgiFormat = aDxgiFormat;
        std::vector<uint8_t> bytes = VelaTest::MakeDdsHeader(description);
        bytes.insert(bytes.end(), aBlock.begin(), aBlock.end());
        return std::string(bytes.begin(), bytes.end());
    }

    // BC7 mode 6 block with both endpoints (R, G, B, A) as 7-bit values plus a set p-bit: one flat colour.
    std::vector<uint8_t> Bc7FlatBlock(uint8_t aRed7, uint8_t aGreen7, uint8_t aBlue7, uint8_t anAlpha7)
    {
        std::vector<uint8_t> block(16, 0);
        size_t bit = 0;
        auto put = [&](uint32_t aValue, int aCount) {
            for (int i = 0; i < aCount; ++i, ++bit)
                if (aValue >> i & 1)
                    block[bit / 8] |= uint8_t(1u << (bit % 8));
        };
        put(1u << 6, 7); // mode 6
        for (uint8_t channel : { aRed7, aGreen7, aBlue7, anAlpha7 })
        {
            put(channel, 7);
            put(channel, 7);
        }
        put(1, 1);
        put(1, 1);
        return block;
    }

    // A 2x1 32-bit Targa: left pixel blue, right pixel green (stored BGRA).
    std::string TinyTarga()
    {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = 2;
        bytes[14] = 1;
        bytes[16] = 32;
        bytes += std::string{ char(255), 0, 0, char(255), 0, char(255), 0, char(255) };
        return bytes;
    }

    Vela::Gfx::Texture2DDesc DescriptionOf(const Vela::Texture& aTexture)
    {
        Vela::Gfx::Texture2DDesc description;
        Vela::Gfx::Resource* resource = nullptr;
        aTexture.GetShaderResourceView()->GetResource(&resource);
        static_cast<Vela::Gfx::Texture2D*>(resource)->GetDesc(&description);
        resource->Release();
        return description;
    }

    class TextureManagerTest : public VelaTest::RendererTest
    {
    protected:
        std::vector<uint8_t> ReadTexture(const Vela::Texture& aTexture, uint32_t aSubresource)
        {
            Vela::Gfx::Resource* resource = nullptr;
            aTexture.GetShaderResourceView()->GetResource(&resource);
            std::vector<uint8_t> pixels;
            EXPECT_TRUE(Vela::Gfx::Succeeded(Vela::Gfx::ReadBackTexture(Vela::DX11::Device, Vela::DX11::Context,
                                                                         static_cast<Vela::Gfx::Texture2D*>(resource), aSubresource, pixels)));
            resource->Release();
            return pixels;
        }

        // Draws the texture over a 20x20 sprite and answers the pixel in its middle.
        VelaTest::Rgba Show(const Vela::Texture* aTexture)
        {
            BeginFrame();
            {
                Vela::SpriteSharedData shared;
                shared.myColorTexture = aTexture;
                auto batch = Graphics().GetSpriteDrawer()->BeginBatch(shared);
                Vela::SpriteInstance sprite;
                sprite.myPosition = { 40, 60 };
                sprite.mySize = { 20, 20 };
                batch.Draw(sprite);
            }
            return PixelAt(ReadBackBuffer(), 50, RENDER_HEIGHT - 50);
        }
    };

    class HotReloadTest : public TextureManagerTest
    {
    protected:
        uint32_t DebugFeatures() const override { return Vela::DebugFeature::Filewatcher; }
    };
}

TEST_F(TextureManagerTest, MissingFileGivesTheSameCheckerboardPlaceholderEachTime)
{
    EXPECT_EQ(Textures().LoadTexture("Textures/nothing.dds"), nullptr);
    Vela::Texture* placeholder = Textures().GetTexture("Textures/nothing.dds");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->IsPlaceholder());
    EXPECT_EQ(placeholder->GetName(), "Textures/nothing.dds");
    EXPECT_EQ(placeholder->GetWidth(), 512u);
    EXPECT_EQ(placeholder->GetHeight(), 512u);
    EXPECT_EQ(placeholder->GetSize().width, 16u);
    EXPECT_EQ(Textures().GetTexture("Textures/nothing.dds"), placeholder);

    const auto pixels = ReadTexture(*placeholder, 0);
    ASSERT_EQ(pixels.size(), 16u * 16u * 4u);
    const std::vector<uint8_t> black = { 0, 0, 0, 255 };
    const std::vector<uint8_t> magenta = { 255, 0, 255, 255 };
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4), black);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin() + 4, pixels.begin() + 8), magenta);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin() + 64, pixels.begin() + 68), magenta) << "row 1 starts with magenta";

    // The file appearing later does not replace the placeholder until a forced reload.
    myGameRoot.Write("Textures/nothing.dds", SolidDds(2, { { 1, 2, 3, 255 } }));
    EXPECT_EQ(Textures().GetTexture("Textures/nothing.dds"), placeholder);
    EXPECT_TRUE(placeholder->IsPlaceholder());
    EXPECT_EQ(Textures().GetTexture("Textures/nothing.dds", TextureSrgbMode::AsStored, true), placeholder);
    EXPECT_FALSE(placeholder->IsPlaceholder());
    EXPECT_EQ(placeholder->GetWidth(), 2u);
}

TEST_F(TextureManagerTest, ModesMakeSeparateTexturesWithTheirOwnColourSpace)
{
    myGameRoot.Write("Textures/plain.dds", SolidDds(4, { { 10, 20, 30, 255 } }));
    Vela::Texture* stored = Textures().GetTexture("Textures/plain.dds", TextureSrgbMode::AsStored);
    Vela::Texture* forced = Textures().GetTexture("Textures/plain.dds", TextureSrgbMode::ForceSrgb);
    Vela::Texture* ignored = Textures().GetTexture("Textures/plain.dds", TextureSrgbMode::IgnoreSrgb);
    EXPECT_NE(stored, forced);
    EXPECT_NE(forced, ignored);
    EXPECT_EQ(DescriptionOf(*stored).format, Vela::Gfx::Format::R8G8B8A8_UNORM);
    EXPECT_EQ(DescriptionOf(*forced).format, Vela::Gfx::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(forced->GetMode(), TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(Vela::TextureManager::MakeKey("a/b.dds", TextureSrgbMode::ForceSrgb), "a/b.dds#SRGB");
    EXPECT_EQ(Vela::TextureManager::MakeKey(nullptr, TextureSrgbMode::IgnoreSrgb), "#NO_SRGB");
    EXPECT_NE(stored->GetName().find("plain.dds"), std::string::npos);
    EXPECT_EQ(stored->GetPath(), "Textures/plain.dds");
    EXPECT_FLOAT_EQ(stored->GetNormalizedSize().y, 4.0f / float(RENDER_HEIGHT));
}

TEST_F(TextureManagerTest, CachedTextureSurvivesItsFileAndAFailedReloadKeepsItsContent)
{
    const auto file = myGameRoot.Write("Textures/kept.dds", SolidDds(4, { { 9, 9, 9, 255 } }));
    Vela::Texture* texture = Textures().GetTexture("Textures/kept.dds");
    ASSERT_FALSE(texture->IsPlaceholder());
    Vela::Gfx::ShaderResourceView* view = texture->GetShaderResourceView();

    // Caught mid-save: the file is cut short.
    myGameRoot.Write("Textures/kept.dds", "DDS ");
    EXPECT_EQ(Textures().GetTexture("Textures/kept.dds"), texture) << "a cache hit never reads the disk";
    EXPECT_EQ(Textures().GetTexture("Textures/kept.dds", TextureSrgbMode::AsStored, true), texture);
    EXPECT_FALSE(texture->IsPlaceholder());
    EXPECT_EQ(texture->GetShaderResourceView(), view);
    std::filesystem::remove(file);
    Textures().OnFileChanged("Textures/kept.dds");
    EXPECT_EQ(texture->GetShaderResourceView(), view);
    EXPECT_EQ(texture->GetSize().width, 4u);
}

TEST_F(TextureManagerTest, ReloadLoadsIntoTheSameObjectWithItsMode)
{
    myGameRoot.Write("Textures/changing.dds", SolidDds(2, { { 1, 1, 1, 255 } }));
    Vela::Texture* texture = Textures().GetTexture("Textures/changing.dds", TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(texture->GetWidth(), 2u);
    myGameRoot.Write("Textures/changing.dds", SolidDds(8, { { 1, 1, 1, 255 } }));
    Textures().OnFileChanged("Textures/changing.dds#SRGB");
    EXPECT_EQ(texture->GetWidth(), 8u);
    EXPECT_EQ(texture->GetSize().width, 8u);
    EXPECT_EQ(DescriptionOf(*texture).format, Vela::Gfx::Format::R8G8B8A8_UNORM_SRGB);
    Textures().OnFileChanged("Textures/unknown.dds"); // no entry: nothing happens
}

TEST_F(HotReloadTest, ChangedFileOnDiskReloadsThroughTheFileWatcher)
{
    const auto file = myGameRoot.Write("Textures/watched.dds", SolidDds(2, { { 1, 1, 1, 255 } }));
    Vela::Texture* texture = Textures().GetTexture("Textures/watched.dds");
    ASSERT_EQ(texture->GetWidth(), 2u);
    myGameRoot.Write("Textures/watched.dds", SolidDds(4, { { 1, 1, 1, 255 } }));
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
    // Once the watch thread has polled after the save, the next frame start reloads the texture.
    TheEngine().myFileWatcher->WaitForPollForTesting();
    BeginFrame();
    TheEngine().EndFrame();
    EXPECT_EQ(texture->GetWidth(), 4u);
    EXPECT_EQ(Textures().GetTexture("Textures/watched.dds"), texture);
}

TEST_F(TextureManagerTest, PngFromTheWorkerIsAPlaceholderUntilTheRenderThreadAsks)
{
    myGameRoot.Write("Textures/picture.png", VelaTest::MakePng(1, 1, std::string{ 0, 0, char(255) }, VelaTest::ColourSpaceChunk::Srgb));
    Vela::Texture* fromWorker = nullptr;
    std::thread worker([&] { fromWorker = Textures().GetTexture("Textures/picture.png"); });
    worker.join();
    ASSERT_NE(fromWorker, nullptr);
    EXPECT_TRUE(fromWorker->IsPlaceholder());

    Vela::Texture* onMain = Textures().GetTexture("Textures/picture.png");
    EXPECT_EQ(onMain, fromWorker) << "loaded into the object the worker already holds";
    EXPECT_FALSE(onMain->IsPlaceholder());
    EXPECT_EQ(onMain->GetWidth(), 1u);
    EXPECT_EQ(DescriptionOf(*onMain).format, Vela::Gfx::Format::R8G8B8A8_UNORM_SRGB);
    const auto shown = Show(onMain);
    EXPECT_LT(shown[0], 5);
    EXPECT_GT(shown[2], 250);
}

TEST_F(TextureManagerTest, BitmapLoadsOnTheRenderThreadAsStoredColours)
{
    // 2x1, 24 bits, bottom-up rows padded to four bytes: red, blue.
    std::string bitmap = "BM";
    auto put = [&bitmap](uint32_t aValue, int aBytes) {
        for (int i = 0; i < aBytes; ++i)
            bitmap += char((aValue >> (8 * i)) & 0xFF);
    };
    put(54 + 8, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(2, 4);
    put(1, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(8, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    bitmap += std::string{ 0, 0, char(255), char(255), 0, 0, 0, 0 };
    myGameRoot.Write("Textures/picture.bmp", bitmap);

    Vela::Texture* texture = Textures().GetTexture("Textures/picture.bmp");
    ASSERT_FALSE(texture->IsPlaceholder());
    EXPECT_EQ(texture->GetWidth(), 2u);
    EXPECT_EQ(DescriptionOf(*texture).format, Vela::Gfx::Format::R8G8B8A8_UNORM);
    EXPECT_EQ(ReadTexture(*texture, 0), std::vector<uint8_t>({ 255, 0, 0, 255, 0, 0, 255, 255 }));

    myGameRoot.Write("Textures/broken.bmp", bitmap.substr(0, 30));
    EXPECT_TRUE(Textures().GetTexture("Textures/broken.bmp")->IsPlaceholder());
}

TEST_F(TextureManagerTest, TargaLoadsOnlyWithTheLowerCaseExtension)
{
    myGameRoot.Write("Textures/tiny.tga", TinyTarga());
    myGameRoot.Write("Textures/TINY.TGA", TinyTarga());
    Vela::Texture* targa = Textures().GetTexture("Textures/tiny.tga");
    ASSERT_FALSE(targa->IsPlaceholder());
    EXPECT_EQ(targa->GetWidth(), 2u);
    const auto description = DescriptionOf(*targa);
    EXPECT_EQ(description.format, Vela::Gfx::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(description.usage, Vela::Gfx::Usage::DYNAMIC);
    const auto pixels = ReadTexture(*targa, 0);
    const std::vector<uint8_t> expected = { 0, 0, 255, 255, 0, 255, 0, 255 };
    EXPECT_EQ(pixels, expected);
    EXPECT_TRUE(Textures().GetTexture("Textures/TINY.TGA")->IsPlaceholder());
}

TEST_F(TextureManagerTest, ThreadsMissingTheSameKeyShareOneTexture)
{
    myGameRoot.Write("Textures/shared.dds", SolidDds(16, { { 5, 5, 5, 255 } }));
    std::vector<Vela::Texture*> results(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = Textures().GetTexture("Textures/shared.dds"); });
    for (auto& thread : threads)
        thread.join();
    for (Vela::Texture* texture : results)
    {
        EXPECT_EQ(texture, results[0]);
    }
    EXPECT_FALSE(results[0]->IsPlaceholder());
    EXPECT_EQ(Textures().GetTexture("Textures/shared.dds"), results[0]);
    EXPECT_EQ(results[0]->GetSize().width, 16u);
}

TEST_F(TextureManagerTest, DdsMipsAndCubeMapFacesArriveInOrder)
{
    myGameRoot.Write("Textures/mips.dds", SolidDds(4, { { 255, 0, 0, 255 }, { 0, 255, 0, 255 }, { 0, 0, 255, 255 } }));
    Vela::Texture* mips = Textures().GetTexture("Textures/mips.dds");
    ASSERT_FALSE(mips->IsPlaceholder());
    EXPECT_EQ(DescriptionOf(*mips).mipLevels, 3u);
    EXPECT_EQ(ReadTexture(*mips, 1), std::vector<uint8_t>({ 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255 }));
    EXPECT_EQ(ReadTexture(*mips, 2), std::vector<uint8_t>({ 0, 0, 255, 255 }));

    Vela::Texture* horizon = Textures().GetTexture("Textures/horizonCubeMap.dds");
    ASSERT_FALSE(horizon->IsPlaceholder());
    const auto description = DescriptionOf(*horizon);
    EXPECT_EQ(description.arraySize, 6u);
    EXPECT_NE(description.miscFlags & Vela::Gfx::MISC_TEXTURECUBE, 0u);
    // Face +Y is sky, face -Y ground: the sky is bluer and brighter.
    const auto sky = ReadTexture(*horizon, 2 * description.mipLevels);
    const auto ground = ReadTexture(*horizon, 3 * description.mipLevels);
    EXPECT_GT(sky[2], sky[0]);
    EXPECT_GT(sky[2], ground[2]);
    EXPECT_FALSE(Textures().GetTexture("Textures/whiteCubeMap.dds")->IsPlaceholder());
}

TEST_F(TextureManagerTest, BlockCompressedAndBgrTexturesSampleToTheirColour)
{
    // Old-style BGRX: bytes B, G, R, X with an undefined fourth byte.
    VelaTest::DdsDescription bgrx;
    bgrx.width = 4;
    bgrx.height = 4;
    bgrx.redMask = 0xFF0000;
    bgrx.greenMask = 0xFF00;
    bgrx.blueMask = 0xFF;
    std::vector<uint8_t> bgrxFile = VelaTest::MakeDdsHeader(bgrx);
    for (int i = 0; i < 16; ++i)
        bgrxFile.insert(bgrxFile.end(), { 0, 0, 255, 0 });
    myGameRoot.Write("Textures/bgrx.dds", std::string(bgrxFile.begin(), bgrxFile.end()));
    const auto fromBgrx = Show(Textures().GetTexture("Textures/bgrx.dds"));
    EXPECT_GT(fromBgrx[0], 250);
    EXPECT_LT(fromBgrx[2], 5);

    // BC1: colour 0 pure red (5:6:5), colour 1 blue, every index 0.
    myGameRoot.Write("Textures/bc1.dds", OneBlockDds(71, { 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0 }));
    // BC3: opaque alpha block, then the BC1-style colour block with green.
    myGameRoot.Write("Textures/bc3.dds", OneBlockDds(77, { 255, 255, 0, 0, 0, 0, 0, 0, 0xE0, 0x07, 0x00, 0x00, 0, 0, 0, 0 }));
    myGameRoot.Write("Textures/bc7.dds", OneBlockDds(98, Bc7FlatBlock(0, 0, 127, 127)));

    const auto red = Show(Textures().GetTexture("Textures/bc1.dds"));
    EXPECT_GT(red[0], 250);
    EXPECT_LT(red[2], 5);
    const auto green = Show(Textures().GetTexture("Textures/bc3.dds"));
    EXPECT_GT(green[1], 250);
    EXPECT_LT(green[0], 5);
    const auto blue = Show(Textures().GetTexture("Textures/bc7.dds"));
    EXPECT_GT(blue[2], 250);
    EXPECT_LT(blue[0], 20); // the set p-bit leaves 1/255 in red: 13 once encoded to sRGB
}
