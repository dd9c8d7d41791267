#include "mire/graphics/RenderTarget.h"

#include "mire/core/Assert.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/DepthBuffer.h"

namespace Vela
{
    RenderTarget RenderTarget::Create(Gfx::Texture2D* aTexture)
    {
        return CreateWithDescription(aTexture, nullptr);
    }

    RenderTarget RenderTarget::Create(Gfx::Texture2D* aTexture, Gfx::Format aFormat)
    {
        Gfx::RenderTargetViewDesc desc;
        desc.format = aFormat;
        desc.viewDimension = Gfx::ViewDimension::TEXTURE2D;
        desc.mipSlice = 0;
        return CreateWithDescription(aTexture, &desc);
    }

    RenderTarget RenderTarget::CreateWithDescription(Gfx::Texture2D* aTexture, const Gfx::RenderTargetViewDesc* aDesc)
    {
        RenderTarget target;
        if (DX11::Device == nullptr)
        {
            VELA_ASSERT(DX11::Device != nullptr);
            return target;
        }
        const Gfx::Result result =
            DX11::Device->CreateRenderTargetView(aTexture, aDesc, target.myRenderTargetView.ReleaseAndGetAddressOf());
        VELA_ASSERT(Gfx::Succeeded(result));
        if (aTexture != nullptr)
        {
            Gfx::Texture2DDesc textureDesc;
            aTexture->GetDesc(&textureDesc);
            auto viewport = std::make_shared<Gfx::Viewport>();
            viewport->topLeftX = 0.0f;
            viewport->topLeftY = 0.0f;
            viewport->width = static_cast<float>(textureDesc.width);
            viewport->height = static_cast<float>(textureDesc.height);
            viewport->minDepth = 0.0f;
            viewport->maxDepth = 1.0f;
            target.myViewport = std::move(viewport);
        }
        return target;
    }

    void RenderTarget::Clear(const float aColor[4])
    {
        if (DX11::Context != nullptr && myRenderTargetView)
        {
            DX11::Context->ClearRenderTargetView(myRenderTargetView.Get(), aColor);
        }
    }

    void RenderTarget::SetAsActiveTarget(const DepthBuffer* aDepthBuffer)
    {
        if (DX11::Context == nullptr)
        {
            return;
        }
        Gfx::DepthStencilView* depthView = aDepthBuffer != nullptr ? aDepthBuffer->GetDepthStencilView() : nullptr;
        DX11::Context->OMSetRenderTargets(1, myRenderTargetView.GetArray(), depthView);
        if (myViewport)
        {
            DX11::Context->RSSetViewports(1, myViewport.get());
        }
    }

    std::pair<int32_t, int32_t> RenderTarget::GetSize() const
    {
        if (!myViewport)
        {
            return { 0, 0 };
        }
        return { static_cast<int32_t>(myViewport->width), static_cast<int32_t>(myViewport->height) };
    }
}
