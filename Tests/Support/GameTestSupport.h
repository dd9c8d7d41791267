#pragma once
// Shared helpers of the game tests: a headless engine on a temporary game asset root, and the fixture
// levels of GameFixtureLevels.h.
#include "Support/GameFixtureLevels.h"
#include "Support/TestSupport.h"

#include "mire/core/Engine.h"
#include "mire/graphics/DX11.h"
#include "mire/math/Vector.h"
#include "mire/settings/Settings.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

class Game;
namespace Vela
{
    class InputManager;
}

namespace VelaTest
{
    // The engine started headless (small window, file watching off) with aGameRoot as the game asset
    // root and the build's own engine assets and shaders. Shut down, with the previous configuration
    // restored, on destruction.
    class HeadlessGameEngine
    {
    public:
        explicit HeadlessGameEngine(const std::filesystem::path& aGameRoot)
            : myPreviousConfiguration(Vela::Settings::GetEngineConfiguration())
        {
            // Shaders cached for an earlier engine's device would draw nothing on this one.
            Vela::DX11::ReleaseShaderCaches();
            Vela::Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine", aGameRoot, VELA_COOKED_DIR);
            Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
            configuration = Vela::EngineConfiguration();
            configuration.myWindowWidth = 320;
            configuration.myWindowHeight = 180;
            configuration.myRenderWidth = 320;
            configuration.myRenderHeight = 180;
            configuration.myDebugFeatures = 0;
            myStarted = Vela::Engine::Start();
        }
        ~HeadlessGameEngine()
        {
            Vela::Engine::Shutdown();
            Vela::DX11::ReleaseShaderCaches();
            Vela::Settings::GetEngineConfiguration() = myPreviousConfiguration;
            Vela::Settings::SetAssetRootsForTesting({}, {}, {});
        }
        HeadlessGameEngine(const HeadlessGameEngine&) = delete;
        HeadlessGameEngine& operator=(const HeadlessGameEngine&) = delete;

        bool IsStarted() const { return myStarted; }

    private:
        Vela::EngineConfiguration myPreviousConfiguration;
        bool myStarted = false;
    };

    // A whole game on a headless engine: the input manager and the Game made and initialised as the
    // program does, with aGameRoot as the game asset root (its "levels/Main Levels/..." scenes are the
    // levels). Frames run with a fixed step, as under the program's test clock.
    class HeadlessGame
    {
    public:
        explicit HeadlessGame(const std::filesystem::path& aGameRoot);
        ~HeadlessGame();
        HeadlessGame(const HeadlessGame&) = delete;
        HeadlessGame& operator=(const HeadlessGame&) = delete;

        bool IsStarted() const { return myGame != nullptr; }
        Game& GetGame() { return *myGame; }
        Vela::InputManager& GetInputManager() { return *myInputManager; }

        // One frame as the program's loop runs it. False once the quit message was seen.
        bool RunFrame(float aDeltaTime = 1.0f / 60.0f);

    private:
        HeadlessGameEngine myEngine;
        std::unique_ptr<Vela::InputManager> myInputManager;
        std::unique_ptr<Game> myGame;
    };

    // Holds every level loader's worker just before it publishes its levels (so the ready flag stays
    // clear) from construction until Release or destruction.
    class LevelWorkerGate
    {
    public:
        LevelWorkerGate();
        ~LevelWorkerGate();
        LevelWorkerGate(const LevelWorkerGate&) = delete;
        LevelWorkerGate& operator=(const LevelWorkerGate&) = delete;

        void Release();
        // True once a worker has finished loading and waits at the gate.
        bool IsWorkerWaiting() const;

    private:
        struct Shared
        {
            mutable std::mutex mutex;
            std::condition_variable opened;
            bool open = false;
            bool waiting = false;
        };
        std::shared_ptr<Shared> myShared = std::make_shared<Shared>();
    };

    // The back buffer as RGBA bytes (as shown, sRGB), rows from the top; its width and height come back too.
    std::vector<uint8_t> ReadBackBufferRgba(uint32_t& aWidthOut, uint32_t& aHeightOut);
    // Writes RGBA rows as a PNG file; false when it could not be written.
    bool WritePng(const std::filesystem::path& aPath, const std::vector<uint8_t>& someRgba, uint32_t aWidth, uint32_t aHeight);
}
