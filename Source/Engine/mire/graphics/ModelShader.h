#pragma once
#include "mire/graphics/Shader.h"
#include "mire/math/Matrix4x4.h"

#include <array>

namespace Vela
{
    class Texture;
    struct MeshData;

    // Draws one mesh with up to four material textures, a world matrix (b4) and optional bone
    // matrices (b5) through the 180-byte model vertex layout.
    class ModelShader : public Shader
    {
    public:
        ModelShader() = default;
        ~ModelShader() override;
        // Copies share the loaded shaders, the layout and the constant buffers, which every draw rewrites
        // before it uses them, so level records can hold a shader by value.
        ModelShader(const ModelShader&) = default;
        ModelShader& operator=(const ModelShader&) = default;
        ModelShader(ModelShader&&) = default;
        ModelShader& operator=(ModelShader&&) = default;

        bool Init() override;
        // Game code builds model shaders of its own with this.
        bool Init(const char* aVertexShaderName, const char* aPixelShaderName);

        // someTextures: colour, normal, material, effects; binding stops at the first null.
        // someBoneMatrices: 128 row-major 4x4 float matrices, or null.
        void Render(const std::array<const Texture*, 4>& someTextures, const MeshData& aMesh, const Matrix4x4<float>& aWorld,
                    const void* someBoneMatrices);
        void Render(const Texture* const* someTextures, const MeshData& aMesh, const Matrix4x4<float>& aWorld, const void* someBoneMatrices);

    protected:
        bool CreateInputLayout(const std::string& aVertexShaderBytecode) override;

    private:
        Gfx::Ref<Gfx::Buffer> myBoneBuffer;
        Gfx::Ref<Gfx::Buffer> myObjectBuffer;
    };
}
