// Raw record parsing of the largest real files, from memory (no disk time).
#include "Platform/fbx/FbxDocument.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
    std::string ReadFixture(const char* aName)
    {
        std::ifstream file(std::filesystem::path(VELA_FIXTURES_DIR) / "fbx" / aName, std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }

    void ParseFixture(benchmark::State& aState, const char* aName)
    {
        const std::string bytes = ReadFixture(aName);
        for (auto _ : aState)
        {
            Vela::Fbx::Document document;
            std::string error;
            const bool parsed = Vela::Fbx::ParseDocument({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()}, document, error);
            benchmark::DoNotOptimize(parsed);
        }
        aState.SetBytesProcessed(static_cast<int64_t>(aState.iterations()) * static_cast<int64_t>(bytes.size()));
    }
}

BENCHMARK_CAPTURE(ParseFixture, BinaryCharacter, "maya_character_7500_binary.fbx");
BENCHMARK_CAPTURE(ParseFixture, BinaryLodGroup, "maya_lod_group_7500_binary.fbx");
BENCHMARK_CAPTURE(ParseFixture, AsciiLodGroup, "maya_lod_group_7500_ascii.fbx");
