#pragma once
#include "mire/graphics/Shader.h"
#include "mire/math/Vector.h"

#include <array>
#include <cstdint>

namespace Vela
{
    class Texture;
    struct SpriteSharedData;

    // The shader pair a sprite batch draws with, its default material textures, up to eight constants
    // (b5) and up to two extra textures. Game code makes its own with other shader files.
    class SpriteShader : protected Shader
    {
    public:
        static constexpr uint32_t MAX_CONSTANTS = 8;
        static constexpr uint32_t CONSTANT_BUFFER_SIZE = 1024;
        static constexpr uint32_t MAX_EXTRA_TEXTURES = 2;

        SpriteShader() = default;
        ~SpriteShader() override;

        using Shader::IsLoaded;
        bool Init(const char* aVertexShaderName, const char* aPixelShaderName);
        // Binds shaders, render state, the four textures and the constants for one batch.
        bool PrepareBatch(const SpriteSharedData& aSharedData);

        // Constants 0..index are uploaded with each batch.
        void SetConstant(uint32_t anIndex, const Vector4<float>& aValue);
        void SetExtraTexture(uint32_t anIndex, const Texture* aTexture, uint8_t aPixelShaderSlot);

    protected:
        bool CreateInputLayout(const std::string& aVertexShaderBytecode) override;

    private:
        struct ExtraTexture
        {
            const Texture* myTexture = nullptr;
            uint8_t mySlot = 0;
        };

        const Texture* myDefaultNormalTexture = nullptr;
        const Texture* myDefaultMaterialTexture = nullptr;
        const Texture* myDefaultEffectsTexture = nullptr;
        std::array<Vector4<float>, MAX_CONSTANTS> myConstants{};
        int32_t myLastConstantIndex = -1;
        int32_t myExtraTextureCount = 0;
        Gfx::Ref<Gfx::Buffer> myConstantBuffer;
        uint32_t myConstantBufferSlot = 5;
        std::array<ExtraTexture, MAX_EXTRA_TEXTURES> myExtraTextures{};
    };
}
