// CPU cost of the graphics layer per draw call and per state change (headless: SDL_VIDEODRIVER=offscreen).
#include <benchmark/benchmark.h>

#include <SDL2/SDL.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Platform/graphics/Gfx.h"

namespace
{
    using namespace Vela::Gfx;

    std::vector<uint8_t> ReadShader(const std::string& aName)
    {
        std::ifstream file(std::string(VELA_COOKED_DIR) + "/test/" + aName + ".cso", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // One device drawing a small triangle into a 1 x 1 target, so the cost measured is the layer's and the driver's
    // call overhead rather than rasterisation.
    struct Scene
    {
        Scene()
        {
            SDL_InitSubSystem(SDL_INIT_VIDEO);
            window.sdlWindow = SDL_CreateWindow("bench", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            SwapChainDesc desc;
            desc.outputWindow = &window;
            if (Failed(CreateDeviceAndSwapChain(nullptr, 0, &desc, swapChain.ReleaseAndGetAddressOf(), device.ReleaseAndGetAddressOf(),
                                                context.ReleaseAndGetAddressOf())))
                return;
            const std::vector<uint8_t> vertex = ReadShader("colored_VS");
            const std::vector<uint8_t> pixel = ReadShader("colored_PS");
            device->CreateVertexShader(vertex.data(), vertex.size(), vertexShader.ReleaseAndGetAddressOf());
            device->CreatePixelShader(pixel.data(), pixel.size(), pixelShader.ReleaseAndGetAddressOf());
            const InputElementDesc elements[2] = {{"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0},
                                                  {"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, 16, InputClassification::PER_VERTEX_DATA, 0}};
            device->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf());
            const float vertices[3][8] = {{-1, 1, 0.5f, 1, 1, 0, 0, 1}, {1, 1, 0.5f, 1, 1, 0, 0, 1}, {-1, -1, 0.5f, 1, 1, 0, 0, 1}};
            BufferDesc bufferDesc;
            bufferDesc.byteWidth = sizeof(vertices);
            bufferDesc.usage = Usage::DYNAMIC;
            bufferDesc.cpuAccessFlags = CPU_ACCESS_WRITE;
            bufferDesc.bindFlags = BIND_VERTEX_BUFFER;
            SubresourceData data{vertices, 0, 0};
            device->CreateBuffer(&bufferDesc, &data, vertexBuffer.ReleaseAndGetAddressOf());
            bufferDesc.byteWidth = 64;
            bufferDesc.bindFlags = BIND_CONSTANT_BUFFER;
            device->CreateBuffer(&bufferDesc, nullptr, constants.ReleaseAndGetAddressOf());

            Texture2DDesc textureDesc;
            textureDesc.width = 1;
            textureDesc.height = 1;
            textureDesc.format = Format::R8G8B8A8_UNORM;
            textureDesc.bindFlags = BIND_RENDER_TARGET;
            device->CreateTexture2D(&textureDesc, nullptr, target.ReleaseAndGetAddressOf());
            device->CreateRenderTargetView(target.Get(), nullptr, targetView.ReleaseAndGetAddressOf());

            BlendDesc blend;
            device->CreateBlendState(&blend, blendStates[0].ReleaseAndGetAddressOf());
            blend.renderTarget[0].blendEnable = true;
            blend.renderTarget[0].srcBlend = Blend::SRC_ALPHA;
            blend.renderTarget[0].destBlend = Blend::INV_SRC_ALPHA;
            device->CreateBlendState(&blend, blendStates[1].ReleaseAndGetAddressOf());
            SamplerDesc sampler;
            device->CreateSamplerState(&sampler, samplers[0].ReleaseAndGetAddressOf());
            sampler.filter = Filter::MIN_MAG_MIP_POINT;
            device->CreateSamplerState(&sampler, samplers[1].ReleaseAndGetAddressOf());
            ready = vertexShader && pixelShader && layout && vertexBuffer && targetView;
        }

        ~Scene()
        {
            context.Reset();
            swapChain.Reset();
            device.Reset();
            if (window.sdlWindow)
                SDL_DestroyWindow(window.sdlWindow);
        }

        void Bind()
        {
            const uint32_t stride = 32;
            const uint32_t offset = 0;
            context->OMSetRenderTargets(1, targetView.GetArray(), nullptr);
            Viewport viewport{0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
            context->RSSetViewports(1, &viewport);
            context->IASetInputLayout(layout.Get());
            context->IASetVertexBuffers(0, 1, vertexBuffer.GetArray(), &stride, &offset);
            context->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
            context->VSSetShader(vertexShader.Get());
            context->PSSetShader(pixelShader.Get());
        }

        Vela::Platform::NativeWindow window;
        Ref<SwapChain> swapChain;
        Ref<Device> device;
        Ref<DeviceContext> context;
        Ref<VertexShader> vertexShader;
        Ref<PixelShader> pixelShader;
        Ref<InputLayout> layout;
        Ref<Buffer> vertexBuffer;
        Ref<Buffer> constants;
        Ref<Texture2D> target;
        Ref<RenderTargetView> targetView;
        Ref<BlendState> blendStates[2];
        Ref<SamplerState> samplers[2];
        bool ready = false;
    };

    Scene& TheScene()
    {
        static Scene scene;
        return scene;
    }

    void FinishFrame(Scene& aScene)
    {
        aScene.context->Flush();
        aScene.swapChain->Present(0, 0);
    }

    void DrawCallUnchangedState(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        scene.Bind();
        int64_t draws = 0;
        for (auto _ : aState)
        {
            scene.context->Draw(3, 0);
            if (++draws % 1024 == 0)
                FinishFrame(scene);
        }
        aState.SetItemsProcessed(draws);
    }
    BENCHMARK(DrawCallUnchangedState);

    void DrawCallWithBlendAndSamplerChange(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        scene.Bind();
        int64_t draws = 0;
        for (auto _ : aState)
        {
            const size_t which = static_cast<size_t>(draws & 1);
            scene.context->OMSetBlendState(scene.blendStates[which].Get(), nullptr, 0xFFFFFFFFu);
            scene.context->PSSetSamplers(0, 1, scene.samplers[which].GetArray());
            scene.context->Draw(3, 0);
            if (++draws % 1024 == 0)
                FinishFrame(scene);
        }
        aState.SetItemsProcessed(draws);
    }
    BENCHMARK(DrawCallWithBlendAndSamplerChange);

    void DrawCallWithConstantUpload(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        scene.Bind();
        scene.context->VSSetConstantBuffers(4, 1, scene.constants.GetArray());
        int64_t draws = 0;
        for (auto _ : aState)
        {
            MappedSubresource mapped;
            if (Succeeded(scene.context->Map(scene.constants.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped)))
            {
                static_cast<float*>(mapped.data)[0] = static_cast<float>(draws);
                scene.context->Unmap(scene.constants.Get(), 0);
            }
            scene.context->Draw(3, 0);
            if (++draws % 1024 == 0)
                FinishFrame(scene);
        }
        aState.SetItemsProcessed(draws);
    }
    BENCHMARK(DrawCallWithConstantUpload);

    void DrawCallWithBlendChange(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        scene.Bind();
        int64_t draws = 0;
        for (auto _ : aState)
        {
            scene.context->OMSetBlendState(scene.blendStates[draws & 1].Get(), nullptr, 0xFFFFFFFFu);
            scene.context->Draw(3, 0);
            if (++draws % 1024 == 0)
                FinishFrame(scene);
        }
        aState.SetItemsProcessed(draws);
    }
    BENCHMARK(DrawCallWithBlendChange);

    void DrawCallWithTextureChange(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        Ref<ShaderResourceView> views[2];
        for (Ref<ShaderResourceView>& view : views)
        {
            const uint8_t texel[4] = {255, 255, 255, 255};
            Texture2DDesc desc;
            desc.width = 1;
            desc.height = 1;
            desc.format = Format::R8G8B8A8_UNORM;
            desc.usage = Usage::IMMUTABLE;
            desc.bindFlags = BIND_SHADER_RESOURCE;
            SubresourceData data{texel, 4, 0};
            Ref<Texture2D> texture;
            scene.device->CreateTexture2D(&desc, &data, texture.ReleaseAndGetAddressOf());
            scene.device->CreateShaderResourceView(texture.Get(), nullptr, view.ReleaseAndGetAddressOf());
        }
        scene.Bind();
        int64_t draws = 0;
        for (auto _ : aState)
        {
            scene.context->PSSetShaderResources(1, 1, views[draws & 1].GetArray());
            scene.context->Draw(3, 0);
            if (++draws % 1024 == 0)
                FinishFrame(scene);
        }
        aState.SetItemsProcessed(draws);
    }
    BENCHMARK(DrawCallWithTextureChange);

    // The bind alone, no draw: what a redundant Set call costs.
    void BlendStateBind(benchmark::State& aState)
    {
        Scene& scene = TheScene();
        if (!scene.ready)
            return aState.SkipWithError("no device");
        int64_t binds = 0;
        for (auto _ : aState)
        {
            scene.context->OMSetBlendState(scene.blendStates[binds & 1].Get(), nullptr, 0xFFFFFFFFu);
            ++binds;
        }
        aState.SetItemsProcessed(binds);
    }
    BENCHMARK(BlendStateBind);
}
