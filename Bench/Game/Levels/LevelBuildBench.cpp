// Building level data from a loaded scene (definitions discovered, properties merged, models, textures,
// colliders and clips), for fixture levels of one object of every kind and of many such sets.
#include "../../Engine/mire/drawers/BenchEngine.h"
#include "../../../Tests/Support/GameFixtureLevels.h"

#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Spine/GameContext.h"

#include "mire/scene/SceneSerialize.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace
{
    constexpr const char* SCENE_PATH = "levels/Bench Level";

    // A game root in the temporary folder with the fixture level repeated aCopies times, removed on exit.
    class BenchLevelRoot
    {
    public:
        explicit BenchLevelRoot(int aCopies)
            : myPath(std::filesystem::temp_directory_path() / ("vela-level-bench-" + std::to_string(getpid())))
        {
            std::filesystem::remove_all(myPath);
            VelaTest::WriteEveryKindLevel(myPath, SCENE_PATH, aCopies);
            const std::filesystem::path cooked = VELA_COOKED_DIR;
            Vela::Settings::SetAssetRootsForTesting(cooked.parent_path() / "assets/engine", myPath, cooked);
        }
        ~BenchLevelRoot() { std::filesystem::remove_all(myPath); }

    private:
        std::filesystem::path myPath;
    };

    void BuildFixtureLevel(benchmark::State& aState)
    {
        if (!VelaBench::StartHeadlessEngine())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        const BenchLevelRoot root(static_cast<int>(aState.range(0)));
        GameContext context;
        LevelLoader loader(&context, nullptr);
        Vela::Scene scene;
        Vela::LoadScene(SCENE_PATH, scene);
        for (auto _ : aState)
        {
            LevelData level;
            loader.BuildLevelObjects(scene, level);
            benchmark::DoNotOptimize(level.opaqueMeshes.data());
        }
        aState.counters["objects"] = static_cast<double>(scene.objects.size());
    }
}

BENCHMARK(BuildFixtureLevel)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
