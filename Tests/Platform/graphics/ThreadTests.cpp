// Creation calls from a worker thread; the GL objects appear on the render thread at first use.
#include "GfxTestSupport.h"

#include <thread>

namespace VelaTest
{
    using ThreadTest = GfxTest;

    TEST_F(ThreadTest, ResourcesMadeOnAWorkerDrawOnTheRenderThread)
    {
        MakeTarget();
        DrawColored({});   // the render thread's own shaders and layout
        EXPECT_TRUE(myDevice->IsRenderThread());

        const std::vector<uint8_t> vertexBytes = ReadShader("textured_VS");
        const std::vector<uint8_t> pixelBytes = ReadShader("textured_PS");
        Ref<Buffer> vertices;
        Ref<Texture2D> texture;
        Ref<ShaderResourceView> view;
        Ref<VertexShader> vertexShader;
        Ref<PixelShader> pixelShader;
        Ref<InputLayout> layout;
        Ref<SamplerState> sampler;
        bool workerIsRenderThread = true;
        std::thread worker([&] {
            workerIsRenderThread = myDevice->IsRenderThread();
            const std::vector<TexturedVertex> quad = {
                {{-1, 1, 0.5f, 1}, {0, 0}}, {{1, 1, 0.5f, 1}, {1, 0}}, {{-1, -1, 0.5f, 1}, {0, 1}},
                {{1, 1, 0.5f, 1}, {1, 0}},  {{1, -1, 0.5f, 1}, {1, 1}}, {{-1, -1, 0.5f, 1}, {0, 1}},
            };
            BufferDesc bufferDesc;
            bufferDesc.byteWidth = static_cast<uint32_t>(quad.size() * sizeof(TexturedVertex));
            bufferDesc.usage = Usage::IMMUTABLE;
            bufferDesc.bindFlags = BIND_VERTEX_BUFFER;
            SubresourceData bufferData{quad.data(), 0, 0};
            EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, &bufferData, vertices.ReleaseAndGetAddressOf()), RESULT_OK);

            // Top half yellow, bottom half cyan.
            std::vector<uint8_t> pixels;
            for (int y = 0; y < 2; ++y)
            {
                for (int x = 0; x < 2; ++x)
                {
                    const uint8_t texel[4] = {uint8_t(y == 0 ? 255 : 0), 255, uint8_t(y == 0 ? 0 : 255), 255};
                    pixels.insert(pixels.end(), texel, texel + 4);
                }
            }
            Texture2DDesc textureDesc;
            textureDesc.width = 2;
            textureDesc.height = 2;
            textureDesc.format = Format::R8G8B8A8_UNORM;
            textureDesc.usage = Usage::IMMUTABLE;
            textureDesc.bindFlags = BIND_SHADER_RESOURCE;
            SubresourceData textureData{pixels.data(), 8, 0};
            EXPECT_EQ(myDevice->CreateTexture2D(&textureDesc, &textureData, texture.ReleaseAndGetAddressOf()), RESULT_OK);
            EXPECT_EQ(myDevice->CreateShaderResourceView(texture.Get(), nullptr, view.ReleaseAndGetAddressOf()), RESULT_OK);
            EXPECT_EQ(myDevice->CreateVertexShader(vertexBytes.data(), vertexBytes.size(), vertexShader.ReleaseAndGetAddressOf()), RESULT_OK);
            EXPECT_EQ(myDevice->CreatePixelShader(pixelBytes.data(), pixelBytes.size(), pixelShader.ReleaseAndGetAddressOf()), RESULT_OK);
            const InputElementDesc elements[2] = {
                {"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0},
                {"TEXCOORD", 0, Format::R32G32_FLOAT, 0, 16, InputClassification::PER_VERTEX_DATA, 0}};
            EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertexBytes.data(), vertexBytes.size(), layout.ReleaseAndGetAddressOf()),
                      RESULT_OK);
            SamplerDesc samplerDesc;
            samplerDesc.filter = Filter::MIN_MAG_MIP_POINT;
            EXPECT_EQ(myDevice->CreateSamplerState(&samplerDesc, sampler.ReleaseAndGetAddressOf()), RESULT_OK);
            // A broken shader fails here, on the worker, not later on the render thread.
            Ref<PixelShader> broken;
            EXPECT_EQ(myDevice->CreatePixelShader(vertexBytes.data(), vertexBytes.size(), broken.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        });
        worker.join();
        EXPECT_FALSE(workerIsRenderThread);
        ASSERT_TRUE(vertices && texture && view && vertexShader && pixelShader && layout && sampler);

        const uint32_t stride = sizeof(TexturedVertex);
        const uint32_t offset = 0;
        myContext->IASetInputLayout(layout.Get());
        myContext->IASetVertexBuffers(0, 1, vertices.GetArray(), &stride, &offset);
        myContext->VSSetShader(vertexShader.Get());
        myContext->PSSetShader(pixelShader.Get());
        myContext->PSSetShaderResources(1, 1, view.GetArray());
        myContext->PSSetSamplers(0, 1, sampler.GetArray());
        myContext->Draw(6, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(30, 10), 255, 255, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(30, 50), 0, 255, 255, 255);
        EXPECT_EQ(myContext->GetStatistics().skippedDraws, 0u);
    }

    TEST_F(ThreadTest, ObjectsReleasedOnAWorkerAreDeletedAtTheNextPresent)
    {
        // Made on the render thread (GL objects exist at once), last reference dropped on a worker.
        std::vector<Ref<Buffer>> buffers;
        for (int i = 0; i < 8; ++i)
            buffers.push_back(MakeBuffer(nullptr, 256, BIND_VERTEX_BUFFER, Usage::DYNAMIC));
        Ref<Texture2D> texture;
        Texture2DDesc desc;
        desc.width = 4;
        desc.height = 4;
        desc.format = Format::R8G8B8A8_UNORM;
        desc.bindFlags = BIND_SHADER_RESOURCE;
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_OK);
        std::thread worker([&] {
            buffers.clear();
            texture.Reset();
        });
        worker.join();
        EXPECT_EQ(mySwapChain->Present(0, 0), RESULT_OK);
        // New objects still work after the queued deletions ran.
        MakeTarget();
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {1.0f, 0.0f, 1.0f, 1.0f}));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 255, 0, 255, 255);
    }

    TEST_F(ThreadTest, ManyWorkersCreatingAtOnce)
    {
        std::vector<std::thread> workers;
        std::vector<std::vector<Ref<Buffer>>> made(4);
        for (size_t w = 0; w < made.size(); ++w)
        {
            workers.emplace_back([&, w] {
                for (int i = 0; i < 50; ++i)
                {
                    const uint32_t data[4] = {uint32_t(i), 0, 0, 0};
                    BufferDesc desc;
                    desc.byteWidth = sizeof(data);
                    desc.usage = Usage::IMMUTABLE;
                    desc.bindFlags = BIND_INDEX_BUFFER;
                    SubresourceData initial{data, 0, 0};
                    Ref<Buffer> buffer;
                    EXPECT_EQ(myDevice->CreateBuffer(&desc, &initial, buffer.ReleaseAndGetAddressOf()), RESULT_OK);
                    // Half are dropped on the worker straight away.
                    if (i % 2 == 0)
                        made[w].push_back(buffer);
                }
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        // Their contents reach GL on the render thread.
        BufferDesc stagingDesc;
        stagingDesc.byteWidth = 16;
        stagingDesc.usage = Usage::STAGING;
        stagingDesc.cpuAccessFlags = CPU_ACCESS_READ;
        Ref<Buffer> staging;
        ASSERT_EQ(myDevice->CreateBuffer(&stagingDesc, nullptr, staging.ReleaseAndGetAddressOf()), RESULT_OK);
        ASSERT_EQ(myContext->CopyResource(staging.Get(), made[3][10].Get()), RESULT_OK);
        MappedSubresource mapped;
        ASSERT_EQ(myContext->Map(staging.Get(), 0, MapType::READ, 0, &mapped), RESULT_OK);
        EXPECT_EQ(static_cast<const uint32_t*>(mapped.data)[0], 20u);
        myContext->Unmap(staging.Get(), 0);
        EXPECT_EQ(mySwapChain->Present(0, 0), RESULT_OK);
    }
}
