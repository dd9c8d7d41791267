#include "mire/graphics/Shader.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"

namespace Vela
{
    bool Shader::CreateShaders(const char* aVertexShaderName, const char* aPixelShaderName)
    {
        myIsLoaded = false;
        myVertexShaderName = aVertexShaderName ? aVertexShaderName : "";
        myPixelShaderName = aPixelShaderName ? aPixelShaderName : "";

        myVertexShader = DX11::GetVertexShader(myVertexShaderName.c_str());
        if (!myVertexShader)
            return false;
        myPixelShader = DX11::GetPixelShader(myPixelShaderName.c_str());
        if (!myPixelShader)
            return false;

        myInputLayout.Reset();
        if (!CreateInputLayout(myVertexShader->myBytecode))
        {
            // Position and one UV per vertex, plus a per-instance UV and matrix.
            const Gfx::InputElementDesc fallback[] = {
                { "POSITION", 0, Gfx::Format::R32G32B32_FLOAT, 0, 0, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
                { "TEXCOORD", 0, Gfx::Format::R32G32_FLOAT, 0, Gfx::APPEND_ALIGNED_ELEMENT, Gfx::InputClassification::PER_VERTEX_DATA, 0 },
                { "TEXCOORD", 1, Gfx::Format::R32G32_FLOAT, 1, 0, Gfx::InputClassification::PER_INSTANCE_DATA, 1 },
                { "TEXCOORD", 2, Gfx::Format::R32G32B32A32_FLOAT, 1, Gfx::APPEND_ALIGNED_ELEMENT, Gfx::InputClassification::PER_INSTANCE_DATA, 1 },
                { "TEXCOORD", 3, Gfx::Format::R32G32B32A32_FLOAT, 1, Gfx::APPEND_ALIGNED_ELEMENT, Gfx::InputClassification::PER_INSTANCE_DATA, 1 },
                { "TEXCOORD", 4, Gfx::Format::R32G32B32A32_FLOAT, 1, Gfx::APPEND_ALIGNED_ELEMENT, Gfx::InputClassification::PER_INSTANCE_DATA, 1 },
                { "TEXCOORD", 5, Gfx::Format::R32G32B32A32_FLOAT, 1, Gfx::APPEND_ALIGNED_ELEMENT, Gfx::InputClassification::PER_INSTANCE_DATA, 1 },
            };
            Gfx::Device* device = GraphicsServices::GetDevice();
            if (!device || Gfx::Failed(device->CreateInputLayout(fallback, uint32_t(std::size(fallback)), myVertexShader->myBytecode.data(),
                                                                 myVertexShader->myBytecode.size(), myInputLayout.ReleaseAndGetAddressOf())))
                return false;
        }
        myIsLoaded = true;
        return true;
    }

    bool Shader::PrepareRender()
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!myVertexShader || !myPixelShader || !*myPixelShader || !myIsLoaded || !context)
            return false;
        context->VSSetShader(myVertexShader->myShader.Get());
        context->PSSetShader(*myPixelShader);
        context->IASetInputLayout(myInputLayout.Get());
        context->IASetPrimitiveTopology(Gfx::PrimitiveTopology::TRIANGLELIST);
        if (GraphicsStateStack* stateStack = GraphicsServices::GetStateStack())
            stateStack->UpdateGpuStates(false);
        return true;
    }
}
