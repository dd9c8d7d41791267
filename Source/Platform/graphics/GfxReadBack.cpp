#include <cstring>

#include "Platform/graphics/GfxDevice.h"

namespace Vela::Gfx
{
    Result ReadBackTexture(Device* aDevice, DeviceContext* aContext, Texture2D* aTexture, uint32_t aSubresource, std::vector<uint8_t>& somePixels)
    {
        if (!aDevice || !aContext || !aTexture)
            return RESULT_INVALID_ARG;
        Texture2DDesc desc;
        aTexture->GetDesc(&desc);
        if (aSubresource >= desc.mipLevels * desc.arraySize)
            return RESULT_INVALID_ARG;
        Texture2DDesc stagingDesc = desc;
        stagingDesc.usage = Usage::STAGING;
        stagingDesc.bindFlags = 0;
        stagingDesc.cpuAccessFlags = CPU_ACCESS_READ;
        stagingDesc.miscFlags &= MISC_TEXTURECUBE;
        Ref<Texture2D> staging;
        Result result = aDevice->CreateTexture2D(&stagingDesc, nullptr, staging.ReleaseAndGetAddressOf());
        if (Failed(result))
            return result;
        result = aContext->CopyResource(staging.Get(), aTexture);
        if (Failed(result))
            return result;
        MappedSubresource mapped;
        result = aContext->Map(staging.Get(), aSubresource, MapType::READ, 0, &mapped);
        if (Failed(result))
            return result;
        somePixels.resize(mapped.depthPitch);
        std::memcpy(somePixels.data(), mapped.data, mapped.depthPitch);
        aContext->Unmap(staging.Get(), aSubresource);
        return RESULT_OK;
    }
}
