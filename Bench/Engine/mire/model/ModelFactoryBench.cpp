#include "../../../../Tests/Engine/mire/model/FakeDevice.h"

#include "mire/model/ModelFactory.h"
#include "mire/settings/Settings.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace
{
    const std::string SKINNED = "fbx/maya_game_sausage_7500_binary_wiggle.fbx";

    // Buffers on the CPU and no textures or file watch: the numbers are the import and conversion alone.
    Vela::ModelFactory& BenchFactory()
    {
        static VelaTest::FakeDevice device;
        static bool prepared = [] {
            const std::filesystem::path fixtures = VELA_FIXTURES_DIR;
            Vela::Settings::SetAssetRootsForTesting(fixtures, fixtures, fixtures);
            Vela::ModelFactoryServices services;
            services.myGetDevice = []() -> Vela::Gfx::Device* { return &device; };
            Vela::ModelFactory::SetServices(services);
            return true;
        }();
        (void)prepared;
        return Vela::ModelFactory::GetInstance();
    }

    void ModelLoadCold(benchmark::State& aState)
    {
        Vela::ModelFactory& factory = BenchFactory();
        for (auto _ : aState)
        {
            factory.OnModelFileChanged(SKINNED);
            benchmark::DoNotOptimize(factory.GetModel(SKINNED));
        }
    }
    BENCHMARK(ModelLoadCold)->Unit(benchmark::kMillisecond);

    void ModelLoadCached(benchmark::State& aState)
    {
        Vela::ModelFactory& factory = BenchFactory();
        factory.GetModel(SKINNED);
        for (auto _ : aState)
        {
            benchmark::DoNotOptimize(factory.GetModel(SKINNED));
        }
    }
    BENCHMARK(ModelLoadCached);

    void ClipLoadCold(benchmark::State& aState)
    {
        Vela::ModelFactory& factory = BenchFactory();
        const std::shared_ptr<Vela::Model> model = factory.GetModel(SKINNED);
        const std::string resolved = Vela::Settings::ResolveAssetPath(SKINNED);
        for (auto _ : aState)
        {
            // A model of its own each time, so the clip is imported and converted again.
            auto copy = std::make_shared<Vela::Model>(*model);
            benchmark::DoNotOptimize(factory.GetAnimation(resolved, copy));
        }
    }
    BENCHMARK(ClipLoadCold)->Unit(benchmark::kMillisecond);

    void ClipLoadCached(benchmark::State& aState)
    {
        Vela::ModelFactory& factory = BenchFactory();
        const std::shared_ptr<Vela::Model> model = factory.GetModel(SKINNED);
        const std::string resolved = Vela::Settings::ResolveAssetPath(SKINNED);
        factory.GetAnimation(resolved, model);
        for (auto _ : aState)
        {
            benchmark::DoNotOptimize(factory.GetAnimation(resolved, model));
        }
    }
    BENCHMARK(ClipLoadCached);
}
