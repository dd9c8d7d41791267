#pragma once
// Starts the engine headless (offscreen window, GL device) for the renderer benchmarks.
#include "mire/core/Engine.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/settings/Settings.h"

#include <cstdlib>
#include <filesystem>

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
}
