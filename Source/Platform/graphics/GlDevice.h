#pragma once
// The device: validates descriptions on the calling thread and makes the layer's objects. Internal.
#include <SDL2/SDL.h>

#include "Platform/graphics/GfxDevice.h"
#include "Platform/graphics/GlObjects.h"

namespace Vela::Gfx
{
    class GlDeviceContext;

    class GlDevice final : public Device
    {
    public:
        // Takes over a GL context current on this thread.
        explicit GlDevice(SDL_GLContext aContext);
        ~GlDevice() override;

        Result CreateBuffer(const BufferDesc* aDesc, const SubresourceData* anInitialData, Buffer** aBuffer) override;
        Result CreateTexture2D(const Texture2DDesc* aDesc, const SubresourceData* anInitialData, Texture2D** aTexture) override;
        Result CreateShaderResourceView(Resource* aResource, const ShaderResourceViewDesc* aDesc, ShaderResourceView** aView) override;
        Result CreateRenderTargetView(Resource* aResource, const RenderTargetViewDesc* aDesc, RenderTargetView** aView) override;
        Result CreateDepthStencilView(Resource* aResource, const DepthStencilViewDesc* aDesc, DepthStencilView** aView) override;
        Result CreateInputLayout(const InputElementDesc* someElements, uint32_t aCount, const void* aShaderBytecode, size_t aBytecodeLength,
                                 InputLayout** aLayout) override;
        Result CreateVertexShader(const void* aBytecode, size_t aLength, VertexShader** aShader) override;
        Result CreatePixelShader(const void* aBytecode, size_t aLength, PixelShader** aShader) override;
        Result CreateBlendState(const BlendDesc* aDesc, BlendState** aState) override;
        Result CreateDepthStencilState(const DepthStencilDesc* aDesc, DepthStencilState** aState) override;
        Result CreateRasterizerState(const RasterizerDesc* aDesc, RasterizerState** aState) override;
        Result CreateSamplerState(const SamplerDesc* aDesc, SamplerState** aState) override;
        void GetImmediateContext(DeviceContext** aContext) override;
        bool IsRenderThread() const override;

        const CorePointer& Core() const { return myCore; }
        // Called by the context when it goes.
        void ForgetContext() { myContext = nullptr; }

    private:
        CorePointer myCore;
        SDL_GLContext myGlContext = nullptr;
        GlDeviceContext* myContext = nullptr;   // not owned: the context holds the device
    };
}
