#pragma once
// The GL side of the layer's objects. Internal to Source/Platform/graphics.
#include <epoxy/gl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/graphics/GfxObjects.h"
#include "Platform/graphics/GfxDevice.h"
#include "Platform/graphics/GlFormats.h"

namespace Vela::Gfx
{
    enum class GlKind : uint8_t
    {
        BUFFER,
        TEXTURE,
        SAMPLER,
        PROGRAM,
        VERTEX_ARRAY,
        FRAMEBUFFER,
        PIPELINE,
    };

    // What every object of one device shares: the render thread, whether the GL context still exists, and the GL
    // names of objects released off the render thread (deleted later on it).
    //
    // Every device gets the next generation number; only the newest device's objects may reach GL. An object of a
    // destroyed (or replaced) device answers GL name 0 to every use, so it never reaches a name that a later device
    // reuses.
    struct DeviceCore
    {
        std::thread::id renderThread;
        std::atomic<bool> alive{false};
        uint64_t generation = 0;
        std::mutex deadMutex;
        std::vector<std::pair<GlKind, GLuint>> deadNames;

        // Takes the next generation number, making every older device's objects inert.
        static uint64_t NextGeneration();
        static uint64_t CurrentGeneration();

        bool IsRenderThread() const { return std::this_thread::get_id() == renderThread; }
        // Alive and the newest device.
        bool IsCurrent() const { return alive.load(std::memory_order_acquire) && generation == CurrentGeneration(); }
        bool CanCallGl() const { return IsCurrent() && IsRenderThread(); }
        // Deletes at once on the render thread, else queues; nothing once the context is gone.
        void DeleteName(GlKind aKind, GLuint aName);
        void DeleteQueuedNames();
    };

    using CorePointer = std::shared_ptr<DeviceCore>;

    uint32_t MipSize(uint32_t aSize, uint32_t aLevel);
    GLenum ToGlCompare(ComparisonFunc aFunction);

    class GlBuffer final : public Buffer
    {
    public:
        GlBuffer(CorePointer aCore, const BufferDesc& aDesc, std::vector<uint8_t> someInitialData);
        ~GlBuffer() override;

        ResourceDimension GetType() const override { return ResourceDimension::BUFFER; }
        void GetDesc(BufferDesc* aDesc) const override;

        const BufferDesc& Desc() const { return myDesc; }
        // Made by that device, which is still the newest one alive.
        bool IsUsableWith(const DeviceCore& aCore) const { return myCore.get() == &aCore && aCore.IsCurrent(); }
        // Render thread: the GL buffer, made at first use (0 for staging buffers or when GL refused it).
        GLuint EnsureGl();

        // CPU copy for dynamic (what Map hands out) and staging buffers (their whole contents).
        std::vector<uint8_t> myShadow;
        bool myIsMapped = false;
        MapType myMapType = MapType::WRITE_DISCARD;

    private:
        CorePointer myCore;
        BufferDesc myDesc;
        std::vector<uint8_t> myPendingData;
        GLuint myName = 0;
        bool myIsMade = false;
    };

    class GlTexture2D final : public Texture2D
    {
    public:
        // someInitialData: one tightly packed byte string per subresource, or none.
        GlTexture2D(CorePointer aCore, const Texture2DDesc& aDesc, const FormatInfo& aFormat, std::vector<std::vector<uint8_t>> someInitialData);
        ~GlTexture2D() override;

        ResourceDimension GetType() const override { return ResourceDimension::TEXTURE2D; }
        void GetDesc(Texture2DDesc* aDesc) const override;

        const Texture2DDesc& Desc() const { return myDesc; }
        // Made by that device, which is still the newest one alive.
        bool IsUsableWith(const DeviceCore& aCore) const { return myCore.get() == &aCore && aCore.IsCurrent(); }
        const FormatInfo& Info() const { return *myFormat; }
        GLenum StorageFormat() const { return myStorageFormat; }
        GLenum Target() const { return myTarget; }
        bool IsCube() const { return myTarget == GL_TEXTURE_CUBE_MAP; }
        uint32_t SubresourceCount() const { return myDesc.mipLevels * myDesc.arraySize; }
        uint32_t SubresourceSize(uint32_t aSubresource) const;
        uint32_t MipOf(uint32_t aSubresource) const { return aSubresource % myDesc.mipLevels; }
        uint32_t SliceOf(uint32_t aSubresource) const { return aSubresource / myDesc.mipLevels; }

        // Render thread: the GL texture, made at first use (0 for staging textures or when GL refused it).
        GLuint EnsureGl();
        // Render thread: tightly packed rows, top row first.
        void Upload(uint32_t aSubresource, const uint8_t* someBytes);
        bool Download(uint32_t aSubresource, uint8_t* someBytes, uint32_t aSize);

        // CPU copies per subresource: what Map hands out for dynamic textures, the contents of staging ones.
        std::vector<std::vector<uint8_t>> myShadow;
        int32_t myMappedSubresource = -1;
        MapType myMapType = MapType::WRITE_DISCARD;

    private:
        CorePointer myCore;
        Texture2DDesc myDesc;
        const FormatInfo* myFormat;
        GLenum myStorageFormat = 0;
        GLenum myTarget = GL_TEXTURE_2D;
        std::vector<std::vector<uint8_t>> myPendingData;
        GLuint myName = 0;
        bool myIsMade = false;
    };

    // A texture read through a format or mip range of its own: the texture itself when nothing differs, else a GL
    // texture view.
    class GlTextureViewName
    {
    public:
        GlTextureViewName() = default;
        ~GlTextureViewName();
        GLuint Ensure(const CorePointer& aCore, GlTexture2D& aTexture, Format aFormat, GLenum aTarget, uint32_t aFirstMip, uint32_t aMipCount);

    private:
        CorePointer myCore;
        GLuint myName = 0;
        bool myOwnsName = false;
        bool myIsMade = false;
    };

    class GlShaderResourceView final : public ShaderResourceView
    {
    public:
        GlShaderResourceView(CorePointer aCore, GlTexture2D& aTexture, const ShaderResourceViewDesc& aDesc);
        void GetResource(Resource** aResource) const override;
        void GetDesc(ShaderResourceViewDesc* aDesc) const override;

        GlTexture2D& Texture() const { return *myTexture.Get(); }
        GLuint EnsureGl();

    private:
        CorePointer myCore;
        Ref<GlTexture2D> myTexture;
        ShaderResourceViewDesc myDesc;
        GlTextureViewName myView;
    };

    class GlRenderTargetView final : public RenderTargetView
    {
    public:
        GlRenderTargetView(CorePointer aCore, GlTexture2D& aTexture, const RenderTargetViewDesc& aDesc);
        void GetResource(Resource** aResource) const override;
        void GetDesc(RenderTargetViewDesc* aDesc) const override;

        GlTexture2D& Texture() const { return *myTexture.Get(); }
        uint32_t MipSlice() const { return myDesc.mipSlice; }
        GLuint EnsureGl();

    private:
        CorePointer myCore;
        Ref<GlTexture2D> myTexture;
        RenderTargetViewDesc myDesc;
        GlTextureViewName myView;
    };

    class GlDepthStencilView final : public DepthStencilView
    {
    public:
        GlDepthStencilView(CorePointer aCore, GlTexture2D& aTexture, const DepthStencilViewDesc& aDesc);
        void GetResource(Resource** aResource) const override;
        void GetDesc(DepthStencilViewDesc* aDesc) const override;

        GlTexture2D& Texture() const { return *myTexture.Get(); }
        uint32_t MipSlice() const { return myDesc.mipSlice; }
        GLuint EnsureGl() { return myTexture->EnsureGl(); }

    private:
        Ref<GlTexture2D> myTexture;
        DepthStencilViewDesc myDesc;
    };

    class GlBlendState final : public BlendState
    {
    public:
        explicit GlBlendState(const BlendDesc& aDesc) : myDesc(aDesc) {}
        void GetDesc(BlendDesc* aDesc) const override { *aDesc = myDesc; }
        const BlendDesc& Desc() const { return myDesc; }

    private:
        BlendDesc myDesc;
    };

    class GlDepthStencilState final : public DepthStencilState
    {
    public:
        explicit GlDepthStencilState(const DepthStencilDesc& aDesc) : myDesc(aDesc) {}
        void GetDesc(DepthStencilDesc* aDesc) const override { *aDesc = myDesc; }
        const DepthStencilDesc& Desc() const { return myDesc; }

    private:
        DepthStencilDesc myDesc;
    };

    class GlRasterizerState final : public RasterizerState
    {
    public:
        explicit GlRasterizerState(const RasterizerDesc& aDesc) : myDesc(aDesc) {}
        void GetDesc(RasterizerDesc* aDesc) const override { *aDesc = myDesc; }
        const RasterizerDesc& Desc() const { return myDesc; }

    private:
        RasterizerDesc myDesc;
    };

    class GlSamplerState final : public SamplerState
    {
    public:
        GlSamplerState(CorePointer aCore, const SamplerDesc& aDesc) : myCore(std::move(aCore)), myDesc(aDesc) {}
        ~GlSamplerState() override;
        void GetDesc(SamplerDesc* aDesc) const override { *aDesc = myDesc; }
        GLuint EnsureGl();

    private:
        CorePointer myCore;
        SamplerDesc myDesc;
        GLuint myName = 0;
    };

    // One stage's separable GL program, specialised from SPIR-V at first use.
    class GlShaderProgram
    {
    public:
        GlShaderProgram(CorePointer aCore, GLenum aStage, const void* aBytecode, size_t aLength);
        ~GlShaderProgram();
        // 0 when GL refused the module (reported once).
        GLuint EnsureGl();

    private:
        CorePointer myCore;
        GLenum myStage;
        std::vector<uint8_t> myBytecode;
        GLuint myProgram = 0;
        bool myIsMade = false;
    };

    class GlVertexShader final : public VertexShader
    {
    public:
        GlVertexShader(CorePointer aCore, const void* aBytecode, size_t aLength) : myProgram(std::move(aCore), GL_VERTEX_SHADER, aBytecode, aLength) {}
        GLuint EnsureGl() { return myProgram.EnsureGl(); }

    private:
        GlShaderProgram myProgram;
    };

    class GlPixelShader final : public PixelShader
    {
    public:
        GlPixelShader(CorePointer aCore, const void* aBytecode, size_t aLength) : myProgram(std::move(aCore), GL_FRAGMENT_SHADER, aBytecode, aLength) {}
        GLuint EnsureGl() { return myProgram.EnsureGl(); }

    private:
        GlShaderProgram myProgram;
    };

    struct GlInputElement
    {
        uint32_t location = 0;
        const FormatInfo* format = nullptr;
        uint32_t slot = 0;
        uint32_t offset = 0;
    };

    class GlInputLayout final : public InputLayout
    {
    public:
        GlInputLayout(CorePointer aCore, std::vector<GlInputElement> someElements, std::vector<uint32_t> someDivisors);
        ~GlInputLayout() override;

        // Render thread: the vertex array with every attribute's format, made at first use.
        GLuint EnsureGl();
        const std::vector<GlInputElement>& Elements() const { return myElements; }
        uint32_t UsedSlots() const { return myUsedSlots; }

        // What the vertex array holds (so unchanged bindings are not sent again). References, so that a GL name
        // is never reused while the array still points at its old object.
        Ref<GlBuffer> myBoundBuffers[MAX_VERTEX_BUFFER_SLOTS];
        GLintptr myBoundOffsets[MAX_VERTEX_BUFFER_SLOTS] = {};
        GLsizei myBoundStrides[MAX_VERTEX_BUFFER_SLOTS] = {};
        Ref<GlBuffer> myBoundIndexBuffer;
        uint32_t myEnabledLocations = 0xFFFFFFFFu;

    private:
        CorePointer myCore;
        std::vector<GlInputElement> myElements;
        std::vector<uint32_t> myDivisors;   // per slot; 0 per vertex
        uint32_t myUsedSlots = 0;
        GLuint myName = 0;
    };
}
