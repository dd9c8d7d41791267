#include "mire/graphics/DepthBuffer.h"

#include "mire/core/Assert.h"
#include "mire/graphics/DX11.h"

namespace Vela
{
    DepthBuffer DepthBuffer::Create(std::pair<uint32_t, uint32_t> aSize)
    {
        DepthBuffer buffer;
        if (DX11::Device == nullptr)
        {
            VELA_ASSERT(DX11::Device != nullptr);
            return buffer;
        }
        Gfx::Texture2DDesc textureDesc;
        textureDesc.width = aSize.first;
        textureDesc.height = aSize.second;
        textureDesc.mipLevels = 1;
        textureDesc.arraySize = 1;
        textureDesc.format = Gfx::Format::R32_TYPELESS;
        textureDesc.sampleCount = 1;
        textureDesc.sampleQuality = 0;
        textureDesc.usage = Gfx::Usage::DEFAULT;
        textureDesc.bindFlags = Gfx::BIND_DEPTH_STENCIL | Gfx::BIND_SHADER_RESOURCE;
        textureDesc.cpuAccessFlags = 0;
        textureDesc.miscFlags = 0;
        Gfx::Ref<Gfx::Texture2D> texture;
        Gfx::Result result = DX11::Device->CreateTexture2D(&textureDesc, nullptr, texture.ReleaseAndGetAddressOf());
        VELA_ASSERT(Gfx::Succeeded(result));

        Gfx::DepthStencilViewDesc depthDesc;
        depthDesc.format = Gfx::Format::D32_FLOAT;
        depthDesc.viewDimension = Gfx::ViewDimension::TEXTURE2D;
        depthDesc.flags = 0;
        depthDesc.mipSlice = 0;
        result = DX11::Device->CreateDepthStencilView(texture.Get(), &depthDesc, buffer.myDepthStencilView.ReleaseAndGetAddressOf());
        VELA_ASSERT(Gfx::Succeeded(result));

        Gfx::ShaderResourceViewDesc resourceDesc;
        resourceDesc.format = Gfx::Format::R32_FLOAT;
        resourceDesc.viewDimension = Gfx::ViewDimension::TEXTURE2D;
        resourceDesc.mostDetailedMip = 0;
        resourceDesc.mipLevels = Gfx::ALL_MIP_LEVELS;
        result = DX11::Device->CreateShaderResourceView(texture.Get(), &resourceDesc,
                                                        buffer.myShaderResourceView.ReleaseAndGetAddressOf());
        VELA_ASSERT(Gfx::Succeeded(result));

        buffer.myViewport = { 0.0f, 0.0f, static_cast<float>(aSize.first), static_cast<float>(aSize.second), 0.0f, 1.0f };
        // The two views keep the texture alive.
        return buffer;
    }

    void DepthBuffer::Clear(float aDepth, uint8_t aStencil)
    {
        if (DX11::Context != nullptr && myDepthStencilView)
        {
            DX11::Context->ClearDepthStencilView(myDepthStencilView.Get(), Gfx::CLEAR_DEPTH | Gfx::CLEAR_STENCIL, aDepth, aStencil);
        }
    }

    void DepthBuffer::Release()
    {
        myDepthStencilView.Reset();
        myShaderResourceView.Reset();
    }
}
