// The whole program on the build's own content: start-up to the first frame drawn, each level's build
// on a worker thread, and each level's frame at 1920 x 1080 (the game's update and its render
// submission timed apart, CPU time of the main thread; the software rasteriser draws on threads of its own).
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"
#include "Spine/ProgramEntry.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/graphics/DX11.h"
#include "mire/input/InputManager.h"
#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace
{
    constexpr float FRAME_TIME = 1.0f / 60.0f;
    constexpr uint32_t FULL_HD_WIDTH = 1920;
    constexpr uint32_t FULL_HD_HEIGHT = 1080;

    struct LevelRow
    {
        const char* key;
        const char* path;
    };
    constexpr LevelRow LEVELS[] = {
        { "level_0", "levels/Main Levels/Level 0 Tutorial" }, { "level_1", "levels/Main Levels/Level 1" },
        { "level_2", "levels/Main Levels/Level 2" },          { "level_3", "levels/Main Levels/Level 3" },
        { "level_4", "levels/Main Levels/Level 4 Final Level" }, { "gym", "levels/Main Levels/Gym" },
    };

    // The build's runtime folder: the compiled shaders lie in its "cooked" folder.
    std::filesystem::path RuntimeDirectory() { return std::filesystem::path(VELA_COOKED_DIR).parent_path(); }

    void UseHeadlessDevices()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }

    // The program as shipped (its settings file beside this executable) until its first frame is drawn
    // and handed to the present; the quit then follows at once. The game's end (which waits for the
    // level worker) and the engine's shutdown are not timed.
    void StartUpToFirstFrame(benchmark::State& aState)
    {
        UseHeadlessDevices();
        for (auto _ : aState)
        {
            Vela::Platform::ClearMessageQueue();
            Vela::DX11::ReleaseShaderCaches();
            std::chrono::steady_clock::time_point firstFrame;
            FrameTestHook hook;
            hook.afterRender = [&](Game&) {
                if (firstFrame == std::chrono::steady_clock::time_point())
                {
                    firstFrame = std::chrono::steady_clock::now();
                    Vela::Platform::PostQuitMessage(0);
                }
            };
            SetFrameTestHook(&hook);
            const auto start = std::chrono::steady_clock::now();
            const bool ran = Go();
            SetFrameTestHook(nullptr);
            if (!ran)
            {
                aState.SkipWithError("the program did not start");
                return;
            }
            aState.SetIterationTime(std::chrono::duration<double>(firstFrame - start).count());
        }
    }
    BENCHMARK(StartUpToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

    // The engine headless at 1920 x 1080 on the build's game assets, shut down at the end.
    class FullHdEngine
    {
    public:
        FullHdEngine()
        {
            UseHeadlessDevices();
            Vela::DX11::ReleaseShaderCaches();
            Vela::Settings::SetAssetRootsForTesting(RuntimeDirectory() / "assets/engine", RuntimeDirectory() / "assets/game", VELA_COOKED_DIR);
            Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
            configuration = Vela::EngineConfiguration();
            configuration.myWindowWidth = configuration.myRenderWidth = FULL_HD_WIDTH;
            configuration.myWindowHeight = configuration.myRenderHeight = FULL_HD_HEIGHT;
            configuration.myDebugFeatures = 0;
            configuration.myEnableVsync = false;
            myStarted = Vela::Engine::Start();
        }
        ~FullHdEngine()
        {
            Vela::Engine::Shutdown();
            Vela::DX11::ReleaseShaderCaches();
            Vela::Platform::ClearMessageQueue();
        }
        bool IsStarted() const { return myStarted; }

    private:
        bool myStarted = false;
    };

    // Reading and building one level on a thread of its own, as the level loader's worker does. The
    // model factory keeps what earlier runs loaded, as it does for the worker's later levels.
    void LevelBuildOnTheWorker(benchmark::State& aState)
    {
        const LevelRow& row = LEVELS[aState.range(0)];
        aState.SetLabel(row.key);
        const FullHdEngine engine;
        if (!engine.IsStarted())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        GameContext context;
        LevelLoader loader(&context, nullptr);
        const Vela::StringId key = Vela::StringRegistry::RegisterOrGetString(row.key);
        for (auto _ : aState)
        {
            LevelLoader::SceneMap scenes;
            LevelLoader::LevelMap levels;
            std::chrono::duration<double> took{};
            std::thread worker([&] {
                const auto start = std::chrono::steady_clock::now();
                loader.LoadLevelUnlocked(row.path, key, scenes, levels);
                took = std::chrono::steady_clock::now() - start;
            });
            worker.join();
            aState.SetIterationTime(took.count());
            aState.counters["objects"] = static_cast<double>(scenes[key]->objects.size());
        }
    }
    BENCHMARK(LevelBuildOnTheWorker)->DenseRange(0, 5)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

    // The whole game at 1920 x 1080 on one level, once its start fade has gone and the player stands.
    class FullHdLevel
    {
    public:
        explicit FullHdLevel(const char* aKey)
        {
            if (!myEngine.IsStarted())
                return;
            Vela::Engine& engine = *Vela::Engine::GetInstance();
            myInput = std::make_unique<Vela::InputManager>(*engine.GetHwnd());
            GameGlobals::inputManager = myInput.get();
            myGame = std::make_unique<Game>(myInput.get());
            myGame->Init();
            // The program goes fullscreen, which on the headless display is smaller; stay at full HD.
            engine.myWindow->SetFullscreen(false);
            while (!myGame->GetLevelLoader().IsReady())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            myGame->GetStateStack().StartLevel(Vela::StringRegistry::RegisterOrGetString(aKey));
            while (myGame->GetStateStack().TopId() != static_cast<int>(StateId::Game))
                Frame();
        }
        ~FullHdLevel()
        {
            myGame.reset();
            GameGlobals::inputManager = nullptr;
        }
        bool IsStarted() const { return myGame != nullptr; }
        Game& TheGame() { return *myGame; }
        void Frame()
        {
            Vela::Engine& engine = *Vela::Engine::GetInstance();
            engine.BeginFrame();
            myGame->Update(FRAME_TIME);
            myGame->Render();
            myInput->Update();
            engine.EndFrame();
        }
        void BeginFrame() { Vela::Engine::GetInstance()->BeginFrame(); }
        void EndFrame()
        {
            myInput->Update();
            Vela::Engine::GetInstance()->EndFrame();
        }

    private:
        FullHdEngine myEngine;
        std::unique_ptr<Vela::InputManager> myInput;
        std::unique_ptr<Game> myGame;
    };

    template <bool TIME_UPDATE>
    void LevelFrame(benchmark::State& aState)
    {
        const char* key = LEVELS[aState.range(0)].key;
        aState.SetLabel(key);
        FullHdLevel level(key);
        if (!level.IsStarted())
        {
            aState.SkipWithError("the game did not start");
            return;
        }
        Game& game = level.TheGame();
        for (auto _ : aState)
        {
            aState.PauseTiming();
            level.BeginFrame();
            if (TIME_UPDATE)
            {
                aState.ResumeTiming();
                game.Update(FRAME_TIME);
                aState.PauseTiming();
                game.Render();
            }
            else
            {
                game.Update(FRAME_TIME);
                aState.ResumeTiming();
                game.Render();
                aState.PauseTiming();
            }
            level.EndFrame();
            aState.ResumeTiming();
        }
    }

    void LevelFrameUpdate(benchmark::State& aState) { LevelFrame<true>(aState); }
    void LevelFrameRender(benchmark::State& aState) { LevelFrame<false>(aState); }
    // Fixed counts: most of each iteration (the drawing itself, the present) is not timed, so a time
    // target would run for many minutes.
    constexpr int FRAME_ITERATIONS = 300;
    BENCHMARK(LevelFrameUpdate)->DenseRange(0, 4)->Iterations(FRAME_ITERATIONS)->Unit(benchmark::kMicrosecond);
    BENCHMARK(LevelFrameRender)->DenseRange(0, 4)->Iterations(FRAME_ITERATIONS)->Unit(benchmark::kMicrosecond);
}
