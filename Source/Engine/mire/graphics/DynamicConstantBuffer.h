#pragma once
#include "Platform/graphics/Gfx.h"

#include <cstdint>

namespace Vela
{
    // A constant buffer the CPU rewrites every draw (dynamic, write-mapped); empty when the device refuses it.
    Gfx::Ref<Gfx::Buffer> CreateDynamicConstantBuffer(Gfx::Device& aDevice, uint32_t aSize);
}
