#include "Platform/graphics/GlFormats.h"

#include <array>

namespace Vela::Gfx
{
    namespace
    {
        using F = Format;
        using Fam = FormatFamily;

        constexpr FormatInfo Plain(F aFormat, Fam aFamily, GLenum anInternal, GLenum aTransferFormat, GLenum aTransferType, uint32_t aBytes)
        {
            FormatInfo info;
            info.format = aFormat;
            info.family = aFamily;
            info.internalFormat = anInternal;
            info.transferFormat = aTransferFormat;
            info.transferType = aTransferType;
            info.bytesPerUnit = aBytes;
            return info;
        }

        constexpr FormatInfo Typeless(FormatInfo anInfo)
        {
            anInfo.typeless = true;
            return anInfo;
        }

        constexpr FormatInfo Srgb(FormatInfo anInfo)
        {
            anInfo.srgb = true;
            return anInfo;
        }

        constexpr FormatInfo Swizzled(FormatInfo anInfo, FormatSwizzle aSwizzle)
        {
            anInfo.swizzle = aSwizzle;
            return anInfo;
        }

        constexpr FormatInfo Attribute(FormatInfo anInfo, GLint aComponents, GLenum aType, bool aNormalized, bool anInteger)
        {
            anInfo.attributeComponents = aComponents;
            anInfo.attributeType = aType;
            anInfo.attributeNormalized = aNormalized;
            anInfo.attributeInteger = anInteger;
            return anInfo;
        }

        constexpr FormatInfo Block(F aFormat, Fam aFamily, GLenum anInternal, uint32_t aBytesPerBlock)
        {
            FormatInfo info;
            info.format = aFormat;
            info.family = aFamily;
            info.internalFormat = anInternal;
            info.bytesPerUnit = aBytesPerBlock;
            info.compressed = true;
            return info;
        }

        constexpr FormatInfo Depth(F aFormat)
        {
            FormatInfo info = Plain(aFormat, Fam::R32, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, 4);
            info.depth = true;
            return info;
        }

        constexpr FormatInfo FLOATS(F f, Fam fam, GLenum internal, GLenum transfer, GLint n)
        {
            return Attribute(Plain(f, fam, internal, transfer, GL_FLOAT, 4 * n), n, GL_FLOAT, false, false);
        }

        constexpr std::array FORMAT_TABLE = {
            Typeless(Plain(F::R32G32B32A32_TYPELESS, Fam::RGBA32, GL_RGBA32F, GL_RGBA, GL_FLOAT, 16)),
            FLOATS(F::R32G32B32A32_FLOAT, Fam::RGBA32, GL_RGBA32F, GL_RGBA, 4),
            Attribute(Plain(F::R32G32B32A32_UINT, Fam::RGBA32, GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, 16), 4, GL_UNSIGNED_INT, false, true),
            Attribute(Plain(F::R32G32B32A32_SINT, Fam::RGBA32, GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, 16), 4, GL_INT, false, true),
            FLOATS(F::R32G32B32_FLOAT, Fam::RGB32, GL_RGB32F, GL_RGB, 3),
            Attribute(Plain(F::R32G32B32_UINT, Fam::RGB32, GL_RGB32UI, GL_RGB_INTEGER, GL_UNSIGNED_INT, 12), 3, GL_UNSIGNED_INT, false, true),
            Attribute(Plain(F::R32G32B32_SINT, Fam::RGB32, GL_RGB32I, GL_RGB_INTEGER, GL_INT, 12), 3, GL_INT, false, true),
            Attribute(Plain(F::R16G16B16A16_FLOAT, Fam::RGBA16, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8), 4, GL_HALF_FLOAT, false, false),
            Attribute(Plain(F::R16G16B16A16_UNORM, Fam::RGBA16, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, 8), 4, GL_UNSIGNED_SHORT, true, false),
            Attribute(Plain(F::R16G16B16A16_UINT, Fam::RGBA16, GL_RGBA16UI, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, 8), 4, GL_UNSIGNED_SHORT, false, true),
            Attribute(Plain(F::R16G16B16A16_SNORM, Fam::RGBA16, GL_RGBA16_SNORM, GL_RGBA, GL_SHORT, 8), 4, GL_SHORT, true, false),
            Attribute(Plain(F::R16G16B16A16_SINT, Fam::RGBA16, GL_RGBA16I, GL_RGBA_INTEGER, GL_SHORT, 8), 4, GL_SHORT, false, true),
            FLOATS(F::R32G32_FLOAT, Fam::RG32, GL_RG32F, GL_RG, 2),
            Attribute(Plain(F::R32G32_UINT, Fam::RG32, GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, 8), 2, GL_UNSIGNED_INT, false, true),
            Attribute(Plain(F::R32G32_SINT, Fam::RG32, GL_RG32I, GL_RG_INTEGER, GL_INT, 8), 2, GL_INT, false, true),
            Attribute(Plain(F::R10G10B10A2_UNORM, Fam::RGB10A2, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, 4), 4,
                      GL_UNSIGNED_INT_2_10_10_10_REV, true, false),
            Plain(F::R11G11B10_FLOAT, Fam::R11G11B10, GL_R11F_G11F_B10F, GL_RGB, GL_UNSIGNED_INT_10F_11F_11F_REV, 4),
            Typeless(Plain(F::R8G8B8A8_TYPELESS, Fam::RGBA8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4)),
            Attribute(Plain(F::R8G8B8A8_UNORM, Fam::RGBA8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4), 4, GL_UNSIGNED_BYTE, true, false),
            Srgb(Plain(F::R8G8B8A8_UNORM_SRGB, Fam::RGBA8, GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE, 4)),
            Attribute(Plain(F::R8G8B8A8_UINT, Fam::RGBA8, GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, 4), 4, GL_UNSIGNED_BYTE, false, true),
            Attribute(Plain(F::R8G8B8A8_SNORM, Fam::RGBA8, GL_RGBA8_SNORM, GL_RGBA, GL_BYTE, 4), 4, GL_BYTE, true, false),
            Attribute(Plain(F::R8G8B8A8_SINT, Fam::RGBA8, GL_RGBA8I, GL_RGBA_INTEGER, GL_BYTE, 4), 4, GL_BYTE, false, true),
            Attribute(Plain(F::R16G16_FLOAT, Fam::RG16, GL_RG16F, GL_RG, GL_HALF_FLOAT, 4), 2, GL_HALF_FLOAT, false, false),
            Attribute(Plain(F::R16G16_UNORM, Fam::RG16, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, 4), 2, GL_UNSIGNED_SHORT, true, false),
            Attribute(Plain(F::R16G16_UINT, Fam::RG16, GL_RG16UI, GL_RG_INTEGER, GL_UNSIGNED_SHORT, 4), 2, GL_UNSIGNED_SHORT, false, true),
            Attribute(Plain(F::R16G16_SNORM, Fam::RG16, GL_RG16_SNORM, GL_RG, GL_SHORT, 4), 2, GL_SHORT, true, false),
            Attribute(Plain(F::R16G16_SINT, Fam::RG16, GL_RG16I, GL_RG_INTEGER, GL_SHORT, 4), 2, GL_SHORT, false, true),
            Typeless(Plain(F::R32_TYPELESS, Fam::R32, GL_R32F, GL_RED, GL_FLOAT, 4)),
            Depth(F::D32_FLOAT),
            FLOATS(F::R32_FLOAT, Fam::R32, GL_R32F, GL_RED, 1),
            Attribute(Plain(F::R32_UINT, Fam::R32, GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, 4), 1, GL_UNSIGNED_INT, false, true),
            Attribute(Plain(F::R32_SINT, Fam::R32, GL_R32I, GL_RED_INTEGER, GL_INT, 4), 1, GL_INT, false, true),
            Attribute(Plain(F::R8G8_UNORM, Fam::RG8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2), 2, GL_UNSIGNED_BYTE, true, false),
            Attribute(Plain(F::R16_FLOAT, Fam::R16, GL_R16F, GL_RED, GL_HALF_FLOAT, 2), 1, GL_HALF_FLOAT, false, false),
            Attribute(Plain(F::R16_UNORM, Fam::R16, GL_R16, GL_RED, GL_UNSIGNED_SHORT, 2), 1, GL_UNSIGNED_SHORT, true, false),
            Attribute(Plain(F::R16_UINT, Fam::R16, GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, 2), 1, GL_UNSIGNED_SHORT, false, true),
            Attribute(Plain(F::R8_UNORM, Fam::R8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1), 1, GL_UNSIGNED_BYTE, true, false),
            Swizzled(Plain(F::A8_UNORM, Fam::A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1), FormatSwizzle::ALPHA_ONLY),
            Typeless(Block(F::BC1_TYPELESS, Fam::BC1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8)),
            Block(F::BC1_UNORM, Fam::BC1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8),
            Srgb(Block(F::BC1_UNORM_SRGB, Fam::BC1, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT, 8)),
            Typeless(Block(F::BC2_TYPELESS, Fam::BC2, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16)),
            Block(F::BC2_UNORM, Fam::BC2, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16),
            Srgb(Block(F::BC2_UNORM_SRGB, Fam::BC2, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT, 16)),
            Typeless(Block(F::BC3_TYPELESS, Fam::BC3, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16)),
            Block(F::BC3_UNORM, Fam::BC3, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16),
            Srgb(Block(F::BC3_UNORM_SRGB, Fam::BC3, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT, 16)),
            Typeless(Block(F::BC4_TYPELESS, Fam::BC4, GL_COMPRESSED_RED_RGTC1, 8)),
            Block(F::BC4_UNORM, Fam::BC4, GL_COMPRESSED_RED_RGTC1, 8),
            Block(F::BC4_SNORM, Fam::BC4, GL_COMPRESSED_SIGNED_RED_RGTC1, 8),
            Typeless(Block(F::BC5_TYPELESS, Fam::BC5, GL_COMPRESSED_RG_RGTC2, 16)),
            Block(F::BC5_UNORM, Fam::BC5, GL_COMPRESSED_RG_RGTC2, 16),
            Block(F::BC5_SNORM, Fam::BC5, GL_COMPRESSED_SIGNED_RG_RGTC2, 16),
            Plain(F::B5G6R5_UNORM, Fam::B5G6R5, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2),
            Plain(F::B5G5R5A1_UNORM, Fam::B5G5R5A1, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2),
            Plain(F::B8G8R8A8_UNORM, Fam::BGRA8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4),
            Swizzled(Plain(F::B8G8R8X8_UNORM, Fam::BGRX8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4), FormatSwizzle::ALPHA_ONE),
            Typeless(Plain(F::B8G8R8A8_TYPELESS, Fam::BGRA8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4)),
            Srgb(Plain(F::B8G8R8A8_UNORM_SRGB, Fam::BGRA8, GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE, 4)),
            Typeless(Swizzled(Plain(F::B8G8R8X8_TYPELESS, Fam::BGRX8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4), FormatSwizzle::ALPHA_ONE)),
            Srgb(Swizzled(Plain(F::B8G8R8X8_UNORM_SRGB, Fam::BGRX8, GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE, 4), FormatSwizzle::ALPHA_ONE)),
            Typeless(Block(F::BC6H_TYPELESS, Fam::BC6H, GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, 16)),
            Block(F::BC6H_UF16, Fam::BC6H, GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, 16),
            Block(F::BC6H_SF16, Fam::BC6H, GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT, 16),
            Typeless(Block(F::BC7_TYPELESS, Fam::BC7, GL_COMPRESSED_RGBA_BPTC_UNORM, 16)),
            Block(F::BC7_UNORM, Fam::BC7, GL_COMPRESSED_RGBA_BPTC_UNORM, 16),
            Srgb(Block(F::BC7_UNORM_SRGB, Fam::BC7, GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM, 16)),
            Plain(F::B4G4R4A4_UNORM, Fam::B4G4R4A4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2),
        };

        constexpr uint32_t LOOKUP_SIZE = 128;

        constexpr std::array<int16_t, LOOKUP_SIZE> BuildLookup()
        {
            std::array<int16_t, LOOKUP_SIZE> lookup{};
            for (auto& entry : lookup)
                entry = -1;
            for (size_t i = 0; i < FORMAT_TABLE.size(); ++i)
                lookup[static_cast<uint32_t>(FORMAT_TABLE[i].format)] = static_cast<int16_t>(i);
            return lookup;
        }

        constexpr std::array<int16_t, LOOKUP_SIZE> FORMAT_LOOKUP = BuildLookup();
    }

    const FormatInfo* FindFormatInfo(Format aFormat)
    {
        const uint32_t index = static_cast<uint32_t>(aFormat);
        if (index >= LOOKUP_SIZE || FORMAT_LOOKUP[index] < 0)
            return nullptr;
        return &FORMAT_TABLE[static_cast<size_t>(FORMAT_LOOKUP[index])];
    }

    bool AreViewCompatible(Format aStorage, Format aView)
    {
        if (aStorage == aView)
            return true;
        const FormatInfo* storage = FindFormatInfo(aStorage);
        const FormatInfo* view = FindFormatInfo(aView);
        return storage && view && storage->family != FormatFamily::NONE && storage->family == view->family;
    }

    bool IsBlockCompressed(Format aFormat)
    {
        const FormatInfo* info = FindFormatInfo(aFormat);
        return info && info->compressed;
    }

    bool IsSrgb(Format aFormat)
    {
        const FormatInfo* info = FindFormatInfo(aFormat);
        return info && info->srgb;
    }

    uint32_t GetRowPitch(Format aFormat, uint32_t aWidth)
    {
        const FormatInfo* info = FindFormatInfo(aFormat);
        if (!info)
            return 0;
        if (info->compressed)
            return ((aWidth + 3) / 4 > 0 ? (aWidth + 3) / 4 : 1) * info->bytesPerUnit;
        return aWidth * info->bytesPerUnit;
    }

    uint32_t GetRowCount(Format aFormat, uint32_t aHeight)
    {
        const FormatInfo* info = FindFormatInfo(aFormat);
        if (!info)
            return 0;
        if (info->compressed)
            return (aHeight + 3) / 4 > 0 ? (aHeight + 3) / 4 : 1;
        return aHeight;
    }
}
