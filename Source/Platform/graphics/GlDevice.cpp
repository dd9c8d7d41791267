#include "Platform/graphics/GlDevice.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

#include "Platform/graphics/GlContext.h"
#include "Platform/graphics/SpirvCheck.h"

namespace Vela::Gfx
{
    namespace
    {
        constexpr uint32_t MAX_BUFFER_BYTES = 1u << 30;
        constexpr uint32_t MAX_CONSTANT_BUFFER_BYTES = 65536;
        constexpr uint32_t MAX_ATTRIBUTE_OFFSET = 2047;
        constexpr uint32_t BUFFER_BIND_FLAGS = BIND_VERTEX_BUFFER | BIND_INDEX_BUFFER | BIND_CONSTANT_BUFFER | BIND_SHADER_RESOURCE |
                                               BIND_STREAM_OUTPUT | BIND_UNORDERED_ACCESS;
        constexpr uint32_t TEXTURE_BIND_FLAGS = BIND_SHADER_RESOURCE | BIND_RENDER_TARGET | BIND_DEPTH_STENCIL | BIND_UNORDERED_ACCESS;

        // Usage and CPU access go together as the engine's graphics interface defines them.
        bool IsValidUsage(Usage aUsage, uint32_t aCpuAccess, uint32_t aBindFlags, bool aHasData)
        {
            switch (aUsage)
            {
            case Usage::DEFAULT: return aCpuAccess == 0;
            case Usage::IMMUTABLE: return aCpuAccess == 0 && aHasData;
            case Usage::DYNAMIC: return aCpuAccess == CPU_ACCESS_WRITE;
            case Usage::STAGING: return aCpuAccess != 0 && (aCpuAccess & ~(CPU_ACCESS_READ | CPU_ACCESS_WRITE)) == 0 && aBindFlags == 0;
            }
            return false;
        }

        template <typename Internal, typename Public>
        Result Hand(Internal* anObject, Public** anOut)
        {
            *anOut = anObject;
            return RESULT_OK;
        }

        uint32_t FullMipCount(uint32_t aWidth, uint32_t aHeight)
        {
            uint32_t levels = 1;
            for (uint32_t size = aWidth > aHeight ? aWidth : aHeight; size > 1; size >>= 1)
                ++levels;
            return levels;
        }

        bool IsBlendFactor(Blend aBlend)
        {
            const uint32_t value = static_cast<uint32_t>(aBlend);
            return (value >= 1 && value <= 11) || value == 14 || value == 15;
        }

        bool IsBlendOp(BlendOp anOp)
        {
            const uint32_t value = static_cast<uint32_t>(anOp);
            return value >= 1 && value <= 5;
        }

        bool IsComparison(ComparisonFunc aFunction)
        {
            const uint32_t value = static_cast<uint32_t>(aFunction);
            return value >= 1 && value <= 8;
        }

        bool IsStencilOp(StencilOp anOp)
        {
            const uint32_t value = static_cast<uint32_t>(anOp);
            return value >= 1 && value <= 8;
        }

        bool IsValidFilter(Filter aFilter)
        {
            const uint32_t value = static_cast<uint32_t>(aFilter) & ~0x80u;
            switch (value)
            {
            case 0x00: case 0x01: case 0x04: case 0x05: case 0x10: case 0x11: case 0x14: case 0x15: case 0x55: return true;
            default: return false;
            }
        }

        bool IsAddressMode(TextureAddressMode aMode)
        {
            const uint32_t value = static_cast<uint32_t>(aMode);
            return value >= 1 && value <= 5;
        }

        Result Refuse(const char* aMessage)
        {
            std::printf("Gfx: %s\n", aMessage);
            return RESULT_INVALID_ARG;
        }
    }

    GlDevice::GlDevice(SDL_GLContext aContext)
        : myCore(std::make_shared<DeviceCore>())
        , myGlContext(aContext)
    {
        myCore->renderThread = std::this_thread::get_id();
        myCore->generation = DeviceCore::NextGeneration();
        myCore->alive.store(true, std::memory_order_release);
    }

    GlDevice::~GlDevice()
    {
        myCore->DeleteQueuedNames();
        myCore->alive.store(false, std::memory_order_release);
        if (myGlContext)
            SDL_GL_DeleteContext(myGlContext);
    }

    bool GlDevice::IsRenderThread() const
    {
        return myCore->IsRenderThread();
    }

    void GlDevice::GetImmediateContext(DeviceContext** aContext)
    {
        if (!aContext)
            return;
        if (myContext)
            myContext->AddRef();
        else
            myContext = new GlDeviceContext(*this);
        *aContext = myContext;
    }

    Result GlDevice::CreateBuffer(const BufferDesc* aDesc, const SubresourceData* anInitialData, Buffer** aBuffer)
    {
        if (!aDesc || aDesc->byteWidth == 0 || aDesc->byteWidth > MAX_BUFFER_BYTES)
            return Refuse("a buffer needs a size between 1 byte and 1 GiB");
        if ((aDesc->bindFlags & ~BUFFER_BIND_FLAGS) != 0)
            return Refuse("a buffer was asked for with texture bind flags");
        if (anInitialData && !anInitialData->sysMem)
            return Refuse("a buffer's initial data has no memory");
        if (!IsValidUsage(aDesc->usage, aDesc->cpuAccessFlags, aDesc->bindFlags, anInitialData != nullptr))
            return Refuse("a buffer's usage does not fit its CPU access or initial data");
        if (aDesc->bindFlags & BIND_CONSTANT_BUFFER)
        {
            if (aDesc->bindFlags != BIND_CONSTANT_BUFFER || aDesc->byteWidth % 16 != 0 || aDesc->byteWidth > MAX_CONSTANT_BUFFER_BYTES)
                return Refuse("a constant buffer must be a multiple of 16 bytes, at most 64 KiB, and bound as nothing else");
        }
        if (aDesc->bindFlags & BIND_SHADER_RESOURCE)
            return RESULT_UNSUPPORTED;
        if (!aBuffer)
            return RESULT_FALSE;
        try
        {
            std::vector<uint8_t> data;
            if (anInitialData)
            {
                const uint8_t* bytes = static_cast<const uint8_t*>(anInitialData->sysMem);
                data.assign(bytes, bytes + aDesc->byteWidth);
            }
            return Hand(new GlBuffer(myCore, *aDesc, std::move(data)), aBuffer);
        }
        catch (const std::bad_alloc&)
        {
            return RESULT_OUT_OF_MEMORY;
        }
    }

    Result GlDevice::CreateTexture2D(const Texture2DDesc* aDesc, const SubresourceData* anInitialData, Texture2D** aTexture)
    {
        if (!aDesc)
            return Refuse("a texture needs a description");
        Texture2DDesc desc = *aDesc;
        const FormatInfo* format = FindFormatInfo(desc.format);
        if (!format || format->internalFormat == 0)
        {
            std::printf("Gfx: texture format %u is not supported\n", static_cast<uint32_t>(desc.format));
            return RESULT_UNSUPPORTED;
        }
        if (desc.width == 0 || desc.height == 0 || desc.width > MAX_TEXTURE_SIZE || desc.height > MAX_TEXTURE_SIZE)
            return Refuse("a texture needs a size between 1 and 16384");
        const bool cube = desc.miscFlags & MISC_TEXTURECUBE;
        if (cube ? (desc.arraySize != 6 || desc.width != desc.height) : desc.arraySize != 1)
            return Refuse("a texture must be single (array size 1) or a square cube (array size 6)");
        if (desc.sampleCount != 1)
            return Refuse("multisampled textures are not supported");
        const uint32_t fullChain = FullMipCount(desc.width, desc.height);
        if (desc.mipLevels == 0)
            desc.mipLevels = fullChain;
        if (desc.mipLevels > fullChain)
            return Refuse("a texture asks for more mip levels than its size has");
        if ((desc.bindFlags & ~TEXTURE_BIND_FLAGS) != 0)
            return Refuse("a texture was asked for with buffer bind flags");
        if (!IsValidUsage(desc.usage, desc.cpuAccessFlags, desc.bindFlags, anInitialData != nullptr))
            return Refuse("a texture's usage does not fit its CPU access or initial data");
        if (desc.usage == Usage::DYNAMIC && (desc.mipLevels != 1 || cube || format->compressed))
            return Refuse("a dynamic texture must be one uncompressed 2D level");
        if ((desc.bindFlags & BIND_RENDER_TARGET) && (format->compressed || format->depth))
            return Refuse("a block-compressed or depth format cannot be a render target");
        if (desc.bindFlags & BIND_DEPTH_STENCIL)
        {
            if (format->family != FormatFamily::R32 || (desc.format != Format::D32_FLOAT && desc.format != Format::R32_TYPELESS) ||
                (desc.bindFlags & BIND_RENDER_TARGET) || cube)
                return Refuse("a depth texture must be a 2D D32_FLOAT or R32_TYPELESS texture");
            if (desc.format == Format::D32_FLOAT && (desc.bindFlags & BIND_SHADER_RESOURCE))
                return Refuse("a D32_FLOAT texture cannot be read by shaders; make it R32_TYPELESS");
        }
        else if (format->depth)
        {
            return Refuse("a D32_FLOAT texture must be bound as a depth buffer");
        }
        if (desc.usage == Usage::DYNAMIC && (desc.bindFlags & (BIND_RENDER_TARGET | BIND_DEPTH_STENCIL)))
            return Refuse("a dynamic texture cannot be a render target");

        const uint32_t subresourceCount = desc.mipLevels * desc.arraySize;
        std::vector<std::vector<uint8_t>> data;
        try
        {
            if (anInitialData)
            {
                data.resize(subresourceCount);
                for (uint32_t i = 0; i < subresourceCount; ++i)
                {
                    const SubresourceData& source = anInitialData[i];
                    const uint32_t mip = i % desc.mipLevels;
                    const uint32_t rowBytes = GetRowPitch(desc.format, MipSize(desc.width, mip));
                    const uint32_t rows = GetRowCount(desc.format, MipSize(desc.height, mip));
                    if (!source.sysMem || (rows > 1 && source.sysMemPitch < rowBytes))
                        return Refuse("a texture's initial data is missing or its row pitch is too small");
                    data[i].resize(static_cast<size_t>(rowBytes) * rows);
                    const uint8_t* bytes = static_cast<const uint8_t*>(source.sysMem);
                    const size_t pitch = rows > 1 ? source.sysMemPitch : rowBytes;
                    for (uint32_t row = 0; row < rows; ++row)
                        std::memcpy(data[i].data() + static_cast<size_t>(row) * rowBytes, bytes + row * pitch, rowBytes);
                }
            }
            if (!aTexture)
                return RESULT_FALSE;
            GlTexture2D* texture = new GlTexture2D(myCore, desc, *format, std::move(data));
            if (myCore->CanCallGl() && desc.usage != Usage::STAGING && texture->EnsureGl() == 0)
            {
                texture->Release();
                return RESULT_OUT_OF_MEMORY;
            }
            return Hand(texture, aTexture);
        }
        catch (const std::bad_alloc&)
        {
            return RESULT_OUT_OF_MEMORY;
        }
    }

    namespace
    {
        GlTexture2D* AsTexture(Resource* aResource)
        {
            if (!aResource || aResource->GetType() != ResourceDimension::TEXTURE2D)
                return nullptr;
            return static_cast<GlTexture2D*>(aResource);
        }

        bool IsDepthStorage(const GlTexture2D& aTexture)
        {
            return aTexture.StorageFormat() == GL_DEPTH_COMPONENT32F;
        }
    }

    Result GlDevice::CreateShaderResourceView(Resource* aResource, const ShaderResourceViewDesc* aDesc, ShaderResourceView** aView)
    {
        GlTexture2D* texture = AsTexture(aResource);
        if (texture && !texture->IsUsableWith(*myCore))
            return Refuse("a view needs a texture of this device");
        if (!texture)
            return aResource ? RESULT_UNSUPPORTED : Refuse("a shader-resource view needs a texture");
        const Texture2DDesc& textureDesc = texture->Desc();
        if (!(textureDesc.bindFlags & BIND_SHADER_RESOURCE))
            return Refuse("a shader-resource view needs a texture made with BIND_SHADER_RESOURCE");
        ShaderResourceViewDesc desc;
        desc.format = textureDesc.format;
        desc.viewDimension = texture->IsCube() ? ViewDimension::TEXTURECUBE : ViewDimension::TEXTURE2D;
        if (aDesc)
        {
            desc = *aDesc;
            if (desc.format == Format::UNKNOWN)
                desc.format = textureDesc.format;
        }
        const FormatInfo* format = FindFormatInfo(desc.format);
        if (!format || format->typeless || format->depth || !AreViewCompatible(textureDesc.format, desc.format))
            return Refuse("a shader-resource view's format does not fit its texture");
        if (IsDepthStorage(*texture) && desc.format != Format::R32_FLOAT)
            return Refuse("a depth texture is read through an R32_FLOAT view");
        const ViewDimension wanted = texture->IsCube() ? ViewDimension::TEXTURECUBE : ViewDimension::TEXTURE2D;
        if (desc.viewDimension != wanted)
            return Refuse("a shader-resource view's dimension does not fit its texture");
        if (desc.mostDetailedMip >= textureDesc.mipLevels)
            return Refuse("a shader-resource view starts past the texture's last mip level");
        const uint32_t available = textureDesc.mipLevels - desc.mostDetailedMip;
        if (desc.mipLevels == ALL_MIP_LEVELS)
            desc.mipLevels = available;
        if (desc.mipLevels == 0 || desc.mipLevels > available)
            return Refuse("a shader-resource view's mip range does not fit its texture");
        if (!aView)
            return RESULT_FALSE;
        return Hand(new GlShaderResourceView(myCore, *texture, desc), aView);
    }

    Result GlDevice::CreateRenderTargetView(Resource* aResource, const RenderTargetViewDesc* aDesc, RenderTargetView** aView)
    {
        GlTexture2D* texture = AsTexture(aResource);
        if (texture && !texture->IsUsableWith(*myCore))
            return Refuse("a view needs a texture of this device");
        if (!texture)
            return aResource ? RESULT_UNSUPPORTED : Refuse("a render-target view needs a texture");
        const Texture2DDesc& textureDesc = texture->Desc();
        if (!(textureDesc.bindFlags & BIND_RENDER_TARGET) || texture->IsCube())
            return Refuse("a render-target view needs a 2D texture made with BIND_RENDER_TARGET");
        RenderTargetViewDesc desc;
        desc.format = textureDesc.format;
        if (aDesc)
        {
            desc = *aDesc;
            if (desc.format == Format::UNKNOWN)
                desc.format = textureDesc.format;
        }
        const FormatInfo* format = FindFormatInfo(desc.format);
        if (!format || format->typeless || !AreViewCompatible(textureDesc.format, desc.format))
            return Refuse("a render-target view's format does not fit its texture");
        if (desc.viewDimension != ViewDimension::TEXTURE2D || desc.mipSlice >= textureDesc.mipLevels)
            return Refuse("a render-target view must name one mip level of a 2D texture");
        if (!aView)
            return RESULT_FALSE;
        return Hand(new GlRenderTargetView(myCore, *texture, desc), aView);
    }

    Result GlDevice::CreateDepthStencilView(Resource* aResource, const DepthStencilViewDesc* aDesc, DepthStencilView** aView)
    {
        GlTexture2D* texture = AsTexture(aResource);
        if (texture && !texture->IsUsableWith(*myCore))
            return Refuse("a view needs a texture of this device");
        if (!texture)
            return aResource ? RESULT_UNSUPPORTED : Refuse("a depth-stencil view needs a texture");
        const Texture2DDesc& textureDesc = texture->Desc();
        if (!(textureDesc.bindFlags & BIND_DEPTH_STENCIL))
            return Refuse("a depth-stencil view needs a texture made with BIND_DEPTH_STENCIL");
        DepthStencilViewDesc desc;
        desc.format = textureDesc.format == Format::D32_FLOAT ? Format::D32_FLOAT : Format::UNKNOWN;
        desc.viewDimension = ViewDimension::TEXTURE2D;
        if (aDesc)
        {
            desc = *aDesc;
            if (desc.format == Format::UNKNOWN && textureDesc.format == Format::D32_FLOAT)
                desc.format = Format::D32_FLOAT;
        }
        if (desc.format != Format::D32_FLOAT)
            return Refuse("a depth-stencil view's format must be D32_FLOAT");
        if (desc.viewDimension != ViewDimension::TEXTURE2D && static_cast<uint32_t>(desc.viewDimension) != 3)
            return Refuse("a depth-stencil view must be 2D");
        desc.viewDimension = ViewDimension::TEXTURE2D;
        if (desc.mipSlice >= textureDesc.mipLevels)
            return Refuse("a depth-stencil view names a mip level the texture lacks");
        if (!aView)
            return RESULT_FALSE;
        return Hand(new GlDepthStencilView(myCore, *texture, desc), aView);
    }

    Result GlDevice::CreateInputLayout(const InputElementDesc* someElements, uint32_t aCount, const void* aShaderBytecode,
                                       size_t aBytecodeLength, InputLayout** aLayout)
    {
        if (aCount > MAX_INPUT_ELEMENTS || (aCount > 0 && !someElements))
            return Refuse("an input layout has at most 16 elements");
        const SpirvSummary shader = CheckSpirv(aShaderBytecode, aBytecodeLength, ShaderStage::VERTEX);
        if (!shader.error.empty())
        {
            std::printf("Gfx: an input layout was made against a bad vertex shader: %s\n", shader.error.c_str());
            return RESULT_INVALID_ARG;
        }
        std::vector<GlInputElement> elements;
        std::vector<uint32_t> divisors(MAX_VERTEX_BUFFER_SLOTS, 0);
        uint32_t nextOffset[MAX_VERTEX_BUFFER_SLOTS] = {};
        uint32_t slotClass[MAX_VERTEX_BUFFER_SLOTS] = {};   // 0 unused, 1 per vertex, 2 per instance
        for (uint32_t i = 0; i < aCount; ++i)
        {
            const InputElementDesc& source = someElements[i];
            const FormatInfo* format = FindFormatInfo(source.format);
            if (!source.semanticName || !format || format->attributeType == 0)
                return Refuse("an input element has no semantic name or a format vertices cannot have");
            if (source.inputSlot >= MAX_VERTEX_BUFFER_SLOTS)
                return Refuse("an input element names a vertex-buffer slot past 15");
            for (uint32_t j = 0; j < i; ++j)
            {
                if (someElements[j].semanticIndex == source.semanticIndex && someElements[j].semanticName &&
                    strcasecmp(someElements[j].semanticName, source.semanticName) == 0)
                {
                    std::printf("Gfx: an input layout names %s%u twice\n", source.semanticName, source.semanticIndex);
                    return RESULT_INVALID_ARG;
                }
            }
            const bool perInstance = source.inputSlotClass == InputClassification::PER_INSTANCE_DATA;
            if (!perInstance && (source.inputSlotClass != InputClassification::PER_VERTEX_DATA || source.instanceDataStepRate != 0))
                return Refuse("a per-vertex input element has a step rate");
            const uint32_t divisor = perInstance ? (source.instanceDataStepRate == 0 ? 0xFFFFFFFFu : source.instanceDataStepRate) : 0;
            const uint32_t wantedClass = perInstance ? 2 : 1;
            if (slotClass[source.inputSlot] != 0 && (slotClass[source.inputSlot] != wantedClass || divisors[source.inputSlot] != divisor))
                return Refuse("elements of one vertex-buffer slot must share their classification and step rate");
            slotClass[source.inputSlot] = wantedClass;
            divisors[source.inputSlot] = divisor;

            GlInputElement element;
            element.location = i;
            element.format = format;
            element.slot = source.inputSlot;
            element.offset = source.alignedByteOffset == APPEND_ALIGNED_ELEMENT ? nextOffset[source.inputSlot] : source.alignedByteOffset;
            if (element.offset > MAX_ATTRIBUTE_OFFSET)
                return Refuse("an input element's offset is past 2047 bytes");
            nextOffset[source.inputSlot] = element.offset + format->bytesPerUnit;
            elements.push_back(element);
        }
        for (uint32_t location : shader.inputLocations)
        {
            if (location >= aCount)
            {
                std::printf("Gfx: the vertex shader reads input %u but the layout has %u elements\n", location, aCount);
                return RESULT_INVALID_ARG;
            }
        }
        if (!aLayout)
            return RESULT_FALSE;
        return Hand(new GlInputLayout(myCore, std::move(elements), std::move(divisors)), aLayout);
    }

    Result GlDevice::CreateVertexShader(const void* aBytecode, size_t aLength, VertexShader** aShader)
    {
        const SpirvSummary summary = CheckSpirv(aBytecode, aLength, ShaderStage::VERTEX);
        if (!summary.error.empty())
        {
            std::printf("Gfx: vertex shader refused: %s\n", summary.error.c_str());
            return RESULT_INVALID_ARG;
        }
        if (!aShader)
            return RESULT_FALSE;
        return Hand(new GlVertexShader(myCore, aBytecode, aLength), aShader);
    }

    Result GlDevice::CreatePixelShader(const void* aBytecode, size_t aLength, PixelShader** aShader)
    {
        const SpirvSummary summary = CheckSpirv(aBytecode, aLength, ShaderStage::FRAGMENT);
        if (!summary.error.empty())
        {
            std::printf("Gfx: pixel shader refused: %s\n", summary.error.c_str());
            return RESULT_INVALID_ARG;
        }
        if (!aShader)
            return RESULT_FALSE;
        return Hand(new GlPixelShader(myCore, aBytecode, aLength), aShader);
    }

    Result GlDevice::CreateBlendState(const BlendDesc* aDesc, BlendState** aState)
    {
        if (!aDesc)
            return Refuse("a blend state needs a description");
        const uint32_t rows = aDesc->independentBlendEnable ? MAX_RENDER_TARGETS : 1;
        for (uint32_t i = 0; i < rows; ++i)
        {
            const RenderTargetBlendDesc& row = aDesc->renderTarget[i];
            if (!IsBlendFactor(row.srcBlend) || !IsBlendFactor(row.destBlend) || !IsBlendFactor(row.srcBlendAlpha) ||
                !IsBlendFactor(row.destBlendAlpha) || !IsBlendOp(row.blendOp) || !IsBlendOp(row.blendOpAlpha) || row.renderTargetWriteMask > 15)
                return Refuse("a blend description holds a value out of range");
        }
        if (!aState)
            return RESULT_FALSE;
        return Hand(new GlBlendState(*aDesc), aState);
    }

    Result GlDevice::CreateDepthStencilState(const DepthStencilDesc* aDesc, DepthStencilState** aState)
    {
        if (!aDesc)
            return Refuse("a depth-stencil state needs a description");
        const auto validFace = [](const DepthStencilOpDesc& aFace) {
            return IsStencilOp(aFace.stencilFailOp) && IsStencilOp(aFace.stencilDepthFailOp) && IsStencilOp(aFace.stencilPassOp) &&
                   IsComparison(aFace.stencilFunc);
        };
        if (static_cast<uint32_t>(aDesc->depthWriteMask) > 1 || !IsComparison(aDesc->depthFunc) || !validFace(aDesc->frontFace) ||
            !validFace(aDesc->backFace))
            return Refuse("a depth-stencil description holds a value out of range");
        if (!aState)
            return RESULT_FALSE;
        return Hand(new GlDepthStencilState(*aDesc), aState);
    }

    Result GlDevice::CreateRasterizerState(const RasterizerDesc* aDesc, RasterizerState** aState)
    {
        if (!aDesc)
            return Refuse("a rasterizer state needs a description");
        const uint32_t fill = static_cast<uint32_t>(aDesc->fillMode);
        const uint32_t cull = static_cast<uint32_t>(aDesc->cullMode);
        if (fill < 2 || fill > 3 || cull < 1 || cull > 3 || std::isnan(aDesc->depthBiasClamp) || std::isnan(aDesc->slopeScaledDepthBias))
            return Refuse("a rasterizer description holds a value out of range");
        if (!aState)
            return RESULT_FALSE;
        return Hand(new GlRasterizerState(*aDesc), aState);
    }

    Result GlDevice::CreateSamplerState(const SamplerDesc* aDesc, SamplerState** aState)
    {
        if (!aDesc)
            return Refuse("a sampler needs a description");
        if (!IsValidFilter(aDesc->filter) || !IsAddressMode(aDesc->addressU) || !IsAddressMode(aDesc->addressV) ||
            !IsAddressMode(aDesc->addressW) || aDesc->maxAnisotropy > 16 || !IsComparison(aDesc->comparisonFunc) ||
            std::isnan(aDesc->mipLODBias) || std::isnan(aDesc->minLOD) || std::isnan(aDesc->maxLOD))
            return Refuse("a sampler description holds a value out of range");
        if (!aState)
            return RESULT_FALSE;
        return Hand(new GlSamplerState(myCore, *aDesc), aState);
    }
}
