#pragma once
// Turns decoded images into shader-resource views on the device.
#include "Platform/graphics/Gfx.h"

#include <cstdint>

namespace Vela
{
    struct DdsImage;
    struct RgbaImage;
    struct TargaImage;

    // Every mip (and cube face) of the file, default usage, not writable.
    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromDds(Gfx::Device& aDevice, const DdsImage& anImage);
    // Render thread only: uploads the top level and fills a full mip chain from it.
    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromRgba(Gfx::Device& aDevice, Gfx::DeviceContext& aContext, const RgbaImage& anImage);
    // One level, always sRGB, dynamic with CPU write access.
    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromTarga(Gfx::Device& aDevice, const TargaImage& anImage);
    // A small immutable-content texture of one 32-bit value repeated or given per pixel (R8G8B8A8_UNORM).
    Gfx::Ref<Gfx::ShaderResourceView> CreateSolidTexture(Gfx::Device& aDevice, uint32_t aWidth, uint32_t aHeight, const uint32_t* somePixels);
}
