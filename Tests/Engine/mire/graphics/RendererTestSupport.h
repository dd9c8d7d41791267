#pragma once
// Starts the whole engine on the headless GL device (window, device, texture manager, graphics
// engine) and reads the back buffer back for pixel checks.
#include "mire/core/Engine.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/settings/Settings.h"
#include "mire/texture/TextureManager.h"

#include "Platform/window/MessageQueue.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

namespace VelaTest
{
    constexpr uint32_t RENDER_WIDTH = 320;
    constexpr uint32_t RENDER_HEIGHT = 180;

    // RGBA bytes as shown (sRGB), row 0 at the top.
    using Rgba = std::array<int, 4>;

    class RendererTest : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_TRUE(StartEngine(VELA_COOKED_DIR)); }

        void TearDown() override { StopEngine(); }

        // The shader caches outlive a device; every test starts from fresh ones.
        static void ForgetShaders()
        {
            Vela::DX11::VertexShaderCache.clear();
            Vela::DX11::PixelShaderCache.clear();
        }

        bool StartEngine(const std::filesystem::path& aCookedRoot)
        {
            ForgetShaders();
            Vela::Platform::ClearMessageQueue();
            Vela::Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine", myGameRoot.Path(), aCookedRoot);
            myPreviousConfiguration = Vela::Settings::GetEngineConfiguration();
            Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
            configuration = Vela::EngineConfiguration();
            configuration.myWindowWidth = RenderWidth();
            configuration.myWindowHeight = RenderHeight();
            configuration.myRenderWidth = RenderWidth();
            configuration.myRenderHeight = RenderHeight();
            configuration.myClearColor = { 0.0f, 0.0f, 0.0f, 1.0f };
            configuration.myDebugFeatures = DebugFeatures();
            myStarted = Vela::Engine::Start();
            return myStarted;
        }

        void StopEngine()
        {
            Vela::Engine::Shutdown();
            Vela::Settings::GetEngineConfiguration() = myPreviousConfiguration;
            ForgetShaders();
            // A failed start closes its window, which posts the quit message.
            Vela::Platform::ClearMessageQueue();
        }

        virtual uint32_t DebugFeatures() const { return 0; }
        // Window and render size; tests that look at whole screens ask for more.
        virtual uint32_t RenderWidth() const { return RENDER_WIDTH; }
        virtual uint32_t RenderHeight() const { return RENDER_HEIGHT; }

        Vela::Engine& TheEngine() { return *Vela::Engine::GetInstance(); }
        Vela::GraphicsEngine& Graphics() { return *TheEngine().myGraphicsEngine; }
        Vela::GraphicsStateStack& States() { return *Graphics().GetGraphicsStateStack(); }
        Vela::TextureManager& Textures() { return *TheEngine().myTextureManager; }
        Vela::Gfx::DeviceContext& Context() { return *Vela::DX11::Context; }

        // Starts a frame: clears to black and resets the state stack.
        void BeginFrame() { ASSERT_TRUE(TheEngine().BeginFrame()); }

        std::vector<uint8_t> ReadBackBuffer()
        {
            Vela::Gfx::Ref<Vela::Gfx::Texture2D> backBuffer;
            EXPECT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())));
            std::vector<uint8_t> pixels;
            EXPECT_TRUE(Vela::Gfx::Succeeded(Vela::Gfx::ReadBackTexture(Vela::DX11::Device, Vela::DX11::Context, backBuffer.Get(), 0, pixels)));
            return pixels;
        }

        // The back buffer stores BGRA; answers RGBA.
        static Rgba PixelAt(const std::vector<uint8_t>& somePixels, uint32_t aColumn, uint32_t aRow)
        {
            const size_t index = (size_t(aRow) * RENDER_WIDTH + aColumn) * 4;
            return { somePixels[index + 2], somePixels[index + 1], somePixels[index], somePixels[index + 3] };
        }

        VelaTest::TempDirectory myGameRoot;
        Vela::EngineConfiguration myPreviousConfiguration;
        bool myStarted = false;
    };
}
