#pragma once
#include "mire/graphics/DX11.h"

namespace Vela
{
    // One pixel shader run over a full-screen triangle made by "Shaders/PostprocessVS" from the vertex
    // index alone; it draws into whatever target is bound.
    class FullscreenEffect
    {
    public:
        FullscreenEffect() = default;
        virtual ~FullscreenEffect() = default;
        FullscreenEffect(const FullscreenEffect&) = delete;
        FullscreenEffect& operator=(const FullscreenEffect&) = delete;

        virtual bool Init(const char* aPixelShaderName);
        virtual void Render();

    protected:
        DX11::VertexShaderEntry* myVertexShader = nullptr;
        Gfx::PixelShader* const* myPixelShader = nullptr;
    };
}
