// LoadModel and LoadAnimation on the largest real files, beside an independent reader's import of
// the same files in the same run.
#include "VelaFBXImporter.h"

#include <benchmark/benchmark.h>

#ifdef VELA_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif

#include <filesystem>

namespace
{
    std::string Fixture(const char* aName)
    {
        return (std::filesystem::path(VELA_FIXTURES_DIR) / "fbx" / aName).string();
    }

    void VelaLoadModel(benchmark::State& aState, const char* aName)
    {
        VelaFBX::InitImporter();
        const std::string path = Fixture(aName);
        for (auto _ : aState)
        {
            VelaFBX::ImportedModel model;
            benchmark::DoNotOptimize(VelaFBX::LoadModel(path, model, false, true));
        }
        VelaFBX::UninitImporter();
    }

    void VelaLoadAnimation(benchmark::State& aState, const char* aName)
    {
        VelaFBX::InitImporter();
        const std::string path = Fixture(aName);
        for (auto _ : aState)
        {
            VelaFBX::ImportedAnimation animation;
            benchmark::DoNotOptimize(VelaFBX::LoadAnimation(path, animation));
        }
        VelaFBX::UninitImporter();
    }

#ifdef VELA_HAVE_ASSIMP
    // Triangulated and with tangents, as the model import produces.
    void AssimpModel(benchmark::State& aState, const char* aName)
    {
        const std::string path = Fixture(aName);
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            benchmark::DoNotOptimize(importer.ReadFile(path, aiProcess_Triangulate | aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices));
        }
    }

    // The scene with its animations, no mesh processing.
    void AssimpAnimation(benchmark::State& aState, const char* aName)
    {
        const std::string path = Fixture(aName);
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            benchmark::DoNotOptimize(importer.ReadFile(path, 0));
        }
    }
#endif
}

BENCHMARK_CAPTURE(VelaLoadModel, Character, "maya_character_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadModel, LodGroupBinary, "maya_lod_group_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadModel, LodGroupAscii, "maya_lod_group_7500_ascii.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadModel, SkinnedSausage, "maya_game_sausage_7500_binary_wiggle.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadModel, Multimaterial, "blender_suzanne_multimaterial_7400_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadAnimation, Character, "maya_character_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelaLoadAnimation, Sausage, "maya_game_sausage_7500_binary_wiggle.fbx")->Unit(benchmark::kMillisecond);
#ifdef VELA_HAVE_ASSIMP
BENCHMARK_CAPTURE(AssimpModel, Character, "maya_character_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpModel, LodGroupBinary, "maya_lod_group_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpModel, LodGroupAscii, "maya_lod_group_7500_ascii.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpModel, SkinnedSausage, "maya_game_sausage_7500_binary_wiggle.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpModel, Multimaterial, "blender_suzanne_multimaterial_7400_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpAnimation, Character, "maya_character_7500_binary.fbx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AssimpAnimation, Sausage, "maya_game_sausage_7500_binary_wiggle.fbx")->Unit(benchmark::kMillisecond);
#endif
