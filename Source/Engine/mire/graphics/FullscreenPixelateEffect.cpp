#include "mire/graphics/FullscreenPixelateEffect.h"

#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"

#include <cstring>

namespace Vela
{
    namespace
    {
        constexpr uint32_t CONSTANT_SLOT = 13;
    }

    FullscreenPixelateEffect::Constants FullscreenPixelateEffect::MakeConstants(float aPixelSize, uint32_t aRenderWidth, uint32_t aRenderHeight)
    {
        return { aPixelSize, aRenderWidth, aRenderHeight, 0 };
    }

    bool FullscreenPixelateEffect::CreateTarget()
    {
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device || !DX11::SwapChain)
            return false;
        Gfx::Ref<Gfx::Texture2D> backBuffer;
        if (Gfx::Failed(DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())) || !backBuffer)
            return false;
        Gfx::Texture2DDesc backBufferDescription;
        backBuffer->GetDesc(&backBufferDescription);
        backBuffer.Reset();

        Gfx::Texture2DDesc description;
        description.width = backBufferDescription.width;
        description.height = backBufferDescription.height;
        description.mipLevels = 1;
        description.arraySize = 1;
        description.format = backBufferDescription.format;
        description.sampleCount = 1;
        description.usage = Gfx::Usage::DEFAULT;
        description.bindFlags = Gfx::BIND_RENDER_TARGET | Gfx::BIND_SHADER_RESOURCE | Gfx::BIND_UNORDERED_ACCESS;
        Gfx::Ref<Gfx::Texture2D> texture;
        Gfx::Ref<Gfx::ShaderResourceView> shaderResourceView;
        Gfx::Ref<Gfx::RenderTargetView> renderTargetView;
        if (Gfx::Failed(device->CreateTexture2D(&description, nullptr, texture.ReleaseAndGetAddressOf())) ||
            Gfx::Failed(device->CreateShaderResourceView(texture.Get(), nullptr, shaderResourceView.ReleaseAndGetAddressOf())) ||
            Gfx::Failed(device->CreateRenderTargetView(texture.Get(), nullptr, renderTargetView.ReleaseAndGetAddressOf())))
            return false;
        myTexture = std::move(texture);
        myShaderResourceView = std::move(shaderResourceView);
        myRenderTargetView = std::move(renderTargetView);
        myViewport = { 0.0f, 0.0f, float(description.width), float(description.height), 0.0f, 1.0f };
        return true;
    }

    bool FullscreenPixelateEffect::Init(const char* aPixelShaderName)
    {
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return false;
        myConstantBuffer = CreateDynamicConstantBuffer(*device, uint32_t(sizeof(Constants)));
        if (!myConstantBuffer)
            return false;
        if (!CreateTarget())
            return false;
        return FullscreenEffect::Init(aPixelShaderName);
    }

    void FullscreenPixelateEffect::Render()
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!context || !DX11::BackBuffer)
            return;

        // The back buffer may have been resized since the texture was made: follow it, so the
        // texture and the render size in the constants agree.
        float width = 0.0f;
        float height = 0.0f;
        GraphicsServices::GetBackBufferSize(width, height);
        if (width > 0.0f && height > 0.0f && (width != myViewport.width || height != myViewport.height))
            CreateTarget();

        DX11::BackBuffer->SetAsActiveTarget(nullptr);
        myConstants = MakeConstants(myPixelSize, uint32_t(GraphicsServices::GetRenderWidth()), uint32_t(GraphicsServices::GetRenderHeight()));

        Gfx::MappedSubresource mapped;
        if (!myConstantBuffer || Gfx::Failed(context->Map(myConstantBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            return;
        std::memcpy(mapped.data, &myConstants, sizeof(myConstants));
        context->Unmap(myConstantBuffer.Get(), 0);

        Gfx::Buffer* const constantBuffer = myConstantBuffer.Get();
        context->PSSetConstantBuffers(CONSTANT_SLOT, 1, &constantBuffer);
        Gfx::ShaderResourceView* const view = myShaderResourceView.Get();
        context->PSSetShaderResources(0, 1, &view);
        FullscreenEffect::Render();
    }
}
