#include "mire/drawers/SpriteShader.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/Texture.h"
#include "mire/texture/TextureManager.h"

#include <cstring>

namespace Vela
{
    SpriteShader::~SpriteShader() { myConstantBuffer.Reset(); }

    bool SpriteShader::Init(const char* aVertexShaderName, const char* aPixelShaderName)
    {
        if (!CreateShaders(aVertexShaderName, aPixelShaderName))
            return false;
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return false;
        myConstantBuffer = CreateDynamicConstantBuffer(*device, CONSTANT_BUFFER_SIZE);
        if (!myConstantBuffer)
            return false;
        if (TextureManager* textures = GraphicsServices::GetTextureManager())
        {
            myDefaultNormalTexture = textures->GetTexture("Textures/T_Default_n.dds", TextureSrgbMode::ForceSrgb);
            myDefaultMaterialTexture = textures->GetTexture("Textures/T_Default_m.dds", TextureSrgbMode::ForceSrgb);
            myDefaultEffectsTexture = textures->GetTexture("Textures/T_Default_fx.dds", TextureSrgbMode::ForceSrgb);
        }
        return true;
    }

    void SpriteShader::SetConstant(uint32_t anIndex, const Vector4<float>& aValue)
    {
        if (anIndex >= MAX_CONSTANTS)
            return;
        myConstants[anIndex] = aValue;
        if (int32_t(anIndex) > myLastConstantIndex)
            myLastConstantIndex = int32_t(anIndex);
    }

    void SpriteShader::SetExtraTexture(uint32_t anIndex, const Texture* aTexture, uint8_t aPixelShaderSlot)
    {
        if (anIndex >= MAX_EXTRA_TEXTURES)
            return;
        myExtraTextures[anIndex] = { aTexture, aPixelShaderSlot };
        if (int32_t(anIndex) >= myExtraTextureCount)
            myExtraTextureCount = int32_t(anIndex) + 1;
    }

    bool SpriteShader::CreateInputLayout(const std::string& aVertexShaderBytecode)
    {
        using Gfx::Format;
        constexpr auto VERTEX = Gfx::InputClassification::PER_VERTEX_DATA;
        constexpr auto INSTANCE = Gfx::InputClassification::PER_INSTANCE_DATA;
        const Gfx::InputElementDesc layout[] = {
            { "POSITION", 0, Format::R32G32B32A32_FLOAT, 0, 0, VERTEX, 0 },
            { "TEXCOORD", 0, Format::R32G32B32A32_UINT, 0, 16, VERTEX, 0 },
            { "TEXCOORD", 1, Format::R32G32B32A32_FLOAT, 1, 0, INSTANCE, 1 },
            { "TEXCOORD", 2, Format::R32G32B32A32_FLOAT, 1, 16, INSTANCE, 1 },
            { "TEXCOORD", 3, Format::R32G32B32A32_FLOAT, 1, 32, INSTANCE, 1 },
            { "TEXCOORD", 4, Format::R32G32B32A32_FLOAT, 1, 48, INSTANCE, 1 },
            { "TEXCOORD", 5, Format::R32G32B32A32_FLOAT, 1, 64, INSTANCE, 1 },
            { "TEXCOORD", 6, Format::R32G32B32A32_FLOAT, 1, 80, INSTANCE, 1 },
            { "TEXCOORD", 7, Format::R32G32B32A32_FLOAT, 1, 96, INSTANCE, 1 },
        };
        if (Gfx::Device* device = GraphicsServices::GetDevice())
            device->CreateInputLayout(layout, uint32_t(std::size(layout)), aVertexShaderBytecode.data(), aVertexShaderBytecode.size(),
                                      myInputLayout.ReleaseAndGetAddressOf());
        return true;
    }

    bool SpriteShader::PrepareBatch(const SpriteSharedData& aSharedData)
    {
        if (!PrepareRender())
            return false;
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        const TextureManager* textures = GraphicsServices::GetTextureManager();

        auto viewOf = [](const Texture* aTexture, const Texture* aFallback) -> Gfx::ShaderResourceView* {
            const Texture* chosen = aTexture ? aTexture : aFallback;
            return chosen ? chosen->GetShaderResourceView() : nullptr;
        };
        Gfx::ShaderResourceView* views[4] = {
            viewOf(aSharedData.myColorTexture, textures ? textures->GetDefaultTexture() : nullptr),
            viewOf(aSharedData.myNormalTexture, myDefaultNormalTexture),
            viewOf(aSharedData.myMaterialTexture, myDefaultMaterialTexture),
            viewOf(aSharedData.myEffectsTexture, myDefaultEffectsTexture),
        };
        context->PSSetShaderResources(1, 4, views);

        if (myConstantBuffer)
        {
            Gfx::MappedSubresource mapped;
            if (Gfx::Failed(context->Map(myConstantBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
                return false;
            if (myLastConstantIndex >= 0)
                std::memcpy(mapped.data, myConstants.data(), sizeof(Vector4<float>) * size_t(myLastConstantIndex + 1));
            context->Unmap(myConstantBuffer.Get(), 0);
            Gfx::Buffer* const buffer = myConstantBuffer.Get();
            context->VSSetConstantBuffers(myConstantBufferSlot, 1, &buffer);
            context->PSSetConstantBuffers(myConstantBufferSlot, 1, &buffer);
        }

        for (int32_t i = 0; i < myExtraTextureCount; ++i)
        {
            Gfx::ShaderResourceView* view = myExtraTextures[size_t(i)].myTexture ? myExtraTextures[size_t(i)].myTexture->GetShaderResourceView() : nullptr;
            context->PSSetShaderResources(myExtraTextures[size_t(i)].mySlot, 1, &view);
        }
        return true;
    }
}
