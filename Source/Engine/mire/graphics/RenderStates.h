#pragma once
#include <cstdint>

namespace Vela
{
    // Indices into the graphics state stack's state-object tables; game code uses these values.
    enum BlendState : int32_t
    {
        BlendState_Disabled = 0,
        BlendState_AlphaBlend = 1,
        BlendState_Additive = 2,
        BlendState_Count
    };

    enum DepthStencilState : int32_t
    {
        DepthStencilState_ReadWriteLess = 0,
        DepthStencilState_ReadWriteLessEqual = 1,
        DepthStencilState_ReadOnlyLess = 2,
        DepthStencilState_ReadOnlyLessEqual = 3,
        DepthStencilState_Count
    };

    enum RasterizerState : int32_t
    {
        RasterizerState_Default = 0, // no object of our own: the device default (solid, back faces culled)
        RasterizerState_NoFaceCulling = 1,
        RasterizerState_Wireframe = 2,
        RasterizerState_WireframeNoCulling = 3,
        RasterizerState_Count
    };

    enum SamplerFilter : int32_t
    {
        SamplerFilter_Point = 0,
        SamplerFilter_Bilinear = 1,
        SamplerFilter_Trilinear = 2,
        SamplerFilter_Count
    };

    enum SamplerAddressMode : int32_t
    {
        SamplerAddressMode_Clamp = 0,
        SamplerAddressMode_Wrap = 1,
        SamplerAddressMode_Mirror = 2,
        SamplerAddressMode_Count
    };
}
