#include "mire/texture/Texture.h"

namespace Vela
{
    TextureSize Texture::GetSize() const
    {
        if (!myShaderResourceView)
            return {};
        Gfx::Resource* resource = nullptr;
        myShaderResourceView->GetResource(&resource);
        if (!resource)
            return {};
        TextureSize size;
        if (resource->GetType() == Gfx::ResourceDimension::TEXTURE2D)
        {
            Gfx::Texture2DDesc description;
            static_cast<Gfx::Texture2D*>(resource)->GetDesc(&description);
            size = { description.width, description.height };
        }
        resource->Release();
        return size;
    }
}
