// The engine's start-up with the whole graphics engine, missing shader files, and the full-screen effects.
#include "RendererTestSupport.h"

#include "mire/drawers/CustomShapeDrawer.h"
#include "mire/drawers/LineDrawer.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/FullscreenEffect.h"
#include "mire/graphics/FullscreenPixelateEffect.h"
#include "mire/graphics/ModelShader.h"
#include "Platform/window/NativeWindow.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdlib>

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class GraphicsEngineStartTest : public VelaTest::RendererTest
    {
    protected:
        void SetUp() override {}

        // A cooked root holding every compiled shader but one.
        std::filesystem::path CookedRootWithout(const std::string& aShader)
        {
            const std::filesystem::path root = myCookedCopy.Path() / "cooked";
            std::filesystem::copy(VELA_COOKED_DIR, root, std::filesystem::copy_options::recursive);
            EXPECT_TRUE(std::filesystem::remove(root / (aShader + ".cso"))) << aShader;
            return root;
        }

        VelaTest::TempDirectory myCookedCopy;
    };

    class FullscreenEffectTest : public VelaTest::RendererTest
    {
    protected:
        // Binds a 4x4 texture of one linear colour to slot 0 for an effect to read.
        void BindSource(const std::array<uint8_t, 4>& aColour)
        {
            Vela::Gfx::Texture2DDesc description;
            description.width = 4;
            description.height = 4;
            description.format = Vela::Gfx::Format::R8G8B8A8_UNORM;
            description.bindFlags = Vela::Gfx::BIND_SHADER_RESOURCE;
            std::vector<uint8_t> pixels;
            for (int i = 0; i < 16; ++i)
                pixels.insert(pixels.end(), aColour.begin(), aColour.end());
            const Vela::Gfx::SubresourceData data = { pixels.data(), 16, 0 };
            Vela::Gfx::Ref<Vela::Gfx::Texture2D> texture;
            ASSERT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::Device->CreateTexture2D(&description, &data, texture.ReleaseAndGetAddressOf())));
            ASSERT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::Device->CreateShaderResourceView(texture.Get(), nullptr, mySource.ReleaseAndGetAddressOf())));
            Vela::Gfx::ShaderResourceView* view = mySource.Get();
            Context().PSSetShaderResources(0, 1, &view);
        }

        // Binds a texture of the back buffer's size to slot 0: linear red 1 where aLit(column, row), else black.
        template <typename Lit>
        void BindPattern(Lit aLit)
        {
            Vela::Gfx::Texture2DDesc description;
            description.width = RENDER_WIDTH;
            description.height = RENDER_HEIGHT;
            description.format = Vela::Gfx::Format::R8G8B8A8_UNORM;
            description.bindFlags = Vela::Gfx::BIND_SHADER_RESOURCE;
            std::vector<uint8_t> pixels;
            for (uint32_t row = 0; row < RENDER_HEIGHT; ++row)
                for (uint32_t column = 0; column < RENDER_WIDTH; ++column)
                    pixels.insert(pixels.end(), { uint8_t(aLit(column, row) ? 255 : 0), 0, 0, 255 });
            const Vela::Gfx::SubresourceData data = { pixels.data(), RENDER_WIDTH * 4, 0 };
            Vela::Gfx::Ref<Vela::Gfx::Texture2D> texture;
            ASSERT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::Device->CreateTexture2D(&description, &data, texture.ReleaseAndGetAddressOf())));
            ASSERT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::Device->CreateShaderResourceView(texture.Get(), nullptr, mySource.ReleaseAndGetAddressOf())));
            Vela::Gfx::ShaderResourceView* view = mySource.Get();
            Context().PSSetShaderResources(0, 1, &view);
        }

        // The 8-bit sRGB code of a linear value, as the back buffer's sRGB view stores it.
        static int SrgbByte(double aLinear)
        {
            const double encoded = aLinear <= 0.0031308 ? aLinear * 12.92 : 1.055 * std::pow(aLinear, 1.0 / 2.4) - 0.055;
            return int(std::lround(encoded * 255.0));
        }

        Vela::Gfx::Ref<Vela::Gfx::ShaderResourceView> mySource;
    };

    // The blur's taps from the centre out (nine in all, mirrored).
    constexpr double BLUR_WEIGHTS[5] = { 0.227027, 0.1945946, 0.1216216, 0.054054, 0.016216 };

    // The blurred value of a step from 0 to 1 that starts anOffset taps after the pixel (anOffset <= 0: the pixel is lit).
    double BlurredStep(int anOffset)
    {
        double sum = 0.0;
        for (int tap = -4; tap <= 4; ++tap)
            sum += tap >= anOffset ? BLUR_WEIGHTS[std::abs(tap)] : 0.0;
        return sum;
    }
}

TEST_F(GraphicsEngineStartTest, EngineStartsWithTheWholeGraphicsEngine)
{
    ASSERT_TRUE(StartEngine(VELA_COOKED_DIR));
    Vela::GraphicsEngine& graphics = Graphics();
    ASSERT_NE(graphics.GetSpriteDrawer(), nullptr);
    EXPECT_TRUE(graphics.GetSpriteDrawer()->IsLoaded());
    ASSERT_NE(graphics.GetModelDrawer(), nullptr);
    EXPECT_TRUE(graphics.GetModelDrawer()->GetAnimatedLambertShader()->IsLoaded());
    EXPECT_TRUE(graphics.GetLineDrawer()->IsLoaded());
    EXPECT_TRUE(graphics.GetCustomShapeDrawer()->IsLoaded());
    EXPECT_EQ(graphics.GetCustomShapeDrawer()->GetMaxVertexCount(), 69984u);
    ASSERT_NE(graphics.GetPixelateEffect(), nullptr);
    EXPECT_FLOAT_EQ(graphics.GetPixelateEffect()->GetPixelSize(), 16.0f);
    EXPECT_NE(graphics.GetCopyEffect(), nullptr);
    EXPECT_NE(graphics.GetGaussianHorizontalEffect(), nullptr);
    ASSERT_NE(graphics.GetGraphicsStateStack(), nullptr);
    EXPECT_EQ(graphics.GetGraphicsStateStack()->GetStackSize(), 1u);
    BeginFrame();
    TheEngine().EndFrame();
}

TEST_F(GraphicsEngineStartTest, MissingPostProcessShaderFailsTheStartCleanly)
{
    EXPECT_FALSE(StartEngine(CookedRootWithout("Shaders/PostprocessGaussianH_PS")));
    ASSERT_NE(Vela::Engine::GetInstance(), nullptr) << "a failed start leaves the engine for the caller to shut down";
}

TEST_F(GraphicsEngineStartTest, MissingLineShaderDoesNotStopTheStartAndItsDrawsAreSkipped)
{
    ASSERT_TRUE(StartEngine(CookedRootWithout("shaders/lineshader_PS")));
    EXPECT_FALSE(Graphics().GetLineDrawer()->IsLoaded());
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    Graphics().GetLineDrawer()->Draw({ { 1, 1, 1, 1 }, { 0, 0, 0 }, { 1, 1, 0 } });
    EXPECT_EQ(Vela::DX11::DrawCallCount, before);
}

TEST_F(GraphicsEngineStartTest, MissingSpriteShaderLeavesTheDrawerUnloadedAndBatchesRefused)
{
    ASSERT_TRUE(StartEngine(CookedRootWithout("shaders/instanced_sprite_shader_VS")));
    EXPECT_FALSE(Graphics().GetSpriteDrawer()->IsLoaded());
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    {
        auto batch = Graphics().GetSpriteDrawer()->BeginBatch({});
        Vela::SpriteInstance sprite;
        sprite.mySize = { 10, 10 };
        batch.Draw(sprite);
    }
    EXPECT_EQ(Vela::DX11::DrawCallCount, before);
}

TEST_F(FullscreenEffectTest, CopyAndToneMapDrawTheBoundTextureOverTheScreen)
{
    BeginFrame();
    BindSource({ 255, 0, 0, 255 });
    const uint32_t before = Vela::DX11::DrawCallCount;
    Graphics().GetCopyEffect()->Render();
    EXPECT_EQ(Vela::DX11::DrawCallCount - before, 1u);
    auto pixels = ReadBackBuffer();
    for (auto [column, row] : { std::pair{ 0u, 0u }, std::pair{ RENDER_WIDTH - 1, RENDER_HEIGHT - 1 }, std::pair{ 160u, 90u } })
    {
        const auto pixel = PixelAt(pixels, column, row);
        EXPECT_GT(pixel[0], 250);
        EXPECT_LT(pixel[1], 5);
    }

    BeginFrame();
    BindSource({ 255, 255, 255, 255 });
    Graphics().GetTonemapEffect()->Render();
    const auto toneMapped = PixelAt(ReadBackBuffer(), 160, 90);
    EXPECT_LT(toneMapped[0], 250) << "white 1.0 maps below 1";
    EXPECT_GT(toneMapped[0], 150);

    // A flat picture stays flat through both blur passes.
    BeginFrame();
    BindSource({ 0, 128, 0, 255 });
    Graphics().GetGaussianVerticalEffect()->Render();
    const auto blurred = PixelAt(ReadBackBuffer(), 160, 90);
    EXPECT_NEAR(blurred[1], 188, 3); // 128/255 linear is 188 once encoded to sRGB
}

TEST_F(FullscreenEffectTest, EachBlurPassSpreadsAnEdgeAcrossItsOwnDirectionOnly)
{
    // A vertical edge: dark left of column 160, lit from it on. Row 90 is read across it.
    const auto columnEdge = [](uint32_t aColumn, uint32_t) { return aColumn >= 160; };
    const auto rowEdge = [](uint32_t, uint32_t aRow) { return aRow >= 90; };
    struct Case
    {
        const char* name;
        Vela::FullscreenEffect* effect;
        bool edgeAcross; // the pass runs across the edge
    };
    for (const bool vertical : { false, true })
    {
        for (const Case& pass : { Case{ "horizontal pass", Graphics().GetGaussianHorizontalEffect(), !vertical },
                                  Case{ "vertical pass", Graphics().GetGaussianVerticalEffect(), vertical } })
        {
            SCOPED_TRACE(std::string(pass.name) + (vertical ? " over a horizontal edge" : " over a vertical edge"));
            ASSERT_NE(pass.effect, nullptr);
            BeginFrame();
            if (vertical)
                BindPattern(rowEdge);
            else
                BindPattern(columnEdge);
            pass.effect->Render();
            const std::vector<uint8_t> pixels = ReadBackBuffer();
            for (int offset = -6; offset <= 6; ++offset)
            {
                const uint32_t column = vertical ? 100u : uint32_t(160 + offset);
                const uint32_t row = vertical ? uint32_t(90 + offset) : 60u;
                const auto pixel = PixelAt(pixels, column, row);
                // Across the edge: the nine-tap weights; along it: the picture unchanged.
                const double expected = pass.edgeAcross ? BlurredStep(-offset) : (offset >= 0 ? 1.0 : 0.0);
                EXPECT_NEAR(pixel[0], SrgbByte(expected), 3) << "offset " << offset;
                EXPECT_EQ(pixel[1], 0) << "offset " << offset;
            }
        }
    }
    // Known values: the first lit pixel keeps the centre and the four taps after it, the last dark one gets the four taps.
    EXPECT_NEAR(BlurredStep(0), 0.6135132, 1e-6);
    EXPECT_NEAR(BlurredStep(1), 0.3864862, 1e-6);
    EXPECT_NEAR(BlurredStep(4), 0.016216, 1e-6);
}

TEST_F(FullscreenEffectTest, PixelateShowsEachBlockInTheColourOfItsCentre)
{
    BeginFrame();
    Vela::FullscreenPixelateEffect& pixelate = *Graphics().GetPixelateEffect();
    ASSERT_FLOAT_EQ(pixelate.GetPixelSize(), 16.0f);
    // In the effect's own texture: red only on the middle texels of each 16 x 16 block (columns and rows 7 and 8, where
    // a block's centre is sampled), and green on every texel of every other block.
    Vela::Gfx::Resource* resource = nullptr;
    pixelate.GetShaderResourceView()->GetResource(&resource);
    ASSERT_NE(resource, nullptr);
    std::vector<uint8_t> pattern;
    for (uint32_t row = 0; row < RENDER_HEIGHT; ++row)
        for (uint32_t column = 0; column < RENDER_WIDTH; ++column)
        {
            const bool middle = (column % 16 == 7 || column % 16 == 8) && (row % 16 == 7 || row % 16 == 8);
            const bool green = (column / 16 + row / 16) % 2 == 1;
            // Stored blue, green, red, alpha.
            pattern.insert(pattern.end(), { 0, uint8_t(green ? 255 : 0), uint8_t(middle ? 255 : 0), 255 });
        }
    EXPECT_TRUE(Vela::Gfx::Succeeded(Context().UpdateSubresource(resource, 0, pattern.data(), RENDER_WIDTH * 4, 0)));
    resource->Release();

    pixelate.Render();
    const std::vector<uint8_t> pixels = ReadBackBuffer();
    // Every pixel of the whole blocks (the last 4 rows are a part block whose centre lies past the picture).
    for (uint32_t row = 0; row < 176; row += 5)
        for (uint32_t column = 0; column < RENDER_WIDTH; column += 3)
        {
            const auto pixel = PixelAt(pixels, column, row);
            const bool green = (column / 16 + row / 16) % 2 == 1;
            ASSERT_GT(pixel[0], 250) << column << ", " << row;
            ASSERT_EQ(pixel[1] > 250, green) << column << ", " << row;
        }
}

TEST_F(FullscreenEffectTest, PixelateReadsItsOwnTextureAndWritesTheBackBuffer)
{
    BeginFrame();
    Vela::FullscreenPixelateEffect& pixelate = *Graphics().GetPixelateEffect();
    const Vela::Gfx::Viewport& viewport = pixelate.GetViewport();
    EXPECT_FLOAT_EQ(viewport.width, float(RENDER_WIDTH));
    EXPECT_FLOAT_EQ(viewport.height, float(RENDER_HEIGHT));
    const float blue[4] = { 0.0f, 0.0f, 1.0f, 1.0f };
    Context().ClearRenderTargetView(pixelate.GetRenderTargetView(), blue);

    pixelate.Render();
    const auto& constants = pixelate.GetConstants();
    EXPECT_FLOAT_EQ(constants.myPixelSize, 16.0f);
    EXPECT_EQ(constants.myRenderWidth, RENDER_WIDTH);
    EXPECT_EQ(constants.myRenderHeight, RENDER_HEIGHT);
    EXPECT_EQ(constants.myUnused, 0u);
    const auto pixel = PixelAt(ReadBackBuffer(), 100, 100);
    EXPECT_GT(pixel[2], 250);
    EXPECT_LT(pixel[0], 5);

    const auto block = Vela::FullscreenPixelateEffect::MakeConstants(16.0f, 1280, 720);
    EXPECT_EQ(block.myRenderWidth, 1280u);
    EXPECT_EQ(block.myRenderHeight, 720u);
}

TEST_F(FullscreenEffectTest, PixelateTextureFollowsAResizedBackBuffer)
{
    BeginFrame();
    Vela::Platform::WindowHandle window = *TheEngine().GetHwnd();
    SDL_SetWindowSize(window->sdlWindow, 200, 100);
    Vela::Platform::SendMessage(window, Vela::Platform::MESSAGE_SIZE, 0, Vela::Platform::PackPoint(200, 100));
    TheEngine().EndFrame();
    ASSERT_EQ(Vela::DX11::BackBuffer->GetSize(), std::make_pair(200, 100));

    BeginFrame();
    Vela::FullscreenPixelateEffect& pixelate = *Graphics().GetPixelateEffect();
    pixelate.Render();
    EXPECT_FLOAT_EQ(pixelate.GetViewport().width, 200.0f);
    EXPECT_FLOAT_EQ(pixelate.GetViewport().height, 100.0f);
    EXPECT_EQ(pixelate.GetConstants().myRenderWidth, 200u);
    EXPECT_EQ(pixelate.GetConstants().myRenderHeight, 100u);
    Vela::Gfx::Resource* resource = nullptr;
    pixelate.GetShaderResourceView()->GetResource(&resource);
    Vela::Gfx::Texture2DDesc description;
    static_cast<Vela::Gfx::Texture2D*>(resource)->GetDesc(&description);
    resource->Release();
    EXPECT_EQ(description.width, 200u);
    EXPECT_EQ(description.height, 100u);
}
