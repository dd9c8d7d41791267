// Sprites through a batch and model draws through the state stack, on the headless device.
#include "BenchEngine.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/graphics/ModelShader.h"
#include "mire/model/MeshData.h"
#include "mire/texture/TextureManager.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
    std::vector<Vela::SpriteInstance> MakeSprites(size_t aCount)
    {
        std::vector<Vela::SpriteInstance> sprites(aCount);
        for (size_t i = 0; i < aCount; ++i)
        {
            sprites[i].myPosition = { float(i % 600), float(i % 350) };
            sprites[i].mySize = { 4.0f, 4.0f };
            sprites[i].myPivot = { 0.5f, 0.5f };
            sprites[i].myRotation = float(i) * 0.01f;
        }
        return sprites;
    }

    // Every rate here is by the wall clock (UseRealTime), with the device's work waited for: the software rasteriser
    // draws on threads of its own, so main-thread CPU time alone (the CPU column) shows only the cost of issuing draws.

    // Sprites per second: one batch per iteration, flushing every 1024 sprites; the device is waited for every 16 batches
    // and at the end.
    void SpritesThroughABatch(benchmark::State& aState)
    {
        if (!VelaBench::StartHeadlessEngine())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        const auto sprites = MakeSprites(size_t(aState.range(0)));
        int64_t batches = 0;
        for (auto _ : aState)
        {
            engine.BeginFrame();
            {
                auto batch = engine.myGraphicsEngine->GetSpriteDrawer()->BeginBatch({});
                batch.Draw(sprites.data(), sprites.size());
            }
            Vela::DX11::Context->Flush();
            if (++batches % 16 == 0 || batches == int64_t(aState.max_iterations))
                VelaBench::WaitForGpu();
        }
        aState.SetItemsProcessed(aState.iterations() * aState.range(0));
        aState.counters["flushes/s"] = benchmark::Counter(double(aState.iterations()) * double((aState.range(0) + 1023) / 1024),
                                                         benchmark::Counter::kIsRate);
    }
    BENCHMARK(SpritesThroughABatch)->Arg(1024)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

    // Model draws per second through the state stack: a push, a camera, one small mesh, a pop.
    void ModelDrawsThroughTheStateStack(benchmark::State& aState)
    {
        if (!VelaBench::StartHeadlessEngine())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        Vela::Engine& engine = *Vela::Engine::GetInstance();
        std::vector<Vela::ModelVertex> vertices(3);
        vertices[1].myPosition[0] = 1.0f;
        vertices[2].myPosition[1] = 1.0f;
        for (auto& vertex : vertices)
        {
            vertex.myPosition[2] = 5.0f;
            vertex.myPosition[3] = 1.0f;
            vertex.myNormal[2] = -1.0f;
        }
        const uint32_t indices[3] = { 0, 1, 2 };
        Vela::MeshData mesh;
        mesh.myIndexCount = 3;
        Vela::Gfx::BufferDesc description;
        description.usage = Vela::Gfx::Usage::IMMUTABLE;
        description.byteWidth = uint32_t(vertices.size() * sizeof(Vela::ModelVertex));
        description.bindFlags = Vela::Gfx::BIND_VERTEX_BUFFER;
        Vela::Gfx::SubresourceData data = { vertices.data(), 0, 0 };
        Vela::DX11::Device->CreateBuffer(&description, &data, mesh.myVertexBuffer.ReleaseAndGetAddressOf());
        description.byteWidth = sizeof(indices);
        description.bindFlags = Vela::Gfx::BIND_INDEX_BUFFER;
        data.sysMem = indices;
        Vela::DX11::Device->CreateBuffer(&description, &data, mesh.myIndexBuffer.ReleaseAndGetAddressOf());

        Vela::TextureManager& textures = *engine.myTextureManager;
        const std::array<const Vela::Texture*, 4> material = { textures.GetDefaultTexture(), textures.GetTexture("Textures/T_Default_n.dds"),
                                                               textures.GetTexture("Textures/T_Default_m.dds"),
                                                               textures.GetTexture("Textures/T_Default_fx.dds") };
        Vela::Camera camera;
        camera.SetPerspectiveProjection(90.0f, { 640.0f, 360.0f }, 0.1f, 100.0f);
        Vela::ModelShader& shader = *engine.myGraphicsEngine->GetModelDrawer()->GetDefaultShader();
        Vela::GraphicsStateStack& states = *engine.myGraphicsEngine->GetGraphicsStateStack();
        const Vela::Matrix4x4<float> world;

        engine.BeginFrame();
        auto draw = [&] {
            states.Push();
            states.SetCamera(camera);
            states.SetBlendState(Vela::BlendState_Disabled);
            shader.Render(material, mesh, world, nullptr);
            states.Pop();
        };
        // The first draws make the driver's program and state variants; keep them out of the measurement.
        for (int i = 0; i < 4; ++i)
            draw();
        Vela::DX11::Context->Flush();
        VelaBench::WaitForGpu();
        int64_t draws = 0;
        for (auto _ : aState)
        {
            draw();
            // Waited for every 1024 draws and after the last, so the wall clock holds the rasteriser's work.
            if (++draws % 1024 == 0 || draws == int64_t(aState.max_iterations))
            {
                VelaBench::WaitForGpu();
                engine.BeginFrame();
            }
        }
        aState.SetItemsProcessed(aState.iterations());
    }
    BENCHMARK(ModelDrawsThroughTheStateStack)->Unit(benchmark::kMicrosecond)->UseRealTime();
}
