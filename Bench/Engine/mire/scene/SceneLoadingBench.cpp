#include "mire/scene/SceneObjectDefinition.h"
#include "mire/scene/SceneSerialize.h"
#include "mire/settings/Settings.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace
{
    constexpr const char* DEFINITION_NAMES[] = { "Orb", "Socket", "MovableBox", "StaticMesh" };

    // A game root holding one generated level of aObjectCount objects and a definition per kind.
    class GeneratedLevel
    {
    public:
        explicit GeneratedLevel(int aObjectCount)
        {
            myRoot = std::filesystem::temp_directory_path() / ("vela-scene-bench-" + std::to_string(::getpid()) + "-" + std::to_string(aObjectCount));
            std::filesystem::remove_all(myRoot);
            const std::filesystem::path level = myRoot / "levels" / "Generated.leveldata";
            std::filesystem::create_directories(level);
            std::filesystem::create_directories(myRoot / "definitions");

            for (const char* definition : DEFINITION_NAMES)
            {
                const nlohmann::json content = {
                    { "parent-object-definition", "" },
                    { "properties",
                      { { { "name", "Model" }, { "is-dynamic", false }, { "is-per-instance", true }, { "type", "Model" }, { "value", { { "path", "default.fbx" } } } },
                        { { "name", "Collider" }, { "is-dynamic", false }, { "is-per-instance", true }, { "type", "Collider - Box" }, { "value", { 0, 0, 0, true, 0, 0 } } },
                        { { "name", "Speed" }, { "is-dynamic", true }, { "is-per-instance", false }, { "type", "Float" }, { "value", 1.0 } },
                        { { "name", "Tint" }, { "is-dynamic", false }, { "is-per-instance", true }, { "type", "Color" }, { "value", { 1, 1, 1, 1 } } } } },
                };
                std::ofstream(myRoot / "definitions" / (std::string(definition) + ".kvo")) << content.dump();
            }

            for (int i = 0; i < aObjectCount; ++i)
            {
                char uuid[37];
                std::snprintf(uuid, sizeof(uuid), "%08x-0000-4000-8000-%012x", 0x5CE00000u + static_cast<unsigned>(aObjectCount), static_cast<unsigned>(i));
                const nlohmann::json object = {
                    { "name", "Object " + std::to_string(i) },
                    { "path", "models/object" + std::to_string(i % 50) + ".fbx" },
                    { "transform", { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, i * 10.0, 5.0, 0.0, 1 } },
                    { "object-definition", DEFINITION_NAMES[i % 4] },
                    { "properties",
                      { { { "name", "Model" }, { "type", "Model" }, { "value", { { "path", "models/object.fbx" }, { "textures", { { "c.dds", "n.dds" } } } } } },
                        { { "name", "Collider" }, { "type", "Collider - Box" }, { "value", { { "offsetSize", { 1, 2 } }, { "position", { 0, 0 } } } } },
                        { { "name", "Tint" }, { "type", "Color" }, { "value", { 0.5, 0.5, 0.5, 1 } } } } },
                };
                std::ofstream(level / uuid) << object.dump();
            }
            Vela::Settings::SetAssetRootsForTesting(myRoot, myRoot, myRoot);
        }
        ~GeneratedLevel()
        {
            std::error_code ignored;
            std::filesystem::remove_all(myRoot, ignored);
        }

        std::string Root() const { return myRoot.string(); }

    private:
        std::filesystem::path myRoot;
    };

    void LoadGeneratedScene(benchmark::State& aState)
    {
        const GeneratedLevel level(static_cast<int>(aState.range(0)));
        for (auto _ : aState)
        {
            Vela::Scene scene;
            Vela::LoadScene("levels/Generated", scene);
            benchmark::DoNotOptimize(scene.objects.size());
        }
        aState.counters["objects/s"] = benchmark::Counter(static_cast<double>(aState.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    }

    void MergeGeneratedScene(benchmark::State& aState)
    {
        const GeneratedLevel level(static_cast<int>(aState.range(0)));
        Vela::Scene scene;
        Vela::LoadScene("levels/Generated", scene);
        std::vector<Vela::DefinitionPropertyEntry> merged;
        for (auto _ : aState)
        {
            Vela::SceneObjectDefinitionManager definitions;
            definitions.DiscoverFiles(level.Root());
            for (const auto& [id, object] : scene.objects)
            {
                merged.clear();
                Vela::SceneObjectDefinition::MergeOverrides(*object, definitions, merged);
                benchmark::DoNotOptimize(merged.data());
            }
        }
        aState.counters["objects/s"] = benchmark::Counter(static_cast<double>(aState.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    }
}

BENCHMARK(LoadGeneratedScene)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(MergeGeneratedScene)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
