// The scene layer's share of loading a model or a clip: building the scene, sampling every bone of
// every frame, triangulating and generating tangents.
#include "Platform/fbx/FbxScene.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace Vela::Fbx;

namespace
{
    std::string Fixture(const char* aName) { return std::string(VELA_FIXTURES_DIR) + "/fbx/" + aName; }

    // Loads a fixture into a scene owned by the returned manager.
    Scene* Load(Manager* aManager, const char* aName)
    {
        Importer* importer = Importer::Create(aManager, "");
        Scene* scene = Scene::Create(aManager, "Bench");
        if (!importer->Initialize(Fixture(aName)) || !importer->Import(scene))
            scene = nullptr;
        importer->Destroy();
        return scene;
    }
}

static void SceneLoad(benchmark::State& aState, const char* aName)
{
    Manager* manager = Manager::Create();
    for (auto _ : aState)
    {
        Scene* scene = Load(manager, aName);
        benchmark::DoNotOptimize(scene);
        if (scene)
            scene->Destroy();
    }
    manager->Destroy();
}
BENCHMARK_CAPTURE(SceneLoad, Character, "maya_character_7500_binary.fbx");
BENCHMARK_CAPTURE(SceneLoad, LodGroupAscii, "maya_lod_group_7500_ascii.fbx");

// The reading share of the import benchmark's large written files (run that benchmark first: it writes them).
static void SceneLoadWritten(benchmark::State& aState, const char* aName)
{
    const std::string path = (std::filesystem::temp_directory_path() / "vela_import_bench" / aName).string();
    Manager* manager = Manager::Create();
    for (auto _ : aState)
    {
        Importer* importer = Importer::Create(manager, "");
        Scene* scene = Scene::Create(manager, "Bench");
        const bool loaded = importer->Initialize(path) && importer->Import(scene);
        importer->Destroy();
        scene->Destroy();
        if (!loaded)
        {
            aState.SkipWithError(("cannot read " + path).c_str());
            break;
        }
    }
    manager->Destroy();
}
BENCHMARK_CAPTURE(SceneLoadWritten, Grid64800Binary, "Grid64800Binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SceneLoadWritten, Grid64800, "Grid64800.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SceneLoadWritten, EightInstances40000, "EightInstances40000.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SceneLoadWritten, Maze96008, "Maze96008.fbx")->Unit(benchmark::kMillisecond);

static void SceneSampleEveryBone(benchmark::State& aState)
{
    Manager* manager = Manager::Create();
    Scene* scene = Load(manager, "maya_character_7500_binary.fbx");
    const TimeMode mode = scene->GetGlobalSettings().GetTimeMode();
    for (auto _ : aState)
    {
        for (int frame = 0; frame < 120; ++frame)
        {
            Time time;
            time.SetFrame(frame, mode);
            for (int n = 0; n < scene->GetNodeCount(); ++n)
            {
                const Node* node = scene->FindNodeByName(scene->GetNode(n)->GetName());
                benchmark::DoNotOptimize(node->EvaluateLocalTransform(time));
                benchmark::DoNotOptimize(node->EvaluateGlobalTransform(time));
            }
        }
    }
    aState.SetItemsProcessed(aState.iterations() * 120 * scene->GetNodeCount());
    manager->Destroy();
}
BENCHMARK(SceneSampleEveryBone);

static void SceneTriangulateAndTangents(benchmark::State& aState)
{
    Manager* manager = Manager::Create();
    for (auto _ : aState)
    {
        aState.PauseTiming();
        Scene* scene = Load(manager, "blender_suzanne_multimaterial_7400_binary.fbx");
        aState.ResumeTiming();
        GeometryConverter(manager).Triangulate(scene, true, true);
        for (int n = 0; n < scene->GetNodeCount(); ++n)
            if (Mesh* mesh = const_cast<Node*>(scene->GetNode(n))->GetMesh())
                mesh->GenerateTangentsData(0, true);
        AxisSystem(AxisSystem::Preset::DirectX).DeepConvertScene(scene);
        aState.PauseTiming();
        scene->Destroy();
        aState.ResumeTiming();
    }
    manager->Destroy();
}
BENCHMARK(SceneTriangulateAndTangents);
