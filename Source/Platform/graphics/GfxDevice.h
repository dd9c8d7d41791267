#pragma once
// The device, its immediate context and the swap chain of one window, on OpenGL 4.5 core.
//
// Conventions inside the layer (callers see the engine's conventions, never GL's):
// - depth runs 0..1, texture row 0 is the top row, viewports start at the top left, front faces are clockwise;
// - sRGB encoding and decoding happen only through sRGB formats and sRGB views of 8-bit storage;
// - the swap chain's back buffer is a texture of its own, shown by Present with its rows flipped, so read-backs see
//   row 0 at the top and the screen shows the picture the right way up;
// - uniform-block slot n of the vertex and of the pixel stage are both binding n (the last Set call wins);
// - texture slot n is texture unit n of both stages; the sampler in slot 0 filters every texture unit in use
//   (GL has combined samplers; the engine's shaders sample everything through s0). A sampler set in slot n > 0 is
//   kept and used only by a texture unit whose slot 0 sampler is null;
// - the element at index i of an input layout feeds the shader input at location i; a null layout still draws;
// - an empty texture slot reads transparent black (0, 0, 0, 0);
// - shaders are GLSL 4.50 compiled to SPIR-V for OpenGL: the vertex number is gl_VertexID and the instance number
//   gl_InstanceID (which does not include the start instance; per-instance attributes do).
//
// Draws that cannot happen (no vertex shader or one GL refused, no topology, nothing bound to draw into, an empty
// viewport, no index buffer, indices past its end) draw nothing and are counted in DeviceStatistics::skippedDraws.
// Shader binaries are validated in full when they are created, so the driver never sees a malformed one.
//
// Threads: the device is made on the render thread, which makes the GL context current there. Creation calls
// (Device::Create*) are safe from any thread: they validate on the calling thread (a bad description, shader binary
// or slot fails there with a failure result) and copy what the object needs; the GL object itself is made on the
// render thread, at once when the creation call runs there, otherwise lazily the first time the immediate context
// uses the object. Objects released for the last time off the render thread hand their GL names to the device,
// which deletes them at the next Present or ClearState. The immediate context and the swap chain are render-thread
// only. Objects that outlive the device become inert.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Platform/graphics/GfxObjects.h"
#include "Platform/graphics/GfxTypes.h"

namespace Vela::Gfx
{
    class DeviceContext;

    class Device : public Object
    {
    public:
        virtual Result CreateBuffer(const BufferDesc* aDesc, const SubresourceData* anInitialData, Buffer** aBuffer) = 0;
        // anInitialData: one entry per subresource, mip levels of array slice 0 first, then slice 1, ...
        virtual Result CreateTexture2D(const Texture2DDesc* aDesc, const SubresourceData* anInitialData, Texture2D** aTexture) = 0;
        // A null description views the whole resource in its own format.
        virtual Result CreateShaderResourceView(Resource* aResource, const ShaderResourceViewDesc* aDesc, ShaderResourceView** aView) = 0;
        virtual Result CreateRenderTargetView(Resource* aResource, const RenderTargetViewDesc* aDesc, RenderTargetView** aView) = 0;
        virtual Result CreateDepthStencilView(Resource* aResource, const DepthStencilViewDesc* aDesc, DepthStencilView** aView) = 0;
        // The bytecode is the vertex shader's; every input the shader reads must have an element.
        virtual Result CreateInputLayout(const InputElementDesc* someElements, uint32_t aCount, const void* aShaderBytecode,
                                         size_t aBytecodeLength, InputLayout** aLayout) = 0;
        // SPIR-V with an entry point "main" of the matching stage.
        virtual Result CreateVertexShader(const void* aBytecode, size_t aLength, VertexShader** aShader) = 0;
        virtual Result CreatePixelShader(const void* aBytecode, size_t aLength, PixelShader** aShader) = 0;
        virtual Result CreateBlendState(const BlendDesc* aDesc, BlendState** aState) = 0;
        virtual Result CreateDepthStencilState(const DepthStencilDesc* aDesc, DepthStencilState** aState) = 0;
        virtual Result CreateRasterizerState(const RasterizerDesc* aDesc, RasterizerState** aState) = 0;
        virtual Result CreateSamplerState(const SamplerDesc* aDesc, SamplerState** aState) = 0;
        // A new reference to the one immediate context.
        virtual void GetImmediateContext(DeviceContext** aContext) = 0;
        // True on the thread that made the device.
        virtual bool IsRenderThread() const = 0;
    };

    // Render-thread only. Set calls take references to what they bind; a slot or argument out of range makes the
    // call return RESULT_INVALID_ARG and change nothing.
    class DeviceContext : public Object
    {
    public:
        virtual void IASetInputLayout(InputLayout* aLayout) = 0;
        virtual Result IASetVertexBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers, const uint32_t* someStrides,
                                          const uint32_t* someOffsets) = 0;
        // Format R16_UINT or R32_UINT.
        virtual Result IASetIndexBuffer(Buffer* aBuffer, Format aFormat, uint32_t anOffset) = 0;
        virtual void IASetPrimitiveTopology(PrimitiveTopology aTopology) = 0;

        virtual void VSSetShader(VertexShader* aShader) = 0;
        virtual void PSSetShader(PixelShader* aShader) = 0;
        virtual Result VSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers) = 0;
        virtual Result PSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers) = 0;
        // A view whose texture is bound as a render target is bound as null instead.
        virtual Result VSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews) = 0;
        virtual Result PSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews) = 0;
        virtual Result VSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers) = 0;
        virtual Result PSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers) = 0;

        // Binding a texture as a target unbinds its shader-resource views from every slot.
        virtual Result OMSetRenderTargets(uint32_t aCount, RenderTargetView* const* someViews, DepthStencilView* aDepthView) = 0;
        // Null: blending off, all channels written. aBlendFactor may be null (1, 1, 1, 1); the sample mask is kept only.
        virtual void OMSetBlendState(BlendState* aState, const float aBlendFactor[4], uint32_t aSampleMask) = 0;
        // Null: depth test on, writes on, LESS.
        virtual void OMSetDepthStencilState(DepthStencilState* aState, uint32_t aStencilRef) = 0;
        // Null: solid, back faces culled, clockwise front faces, depth clip on.
        virtual void RSSetState(RasterizerState* aState) = 0;
        // Only the first viewport is used.
        virtual Result RSSetViewports(uint32_t aCount, const Viewport* someViewports) = 0;

        // Clears ignore the bound blend, write-mask and depth states and what is bound.
        virtual void ClearRenderTargetView(RenderTargetView* aView, const float aColor[4]) = 0;
        virtual void ClearDepthStencilView(DepthStencilView* aView, uint32_t aClearFlags, float aDepth, uint8_t aStencil) = 0;

        // Dynamic buffers and textures: WRITE_DISCARD (fresh memory; textures give their row pitch) and, for
        // buffers, WRITE_NO_OVERWRITE (the previous contents). Staging resources: READ / WRITE / READ_WRITE.
        virtual Result Map(Resource* aResource, uint32_t aSubresource, MapType aType, uint32_t aFlags, MappedSubresource* aMapped) = 0;
        virtual void Unmap(Resource* aResource, uint32_t aSubresource) = 0;
        // Default-usage resources; the whole subresource (no box).
        virtual Result UpdateSubresource(Resource* aDestination, uint32_t aSubresource, const void* someData, uint32_t aRowPitch,
                                         uint32_t aDepthPitch) = 0;
        // Same type, size and format class. Copying into a staging resource makes its contents readable by Map.
        virtual Result CopyResource(Resource* aDestination, Resource* aSource) = 0;
        virtual void GenerateMips(ShaderResourceView* aView) = 0;

        virtual void Draw(uint32_t aVertexCount, uint32_t aStartVertex) = 0;
        virtual void DrawIndexed(uint32_t anIndexCount, uint32_t aStartIndex, int32_t aBaseVertex) = 0;
        virtual void DrawInstanced(uint32_t aVertexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartVertex,
                                   uint32_t aStartInstance) = 0;
        virtual void DrawIndexedInstanced(uint32_t anIndexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartIndex,
                                          int32_t aBaseVertex, uint32_t aStartInstance) = 0;

        // Unbinds everything and returns every state to its default.
        virtual void ClearState() = 0;
        virtual void Flush() = 0;

        virtual const DeviceStatistics& GetStatistics() const = 0;
        virtual void ResetStatistics() = 0;
    };

    class SwapChain : public Object
    {
    public:
        virtual void GetDesc(SwapChainDesc* aDesc) const = 0;
        // Buffer 0 is the back buffer (a new reference).
        virtual Result GetBuffer(uint32_t anIndex, Texture2D** aTexture) = 0;
        // Sync interval 0 presents at once, 1 or more waits for vertical sync.
        virtual Result Present(uint32_t aSyncInterval, uint32_t aFlags) = 0;
        // Size 0 follows the window's drawable size; count 0 and UNKNOWN keep count and format. Fails with
        // RESULT_INVALID_CALL while anything but the swap chain still holds the back buffer (views included).
        virtual Result ResizeBuffers(uint32_t aBufferCount, uint32_t aWidth, uint32_t aHeight, Format aFormat, uint32_t aFlags) = 0;
    };

    class Adapter : public Object
    {
    public:
        virtual Result GetDesc(AdapterDesc* aDesc) const = 0;
    };

    class Factory : public Object
    {
    public:
        // RESULT_NOT_FOUND past the last adapter.
        virtual Result EnumAdapters(uint32_t anIndex, Adapter** anAdapter) = 0;
    };

    // The adapter list: the GL implementation the current video driver gives (one adapter).
    Result CreateFactory(Factory** aFactory);

    // Tests: while set, factories list these adapters instead of asking GL (nullptr restores the real list).
    void SetAdaptersForTesting(const std::vector<AdapterDesc>* someAdapters);

    // Makes a GL 4.5 core context on the description's window and makes it current on this thread, which becomes
    // the render thread. The adapter may be null (the default one).
    Result CreateDeviceAndSwapChain(Adapter* anAdapter, uint32_t aFlags, const SwapChainDesc* aDesc, SwapChain** aSwapChain,
                                    Device** aDevice, DeviceContext** aContext);

    // Size in bytes of one row of a mip level (of 4x4 blocks for block-compressed formats) and the number of rows.
    uint32_t GetRowPitch(Format aFormat, uint32_t aWidth);
    uint32_t GetRowCount(Format aFormat, uint32_t aHeight);
    bool IsBlockCompressed(Format aFormat);
    bool IsSrgb(Format aFormat);

    // Reads one subresource of a texture back to the CPU, rows top first, each GetRowPitch bytes, in the texture's
    // format; through a staging copy, render thread only.
    Result ReadBackTexture(Device* aDevice, DeviceContext* aContext, Texture2D* aTexture, uint32_t aSubresource,
                           std::vector<uint8_t>& somePixels);
}
