#include "mire/graphics/FullscreenEffect.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"

namespace Vela
{
    bool FullscreenEffect::Init(const char* aPixelShaderName)
    {
        myVertexShader = DX11::GetVertexShader("Shaders/PostprocessVS");
        if (!myVertexShader)
            return false;
        myPixelShader = DX11::GetPixelShader(aPixelShaderName);
        return myPixelShader != nullptr;
    }

    void FullscreenEffect::Render()
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!context || !myVertexShader || !myPixelShader)
            return;
        if (GraphicsStateStack* stateStack = GraphicsServices::GetStateStack())
            stateStack->UpdateGpuStates(false);
        context->IASetPrimitiveTopology(Gfx::PrimitiveTopology::TRIANGLELIST);
        context->IASetInputLayout(nullptr);
        context->IASetVertexBuffers(0, 0, nullptr, nullptr, nullptr);
        context->IASetIndexBuffer(nullptr, Gfx::Format::R32_UINT, 0);
        context->VSSetShader(myVertexShader->myShader.Get());
        context->PSSetShader(*myPixelShader);
        ++DX11::DrawCallCount;
        context->Draw(3, 0);
    }
}
