#pragma once
#include "mire/graphics/FullscreenEffect.h"

#include <cstdint>

namespace Vela
{
    // Reads its own texture (callers render into GetRenderTargetView with GetViewport) and writes it
    // to the back buffer in blocks of the pixel size.
    class FullscreenPixelateEffect : public FullscreenEffect
    {
    public:
        struct Constants
        {
            float myPixelSize = 0.0f;
            uint32_t myRenderWidth = 0;
            uint32_t myRenderHeight = 0;
            uint32_t myUnused = 0;
        };
        static_assert(sizeof(Constants) == 16);

        bool Init(const char* aPixelShaderName) override;
        void Render() override;

        void SetPixelSize(float aPixelSize) { myPixelSize = aPixelSize; }
        float GetPixelSize() const { return myPixelSize; }
        const Constants& GetConstants() const { return myConstants; }
        Gfx::RenderTargetView* GetRenderTargetView() const { return myRenderTargetView.Get(); }
        Gfx::ShaderResourceView* GetShaderResourceView() const { return myShaderResourceView.Get(); }
        const Gfx::Viewport& GetViewport() const { return myViewport; }

        // Fills the constant block for a render size (what Render uploads).
        static Constants MakeConstants(float aPixelSize, uint32_t aRenderWidth, uint32_t aRenderHeight);

    private:
        // (Re)creates the texture, its views and the viewport at the back buffer's size.
        bool CreateTarget();

        float myPixelSize = 16.0f;
        Constants myConstants;
        Gfx::Ref<Gfx::Texture2D> myTexture;
        Gfx::Ref<Gfx::ShaderResourceView> myShaderResourceView;
        Gfx::Ref<Gfx::RenderTargetView> myRenderTargetView;
        Gfx::Ref<Gfx::Buffer> myConstantBuffer;
        Gfx::Viewport myViewport;
    };
}
