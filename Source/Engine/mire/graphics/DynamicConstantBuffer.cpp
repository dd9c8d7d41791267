#include "mire/graphics/DynamicConstantBuffer.h"

namespace Vela
{
    Gfx::Ref<Gfx::Buffer> CreateDynamicConstantBuffer(Gfx::Device& aDevice, uint32_t aSize)
    {
        Gfx::BufferDesc description;
        description.byteWidth = aSize;
        description.usage = Gfx::Usage::DYNAMIC;
        description.bindFlags = Gfx::BIND_CONSTANT_BUFFER;
        description.cpuAccessFlags = Gfx::CPU_ACCESS_WRITE;
        Gfx::Ref<Gfx::Buffer> buffer;
        if (Gfx::Failed(aDevice.CreateBuffer(&description, nullptr, buffer.ReleaseAndGetAddressOf())))
            return {};
        return buffer;
    }
}
