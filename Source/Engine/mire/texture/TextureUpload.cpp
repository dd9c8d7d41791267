#include "mire/texture/TextureUpload.h"

#include "mire/loaders/DdsLoader.h"
#include "mire/loaders/PngLoader.h"
#include "mire/loaders/TgaLoader.h"

#include <vector>

namespace Vela
{
    namespace
    {
        // The texture with its one level filled, seen through a view of the texture's own format.
        Gfx::Ref<Gfx::ShaderResourceView> CreateSingleLevelView(Gfx::Device& aDevice, const Gfx::Texture2DDesc& aDescription,
                                                                 const Gfx::SubresourceData& anInitialData)
        {
            Gfx::Ref<Gfx::Texture2D> texture;
            if (Gfx::Failed(aDevice.CreateTexture2D(&aDescription, &anInitialData, texture.ReleaseAndGetAddressOf())))
                return {};
            Gfx::Ref<Gfx::ShaderResourceView> view;
            if (Gfx::Failed(aDevice.CreateShaderResourceView(texture.Get(), nullptr, view.ReleaseAndGetAddressOf())))
                return {};
            return view;
        }
    }

    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromDds(Gfx::Device& aDevice, const DdsImage& anImage)
    {
        Gfx::Texture2DDesc description;
        description.width = anImage.myWidth;
        description.height = anImage.myHeight;
        description.mipLevels = anImage.myMipCount;
        description.arraySize = anImage.myFaceCount;
        description.format = static_cast<Gfx::Format>(anImage.myFormat);
        description.usage = Gfx::Usage::DEFAULT;
        description.bindFlags = Gfx::BIND_SHADER_RESOURCE;
        description.miscFlags = anImage.myIsCubeMap ? Gfx::MISC_TEXTURECUBE : 0;

        std::vector<Gfx::SubresourceData> initialData;
        initialData.reserve(anImage.mySurfaces.size());
        for (const DdsSurface& surface : anImage.mySurfaces)
            initialData.push_back({ anImage.myPixels.data() + surface.myOffset, surface.myRowPitch, uint32_t(surface.mySize) });

        Gfx::Ref<Gfx::Texture2D> texture;
        if (Gfx::Failed(aDevice.CreateTexture2D(&description, initialData.data(), texture.ReleaseAndGetAddressOf())))
            return {};

        Gfx::ShaderResourceViewDesc viewDescription;
        viewDescription.format = description.format;
        viewDescription.viewDimension = anImage.myIsCubeMap ? Gfx::ViewDimension::TEXTURECUBE : Gfx::ViewDimension::TEXTURE2D;
        Gfx::Ref<Gfx::ShaderResourceView> view;
        if (Gfx::Failed(aDevice.CreateShaderResourceView(texture.Get(), &viewDescription, view.ReleaseAndGetAddressOf())))
            return {};
        return view;
    }

    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromRgba(Gfx::Device& aDevice, Gfx::DeviceContext& aContext, const RgbaImage& anImage)
    {
        Gfx::Texture2DDesc description;
        description.width = anImage.myWidth;
        description.height = anImage.myHeight;
        description.mipLevels = 0; // full chain
        description.format = anImage.myIsSrgb ? Gfx::Format::R8G8B8A8_UNORM_SRGB : Gfx::Format::R8G8B8A8_UNORM;
        description.usage = Gfx::Usage::DEFAULT;
        description.bindFlags = Gfx::BIND_SHADER_RESOURCE | Gfx::BIND_RENDER_TARGET;
        description.miscFlags = Gfx::MISC_GENERATE_MIPS;

        Gfx::Ref<Gfx::Texture2D> texture;
        if (Gfx::Failed(aDevice.CreateTexture2D(&description, nullptr, texture.ReleaseAndGetAddressOf())))
            return {};
        if (Gfx::Failed(aContext.UpdateSubresource(texture.Get(), 0, anImage.myPixels.data(), anImage.myWidth * 4, 0)))
            return {};
        Gfx::Ref<Gfx::ShaderResourceView> view;
        if (Gfx::Failed(aDevice.CreateShaderResourceView(texture.Get(), nullptr, view.ReleaseAndGetAddressOf())))
            return {};
        aContext.GenerateMips(view.Get());
        return view;
    }

    Gfx::Ref<Gfx::ShaderResourceView> CreateTextureFromTarga(Gfx::Device& aDevice, const TargaImage& anImage)
    {
        Gfx::Texture2DDesc description;
        description.width = anImage.myWidth;
        description.height = anImage.myHeight;
        description.mipLevels = 1;
        description.format = Gfx::Format::R8G8B8A8_UNORM_SRGB;
        description.usage = Gfx::Usage::DYNAMIC;
        description.bindFlags = Gfx::BIND_SHADER_RESOURCE;
        description.cpuAccessFlags = Gfx::CPU_ACCESS_WRITE;
        const Gfx::SubresourceData initialData = { anImage.myPixels.data(), uint32_t(anImage.myWidth) * 4, 0 };
        return CreateSingleLevelView(aDevice, description, initialData);
    }

    Gfx::Ref<Gfx::ShaderResourceView> CreateSolidTexture(Gfx::Device& aDevice, uint32_t aWidth, uint32_t aHeight, const uint32_t* somePixels)
    {
        Gfx::Texture2DDesc description;
        description.width = aWidth;
        description.height = aHeight;
        description.mipLevels = 1;
        description.format = Gfx::Format::R8G8B8A8_UNORM;
        description.usage = Gfx::Usage::DEFAULT;
        description.bindFlags = Gfx::BIND_SHADER_RESOURCE;
        const Gfx::SubresourceData initialData = { somePixels, aWidth * 4, 0 };
        return CreateSingleLevelView(aDevice, description, initialData);
    }
}
