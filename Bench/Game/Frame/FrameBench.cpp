// One frame of the game's own work, Game::Update then Game::Render, on a fixture level of ten sets of
// every kind of object plus a field of level cubes, with the play screen on top (CPU time).
#include "../../Engine/mire/drawers/BenchEngine.h"
#include "../../../Tests/Support/GameFixtureLevels.h"

#include "Levels/LevelData.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"

#include "mire/input/InputManager.h"

#include "Platform/window/MessageQueue.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace
{
    constexpr int OBJECT_SETS = 10;
    constexpr int CUBE_ROWS = 10;
    constexpr int CUBE_COLUMNS = 40;

    // "level_0" of a temporary game root; removed on exit.
    class BenchGameRoot
    {
    public:
        BenchGameRoot() : myPath(std::filesystem::temp_directory_path() / ("vela-frame-bench-" + std::to_string(getpid())))
        {
            std::filesystem::remove_all(myPath);
            VelaTest::PlaceFixtureModel(myPath);
            VelaTest::WriteEveryKindDefinitions(myPath);
            std::vector<VelaTest::FixtureObject> objects = VelaTest::EveryKindObjects(OBJECT_SETS);
            // Level cubes to either side of the view, most of them outside it.
            for (int row = 0; row < CUBE_ROWS; ++row)
            {
                for (int column = 0; column < CUBE_COLUMNS; ++column)
                {
                    VelaTest::FixtureObject cube;
                    cube.definition = "SM_Level_Mesh";
                    cube.translation = { 250.0f * static_cast<float>(column - CUBE_COLUMNS / 2), 250.0f * static_cast<float>(row), 200.0f };
                    cube.scale = { 100.0f, 100.0f, 100.0f };
                    objects.push_back(cube);
                }
            }
            VelaTest::WriteFixtureLevel(myPath, "levels/Main Levels/Level 0 Tutorial", objects);
            const std::filesystem::path cooked = VELA_COOKED_DIR;
            Vela::Settings::SetAssetRootsForTesting(cooked.parent_path() / "assets/engine", myPath, cooked);
        }
        ~BenchGameRoot() { std::filesystem::remove_all(myPath); }

    private:
        std::filesystem::path myPath;
    };

    void UpdateAndRender(benchmark::State& aState)
    {
        if (!VelaBench::StartHeadlessEngine())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        const BenchGameRoot root;
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        Vela::InputManager input(*engine.GetHwnd());
        GameGlobals::inputManager = &input;
        {
            auto game = std::make_unique<Game>(&input);
            game->Init();
            game->GetStateStack().Clear();
            game->GetStateStack().Push(StateId::Game);
            for (auto _ : aState)
            {
                aState.PauseTiming();
                engine.BeginFrame();
                aState.ResumeTiming();
                game->Update(1.0f / 60.0f);
                game->Render();
                aState.PauseTiming();
                input.Update();
                engine.EndFrame();
                Vela::Platform::ClearMessageQueue();
                aState.ResumeTiming();
            }
            aState.counters["objects"] = static_cast<double>(game->GetLevelLoader().GetCurrentLevel()->opaqueMeshes.size());
        }
        GameGlobals::inputManager = nullptr;
    }
    BENCHMARK(UpdateAndRender)->Unit(benchmark::kMicrosecond);
}
