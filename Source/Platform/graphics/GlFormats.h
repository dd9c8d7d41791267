#pragma once
// How each format of the layer is stored, transferred and read as a vertex attribute in GL.
#include <epoxy/gl.h>

#include "Platform/graphics/GfxTypes.h"

namespace Vela::Gfx
{
    // Formats that may view each other's storage (same family).
    enum class FormatFamily : uint8_t
    {
        NONE,
        RGBA32,
        RGB32,
        RGBA16,
        RG32,
        RGB10A2,
        R11G11B10,
        RGBA8,
        RG16,
        R32,
        RG8,
        R16,
        R8,
        A8,
        BC1,
        BC2,
        BC3,
        BC4,
        BC5,
        B5G6R5,
        B5G5R5A1,
        BGRA8,
        BGRX8,
        BC6H,
        BC7,
        B4G4R4A4,
    };

    enum class FormatSwizzle : uint8_t
    {
        NONE,
        ALPHA_ONE,    // X formats: alpha reads 1
        ALPHA_ONLY,   // A8: red storage read as alpha, colour 0
    };

    struct FormatInfo
    {
        Format format = Format::UNKNOWN;
        FormatFamily family = FormatFamily::NONE;
        GLenum internalFormat = 0;       // 0: not usable as a texture
        GLenum transferFormat = 0;       // pixel transfer (0 for block-compressed formats)
        GLenum transferType = 0;
        uint32_t bytesPerUnit = 0;       // per pixel, or per 4x4 block
        bool compressed = false;
        bool srgb = false;
        bool depth = false;
        bool typeless = false;
        FormatSwizzle swizzle = FormatSwizzle::NONE;
        // As a vertex attribute (attributeType 0: not a vertex format).
        GLint attributeComponents = 0;
        GLenum attributeType = 0;
        bool attributeNormalized = false;
        bool attributeInteger = false;
    };

    // Null for formats the layer does not know.
    const FormatInfo* FindFormatInfo(Format aFormat);

    // The same storage read through another format of its family (sRGB views of 8-bit storage and the like).
    bool AreViewCompatible(Format aStorage, Format aView);
}
