// The swap chain's back buffer, clears, resizing, the adapter list, counters and the render-target/shader-resource rule.
#include "GfxTestSupport.h"

#include <epoxy/gl.h>

namespace VelaTest
{
    using DeviceTest = GfxTest;

    TEST_F(DeviceTest, ClearingTheBackBufferThroughItsSrgbViewEncodesTheLinearColour)
    {
        Ref<Texture2D> backBuffer;
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        Texture2DDesc desc;
        backBuffer->GetDesc(&desc);
        EXPECT_EQ(desc.width, SIZE);
        EXPECT_EQ(desc.height, SIZE);
        EXPECT_EQ(desc.format, Format::B8G8R8A8_UNORM);

        RenderTargetViewDesc viewDesc;
        viewDesc.format = Format::B8G8R8A8_UNORM_SRGB;
        Ref<RenderTargetView> view;
        ASSERT_EQ(myDevice->CreateRenderTargetView(backBuffer.Get(), &viewDesc, view.ReleaseAndGetAddressOf()), RESULT_OK);
        // sRGB 0.5 is linear 0.214; the view encodes it back to about 128. Alpha is never encoded.
        const float linearHalf = 0.21404114f;
        const float color[4] = {linearHalf, linearHalf, linearHalf, 0.5f};
        myContext->ClearRenderTargetView(view.Get(), color);
        EXPECT_PIXEL_NEAR(PixelAt(backBuffer.Get(), 10, 10), 128, 128, 128, 128);

        // Through the plain view the same value is stored as it is.
        Ref<RenderTargetView> plain;
        ASSERT_EQ(myDevice->CreateRenderTargetView(backBuffer.Get(), nullptr, plain.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->ClearRenderTargetView(plain.Get(), color);
        EXPECT_PIXEL_NEAR(PixelAt(backBuffer.Get(), 10, 10), 55, 55, 55, 128);

        // Channels come back in the back buffer's own order (blue first).
        const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
        myContext->ClearRenderTargetView(plain.Get(), red);
        EXPECT_PIXEL_NEAR(PixelAt(backBuffer.Get(), 0, 0), 0, 0, 255, 255);

        EXPECT_EQ(mySwapChain->Present(0, 0), RESULT_OK);
        EXPECT_EQ(mySwapChain->Present(1, 0), RESULT_OK);
    }

    TEST_F(DeviceTest, PresentShowsTheBackBufferTheRightWayUp)
    {
        Ref<Texture2D> backBuffer;
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<RenderTargetView> view;
        ASSERT_EQ(myDevice->CreateRenderTargetView(backBuffer.Get(), nullptr, view.ReleaseAndGetAddressOf()), RESULT_OK);
        const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        myContext->ClearRenderTargetView(view.Get(), blue);
        myContext->OMSetRenderTargets(1, view.GetArray(), nullptr);
        Viewport viewport{0.0f, 0.0f, static_cast<float>(SIZE), static_cast<float>(SIZE), 0.0f, 1.0f};
        myContext->RSSetViewports(1, &viewport);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, 0.0f, 0.5f, {1.0f, 0.0f, 0.0f, 1.0f}));   // the top half red
        ASSERT_EQ(mySwapChain->Present(0, 0), RESULT_OK);

        // The window's own framebuffer counts rows from the bottom: its last row is the top of the screen.
        // (The headless driver keeps what was presented, so it can be read back.)
        GLint previous = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        uint8_t top[4] = {};
        uint8_t bottom[4] = {};
        glReadPixels(8, SIZE - 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, top);
        glReadPixels(8, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bottom);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
        if (top[0] == 0 && top[2] == 0 && bottom[0] == 0 && bottom[2] == 0)
            GTEST_SKIP() << "this driver does not keep presented pictures";
        EXPECT_PIXEL_NEAR((Pixel{top[0], top[1], top[2], top[3]}), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR((Pixel{bottom[0], bottom[1], bottom[2], bottom[3]}), 0, 0, 255, 255);
    }

    TEST_F(DeviceTest, ClearsIgnoreWriteMasksAndDepthStates)
    {
        MakeDepth();
        MakeTarget();
        BlendDesc blend;
        blend.renderTarget[0].renderTargetWriteMask = 0;
        Ref<BlendState> writeNothing;
        ASSERT_EQ(myDevice->CreateBlendState(&blend, writeNothing.ReleaseAndGetAddressOf()), RESULT_OK);
        DepthStencilDesc depth;
        depth.depthWriteMask = DepthWriteMask::ZERO;
        Ref<DepthStencilState> noDepthWrites;
        ASSERT_EQ(myDevice->CreateDepthStencilState(&depth, noDepthWrites.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetBlendState(writeNothing.Get(), nullptr, 0xFFFFFFFFu);
        myContext->OMSetDepthStencilState(noDepthWrites.Get(), 0);

        const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        myContext->ClearRenderTargetView(myTargetView.Get(), green);
        EXPECT_PIXEL_NEAR(TargetPixel(5, 5), 0, 255, 0, 255);
        myContext->ClearDepthStencilView(myDepthView.Get(), CLEAR_DEPTH, 0.25f, 0);
        Ref<Resource> depthTexture;
        myDepthView->GetResource(depthTexture.ReleaseAndGetAddressOf());
        const std::vector<uint8_t> values = ReadTexture(static_cast<Texture2D*>(depthTexture.Get()));
        float value = 0.0f;
        ASSERT_GE(values.size(), sizeof(value));
        std::memcpy(&value, values.data(), sizeof(value));
        EXPECT_FLOAT_EQ(value, 0.25f);

        // The masks still hold for draws after the clears.
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.1f, {1.0f, 0.0f, 0.0f, 1.0f}));
        EXPECT_PIXEL_NEAR(TargetPixel(5, 5), 0, 255, 0, 255);
    }

    TEST_F(DeviceTest, ResizingNeedsTheBackBufferReleasedAndFollowsTheWindow)
    {
        Ref<Texture2D> backBuffer;
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<RenderTargetView> view;
        ASSERT_EQ(myDevice->CreateRenderTargetView(backBuffer.Get(), nullptr, view.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetRenderTargets(1, view.GetArray(), nullptr);
        backBuffer.Reset();
        // The view and the binding still hold it.
        EXPECT_EQ(mySwapChain->ResizeBuffers(0, 32, 16, Format::UNKNOWN, 0), RESULT_INVALID_CALL);
        view.Reset();
        myContext->ClearState();
        ASSERT_EQ(mySwapChain->ResizeBuffers(0, 32, 16, Format::UNKNOWN, 0), RESULT_OK);
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        Texture2DDesc desc;
        backBuffer->GetDesc(&desc);
        EXPECT_EQ(desc.width, 32u);
        EXPECT_EQ(desc.height, 16u);
        EXPECT_EQ(desc.format, Format::B8G8R8A8_UNORM);
        backBuffer.Reset();

        // Size 0 follows the window.
        SDL_SetWindowSize(myWindow.sdlWindow, 80, 48);
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(myWindow.sdlWindow, &width, &height);
        ASSERT_EQ(mySwapChain->ResizeBuffers(0, 0, 0, Format::UNKNOWN, 0), RESULT_OK);
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        backBuffer->GetDesc(&desc);
        EXPECT_EQ(desc.width, static_cast<uint32_t>(width));
        EXPECT_EQ(desc.height, static_cast<uint32_t>(height));
        EXPECT_EQ(mySwapChain->Present(0, 0), RESULT_OK);
    }

    TEST_F(DeviceTest, AdapterListComesFromTheDriverOrFromTheTestingList)
    {
        Ref<Factory> factory;
        ASSERT_EQ(CreateFactory(factory.ReleaseAndGetAddressOf()), RESULT_OK);
        Ref<Adapter> adapter;
        ASSERT_EQ(factory->EnumAdapters(0, adapter.ReleaseAndGetAddressOf()), RESULT_OK);
        AdapterDesc desc;
        ASSERT_EQ(adapter->GetDesc(&desc), RESULT_OK);
        EXPECT_FALSE(desc.description.empty());
        EXPECT_EQ(factory->EnumAdapters(1, adapter.ReleaseAndGetAddressOf()), RESULT_NOT_FOUND);
        EXPECT_FALSE(adapter);

        std::vector<AdapterDesc> fakes(2);
        fakes[0].description = L"NVIDIA one";
        fakes[0].dedicatedVideoMemory = size_t(4096) << 20;
        fakes[1].description = L"NVIDIA two";
        fakes[1].dedicatedVideoMemory = size_t(8192) << 20;
        SetAdaptersForTesting(&fakes);
        ASSERT_EQ(CreateFactory(factory.ReleaseAndGetAddressOf()), RESULT_OK);
        SetAdaptersForTesting(nullptr);
        ASSERT_EQ(factory->EnumAdapters(1, adapter.ReleaseAndGetAddressOf()), RESULT_OK);
        ASSERT_EQ(adapter->GetDesc(&desc), RESULT_OK);
        EXPECT_EQ(desc.description, L"NVIDIA two");
        EXPECT_EQ(desc.dedicatedVideoMemory >> 20, 8192u);
        EXPECT_EQ(factory->EnumAdapters(2, adapter.ReleaseAndGetAddressOf()), RESULT_NOT_FOUND);
    }

    TEST_F(DeviceTest, StatisticsCountEverySetCallAndDraw)
    {
        MakeTarget();
        myContext->ResetStatistics();
        Ref<BlendState> blend;
        BlendDesc blendDesc;
        ASSERT_EQ(myDevice->CreateBlendState(&blendDesc, blend.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext->OMSetBlendState(blend.Get(), nullptr, 0xFFFFFFFFu);
        myContext->OMSetBlendState(blend.Get(), nullptr, 0xFFFFFFFFu);
        myContext->OMSetDepthStencilState(nullptr, 0);
        myContext->RSSetState(nullptr);
        myContext->PSSetSamplers(0, 0, nullptr);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {1.0f, 1.0f, 1.0f, 1.0f}));
        const DeviceStatistics& statistics = myContext->GetStatistics();
        EXPECT_EQ(statistics.blendStateBinds, 2u);
        EXPECT_EQ(statistics.depthStencilStateBinds, 1u);
        EXPECT_EQ(statistics.rasterizerStateBinds, 1u);
        EXPECT_EQ(statistics.samplerBinds, 1u);
        EXPECT_EQ(statistics.shaderBinds, 2u);
        EXPECT_EQ(statistics.inputLayoutBinds, 1u);
        EXPECT_EQ(statistics.drawCalls, 1u);
        EXPECT_EQ(statistics.skippedDraws, 0u);

        // A draw without a vertex shader counts as a call but does nothing.
        myContext->VSSetShader(nullptr);
        myContext->Draw(3, 0);
        EXPECT_EQ(statistics.drawCalls, 2u);
        EXPECT_EQ(statistics.skippedDraws, 1u);
        myContext->ResetStatistics();
        EXPECT_EQ(myContext->GetStatistics().drawCalls, 0u);
    }

    TEST_F(DeviceTest, ATextureBoundAsRenderTargetIsNotReadByShaders)
    {
        MakeTarget();
        const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
        myContext->ClearRenderTargetView(myTargetView.Get(), red);
        Ref<ShaderResourceView> view;
        ASSERT_EQ(myDevice->CreateShaderResourceView(myTarget.Get(), nullptr, view.ReleaseAndGetAddressOf()), RESULT_OK);

        Ref<VertexShader> vertexShader = LoadVertexShader("fullscreen_VS");
        Ref<PixelShader> pixelShader = LoadPixelShader("textured_PS");
        myContext->IASetInputLayout(nullptr);
        myContext->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
        myContext->VSSetShader(vertexShader.Get());
        myContext->PSSetShader(pixelShader.Get());

        // Bound while the texture is the target: bound as null instead.
        myContext->PSSetShaderResources(1, 1, view.GetArray());
        myContext->Draw(3, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(30, 30), 0, 0, 0, 0);

        // Bound first, then made the target: unbound by the target binding.
        myContext->ClearRenderTargetView(myTargetView.Get(), red);
        myContext->OMSetRenderTargets(0, nullptr, nullptr);
        myContext->PSSetShaderResources(1, 1, view.GetArray());
        myContext->OMSetRenderTargets(1, myTargetView.GetArray(), nullptr);
        myContext->Draw(3, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(30, 30), 0, 0, 0, 0);
    }

    TEST_F(DeviceTest, ObjectsOutlivingTheDeviceAreReleasedSafely)
    {
        Ref<Buffer> buffer = MakeBuffer(nullptr, 64, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);
        Ref<Texture2D> backBuffer;
        ASSERT_EQ(mySwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf()), RESULT_OK);
        myContext.Reset();
        mySwapChain.Reset();
        myDevice.Reset();
        // The GL context is gone; these only free their memory.
        buffer.Reset();
        backBuffer.Reset();
        SUCCEED();
    }

    TEST_F(DeviceTest, ObjectsOfADestroyedDeviceRefuseEveryUseOnTheNextDevice)
    {
        // A texture made and uploaded on the first device.
        auto makeTexture = [this](uint8_t aRed, uint8_t aGreen) {
            Texture2DDesc desc;
            desc.width = 4;
            desc.height = 4;
            desc.format = Format::R8G8B8A8_UNORM;
            desc.bindFlags = BIND_SHADER_RESOURCE;
            std::vector<uint8_t> pixels;
            for (int i = 0; i < 16; ++i)
                pixels.insert(pixels.end(), {aRed, aGreen, 0, 255});
            const SubresourceData data = {pixels.data(), 16, 0};
            Ref<Texture2D> texture;
            EXPECT_EQ(myDevice->CreateTexture2D(&desc, &data, texture.ReleaseAndGetAddressOf()), RESULT_OK);
            return texture;
        };
        Ref<Texture2D> old = makeTexture(255, 0);
        ASSERT_TRUE(old);
        EXPECT_EQ(PixelAt(old.Get(), 1, 1), (Pixel{255, 0, 0, 255}));
        Ref<Buffer> oldBuffer = MakeBuffer(nullptr, 64, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);

        // The first device goes; a second one in the same window makes a texture of its own (GL may hand out the
        // same name again).
        myContext.Reset();
        mySwapChain.Reset();
        myDevice.Reset();
        SwapChainDesc desc;
        desc.outputWindow = &myWindow;
        ASSERT_EQ(CreateDeviceAndSwapChain(nullptr, 0, &desc, mySwapChain.ReleaseAndGetAddressOf(), myDevice.ReleaseAndGetAddressOf(),
                                           myContext.ReleaseAndGetAddressOf()),
                  RESULT_OK);
        Ref<Texture2D> fresh = makeTexture(0, 255);
        ASSERT_TRUE(fresh);

        // The old texture never reads the new one, and writing through it changes nothing.
        std::vector<uint8_t> pixels;
        EXPECT_NE(ReadBackTexture(myDevice.Get(), myContext.Get(), old.Get(), 0, pixels), RESULT_OK);
        const std::vector<uint8_t> red(16 * 4, 255);
        EXPECT_NE(myContext->UpdateSubresource(old.Get(), 0, red.data(), 16, 0), RESULT_OK);
        EXPECT_NE(myContext->CopyResource(fresh.Get(), old.Get()), RESULT_OK);
        EXPECT_NE(myContext->CopyResource(old.Get(), fresh.Get()), RESULT_OK);
        MappedSubresource mapped;
        EXPECT_NE(myContext->Map(oldBuffer.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
        EXPECT_EQ(PixelAt(fresh.Get(), 1, 1), (Pixel{0, 255, 0, 255}));

        // Nor can the new device view it.
        Ref<ShaderResourceView> oldView;
        EXPECT_NE(myDevice->CreateShaderResourceView(old.Get(), nullptr, oldView.ReleaseAndGetAddressOf()), RESULT_OK);
        EXPECT_FALSE(oldView);
    }
}
