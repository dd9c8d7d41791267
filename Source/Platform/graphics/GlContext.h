#pragma once
// The immediate context: records what is bound and sends only what changed to GL just before a draw. Internal.
#include "Platform/graphics/GlDevice.h"

namespace Vela::Gfx
{
    class GlDeviceContext final : public DeviceContext
    {
    public:
        explicit GlDeviceContext(GlDevice& aDevice);
        ~GlDeviceContext() override;

        void IASetInputLayout(InputLayout* aLayout) override;
        Result IASetVertexBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers, const uint32_t* someStrides,
                                  const uint32_t* someOffsets) override;
        Result IASetIndexBuffer(Buffer* aBuffer, Format aFormat, uint32_t anOffset) override;
        void IASetPrimitiveTopology(PrimitiveTopology aTopology) override;
        void VSSetShader(VertexShader* aShader) override;
        void PSSetShader(PixelShader* aShader) override;
        Result VSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers) override;
        Result PSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers) override;
        Result VSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews) override;
        Result PSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews) override;
        Result VSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers) override;
        Result PSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers) override;
        Result OMSetRenderTargets(uint32_t aCount, RenderTargetView* const* someViews, DepthStencilView* aDepthView) override;
        void OMSetBlendState(BlendState* aState, const float aBlendFactor[4], uint32_t aSampleMask) override;
        void OMSetDepthStencilState(DepthStencilState* aState, uint32_t aStencilRef) override;
        void RSSetState(RasterizerState* aState) override;
        Result RSSetViewports(uint32_t aCount, const Viewport* someViewports) override;
        void ClearRenderTargetView(RenderTargetView* aView, const float aColor[4]) override;
        void ClearDepthStencilView(DepthStencilView* aView, uint32_t aClearFlags, float aDepth, uint8_t aStencil) override;
        Result Map(Resource* aResource, uint32_t aSubresource, MapType aType, uint32_t aFlags, MappedSubresource* aMapped) override;
        void Unmap(Resource* aResource, uint32_t aSubresource) override;
        Result UpdateSubresource(Resource* aDestination, uint32_t aSubresource, const void* someData, uint32_t aRowPitch,
                                 uint32_t aDepthPitch) override;
        Result CopyResource(Resource* aDestination, Resource* aSource) override;
        void GenerateMips(ShaderResourceView* aView) override;
        void Draw(uint32_t aVertexCount, uint32_t aStartVertex) override;
        void DrawIndexed(uint32_t anIndexCount, uint32_t aStartIndex, int32_t aBaseVertex) override;
        void DrawInstanced(uint32_t aVertexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartVertex, uint32_t aStartInstance) override;
        void DrawIndexedInstanced(uint32_t anIndexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartIndex, int32_t aBaseVertex,
                                  uint32_t aStartInstance) override;
        void ClearState() override;
        void Flush() override;
        const DeviceStatistics& GetStatistics() const override { return myStatistics; }
        void ResetStatistics() override { myStatistics = DeviceStatistics(); }

        // The swap chain counts its presents here.
        DeviceStatistics& Statistics() { return myStatistics; }

    private:
        enum DirtyBit : uint32_t
        {
            DIRTY_PROGRAM = 1u << 0,
            DIRTY_VERTEX_INPUT = 1u << 1,
            DIRTY_TARGETS = 1u << 2,
            DIRTY_VIEWPORT = 1u << 3,
            DIRTY_BLEND = 1u << 4,
            DIRTY_DEPTH = 1u << 5,
            DIRTY_RASTERIZER = 1u << 6,
            DIRTY_SAMPLERS = 1u << 7,
            DIRTY_ALL = 0xFFu,
        };

        bool PrepareDraw();
        bool ApplyProgram();
        void ApplyVertexInput();
        bool ApplyTargets();
        void ApplyViewport();
        void ApplyBlend();
        void ApplyDepth();
        void ApplyRasterizer();
        void ApplyTextures();
        void ApplySamplers();
        void ApplyConstantBuffers();
        Result SetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers);
        Result SetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews);
        Result SetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers);
        bool IsBoundAsTarget(const GlTexture2D& aTexture) const;
        GLenum DrawMode() const;
        Result Reject();

        Ref<GlDevice> myDevice;
        CorePointer myCore;
        DeviceStatistics myStatistics;
        uint32_t myDirty = DIRTY_ALL;
        uint32_t myDirtyTextures = 0xFFFFu;
        uint32_t myDirtyConstantBuffers = 0xFFFFu;

        // Bound by the caller.
        Ref<GlInputLayout> myInputLayout;
        Ref<GlBuffer> myVertexBuffers[MAX_VERTEX_BUFFER_SLOTS];
        uint32_t myStrides[MAX_VERTEX_BUFFER_SLOTS] = {};
        uint32_t myOffsets[MAX_VERTEX_BUFFER_SLOTS] = {};
        Ref<GlBuffer> myIndexBuffer;
        Format myIndexFormat = Format::R32_UINT;
        uint32_t myIndexOffset = 0;
        PrimitiveTopology myTopology = PrimitiveTopology::UNDEFINED;
        Ref<GlVertexShader> myVertexShader;
        Ref<GlPixelShader> myPixelShader;
        Ref<GlBuffer> myConstantBuffers[MAX_CONSTANT_BUFFER_SLOTS];
        Ref<GlShaderResourceView> myShaderResources[MAX_SHADER_RESOURCE_SLOTS];
        Ref<GlSamplerState> mySamplers[MAX_SAMPLER_SLOTS];
        Ref<GlRenderTargetView> myRenderTargets[MAX_RENDER_TARGETS];
        Ref<GlDepthStencilView> myDepthTarget;
        Ref<GlBlendState> myBlendState;
        float myBlendFactor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        Ref<GlDepthStencilState> myDepthState;
        Ref<GlRasterizerState> myRasterizerState;
        Viewport myViewport = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

        // What GL holds (references keep GL names from being reused while they are recorded here).
        Ref<GlVertexShader> myAppliedVertexShader;
        Ref<GlPixelShader> myAppliedPixelShader;
        GLuint myAppliedVertexArray = 0;
        Ref<GlBuffer> myEmptyArrayIndexBuffer;
        Ref<GlRenderTargetView> myAppliedRenderTargets[MAX_RENDER_TARGETS];
        Ref<GlDepthStencilView> myAppliedDepthTarget;
        Ref<GlShaderResourceView> myAppliedShaderResources[MAX_SHADER_RESOURCE_SLOTS];
        Ref<GlSamplerState> myAppliedSamplers[MAX_SAMPLER_SLOTS];
        bool myAppliedDefaultSampler[MAX_SAMPLER_SLOTS] = {};
        Ref<GlBuffer> myAppliedConstantBuffers[MAX_CONSTANT_BUFFER_SLOTS];

        GLuint myPipeline = 0;
        GLuint myEmptyVertexArray = 0;
        GLuint myDrawFramebuffer = 0;
        GLuint myClearFramebuffer = 0;
        GLuint myDefaultSampler = 0;
        GLuint myNullTexture2D = 0;
        GLuint myNullTextureCube = 0;
        bool myAppliedTextureUnitSet[MAX_SHADER_RESOURCE_SLOTS] = {};
        bool myHasClampedOffset = false;
    };
}
