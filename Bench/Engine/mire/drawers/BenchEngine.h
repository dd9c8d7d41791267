#pragma once
// Starts the engine headless (offscreen window, GL device) for the renderer benchmarks.
#include "mire/core/Engine.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/settings/Settings.h"
#include "Platform/graphics/Gfx.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace VelaBench
{
    inline bool StartHeadlessEngine()
    {
        if (Vela::Engine::GetInstance())
            return true;
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        const std::filesystem::path cooked = VELA_COOKED_DIR;
        Vela::Settings::SetAssetRootsForTesting(cooked.parent_path() / "assets/engine", std::filesystem::temp_directory_path(), cooked);
        Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
        configuration.myWindowWidth = configuration.myRenderWidth = 640;
        configuration.myWindowHeight = configuration.myRenderHeight = 360;
        configuration.myDebugFeatures = 0;
        configuration.myEnableVsync = false;
        return Vela::Engine::Start();
    }

    // Waits until the device has drawn everything issued so far, by reading the back buffer back. The software
    // rasteriser draws on threads of its own, so without this the wall clock misses most of the work.
    inline void WaitForGpu()
    {
        Vela::Gfx::Ref<Vela::Gfx::Texture2D> backBuffer;
        if (Vela::DX11::SwapChain && Vela::Gfx::Succeeded(Vela::DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())))
        {
            std::vector<uint8_t> pixels;
            Vela::Gfx::ReadBackTexture(Vela::DX11::Device, Vela::DX11::Context, backBuffer.Get(), 0, pixels);
        }
    }
}
