#include "mire/graphics/ModelShader.h"

#include "mire/graphics/ConstantBlocks.h"
#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/model/MeshData.h"
#include "mire/texture/Texture.h"

#include <cstring>

namespace Vela
{
    namespace
    {
        constexpr uint32_t BONE_SLOT = 5;
        constexpr uint32_t OBJECT_SLOT = 4;
        constexpr uint32_t FIRST_MATERIAL_TEXTURE_SLOT = 1; // slot 0 is the environment map
    }

    ModelShader::~ModelShader()
    {
        myObjectBuffer.Reset();
        myBoneBuffer.Reset();
    }

    bool ModelShader::Init() { return Init("shaders/model_shader_VS", "shaders/model_shader_PS"); }

    bool ModelShader::Init(const char* aVertexShaderName, const char* aPixelShaderName)
    {
        myBoneBuffer.Reset();
        myObjectBuffer.Reset();
        if (Gfx::Device* device = GraphicsServices::GetDevice())
        {
            myBoneBuffer = CreateDynamicConstantBuffer(*device, uint32_t(BONE_CONSTANTS_SIZE));
            myObjectBuffer = CreateDynamicConstantBuffer(*device, uint32_t(OBJECT_CONSTANTS_SIZE));
        }
        return CreateShaders(aVertexShaderName, aPixelShaderName);
    }

    bool ModelShader::CreateInputLayout(const std::string& aVertexShaderBytecode)
    {
        using Gfx::Format;
        constexpr auto VERTEX = Gfx::InputClassification::PER_VERTEX_DATA;
        constexpr uint32_t NEXT = Gfx::APPEND_ALIGNED_ELEMENT;
        const Gfx::InputElementDesc layout[] = {
            { "POSITION", 0, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "COLOR", 0, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "COLOR", 1, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "COLOR", 2, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "COLOR", 3, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "TEXCOORD", 0, Format::R32G32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "TEXCOORD", 1, Format::R32G32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "TEXCOORD", 2, Format::R32G32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "TEXCOORD", 3, Format::R32G32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "NORMAL", 0, Format::R32G32B32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "TANGENT", 0, Format::R32G32B32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "BINORMAL", 0, Format::R32G32B32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "BONES", 0, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
            { "WEIGHTS", 0, Format::R32G32B32A32_FLOAT, 0, NEXT, VERTEX, 0 },
        };
        if (Gfx::Device* device = GraphicsServices::GetDevice())
            device->CreateInputLayout(layout, uint32_t(std::size(layout)), aVertexShaderBytecode.data(), aVertexShaderBytecode.size(),
                                      myInputLayout.ReleaseAndGetAddressOf());
        return true;
    }

    void ModelShader::Render(const std::array<const Texture*, 4>& someTextures, const MeshData& aMesh, const Matrix4x4<float>& aWorld,
                             const void* someBoneMatrices)
    {
        Render(someTextures.data(), aMesh, aWorld, someBoneMatrices);
    }

    void ModelShader::Render(const Texture* const* someTextures, const MeshData& aMesh, const Matrix4x4<float>& aWorld,
                             const void* someBoneMatrices)
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!context)
            return;

        Gfx::ShaderResourceView* views[4] = {};
        uint32_t viewCount = 0;
        while (someTextures && viewCount < 4 && someTextures[viewCount])
        {
            views[viewCount] = someTextures[viewCount]->GetShaderResourceView();
            ++viewCount;
        }
        if (viewCount > 0)
            context->PSSetShaderResources(FIRST_MATERIAL_TEXTURE_SLOT, viewCount, views);

        if (!myIsLoaded || !PrepareRender())
            return;

        Gfx::MappedSubresource mapped;
        if (!myBoneBuffer || Gfx::Failed(context->Map(myBoneBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            return;
        // Without bones the fresh mapping is zeroed rather than left with whatever it held.
        if (someBoneMatrices)
            std::memcpy(mapped.data, someBoneMatrices, BONE_CONSTANTS_SIZE);
        else
            std::memset(mapped.data, 0, BONE_CONSTANTS_SIZE);
        context->Unmap(myBoneBuffer.Get(), 0);
        Gfx::Buffer* const boneBuffer = myBoneBuffer.Get();
        context->VSSetConstantBuffers(BONE_SLOT, 1, &boneBuffer);

        if (!myObjectBuffer || Gfx::Failed(context->Map(myObjectBuffer.Get(), 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)))
            return;
        const GraphicsStateStack* stateStack = GraphicsServices::GetStateStack();
        const Matrix4x4<float> world = stateStack ? aWorld * stateStack->GetTransform() : aWorld;
        std::memcpy(mapped.data, world.GetData(), OBJECT_CONSTANTS_SIZE);
        context->Unmap(myObjectBuffer.Get(), 0);
        Gfx::Buffer* const objectBuffer = myObjectBuffer.Get();
        context->VSSetConstantBuffers(OBJECT_SLOT, 1, &objectBuffer);
        context->PSSetConstantBuffers(OBJECT_SLOT, 1, &objectBuffer);

        context->IASetIndexBuffer(aMesh.myIndexBuffer.Get(), Gfx::Format::R32_UINT, 0);
        Gfx::Buffer* const vertexBuffer = aMesh.myVertexBuffer.Get();
        const uint32_t stride = aMesh.myStride;
        const uint32_t offset = 0;
        context->IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);

        ++DX11::DrawCallCount;
        context->DrawIndexed(aMesh.myIndexCount, 0, 0);
    }
}
