#include "mire/texture/Texture.h"

namespace Vela
{
    Texture::Texture(Gfx::Ref<Gfx::ShaderResourceView> aView, std::string aName)
        : myShaderResourceView(std::move(aView)), myName(std::move(aName))
    {
        const TextureSize size = GetSize();
        myWidth = size.width;
        myHeight = size.height;
    }

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
