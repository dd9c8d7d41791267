// Bad input gets a failure result and changes nothing: shader binaries, descriptions, slots and calls out of turn.
#include "GfxTestSupport.h"

namespace VelaTest
{
    using FailureTest = GfxTest;

    TEST_F(FailureTest, BrokenShaderBinariesAreRefusedWhereTheyAreCreated)
    {
        const std::vector<uint8_t> vertex = ReadShader("colored_VS");
        const std::vector<uint8_t> pixel = ReadShader("colored_PS");
        ASSERT_GT(vertex.size(), 20u);
        Ref<VertexShader> vertexShader;
        Ref<PixelShader> pixelShader;

        EXPECT_EQ(myDevice->CreateVertexShader(nullptr, 0, vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreateVertexShader(vertex.data(), 0, vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        // Not whole words, and too short for a header.
        EXPECT_EQ(myDevice->CreateVertexShader(vertex.data(), vertex.size() - 1, vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreateVertexShader(vertex.data(), 16, vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        // A wrong magic number (a text file, say).
        std::vector<uint8_t> text(64, 'x');
        EXPECT_EQ(myDevice->CreateVertexShader(text.data(), text.size(), vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        // Cut off in the middle of an instruction.
        EXPECT_EQ(myDevice->CreateVertexShader(vertex.data(), (vertex.size() / 2) & ~size_t(3), vertexShader.ReleaseAndGetAddressOf()),
                  RESULT_INVALID_ARG);
        // An instruction claiming more words than the module has.
        std::vector<uint8_t> overlong = vertex;
        overlong[20 + 2] = 0xFF;
        overlong[20 + 3] = 0xFF;
        EXPECT_EQ(myDevice->CreateVertexShader(overlong.data(), overlong.size(), vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        // The other stage's module.
        EXPECT_EQ(myDevice->CreateVertexShader(pixel.data(), pixel.size(), vertexShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreatePixelShader(vertex.data(), vertex.size(), pixelShader.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_FALSE(vertexShader);
        EXPECT_FALSE(pixelShader);
        // Checking only (no object asked for).
        EXPECT_EQ(myDevice->CreateVertexShader(vertex.data(), vertex.size(), nullptr), RESULT_FALSE);
    }

    TEST_F(FailureTest, InputLayoutsMustCoverTheShaderAndUseVertexFormats)
    {
        const std::vector<uint8_t> vertex = ReadShader("colored_VS");
        Ref<InputLayout> layout;
        const InputElementDesc position{"POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0};
        const InputElementDesc color{"COLOR", 0, Format::R32G32B32A32_FLOAT, 0, 16, InputClassification::PER_VERTEX_DATA, 0};
        // The shader reads location 1, which a one-element layout lacks.
        EXPECT_EQ(myDevice->CreateInputLayout(&position, 1, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        InputElementDesc elements[2] = {position, color};
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_OK);
        // Against no shader, a bad slot, a block-compressed format, the same semantic twice, mixed step classes.
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, nullptr, 0, layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        elements[1].inputSlot = 16;
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        elements[1] = color;
        elements[1].format = Format::BC1_UNORM;
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        elements[1] = position;
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        elements[1] = color;
        elements[1].inputSlotClass = InputClassification::PER_INSTANCE_DATA;
        elements[1].instanceDataStepRate = 1;
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        elements[1].inputSlot = 1;
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 2, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_OK);
        EXPECT_EQ(myDevice->CreateInputLayout(elements, 17, vertex.data(), vertex.size(), layout.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
    }

    TEST_F(FailureTest, BadResourceDescriptionsAreRefused)
    {
        Ref<Buffer> buffer;
        BufferDesc bufferDesc;
        EXPECT_EQ(myDevice->CreateBuffer(nullptr, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);   // size 0
        bufferDesc.byteWidth = 20;
        bufferDesc.usage = Usage::DYNAMIC;
        bufferDesc.cpuAccessFlags = CPU_ACCESS_WRITE;
        bufferDesc.bindFlags = BIND_CONSTANT_BUFFER;
        EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);   // not 16-byte
        bufferDesc.byteWidth = 32;
        bufferDesc.cpuAccessFlags = 0;
        EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);   // dynamic, no CPU write
        bufferDesc.usage = Usage::IMMUTABLE;
        EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);   // immutable, no data
        bufferDesc.bindFlags = BIND_RENDER_TARGET;
        EXPECT_EQ(myDevice->CreateBuffer(&bufferDesc, nullptr, buffer.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_FALSE(buffer);

        Ref<Texture2D> texture;
        Texture2DDesc desc;
        desc.width = 4;
        desc.height = 4;
        desc.format = Format::R8G8B8A8_UNORM;
        desc.bindFlags = BIND_SHADER_RESOURCE;
        EXPECT_EQ(myDevice->CreateTexture2D(nullptr, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        Texture2DDesc bad = desc;
        bad.width = 0;
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        bad = desc;
        bad.width = 20000;
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        bad = desc;
        bad.mipLevels = 4;   // a 4 x 4 texture has three
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        bad = desc;
        bad.format = static_cast<Format>(5000);
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_UNSUPPORTED);
        bad = desc;
        bad.format = Format::BC3_UNORM;
        bad.bindFlags |= BIND_RENDER_TARGET;
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        bad = desc;
        bad.miscFlags = MISC_TEXTURECUBE;   // a cube needs six faces
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        bad = desc;
        bad.format = Format::D32_FLOAT;
        bad.bindFlags = BIND_DEPTH_STENCIL | BIND_SHADER_RESOURCE;   // must be typeless to be read
        EXPECT_EQ(myDevice->CreateTexture2D(&bad, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        // Initial data with a row pitch shorter than a row.
        const uint8_t pixels[64] = {};
        SubresourceData shortRows{pixels, 8, 0};
        EXPECT_EQ(myDevice->CreateTexture2D(&desc, &shortRows, texture.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_FALSE(texture);

        // Views that do not fit their texture.
        ASSERT_EQ(myDevice->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<RenderTargetView> target;
        EXPECT_EQ(myDevice->CreateRenderTargetView(texture.Get(), nullptr, target.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        Ref<ShaderResourceView> view;
        ShaderResourceViewDesc viewDesc;
        viewDesc.format = Format::B8G8R8A8_UNORM;
        EXPECT_EQ(myDevice->CreateShaderResourceView(texture.Get(), &viewDesc, view.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        viewDesc.format = Format::R8G8B8A8_UNORM_SRGB;
        viewDesc.mostDetailedMip = 1;
        EXPECT_EQ(myDevice->CreateShaderResourceView(texture.Get(), &viewDesc, view.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreateShaderResourceView(nullptr, nullptr, view.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        Ref<DepthStencilView> depth;
        EXPECT_EQ(myDevice->CreateDepthStencilView(texture.Get(), nullptr, depth.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
    }

    TEST_F(FailureTest, StateDescriptionsOutOfRangeAreRefused)
    {
        BlendDesc blend;
        blend.renderTarget[0].srcBlend = static_cast<Blend>(12);
        Ref<BlendState> blendState;
        EXPECT_EQ(myDevice->CreateBlendState(&blend, blendState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_EQ(myDevice->CreateBlendState(nullptr, blendState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        DepthStencilDesc depth;
        depth.depthFunc = static_cast<ComparisonFunc>(0);
        Ref<DepthStencilState> depthState;
        EXPECT_EQ(myDevice->CreateDepthStencilState(&depth, depthState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        RasterizerDesc rasterizer;
        rasterizer.cullMode = static_cast<CullMode>(7);
        Ref<RasterizerState> rasterizerState;
        EXPECT_EQ(myDevice->CreateRasterizerState(&rasterizer, rasterizerState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        SamplerDesc sampler;
        sampler.filter = static_cast<Filter>(0x33);
        Ref<SamplerState> samplerState;
        EXPECT_EQ(myDevice->CreateSamplerState(&sampler, samplerState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        sampler = SamplerDesc();
        sampler.addressU = static_cast<TextureAddressMode>(0);
        EXPECT_EQ(myDevice->CreateSamplerState(&sampler, samplerState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        sampler = SamplerDesc();
        sampler.maxAnisotropy = 17;
        EXPECT_EQ(myDevice->CreateSamplerState(&sampler, samplerState.ReleaseAndGetAddressOf()), RESULT_INVALID_ARG);
        EXPECT_FALSE(blendState || depthState || rasterizerState || samplerState);
    }

    TEST_F(FailureTest, SlotsOutOfRangeChangeNothing)
    {
        MakeTarget();
        Ref<Buffer> constants = MakeBuffer(nullptr, 16, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);
        Ref<Buffer> vertices = MakeBuffer(nullptr, 16, BIND_VERTEX_BUFFER, Usage::DYNAMIC);
        Buffer* many[20] = {};
        ShaderResourceView* views[20] = {};
        SamplerState* samplers[20] = {};
        RenderTargetView* targets[9] = {};
        const uint32_t strides[20] = {};
        myContext->ResetStatistics();
        EXPECT_EQ(myContext->PSSetConstantBuffers(14, 1, constants.GetArray()), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->VSSetConstantBuffers(10, 5, many), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->PSSetShaderResources(16, 1, views), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->PSSetShaderResources(0, 17, views), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->PSSetSamplers(15, 2, samplers), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->IASetVertexBuffers(16, 1, vertices.GetArray(), strides, strides), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->OMSetRenderTargets(9, targets, nullptr), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->PSSetConstantBuffers(0, 1, nullptr), RESULT_INVALID_ARG);
        // A buffer bound where its bind flags do not allow it.
        EXPECT_EQ(myContext->PSSetConstantBuffers(0, 1, vertices.GetArray()), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->IASetIndexBuffer(vertices.Get(), Format::R32_UINT, 0), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->GetStatistics().rejectedCalls, 10u);
        // The target set before is still there: a draw lands.
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.0f, 1.0f, 0.0f, 1.0f}));
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 0, 255, 0, 255);
    }

    TEST_F(FailureTest, DrawsWithoutWhatTheyNeedDrawNothing)
    {
        MakeTarget();
        DrawColored({});
        // No topology.
        myContext->IASetPrimitiveTopology(PrimitiveTopology::UNDEFINED);
        myContext->Draw(3, 0);
        // No target.
        myContext->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
        myContext->OMSetRenderTargets(0, nullptr, nullptr);
        myContext->Draw(3, 0);
        // No viewport.
        myContext->OMSetRenderTargets(1, myTargetView.GetArray(), nullptr);
        myContext->RSSetViewports(0, nullptr);
        myContext->Draw(3, 0);
        EXPECT_EQ(myContext->GetStatistics().skippedDraws, 3u);
        // Unmapping what was never mapped and mapping what cannot be are harmless.
        Ref<Buffer> constants = MakeBuffer(nullptr, 16, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);
        myContext->Unmap(constants.Get(), 0);
        EXPECT_EQ(myContext->Map(constants.Get(), 0, MapType::WRITE_DISCARD, 0, nullptr), RESULT_INVALID_ARG);
        EXPECT_EQ(myContext->Map(nullptr, 0, MapType::WRITE_DISCARD, 0, nullptr), RESULT_INVALID_ARG);
        MappedSubresource mapped;
        EXPECT_EQ(myContext->Map(constants.Get(), 1, MapType::WRITE_DISCARD, 0, &mapped), RESULT_INVALID_CALL);
        EXPECT_EQ(myContext->Map(myTarget.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_INVALID_CALL);
    }

    TEST_F(FailureTest, DrawsReadingPastTheirBuffersDoNotCrash)
    {
        MakeTarget();
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.0f, 1.0f, 0.0f, 1.0f}));
        // Far more vertices than the six in the bound buffer, and indices far past its end.
        myContext->Draw(300000, 0);
        const uint32_t wild[6] = {0, 1, 2, 1000000, 2000000, 0xFFFFFFF0u};
        Ref<Buffer> indices = MakeBuffer(wild, sizeof(wild), BIND_INDEX_BUFFER);
        myContext->IASetIndexBuffer(indices.Get(), Format::R32_UINT, 0);
        myContext->DrawIndexed(6, 0, 0);
        myContext->DrawIndexed(6, 0, 1 << 30);
        myContext->Flush();
        // The target is still readable and the first quad is still there.
        EXPECT_EQ(TargetPixel(2, 2)[1], 255);
    }

    TEST_F(FailureTest, ADeviceNeedsAnOpenGlWindow)
    {
        Ref<SwapChain> swapChain;
        Ref<Device> device;
        Ref<DeviceContext> context;
        SwapChainDesc desc;
        EXPECT_EQ(CreateDeviceAndSwapChain(nullptr, 0, &desc, swapChain.ReleaseAndGetAddressOf(), device.ReleaseAndGetAddressOf(),
                                           context.ReleaseAndGetAddressOf()),
                  RESULT_INVALID_ARG);
        Vela::Platform::NativeWindow plain;
        plain.sdlWindow = SDL_CreateWindow("plain", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
        ASSERT_NE(plain.sdlWindow, nullptr);
        desc.outputWindow = &plain;
        EXPECT_EQ(CreateDeviceAndSwapChain(nullptr, 0, &desc, swapChain.ReleaseAndGetAddressOf(), device.ReleaseAndGetAddressOf(),
                                           context.ReleaseAndGetAddressOf()),
                  RESULT_INVALID_ARG);
        EXPECT_FALSE(swapChain || device || context);
        SDL_DestroyWindow(plain.sdlWindow);
    }
}
