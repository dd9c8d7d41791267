// Interning cost: new and existing strings, one and several threads, beside a plain
// std::unordered_set<std::string> with a mutex (what the registry replaces).
#include "mire/stringRegistry/StringRegistry.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace
{
    std::vector<std::string> MakeNames(size_t aCount, const std::string& aPrefix)
    {
        std::vector<std::string> names;
        names.reserve(aCount);
        for (size_t i = 0; i < aCount; ++i)
        {
            names.push_back(aPrefix + "/Models/Props/SM_Crate_" + std::to_string(i) + ".fbx");
        }
        return names;
    }

    std::atomic<uint64_t> ourRound{0};

    void BM_RegisterNewStrings(benchmark::State& aState)
    {
        for (auto _ : aState)
        {
            aState.PauseTiming();
            const auto names = MakeNames(1000, "new" + std::to_string(ourRound++) + "-" + std::to_string(aState.thread_index()));
            aState.ResumeTiming();
            for (const auto& name : names)
            {
                benchmark::DoNotOptimize(Vela::StringRegistry::RegisterOrGetString(name));
            }
        }
        aState.SetItemsProcessed(aState.iterations() * 1000);
    }
    BENCHMARK(BM_RegisterNewStrings)->Threads(1)->Threads(4);

    void BM_LookUpExistingStrings(benchmark::State& aState)
    {
        const auto names = MakeNames(1000, "existing");
        for (const auto& name : names)
        {
            Vela::StringRegistry::RegisterOrGetString(name);
        }
        for (auto _ : aState)
        {
            for (const auto& name : names)
            {
                benchmark::DoNotOptimize(Vela::StringRegistry::RegisterOrGetString(name));
            }
        }
        aState.SetItemsProcessed(aState.iterations() * 1000);
    }
    BENCHMARK(BM_LookUpExistingStrings)->Threads(1)->Threads(4);

    std::mutex ourBaselineMutex;
    std::unordered_set<std::string> ourBaseline;

    void BM_BaselineUnorderedSetExisting(benchmark::State& aState)
    {
        const auto names = MakeNames(1000, "baseline");
        {
            std::lock_guard lock(ourBaselineMutex);
            ourBaseline.insert(names.begin(), names.end());
        }
        for (auto _ : aState)
        {
            for (const auto& name : names)
            {
                std::lock_guard lock(ourBaselineMutex);
                benchmark::DoNotOptimize(&*ourBaseline.insert(name).first);
            }
        }
        aState.SetItemsProcessed(aState.iterations() * 1000);
    }
    BENCHMARK(BM_BaselineUnorderedSetExisting)->Threads(1)->Threads(4);

    void BM_BaselineUnorderedSetNew(benchmark::State& aState)
    {
        for (auto _ : aState)
        {
            aState.PauseTiming();
            const auto names = MakeNames(1000, "basenew" + std::to_string(ourRound++) + "-" + std::to_string(aState.thread_index()));
            aState.ResumeTiming();
            for (const auto& name : names)
            {
                std::lock_guard lock(ourBaselineMutex);
                benchmark::DoNotOptimize(&*ourBaseline.insert(name).first);
            }
        }
        aState.SetItemsProcessed(aState.iterations() * 1000);
    }
    BENCHMARK(BM_BaselineUnorderedSetNew)->Threads(1)->Threads(4);

    void BM_HashExistingId(benchmark::State& aState)
    {
        const auto id = Vela::StringRegistry::RegisterOrGetString("Textures/T_Default_c.dds");
        for (auto _ : aState)
        {
            benchmark::DoNotOptimize(std::hash<Vela::StringId>()(id));
        }
    }
    BENCHMARK(BM_HashExistingId);
}
