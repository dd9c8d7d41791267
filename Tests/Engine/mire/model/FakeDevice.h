#pragma once
// A device that makes CPU-side buffers only, so factory tests run without a GPU; it can be told to fail.
#include "Platform/graphics/Gfx.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace VelaTest
{
    class FakeBuffer : public Vela::Gfx::Buffer
    {
    public:
        FakeBuffer(const Vela::Gfx::BufferDesc& aDesc, const void* someData) : myDesc(aDesc)
        {
            if (someData)
            {
                myBytes.resize(aDesc.byteWidth);
                std::memcpy(myBytes.data(), someData, aDesc.byteWidth);
            }
        }
        Vela::Gfx::ResourceDimension GetType() const override { return Vela::Gfx::ResourceDimension::BUFFER; }
        void GetDesc(Vela::Gfx::BufferDesc* aDesc) const override { *aDesc = myDesc; }

        Vela::Gfx::BufferDesc myDesc;
        std::vector<unsigned char> myBytes;
    };

    class FakeDevice : public Vela::Gfx::Device
    {
    public:
        FakeDevice() = default;

        Vela::Gfx::Result CreateBuffer(const Vela::Gfx::BufferDesc* aDesc, const Vela::Gfx::SubresourceData* anInitialData,
                                       Vela::Gfx::Buffer** aBuffer) override
        {
            ++myBufferRequests;
            if (myFailBuffers || aDesc->byteWidth == 0)
            {
                return Vela::Gfx::RESULT_INVALID_ARG;
            }
            *aBuffer = new FakeBuffer(*aDesc, anInitialData ? anInitialData->sysMem : nullptr);
            return Vela::Gfx::RESULT_OK;
        }
        Vela::Gfx::Result CreateTexture2D(const Vela::Gfx::Texture2DDesc*, const Vela::Gfx::SubresourceData*, Vela::Gfx::Texture2D**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateShaderResourceView(Vela::Gfx::Resource*, const Vela::Gfx::ShaderResourceViewDesc*, Vela::Gfx::ShaderResourceView**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateRenderTargetView(Vela::Gfx::Resource*, const Vela::Gfx::RenderTargetViewDesc*, Vela::Gfx::RenderTargetView**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateDepthStencilView(Vela::Gfx::Resource*, const Vela::Gfx::DepthStencilViewDesc*, Vela::Gfx::DepthStencilView**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateInputLayout(const Vela::Gfx::InputElementDesc*, uint32_t, const void*, size_t, Vela::Gfx::InputLayout**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateVertexShader(const void*, size_t, Vela::Gfx::VertexShader**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreatePixelShader(const void*, size_t, Vela::Gfx::PixelShader**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateBlendState(const Vela::Gfx::BlendDesc*, Vela::Gfx::BlendState**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateDepthStencilState(const Vela::Gfx::DepthStencilDesc*, Vela::Gfx::DepthStencilState**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateRasterizerState(const Vela::Gfx::RasterizerDesc*, Vela::Gfx::RasterizerState**) override { return Vela::Gfx::RESULT_FAIL; }
        Vela::Gfx::Result CreateSamplerState(const Vela::Gfx::SamplerDesc*, Vela::Gfx::SamplerState**) override { return Vela::Gfx::RESULT_FAIL; }
        void GetImmediateContext(Vela::Gfx::DeviceContext** aContext) override { *aContext = nullptr; }
        bool IsRenderThread() const override { return true; }

        std::atomic<bool> myFailBuffers{ false };
        std::atomic<int> myBufferRequests{ 0 };
    };
}
