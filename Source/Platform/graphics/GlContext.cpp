#include "Platform/graphics/GlContext.h"

#include <cstdio>
#include <cstring>

namespace Vela::Gfx
{
    namespace
    {
        // The upper-left clip origin also turns GL's notion of winding around, so a triangle clockwise on screen
        // is clockwise to GL as well.
        constexpr GLenum CLOCKWISE_ON_SCREEN = GL_CW;
        constexpr GLenum COUNTER_CLOCKWISE_ON_SCREEN = GL_CCW;

        // Null entries pass: they unbind their slot.
        bool AllBindableAs(Buffer* const* someBuffers, uint32_t aCount, uint32_t aBindFlag)
        {
            for (uint32_t i = 0; i < aCount; ++i)
            {
                const GlBuffer* buffer = static_cast<const GlBuffer*>(someBuffers[i]);
                if (buffer && !(buffer->Desc().bindFlags & aBindFlag))
                    return false;
            }
            return true;
        }

        GLenum ToGlBlend(Blend aBlend)
        {
            switch (aBlend)
            {
            case Blend::ZERO: return GL_ZERO;
            case Blend::ONE: return GL_ONE;
            case Blend::SRC_COLOR: return GL_SRC_COLOR;
            case Blend::INV_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
            case Blend::SRC_ALPHA: return GL_SRC_ALPHA;
            case Blend::INV_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
            case Blend::DEST_ALPHA: return GL_DST_ALPHA;
            case Blend::INV_DEST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
            case Blend::DEST_COLOR: return GL_DST_COLOR;
            case Blend::INV_DEST_COLOR: return GL_ONE_MINUS_DST_COLOR;
            case Blend::SRC_ALPHA_SAT: return GL_SRC_ALPHA_SATURATE;
            case Blend::BLEND_FACTOR: return GL_CONSTANT_COLOR;
            case Blend::INV_BLEND_FACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
            }
            return GL_ONE;
        }

        GLenum ToGlBlendOp(BlendOp anOp)
        {
            switch (anOp)
            {
            case BlendOp::ADD: return GL_FUNC_ADD;
            case BlendOp::SUBTRACT: return GL_FUNC_SUBTRACT;
            case BlendOp::REV_SUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
            case BlendOp::MIN: return GL_MIN;
            case BlendOp::MAX: return GL_MAX;
            }
            return GL_FUNC_ADD;
        }

        // Null as well for a resource of another (destroyed or replaced) device: such a resource refuses every use.
        GlBuffer* AsBuffer(Resource* aResource, const DeviceCore& aCore)
        {
            GlBuffer* buffer = aResource && aResource->GetType() == ResourceDimension::BUFFER ? static_cast<GlBuffer*>(aResource) : nullptr;
            return buffer && buffer->IsUsableWith(aCore) ? buffer : nullptr;
        }

        GlTexture2D* AsTexture(Resource* aResource, const DeviceCore& aCore)
        {
            GlTexture2D* texture =
                aResource && aResource->GetType() == ResourceDimension::TEXTURE2D ? static_cast<GlTexture2D*>(aResource) : nullptr;
            return texture && texture->IsUsableWith(aCore) ? texture : nullptr;
        }

        void ApplyColorMask(GLuint anIndex, uint8_t aMask)
        {
            glColorMaski(anIndex, (aMask & COLOR_WRITE_ENABLE_RED) != 0, (aMask & COLOR_WRITE_ENABLE_GREEN) != 0,
                         (aMask & COLOR_WRITE_ENABLE_BLUE) != 0, (aMask & COLOR_WRITE_ENABLE_ALPHA) != 0);
        }

        const BlendDesc DEFAULT_BLEND{};
        const DepthStencilDesc DEFAULT_DEPTH{};
        const RasterizerDesc DEFAULT_RASTERIZER{};
    }

    GlDeviceContext::GlDeviceContext(GlDevice& aDevice)
        : myDevice(&aDevice)
        , myCore(aDevice.Core())
    {
        glCreateProgramPipelines(1, &myPipeline);
        glBindProgramPipeline(myPipeline);
        glCreateVertexArrays(1, &myEmptyVertexArray);
        glCreateFramebuffers(1, &myDrawFramebuffer);
        glCreateFramebuffers(1, &myClearFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, myDrawFramebuffer);

        // The sampler a texture unit gets when no sampler is bound: linear filtering, clamped.
        glCreateSamplers(1, &myDefaultSampler);
        glSamplerParameteri(myDefaultSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(myDefaultSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(myDefaultSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(myDefaultSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(myDefaultSampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

        // What a shader reads from an empty slot: transparent black, for flat and cube samplers alike.
        const uint8_t transparent[4] = {0, 0, 0, 0};
        glCreateTextures(GL_TEXTURE_2D, 1, &myNullTexture2D);
        glTextureStorage2D(myNullTexture2D, 1, GL_RGBA8, 1, 1);
        glTextureSubImage2D(myNullTexture2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, transparent);
        glCreateTextures(GL_TEXTURE_CUBE_MAP, 1, &myNullTextureCube);
        glTextureStorage2D(myNullTextureCube, 1, GL_RGBA8, 1, 1);
        for (GLint face = 0; face < 6; ++face)
            glTextureSubImage3D(myNullTextureCube, 0, 0, 0, face, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, transparent);

        myHasClampedOffset = epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_ARB_polygon_offset_clamp") ||
                             epoxy_has_gl_extension("GL_EXT_polygon_offset_clamp");
    }

    GlDeviceContext::~GlDeviceContext()
    {
        ClearState();
        for (auto& applied : myAppliedRenderTargets)
            applied.Reset();
        myAppliedDepthTarget.Reset();
        for (auto& applied : myAppliedShaderResources)
            applied.Reset();
        for (auto& applied : myAppliedSamplers)
            applied.Reset();
        for (auto& applied : myAppliedConstantBuffers)
            applied.Reset();
        myAppliedVertexShader.Reset();
        myAppliedPixelShader.Reset();
        myEmptyArrayIndexBuffer.Reset();
        myCore->DeleteName(GlKind::PIPELINE, myPipeline);
        myCore->DeleteName(GlKind::VERTEX_ARRAY, myEmptyVertexArray);
        myCore->DeleteName(GlKind::FRAMEBUFFER, myDrawFramebuffer);
        myCore->DeleteName(GlKind::FRAMEBUFFER, myClearFramebuffer);
        myCore->DeleteName(GlKind::SAMPLER, myDefaultSampler);
        myCore->DeleteName(GlKind::TEXTURE, myNullTexture2D);
        myCore->DeleteName(GlKind::TEXTURE, myNullTextureCube);
        myDevice->ForgetContext();
    }

    Result GlDeviceContext::Reject()
    {
        ++myStatistics.rejectedCalls;
        return RESULT_INVALID_ARG;
    }

    // ---- Input assembler

    void GlDeviceContext::IASetInputLayout(InputLayout* aLayout)
    {
        ++myStatistics.inputLayoutBinds;
        GlInputLayout* layout = static_cast<GlInputLayout*>(aLayout);
        if (layout == myInputLayout.Get())
            return;
        myInputLayout = layout;
        if (layout)
            layout->EnsureGl();
        myDirty |= DIRTY_VERTEX_INPUT;
    }

    Result GlDeviceContext::IASetVertexBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers, const uint32_t* someStrides,
                                               const uint32_t* someOffsets)
    {
        ++myStatistics.vertexBufferBinds;
        if (aStartSlot >= MAX_VERTEX_BUFFER_SLOTS || aCount > MAX_VERTEX_BUFFER_SLOTS - aStartSlot)
            return Reject();
        if (aCount > 0 && (!someBuffers || !someStrides || !someOffsets))
            return Reject();
        if (!AllBindableAs(someBuffers, aCount, BIND_VERTEX_BUFFER))
            return Reject();
        for (uint32_t i = 0; i < aCount; ++i)
        {
            GlBuffer* buffer = static_cast<GlBuffer*>(someBuffers[i]);
            if (buffer)
                buffer->EnsureGl();
            myVertexBuffers[aStartSlot + i] = buffer;
            myStrides[aStartSlot + i] = someStrides[i];
            myOffsets[aStartSlot + i] = someOffsets[i];
        }
        myDirty |= DIRTY_VERTEX_INPUT;
        return RESULT_OK;
    }

    Result GlDeviceContext::IASetIndexBuffer(Buffer* aBuffer, Format aFormat, uint32_t anOffset)
    {
        ++myStatistics.indexBufferBinds;
        GlBuffer* buffer = static_cast<GlBuffer*>(aBuffer);
        if (buffer && (!(buffer->Desc().bindFlags & BIND_INDEX_BUFFER) || (aFormat != Format::R16_UINT && aFormat != Format::R32_UINT)))
            return Reject();
        if (buffer)
            buffer->EnsureGl();
        myIndexBuffer = buffer;
        myIndexFormat = aFormat;
        myIndexOffset = anOffset;
        myDirty |= DIRTY_VERTEX_INPUT;
        return RESULT_OK;
    }

    void GlDeviceContext::IASetPrimitiveTopology(PrimitiveTopology aTopology)
    {
        ++myStatistics.topologySets;
        myTopology = aTopology;
    }

    // ---- Shaders and their resources

    void GlDeviceContext::VSSetShader(VertexShader* aShader)
    {
        ++myStatistics.shaderBinds;
        myVertexShader = static_cast<GlVertexShader*>(aShader);
        myDirty |= DIRTY_PROGRAM;
    }

    void GlDeviceContext::PSSetShader(PixelShader* aShader)
    {
        ++myStatistics.shaderBinds;
        myPixelShader = static_cast<GlPixelShader*>(aShader);
        myDirty |= DIRTY_PROGRAM;
    }

    Result GlDeviceContext::SetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers)
    {
        ++myStatistics.constantBufferBinds;
        if (aStartSlot >= MAX_CONSTANT_BUFFER_SLOTS || aCount > MAX_CONSTANT_BUFFER_SLOTS - aStartSlot || (aCount > 0 && !someBuffers))
            return Reject();
        if (!AllBindableAs(someBuffers, aCount, BIND_CONSTANT_BUFFER))
            return Reject();
        for (uint32_t i = 0; i < aCount; ++i)
        {
            GlBuffer* buffer = static_cast<GlBuffer*>(someBuffers[i]);
            if (buffer)
                buffer->EnsureGl();
            myConstantBuffers[aStartSlot + i] = buffer;
            myDirtyConstantBuffers |= 1u << (aStartSlot + i);
        }
        return RESULT_OK;
    }

    Result GlDeviceContext::VSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers)
    {
        return SetConstantBuffers(aStartSlot, aCount, someBuffers);
    }

    Result GlDeviceContext::PSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers)
    {
        return SetConstantBuffers(aStartSlot, aCount, someBuffers);
    }

    bool GlDeviceContext::IsBoundAsTarget(const GlTexture2D& aTexture) const
    {
        for (const auto& target : myRenderTargets)
        {
            if (target && &target->Texture() == &aTexture)
                return true;
        }
        return myDepthTarget && &myDepthTarget->Texture() == &aTexture;
    }

    Result GlDeviceContext::SetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews)
    {
        ++myStatistics.shaderResourceBinds;
        if (aStartSlot >= MAX_SHADER_RESOURCE_SLOTS || aCount > MAX_SHADER_RESOURCE_SLOTS - aStartSlot || (aCount > 0 && !someViews))
            return Reject();
        for (uint32_t i = 0; i < aCount; ++i)
        {
            GlShaderResourceView* view = static_cast<GlShaderResourceView*>(someViews[i]);
            // A texture being rendered to cannot be read at the same time: it is bound as null.
            if (view && IsBoundAsTarget(view->Texture()))
                view = nullptr;
            if (view)
                view->EnsureGl();
            myShaderResources[aStartSlot + i] = view;
            myDirtyTextures |= 1u << (aStartSlot + i);
        }
        myDirty |= DIRTY_SAMPLERS;
        return RESULT_OK;
    }

    Result GlDeviceContext::VSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews)
    {
        return SetShaderResources(aStartSlot, aCount, someViews);
    }

    Result GlDeviceContext::PSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews)
    {
        return SetShaderResources(aStartSlot, aCount, someViews);
    }

    Result GlDeviceContext::SetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers)
    {
        ++myStatistics.samplerBinds;
        if (aStartSlot >= MAX_SAMPLER_SLOTS || aCount > MAX_SAMPLER_SLOTS - aStartSlot || (aCount > 0 && !someSamplers))
            return Reject();
        for (uint32_t i = 0; i < aCount; ++i)
        {
            GlSamplerState* sampler = static_cast<GlSamplerState*>(someSamplers[i]);
            if (sampler)
                sampler->EnsureGl();
            mySamplers[aStartSlot + i] = sampler;
        }
        myDirty |= DIRTY_SAMPLERS;
        return RESULT_OK;
    }

    Result GlDeviceContext::VSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers)
    {
        return SetSamplers(aStartSlot, aCount, someSamplers);
    }

    Result GlDeviceContext::PSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers)
    {
        return SetSamplers(aStartSlot, aCount, someSamplers);
    }

    // ---- Output merger and rasterizer

    Result GlDeviceContext::OMSetRenderTargets(uint32_t aCount, RenderTargetView* const* someViews, DepthStencilView* aDepthView)
    {
        ++myStatistics.renderTargetBinds;
        if (aCount > MAX_RENDER_TARGETS || (aCount > 0 && !someViews))
            return Reject();
        for (uint32_t i = 0; i < MAX_RENDER_TARGETS; ++i)
        {
            GlRenderTargetView* view = i < aCount ? static_cast<GlRenderTargetView*>(someViews[i]) : nullptr;
            if (view)
                view->EnsureGl();
            myRenderTargets[i] = view;
        }
        GlDepthStencilView* depth = static_cast<GlDepthStencilView*>(aDepthView);
        if (depth)
            depth->EnsureGl();
        myDepthTarget = depth;
        // Textures now written to are unbound from every shader slot.
        for (uint32_t slot = 0; slot < MAX_SHADER_RESOURCE_SLOTS; ++slot)
        {
            if (myShaderResources[slot] && IsBoundAsTarget(myShaderResources[slot]->Texture()))
            {
                myShaderResources[slot].Reset();
                myDirtyTextures |= 1u << slot;
            }
        }
        myDirty |= DIRTY_TARGETS;
        return RESULT_OK;
    }

    void GlDeviceContext::OMSetBlendState(BlendState* aState, const float aBlendFactor[4], uint32_t /*aSampleMask*/)
    {
        ++myStatistics.blendStateBinds;
        myBlendState = static_cast<GlBlendState*>(aState);
        for (int i = 0; i < 4; ++i)
            myBlendFactor[i] = aBlendFactor ? aBlendFactor[i] : 1.0f;
        myDirty |= DIRTY_BLEND;
    }

    void GlDeviceContext::OMSetDepthStencilState(DepthStencilState* aState, uint32_t /*aStencilRef*/)
    {
        ++myStatistics.depthStencilStateBinds;
        myDepthState = static_cast<GlDepthStencilState*>(aState);
        myDirty |= DIRTY_DEPTH;
    }

    void GlDeviceContext::RSSetState(RasterizerState* aState)
    {
        ++myStatistics.rasterizerStateBinds;
        myRasterizerState = static_cast<GlRasterizerState*>(aState);
        myDirty |= DIRTY_RASTERIZER;
    }

    Result GlDeviceContext::RSSetViewports(uint32_t aCount, const Viewport* someViewports)
    {
        ++myStatistics.viewportSets;
        if (aCount > 16 || (aCount > 0 && !someViewports))
            return Reject();
        myViewport = aCount > 0 ? someViewports[0] : Viewport{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        myDirty |= DIRTY_VIEWPORT;
        return RESULT_OK;
    }

    // ---- Clears

    void GlDeviceContext::ClearRenderTargetView(RenderTargetView* aView, const float aColor[4])
    {
        ++myStatistics.clears;
        GlRenderTargetView* view = static_cast<GlRenderTargetView*>(aView);
        if (!view || !aColor)
        {
            ++myStatistics.rejectedCalls;
            return;
        }
        const GLuint name = view->EnsureGl();
        if (name == 0)
            return;
        glNamedFramebufferTexture(myClearFramebuffer, GL_COLOR_ATTACHMENT0, name, 0);
        glNamedFramebufferDrawBuffer(myClearFramebuffer, GL_COLOR_ATTACHMENT0);
        // Clears write every channel whatever the blend state's write mask.
        glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearNamedFramebufferfv(myClearFramebuffer, GL_COLOR, 0, aColor);
        glNamedFramebufferTexture(myClearFramebuffer, GL_COLOR_ATTACHMENT0, 0, 0);
        myDirty |= DIRTY_BLEND;
    }

    void GlDeviceContext::ClearDepthStencilView(DepthStencilView* aView, uint32_t aClearFlags, float aDepth, uint8_t /*aStencil*/)
    {
        ++myStatistics.clears;
        GlDepthStencilView* view = static_cast<GlDepthStencilView*>(aView);
        if (!view)
        {
            ++myStatistics.rejectedCalls;
            return;
        }
        // No stencil bits exist, so only the depth part of a clear does anything.
        if (!(aClearFlags & CLEAR_DEPTH))
            return;
        const GLuint name = view->EnsureGl();
        if (name == 0)
            return;
        glNamedFramebufferTexture(myClearFramebuffer, GL_DEPTH_ATTACHMENT, name, static_cast<GLint>(view->MipSlice()));
        glNamedFramebufferDrawBuffer(myClearFramebuffer, GL_NONE);
        glDepthMask(GL_TRUE);
        const float depth = aDepth < 0.0f ? 0.0f : (aDepth > 1.0f ? 1.0f : aDepth);
        glClearNamedFramebufferfv(myClearFramebuffer, GL_DEPTH, 0, &depth);
        glNamedFramebufferTexture(myClearFramebuffer, GL_DEPTH_ATTACHMENT, 0, 0);
        myDirty |= DIRTY_DEPTH;
    }

    // ---- Resource contents

    Result GlDeviceContext::Map(Resource* aResource, uint32_t aSubresource, MapType aType, uint32_t /*aFlags*/, MappedSubresource* aMapped)
    {
        ++myStatistics.maps;
        if (!aMapped)
            return Reject();
        *aMapped = MappedSubresource();
        const bool reads = aType == MapType::READ || aType == MapType::READ_WRITE;
        const bool writes = aType != MapType::READ;
        if (GlBuffer* buffer = AsBuffer(aResource, *myCore))
        {
            const BufferDesc& desc = buffer->Desc();
            if (aSubresource != 0 || buffer->myIsMapped)
                return RESULT_INVALID_CALL;
            if (desc.usage == Usage::DYNAMIC)
            {
                if (aType != MapType::WRITE_DISCARD && aType != MapType::WRITE_NO_OVERWRITE)
                    return RESULT_INVALID_CALL;
            }
            else if (desc.usage == Usage::STAGING)
            {
                if ((reads && !(desc.cpuAccessFlags & CPU_ACCESS_READ)) || (writes && !(desc.cpuAccessFlags & CPU_ACCESS_WRITE)) ||
                    aType == MapType::WRITE_DISCARD || aType == MapType::WRITE_NO_OVERWRITE)
                    return RESULT_INVALID_CALL;
            }
            else
            {
                return RESULT_INVALID_CALL;
            }
            buffer->myIsMapped = true;
            buffer->myMapType = aType;
            aMapped->data = buffer->myShadow.data();
            aMapped->rowPitch = desc.byteWidth;
            aMapped->depthPitch = desc.byteWidth;
            return RESULT_OK;
        }
        GlTexture2D* texture = AsTexture(aResource, *myCore);
        if (!texture)
            return Reject();
        const Texture2DDesc& desc = texture->Desc();
        if (aSubresource >= texture->SubresourceCount() || texture->myMappedSubresource >= 0)
            return RESULT_INVALID_CALL;
        if (desc.usage == Usage::DYNAMIC)
        {
            if (aType != MapType::WRITE_DISCARD)
                return RESULT_INVALID_CALL;
            if (texture->myShadow.size() < texture->SubresourceCount())
                texture->myShadow.resize(texture->SubresourceCount());
            texture->myShadow[aSubresource].resize(texture->SubresourceSize(aSubresource));
        }
        else if (desc.usage == Usage::STAGING)
        {
            if ((reads && !(desc.cpuAccessFlags & CPU_ACCESS_READ)) || (writes && !(desc.cpuAccessFlags & CPU_ACCESS_WRITE)) ||
                aType == MapType::WRITE_DISCARD || aType == MapType::WRITE_NO_OVERWRITE)
                return RESULT_INVALID_CALL;
        }
        else
        {
            return RESULT_INVALID_CALL;
        }
        texture->myMappedSubresource = static_cast<int32_t>(aSubresource);
        texture->myMapType = aType;
        const uint32_t mip = texture->MipOf(aSubresource);
        aMapped->data = texture->myShadow[aSubresource].data();
        aMapped->rowPitch = GetRowPitch(desc.format, MipSize(desc.width, mip));
        aMapped->depthPitch = texture->SubresourceSize(aSubresource);
        return RESULT_OK;
    }

    void GlDeviceContext::Unmap(Resource* aResource, uint32_t aSubresource)
    {
        if (GlBuffer* buffer = AsBuffer(aResource, *myCore))
        {
            if (!buffer->myIsMapped || aSubresource != 0)
                return;
            buffer->myIsMapped = false;
            if (buffer->Desc().usage == Usage::DYNAMIC)
            {
                const GLuint name = buffer->EnsureGl();
                if (name == 0)
                    return;
                if (buffer->myMapType == MapType::WRITE_DISCARD)
                    glInvalidateBufferData(name);
                glNamedBufferSubData(name, 0, static_cast<GLsizeiptr>(buffer->myShadow.size()), buffer->myShadow.data());
            }
            return;
        }
        GlTexture2D* texture = AsTexture(aResource, *myCore);
        if (!texture || texture->myMappedSubresource != static_cast<int32_t>(aSubresource))
            return;
        texture->myMappedSubresource = -1;
        if (texture->Desc().usage == Usage::DYNAMIC && texture->EnsureGl() != 0)
            texture->Upload(aSubresource, texture->myShadow[aSubresource].data());
    }

    Result GlDeviceContext::UpdateSubresource(Resource* aDestination, uint32_t aSubresource, const void* someData, uint32_t aRowPitch,
                                              uint32_t /*aDepthPitch*/)
    {
        if (!someData)
            return Reject();
        if (GlBuffer* buffer = AsBuffer(aDestination, *myCore))
        {
            if (buffer->Desc().usage != Usage::DEFAULT || aSubresource != 0)
                return RESULT_INVALID_CALL;
            const GLuint name = buffer->EnsureGl();
            if (name != 0)
                glNamedBufferSubData(name, 0, buffer->Desc().byteWidth, someData);
            return RESULT_OK;
        }
        GlTexture2D* texture = AsTexture(aDestination, *myCore);
        if (!texture)
            return Reject();
        const Texture2DDesc& desc = texture->Desc();
        if (desc.usage != Usage::DEFAULT || aSubresource >= texture->SubresourceCount())
            return RESULT_INVALID_CALL;
        const uint32_t mip = texture->MipOf(aSubresource);
        const uint32_t rowBytes = GetRowPitch(desc.format, MipSize(desc.width, mip));
        const uint32_t rows = GetRowCount(desc.format, MipSize(desc.height, mip));
        if (rows > 1 && aRowPitch < rowBytes)
            return Reject();
        std::vector<uint8_t> packed(static_cast<size_t>(rowBytes) * rows);
        const uint8_t* source = static_cast<const uint8_t*>(someData);
        for (uint32_t row = 0; row < rows; ++row)
            std::memcpy(packed.data() + static_cast<size_t>(row) * rowBytes, source + static_cast<size_t>(row) * aRowPitch, rowBytes);
        if (texture->EnsureGl() != 0)
            texture->Upload(aSubresource, packed.data());
        return RESULT_OK;
    }

    Result GlDeviceContext::CopyResource(Resource* aDestination, Resource* aSource)
    {
        if (!aDestination || !aSource || aDestination == aSource || aDestination->GetType() != aSource->GetType())
            return Reject();
        if (GlBuffer* destination = AsBuffer(aDestination, *myCore))
        {
            GlBuffer* source = AsBuffer(aSource, *myCore);
            if (!source)
                return Reject();
            const BufferDesc& to = destination->Desc();
            const BufferDesc& from = source->Desc();
            if (to.byteWidth != from.byteWidth || to.usage == Usage::IMMUTABLE || destination->myIsMapped || source->myIsMapped)
                return RESULT_INVALID_CALL;
            const GLsizeiptr size = to.byteWidth;
            const bool toStaging = to.usage == Usage::STAGING;
            const bool fromStaging = from.usage == Usage::STAGING;
            if (toStaging && fromStaging)
                destination->myShadow = source->myShadow;
            else if (toStaging)
                glGetNamedBufferSubData(source->EnsureGl(), 0, size, destination->myShadow.data());
            else if (fromStaging)
                glNamedBufferSubData(destination->EnsureGl(), 0, size, source->myShadow.data());
            else
                glCopyNamedBufferSubData(source->EnsureGl(), destination->EnsureGl(), 0, 0, size);
            if (to.usage == Usage::DYNAMIC && !toStaging)
                glGetNamedBufferSubData(destination->EnsureGl(), 0, size, destination->myShadow.data());
            return RESULT_OK;
        }
        GlTexture2D* destination = AsTexture(aDestination, *myCore);
        GlTexture2D* source = AsTexture(aSource, *myCore);
        if (!destination || !source)
            return Reject();
        const Texture2DDesc& to = destination->Desc();
        const Texture2DDesc& from = source->Desc();
        if (to.width != from.width || to.height != from.height || to.mipLevels != from.mipLevels || to.arraySize != from.arraySize ||
            !AreViewCompatible(to.format, from.format) || to.usage == Usage::IMMUTABLE || destination->myMappedSubresource >= 0 ||
            source->myMappedSubresource >= 0)
            return RESULT_INVALID_CALL;
        const bool toStaging = to.usage == Usage::STAGING;
        const bool fromStaging = from.usage == Usage::STAGING;
        for (uint32_t i = 0; i < destination->SubresourceCount(); ++i)
        {
            if (toStaging && fromStaging)
            {
                destination->myShadow[i] = source->myShadow[i];
            }
            else if (toStaging)
            {
                if (!source->Download(i, destination->myShadow[i].data(), static_cast<uint32_t>(destination->myShadow[i].size())))
                    return RESULT_FAIL;
            }
            else if (fromStaging)
            {
                if (destination->EnsureGl() != 0)
                    destination->Upload(i, source->myShadow[i].data());
            }
            else
            {
                const GLuint from = source->EnsureGl();
                const GLuint into = destination->EnsureGl();
                if (from == 0 || into == 0)
                    return RESULT_FAIL;
                const uint32_t mip = source->MipOf(i);
                const GLint slice = static_cast<GLint>(source->SliceOf(i));
                glCopyImageSubData(from, source->Target(), static_cast<GLint>(mip), 0, 0, slice, into, destination->Target(),
                                   static_cast<GLint>(mip), 0, 0, slice, static_cast<GLsizei>(MipSize(source->Desc().width, mip)),
                                   static_cast<GLsizei>(MipSize(source->Desc().height, mip)), 1);
            }
        }
        return RESULT_OK;
    }

    void GlDeviceContext::GenerateMips(ShaderResourceView* aView)
    {
        GlShaderResourceView* view = static_cast<GlShaderResourceView*>(aView);
        if (!view)
            return;
        GlTexture2D& texture = view->Texture();
        if (texture.Info().compressed || texture.Desc().mipLevels < 2)
            return;
        const GLuint name = texture.EnsureGl();
        if (name != 0)
            glGenerateTextureMipmap(name);
    }

    // ---- Draws

    GLenum GlDeviceContext::DrawMode() const
    {
        switch (myTopology)
        {
        case PrimitiveTopology::POINTLIST: return GL_POINTS;
        case PrimitiveTopology::LINELIST: return GL_LINES;
        case PrimitiveTopology::LINESTRIP: return GL_LINE_STRIP;
        case PrimitiveTopology::TRIANGLELIST: return GL_TRIANGLES;
        case PrimitiveTopology::TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
        case PrimitiveTopology::UNDEFINED: break;
        }
        return GL_NONE;
    }

    bool GlDeviceContext::PrepareDraw()
    {
        if (DrawMode() == GL_NONE)
            return false;
        if ((myDirty & DIRTY_PROGRAM) && !ApplyProgram())
            return false;
        if (!myAppliedVertexShader)
            return false;
        if ((myDirty & DIRTY_TARGETS) && !ApplyTargets())
            return false;
        // With nothing to draw into, a draw does nothing.
        bool anyTarget = myAppliedDepthTarget.Get() != nullptr;
        for (const auto& target : myAppliedRenderTargets)
            anyTarget = anyTarget || target.Get() != nullptr;
        if (!anyTarget)
            return false;
        if (myDirty & DIRTY_VERTEX_INPUT)
            ApplyVertexInput();
        if (myDirty & DIRTY_VIEWPORT)
            ApplyViewport();
        if (myDirty & DIRTY_BLEND)
            ApplyBlend();
        if (myDirty & DIRTY_DEPTH)
            ApplyDepth();
        if (myDirty & DIRTY_RASTERIZER)
            ApplyRasterizer();
        if (myDirtyTextures)
            ApplyTextures();
        if (myDirty & DIRTY_SAMPLERS)
            ApplySamplers();
        if (myDirtyConstantBuffers)
            ApplyConstantBuffers();
        return myViewport.width > 0.0f && myViewport.height > 0.0f;
    }

    bool GlDeviceContext::ApplyProgram()
    {
        const GLuint vertex = myVertexShader ? myVertexShader->EnsureGl() : 0;
        const GLuint pixel = myPixelShader ? myPixelShader->EnsureGl() : 0;
        // A shader GL refused draws nothing (a missing pixel shader is allowed: depth only).
        if (vertex == 0 || (myPixelShader && pixel == 0))
            return false;
        if (myAppliedVertexShader.Get() != myVertexShader.Get())
        {
            glUseProgramStages(myPipeline, GL_VERTEX_SHADER_BIT, vertex);
            myAppliedVertexShader = myVertexShader;
        }
        if (myAppliedPixelShader.Get() != myPixelShader.Get())
        {
            glUseProgramStages(myPipeline, GL_FRAGMENT_SHADER_BIT, pixel);
            myAppliedPixelShader = myPixelShader;
        }
        myDirty &= ~DIRTY_PROGRAM;
        return true;
    }

    void GlDeviceContext::ApplyVertexInput()
    {
        myDirty &= ~DIRTY_VERTEX_INPUT;
        GlInputLayout* layout = myInputLayout.Get();
        const GLuint vertexArray = layout ? layout->EnsureGl() : myEmptyVertexArray;
        if (vertexArray == 0)
            return;
        Ref<GlBuffer>& boundIndex = layout ? layout->myBoundIndexBuffer : myEmptyArrayIndexBuffer;
        if (layout)
        {
            for (uint32_t slot = 0; slot < MAX_VERTEX_BUFFER_SLOTS; ++slot)
            {
                if (!(layout->UsedSlots() & (1u << slot)))
                    continue;
                GlBuffer* buffer = myVertexBuffers[slot].Get();
                const GLintptr offset = buffer ? myOffsets[slot] : 0;
                const GLsizei stride = buffer ? static_cast<GLsizei>(myStrides[slot]) : 0;
                if (layout->myBoundBuffers[slot].Get() != buffer || layout->myBoundOffsets[slot] != offset || layout->myBoundStrides[slot] != stride)
                {
                    glVertexArrayVertexBuffer(vertexArray, slot, buffer ? buffer->EnsureGl() : 0, offset, stride);
                    layout->myBoundBuffers[slot] = buffer;
                    layout->myBoundOffsets[slot] = offset;
                    layout->myBoundStrides[slot] = stride;
                }
            }
            // An element whose slot has no buffer reads (0, 0, 0, 1) instead of memory that is not there.
            uint32_t enabled = 0;
            for (const GlInputElement& element : layout->Elements())
            {
                if (myVertexBuffers[element.slot])
                    enabled |= 1u << element.location;
            }
            if (enabled != layout->myEnabledLocations)
            {
                for (const GlInputElement& element : layout->Elements())
                {
                    const uint32_t bit = 1u << element.location;
                    if ((enabled & bit) != (layout->myEnabledLocations & bit))
                    {
                        if (enabled & bit)
                            glEnableVertexArrayAttrib(vertexArray, element.location);
                        else
                            glDisableVertexArrayAttrib(vertexArray, element.location);
                    }
                }
                layout->myEnabledLocations = enabled;
            }
        }
        if (boundIndex.Get() != myIndexBuffer.Get())
        {
            glVertexArrayElementBuffer(vertexArray, myIndexBuffer ? myIndexBuffer->EnsureGl() : 0);
            boundIndex = myIndexBuffer;
        }
        if (myAppliedVertexArray != vertexArray)
        {
            glBindVertexArray(vertexArray);
            myAppliedVertexArray = vertexArray;
        }
    }

    bool GlDeviceContext::ApplyTargets()
    {
        myDirty &= ~DIRTY_TARGETS;
        GLenum drawBuffers[MAX_RENDER_TARGETS];
        GLsizei drawBufferCount = 0;
        bool attachmentsChanged = false;
        for (uint32_t i = 0; i < MAX_RENDER_TARGETS; ++i)
        {
            GlRenderTargetView* view = myRenderTargets[i].Get();
            if (myAppliedRenderTargets[i].Get() != view)
            {
                glNamedFramebufferTexture(myDrawFramebuffer, GL_COLOR_ATTACHMENT0 + i, view ? view->EnsureGl() : 0, 0);
                myAppliedRenderTargets[i] = view;
                attachmentsChanged = true;
            }
            drawBuffers[i] = view ? GL_COLOR_ATTACHMENT0 + i : GL_NONE;
            if (view)
                drawBufferCount = static_cast<GLsizei>(i + 1);
        }
        if (myAppliedDepthTarget.Get() != myDepthTarget.Get())
        {
            GlDepthStencilView* depth = myDepthTarget.Get();
            glNamedFramebufferTexture(myDrawFramebuffer, GL_DEPTH_ATTACHMENT, depth ? depth->EnsureGl() : 0,
                                      depth ? static_cast<GLint>(depth->MipSlice()) : 0);
            myAppliedDepthTarget = myDepthTarget;
            attachmentsChanged = true;
        }
        if (attachmentsChanged)
        {
            if (drawBufferCount == 0)
                glNamedFramebufferDrawBuffer(myDrawFramebuffer, GL_NONE);
            else
                glNamedFramebufferDrawBuffers(myDrawFramebuffer, drawBufferCount, drawBuffers);
        }
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, myDrawFramebuffer);
        return true;
    }

    void GlDeviceContext::ApplyViewport()
    {
        myDirty &= ~DIRTY_VIEWPORT;
        // Window rows run top down (upper-left clip origin), so the top-left corner is the GL origin as it is.
        glViewportIndexedf(0, myViewport.topLeftX, myViewport.topLeftY, myViewport.width, myViewport.height);
        glDepthRangeIndexed(0, myViewport.minDepth, myViewport.maxDepth);
    }

    void GlDeviceContext::ApplyBlend()
    {
        myDirty &= ~DIRTY_BLEND;
        const BlendDesc& desc = myBlendState ? myBlendState->Desc() : DEFAULT_BLEND;
        if (desc.independentBlendEnable)
        {
            for (GLuint i = 0; i < MAX_RENDER_TARGETS; ++i)
            {
                const RenderTargetBlendDesc& row = desc.renderTarget[i];
                if (row.blendEnable)
                {
                    glEnablei(GL_BLEND, i);
                    glBlendFuncSeparatei(i, ToGlBlend(row.srcBlend), ToGlBlend(row.destBlend), ToGlBlend(row.srcBlendAlpha),
                                         ToGlBlend(row.destBlendAlpha));
                    glBlendEquationSeparatei(i, ToGlBlendOp(row.blendOp), ToGlBlendOp(row.blendOpAlpha));
                }
                else
                {
                    glDisablei(GL_BLEND, i);
                }
                ApplyColorMask(i, row.renderTargetWriteMask);
            }
        }
        else
        {
            // One row for every target: the non-indexed calls set all draw buffers at once.
            const RenderTargetBlendDesc& row = desc.renderTarget[0];
            if (row.blendEnable)
            {
                glEnable(GL_BLEND);
                glBlendFuncSeparate(ToGlBlend(row.srcBlend), ToGlBlend(row.destBlend), ToGlBlend(row.srcBlendAlpha), ToGlBlend(row.destBlendAlpha));
                glBlendEquationSeparate(ToGlBlendOp(row.blendOp), ToGlBlendOp(row.blendOpAlpha));
            }
            else
            {
                glDisable(GL_BLEND);
            }
            const uint8_t mask = row.renderTargetWriteMask;
            glColorMask((mask & COLOR_WRITE_ENABLE_RED) != 0, (mask & COLOR_WRITE_ENABLE_GREEN) != 0, (mask & COLOR_WRITE_ENABLE_BLUE) != 0,
                        (mask & COLOR_WRITE_ENABLE_ALPHA) != 0);
        }
        glBlendColor(myBlendFactor[0], myBlendFactor[1], myBlendFactor[2], myBlendFactor[3]);
        if (desc.alphaToCoverageEnable)
            glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        else
            glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    }

    void GlDeviceContext::ApplyDepth()
    {
        myDirty &= ~DIRTY_DEPTH;
        const DepthStencilDesc& desc = myDepthState ? myDepthState->Desc() : DEFAULT_DEPTH;
        if (desc.depthEnable)
        {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(ToGlCompare(desc.depthFunc));
            glDepthMask(desc.depthWriteMask == DepthWriteMask::ALL ? GL_TRUE : GL_FALSE);
        }
        else
        {
            glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
        }
    }

    void GlDeviceContext::ApplyRasterizer()
    {
        myDirty &= ~DIRTY_RASTERIZER;
        const RasterizerDesc& desc = myRasterizerState ? myRasterizerState->Desc() : DEFAULT_RASTERIZER;
        glPolygonMode(GL_FRONT_AND_BACK, desc.fillMode == FillMode::WIREFRAME ? GL_LINE : GL_FILL);
        if (desc.cullMode == CullMode::NONE)
        {
            glDisable(GL_CULL_FACE);
        }
        else
        {
            glEnable(GL_CULL_FACE);
            glCullFace(desc.cullMode == CullMode::FRONT ? GL_FRONT : GL_BACK);
        }
        glFrontFace(desc.frontCounterClockwise ? COUNTER_CLOCKWISE_ON_SCREEN : CLOCKWISE_ON_SCREEN);
        if (desc.depthClipEnable)
            glDisable(GL_DEPTH_CLAMP);
        else
            glEnable(GL_DEPTH_CLAMP);
        const bool offset = desc.depthBias != 0 || desc.slopeScaledDepthBias != 0.0f;
        if (offset)
        {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glEnable(GL_POLYGON_OFFSET_LINE);
            if (myHasClampedOffset)
                glPolygonOffsetClamp(desc.slopeScaledDepthBias, static_cast<float>(desc.depthBias), desc.depthBiasClamp);
            else
                glPolygonOffset(desc.slopeScaledDepthBias, static_cast<float>(desc.depthBias));
        }
        else
        {
            glDisable(GL_POLYGON_OFFSET_FILL);
            glDisable(GL_POLYGON_OFFSET_LINE);
        }
    }

    void GlDeviceContext::ApplyTextures()
    {
        for (uint32_t unit = 0; unit < MAX_SHADER_RESOURCE_SLOTS; ++unit)
        {
            if (!(myDirtyTextures & (1u << unit)))
                continue;
            GlShaderResourceView* view = myShaderResources[unit].Get();
            if (myAppliedShaderResources[unit].Get() != view || !myAppliedTextureUnitSet[unit])
            {
                const GLuint name = view ? view->EnsureGl() : 0;
                if (name != 0)
                {
                    glBindTextureUnit(unit, name);
                }
                else
                {
                    glBindTextureUnit(unit, myNullTexture2D);
                    glBindTextureUnit(unit, myNullTextureCube);
                }
                myAppliedShaderResources[unit] = view;
                myAppliedTextureUnitSet[unit] = true;
            }
        }
        myDirtyTextures = 0;
    }

    void GlDeviceContext::ApplySamplers()
    {
        myDirty &= ~DIRTY_SAMPLERS;
        // The sampler in slot 0 filters every texture in use (the engine's shaders sample everything through it).
        for (uint32_t unit = 0; unit < MAX_SAMPLER_SLOTS; ++unit)
        {
            if (!myShaderResources[unit])
                continue;
            GlSamplerState* sampler = mySamplers[0] ? mySamplers[0].Get() : mySamplers[unit].Get();
            const bool useDefault = sampler == nullptr;
            if (myAppliedSamplers[unit].Get() == sampler && myAppliedDefaultSampler[unit] == useDefault)
                continue;
            glBindSampler(unit, sampler ? sampler->EnsureGl() : myDefaultSampler);
            myAppliedSamplers[unit] = sampler;
            myAppliedDefaultSampler[unit] = useDefault;
        }
    }

    void GlDeviceContext::ApplyConstantBuffers()
    {
        for (uint32_t slot = 0; slot < MAX_CONSTANT_BUFFER_SLOTS; ++slot)
        {
            if (!(myDirtyConstantBuffers & (1u << slot)))
                continue;
            GlBuffer* buffer = myConstantBuffers[slot].Get();
            if (myAppliedConstantBuffers[slot].Get() != buffer)
            {
                glBindBufferBase(GL_UNIFORM_BUFFER, slot, buffer ? buffer->EnsureGl() : 0);
                myAppliedConstantBuffers[slot] = buffer;
            }
        }
        myDirtyConstantBuffers = 0;
    }

    void GlDeviceContext::Draw(uint32_t aVertexCount, uint32_t aStartVertex)
    {
        ++myStatistics.drawCalls;
        if (aVertexCount == 0)
            return;
        if (!PrepareDraw())
        {
            ++myStatistics.skippedDraws;
            return;
        }
        glDrawArrays(DrawMode(), static_cast<GLint>(aStartVertex), static_cast<GLsizei>(aVertexCount));
    }

    void GlDeviceContext::DrawInstanced(uint32_t aVertexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartVertex,
                                        uint32_t aStartInstance)
    {
        ++myStatistics.drawCalls;
        if (aVertexCountPerInstance == 0 || anInstanceCount == 0)
            return;
        if (!PrepareDraw())
        {
            ++myStatistics.skippedDraws;
            return;
        }
        glDrawArraysInstancedBaseInstance(DrawMode(), static_cast<GLint>(aStartVertex), static_cast<GLsizei>(aVertexCountPerInstance),
                                          static_cast<GLsizei>(anInstanceCount), aStartInstance);
    }

    void GlDeviceContext::DrawIndexed(uint32_t anIndexCount, uint32_t aStartIndex, int32_t aBaseVertex)
    {
        DrawIndexedInstanced(anIndexCount, 1, aStartIndex, aBaseVertex, 0);
    }

    void GlDeviceContext::DrawIndexedInstanced(uint32_t anIndexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartIndex,
                                               int32_t aBaseVertex, uint32_t aStartInstance)
    {
        ++myStatistics.drawCalls;
        if (anIndexCountPerInstance == 0 || anInstanceCount == 0)
            return;
        if (!myIndexBuffer || !PrepareDraw())
        {
            ++myStatistics.skippedDraws;
            return;
        }
        const bool shortIndices = myIndexFormat == Format::R16_UINT;
        const uint64_t indexSize = shortIndices ? 2 : 4;
        const uint64_t first = myIndexOffset + static_cast<uint64_t>(aStartIndex) * indexSize;
        // Indices past the end of the buffer would be read from nowhere: such a draw is refused.
        if (first + static_cast<uint64_t>(anIndexCountPerInstance) * indexSize > myIndexBuffer->Desc().byteWidth)
        {
            ++myStatistics.skippedDraws;
            return;
        }
        glDrawElementsInstancedBaseVertexBaseInstance(DrawMode(), static_cast<GLsizei>(anIndexCountPerInstance),
                                                      shortIndices ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                                      reinterpret_cast<const void*>(static_cast<uintptr_t>(first)),
                                                      static_cast<GLsizei>(anInstanceCount), aBaseVertex, aStartInstance);
    }

    void GlDeviceContext::ClearState()
    {
        myInputLayout.Reset();
        for (uint32_t i = 0; i < MAX_VERTEX_BUFFER_SLOTS; ++i)
        {
            myVertexBuffers[i].Reset();
            myStrides[i] = 0;
            myOffsets[i] = 0;
        }
        myIndexBuffer.Reset();
        myIndexFormat = Format::R32_UINT;
        myIndexOffset = 0;
        myTopology = PrimitiveTopology::UNDEFINED;
        myVertexShader.Reset();
        myPixelShader.Reset();
        for (auto& buffer : myConstantBuffers)
            buffer.Reset();
        for (auto& view : myShaderResources)
            view.Reset();
        for (auto& sampler : mySamplers)
            sampler.Reset();
        for (auto& target : myRenderTargets)
            target.Reset();
        myDepthTarget.Reset();
        myBlendState.Reset();
        for (float& factor : myBlendFactor)
            factor = 1.0f;
        myDepthState.Reset();
        myRasterizerState.Reset();
        myViewport = Viewport{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        myDirty = DIRTY_ALL;
        myDirtyTextures = 0xFFFFu;
        myDirtyConstantBuffers = 0xFFFFu;
        if (myCore->CanCallGl())
        {
            // Let go of what GL holds too, so released resources really go now.
            ApplyTargets();
            ApplyTextures();
            ApplyConstantBuffers();
            myDirty |= DIRTY_TARGETS;
            myCore->DeleteQueuedNames();
        }
    }

    void GlDeviceContext::Flush()
    {
        if (myCore->CanCallGl())
            glFlush();
    }
}
