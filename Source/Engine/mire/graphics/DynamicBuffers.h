#pragma once
// Buffers the CPU rewrites every frame or draw (dynamic, write-mapped). Each is empty when the device refuses it.
#include "Platform/graphics/Gfx.h"

#include <cstdint>

namespace Vela
{
    Gfx::Ref<Gfx::Buffer> CreateDynamicConstantBuffer(Gfx::Device& aDevice, uint32_t aSize);
    // someInitialData, when given, holds aSize bytes.
    Gfx::Ref<Gfx::Buffer> CreateDynamicVertexBuffer(Gfx::Device& aDevice, uint32_t aSize, const void* someInitialData = nullptr);
}
