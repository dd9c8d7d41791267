#pragma once
// A 32-bit float depth buffer: a depth-stencil view to test against and a shader-resource view to read it.
#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <utility>

namespace Vela
{
    class DepthBuffer
    {
    public:
        DepthBuffer() = default;

        static DepthBuffer Create(std::pair<uint32_t, uint32_t> aSize);

        // The stencil value has no effect: the format has no stencil bits.
        void Clear(float aDepth = 1.0f, uint8_t aStencil = 0);
        void Release();

        Gfx::DepthStencilView* GetDepthStencilView() const { return myDepthStencilView.Get(); }
        Gfx::ShaderResourceView* GetShaderResourceView() const { return myShaderResourceView.Get(); }
        const Gfx::Viewport& GetViewport() const { return myViewport; }
        bool IsValid() const { return static_cast<bool>(myDepthStencilView); }

    private:
        Gfx::Ref<Gfx::ShaderResourceView> myShaderResourceView;
        Gfx::Ref<Gfx::DepthStencilView> myDepthStencilView;
        Gfx::Viewport myViewport;
    };
}
