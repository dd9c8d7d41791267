#include "mire/graphics/DynamicBuffers.h"

namespace Vela
{
    namespace
    {
        Gfx::Ref<Gfx::Buffer> CreateDynamicBuffer(Gfx::Device& aDevice, uint32_t aSize, uint32_t aBindFlag, const void* someInitialData)
        {
            Gfx::BufferDesc description;
            description.byteWidth = aSize;
            description.usage = Gfx::Usage::DYNAMIC;
            description.bindFlags = aBindFlag;
            description.cpuAccessFlags = Gfx::CPU_ACCESS_WRITE;
            const Gfx::SubresourceData initialData = { someInitialData, 0, 0 };
            Gfx::Ref<Gfx::Buffer> buffer;
            if (Gfx::Failed(aDevice.CreateBuffer(&description, someInitialData ? &initialData : nullptr, buffer.ReleaseAndGetAddressOf())))
                return {};
            return buffer;
        }
    }

    Gfx::Ref<Gfx::Buffer> CreateDynamicConstantBuffer(Gfx::Device& aDevice, uint32_t aSize)
    {
        return CreateDynamicBuffer(aDevice, aSize, Gfx::BIND_CONSTANT_BUFFER, nullptr);
    }

    Gfx::Ref<Gfx::Buffer> CreateDynamicVertexBuffer(Gfx::Device& aDevice, uint32_t aSize, const void* someInitialData)
    {
        return CreateDynamicBuffer(aDevice, aSize, Gfx::BIND_VERTEX_BUFFER, someInitialData);
    }
}
