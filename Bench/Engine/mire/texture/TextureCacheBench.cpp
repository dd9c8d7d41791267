// Texture cache hits per second (the path every model and sprite request takes after the first).
#include "../drawers/BenchEngine.h"

#include "mire/texture/TextureManager.h"

#include <benchmark/benchmark.h>

namespace
{
    void TextureCacheHits(benchmark::State& aState)
    {
        if (!VelaBench::StartHeadlessEngine())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        Vela::TextureManager& textures = *Vela::Engine::GetInstance()->myTextureManager;
        const char* paths[] = { "Textures/T_Default_c.dds", "Textures/T_Default_n.dds", "Textures/T_Default_m.dds", "Textures/T_Default_fx.dds" };
        for (const char* path : paths)
            textures.GetTexture(path, Vela::TextureSrgbMode::ForceSrgb);
        size_t index = 0;
        for (auto _ : aState)
        {
            benchmark::DoNotOptimize(textures.GetTexture(paths[index++ & 3], Vela::TextureSrgbMode::ForceSrgb));
        }
        aState.SetItemsProcessed(aState.iterations());
    }
    BENCHMARK(TextureCacheHits)->Threads(1)->Threads(4);
}
