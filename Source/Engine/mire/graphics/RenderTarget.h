#pragma once
// A render-target view and the viewport that covers its texture.
#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace Vela
{
    class DepthBuffer;

    class RenderTarget
    {
    public:
        RenderTarget() = default;

        // A view in the texture's own format.
        static RenderTarget Create(Gfx::Texture2D* aTexture);
        // A view in aFormat (an sRGB view of UNORM storage, for one).
        static RenderTarget Create(Gfx::Texture2D* aTexture, Gfx::Format aFormat);

        void Clear(const float aColor[4]);
        // Binds this target with the depth buffer's view (none for null) and its viewport.
        void SetAsActiveTarget(const DepthBuffer* aDepthBuffer = nullptr);
        // Width and height of the viewport; 0 x 0 for an empty target.
        std::pair<int32_t, int32_t> GetSize() const;

        Gfx::RenderTargetView* GetView() const { return myRenderTargetView.Get(); }
        const Gfx::Viewport* GetViewport() const { return myViewport.get(); }
        bool IsValid() const { return static_cast<bool>(myRenderTargetView); }

    private:
        static RenderTarget CreateWithDescription(Gfx::Texture2D* aTexture, const Gfx::RenderTargetViewDesc* aDesc);

        Gfx::Ref<Gfx::RenderTargetView> myRenderTargetView;
        std::shared_ptr<const Gfx::Viewport> myViewport;
    };
}
