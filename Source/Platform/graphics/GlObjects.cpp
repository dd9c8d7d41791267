#include "Platform/graphics/GlObjects.h"

#include <algorithm>
#include <cstdio>

namespace Vela::Gfx
{
    uint32_t Object::AddRef()
    {
        return myReferenceCount.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    uint32_t Object::Release()
    {
        const uint32_t left = myReferenceCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

    namespace
    {
        void DeleteNow(GlKind aKind, GLuint aName)
        {
            switch (aKind)
            {
            case GlKind::BUFFER: glDeleteBuffers(1, &aName); break;
            case GlKind::TEXTURE: glDeleteTextures(1, &aName); break;
            case GlKind::SAMPLER: glDeleteSamplers(1, &aName); break;
            case GlKind::PROGRAM: glDeleteProgram(aName); break;
            case GlKind::VERTEX_ARRAY: glDeleteVertexArrays(1, &aName); break;
            case GlKind::FRAMEBUFFER: glDeleteFramebuffers(1, &aName); break;
            case GlKind::PIPELINE: glDeleteProgramPipelines(1, &aName); break;
            }
        }

        void ClearGlErrors()
        {
            for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
            {
            }
        }

        void ApplySwizzle(GLuint aTexture, FormatSwizzle aSwizzle)
        {
            if (aSwizzle == FormatSwizzle::ALPHA_ONE)
            {
                glTextureParameteri(aTexture, GL_TEXTURE_SWIZZLE_A, GL_ONE);
            }
            else if (aSwizzle == FormatSwizzle::ALPHA_ONLY)
            {
                const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
                glTextureParameteriv(aTexture, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
            }
        }
    }

    namespace
    {
        std::atomic<uint64_t> ourCurrentGeneration{ 0 };
    }

    uint64_t DeviceCore::NextGeneration() { return ourCurrentGeneration.fetch_add(1, std::memory_order_acq_rel) + 1; }

    uint64_t DeviceCore::CurrentGeneration() { return ourCurrentGeneration.load(std::memory_order_acquire); }

    void DeviceCore::DeleteName(GlKind aKind, GLuint aName)
    {
        if (aName == 0 || !IsCurrent())
            return;
        if (IsRenderThread())
        {
            DeleteNow(aKind, aName);
            return;
        }
        std::lock_guard lock(deadMutex);
        deadNames.emplace_back(aKind, aName);
    }

    void DeviceCore::DeleteQueuedNames()
    {
        std::vector<std::pair<GlKind, GLuint>> names;
        {
            std::lock_guard lock(deadMutex);
            names.swap(deadNames);
        }
        if (!CanCallGl())
            return;
        for (const auto& [kind, name] : names)
            DeleteNow(kind, name);
    }

    uint32_t MipSize(uint32_t aSize, uint32_t aLevel)
    {
        const uint32_t size = aLevel < 32 ? aSize >> aLevel : 0;
        return size > 0 ? size : 1;
    }

    // ---- Buffers

    GlBuffer::GlBuffer(CorePointer aCore, const BufferDesc& aDesc, std::vector<uint8_t> someInitialData)
        : myCore(std::move(aCore))
        , myDesc(aDesc)
        , myPendingData(std::move(someInitialData))
    {
        if (myDesc.usage == Usage::DYNAMIC || myDesc.usage == Usage::STAGING)
        {
            myShadow = myPendingData;
            myShadow.resize(myDesc.byteWidth);
        }
        if (myDesc.usage == Usage::STAGING)
            myPendingData.clear();
        if (myCore->CanCallGl())
            EnsureGl();
    }

    GlBuffer::~GlBuffer()
    {
        myCore->DeleteName(GlKind::BUFFER, myName);
    }

    void GlBuffer::GetDesc(BufferDesc* aDesc) const
    {
        if (aDesc)
            *aDesc = myDesc;
    }

    GLuint GlBuffer::EnsureGl()
    {
        if (!myCore->CanCallGl())
            return 0;
        if (myIsMade || myDesc.usage == Usage::STAGING)
            return myName;
        myIsMade = true;
        ClearGlErrors();
        glCreateBuffers(1, &myName);
        const GLbitfield flags = myDesc.usage == Usage::IMMUTABLE ? 0 : GL_DYNAMIC_STORAGE_BIT;
        glNamedBufferStorage(myName, myDesc.byteWidth, myPendingData.empty() ? nullptr : myPendingData.data(), flags);
        if (glGetError() != GL_NO_ERROR)
        {
            std::printf("Gfx: a buffer of %u bytes could not be made\n", myDesc.byteWidth);
            glDeleteBuffers(1, &myName);
            myName = 0;
        }
        myPendingData.clear();
        myPendingData.shrink_to_fit();
        return myName;
    }

    // ---- Textures

    GlTexture2D::GlTexture2D(CorePointer aCore, const Texture2DDesc& aDesc, const FormatInfo& aFormat,
                             std::vector<std::vector<uint8_t>> someInitialData)
        : myCore(std::move(aCore))
        , myDesc(aDesc)
        , myFormat(&aFormat)
        , myPendingData(std::move(someInitialData))
    {
        myStorageFormat = aFormat.internalFormat;
        if (aFormat.family == FormatFamily::R32 && (myDesc.bindFlags & BIND_DEPTH_STENCIL))
            myStorageFormat = GL_DEPTH_COMPONENT32F;
        myTarget = (myDesc.miscFlags & MISC_TEXTURECUBE) ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
        if (myDesc.usage == Usage::STAGING)
        {
            myShadow.resize(SubresourceCount());
            for (uint32_t i = 0; i < SubresourceCount(); ++i)
            {
                if (i < myPendingData.size())
                    myShadow[i] = std::move(myPendingData[i]);
                myShadow[i].resize(SubresourceSize(i));
            }
            myPendingData.clear();
        }
        if (myCore->CanCallGl())
            EnsureGl();
    }

    GlTexture2D::~GlTexture2D()
    {
        myCore->DeleteName(GlKind::TEXTURE, myName);
    }

    void GlTexture2D::GetDesc(Texture2DDesc* aDesc) const
    {
        if (aDesc)
            *aDesc = myDesc;
    }

    uint32_t GlTexture2D::SubresourceSize(uint32_t aSubresource) const
    {
        const uint32_t mip = MipOf(aSubresource);
        return GetRowPitch(myDesc.format, MipSize(myDesc.width, mip)) * GetRowCount(myDesc.format, MipSize(myDesc.height, mip));
    }

    GLuint GlTexture2D::EnsureGl()
    {
        if (!myCore->CanCallGl())
            return 0;
        if (myIsMade || myDesc.usage == Usage::STAGING)
            return myName;
        myIsMade = true;
        ClearGlErrors();
        glCreateTextures(myTarget, 1, &myName);
        glTextureStorage2D(myName, static_cast<GLsizei>(myDesc.mipLevels), myStorageFormat, static_cast<GLsizei>(myDesc.width),
                           static_cast<GLsizei>(myDesc.height));
        if (glGetError() != GL_NO_ERROR)
        {
            std::printf("Gfx: a %u x %u texture of format %u could not be made\n", myDesc.width, myDesc.height,
                        static_cast<uint32_t>(myDesc.format));
            glDeleteTextures(1, &myName);
            myName = 0;
            myPendingData.clear();
            return 0;
        }
        ApplySwizzle(myName, myFormat->swizzle);
        for (uint32_t i = 0; i < myPendingData.size() && i < SubresourceCount(); ++i)
        {
            if (!myPendingData[i].empty())
                Upload(i, myPendingData[i].data());
        }
        myPendingData.clear();
        myPendingData.shrink_to_fit();
        return myName;
    }

    void GlTexture2D::Upload(uint32_t aSubresource, const uint8_t* someBytes)
    {
        if (myName == 0)
            return;
        const uint32_t mip = MipOf(aSubresource);
        const GLint slice = static_cast<GLint>(SliceOf(aSubresource));
        const GLsizei width = static_cast<GLsizei>(MipSize(myDesc.width, mip));
        const GLsizei height = static_cast<GLsizei>(MipSize(myDesc.height, mip));
        const GLint level = static_cast<GLint>(mip);
        if (myFormat->compressed)
        {
            const GLsizei size = static_cast<GLsizei>(SubresourceSize(aSubresource));
            if (IsCube())
                glCompressedTextureSubImage3D(myName, level, 0, 0, slice, width, height, 1, myStorageFormat, size, someBytes);
            else
                glCompressedTextureSubImage2D(myName, level, 0, 0, width, height, myStorageFormat, size, someBytes);
            return;
        }
        const bool depth = myStorageFormat == GL_DEPTH_COMPONENT32F;
        const GLenum format = depth ? GL_DEPTH_COMPONENT : myFormat->transferFormat;
        const GLenum type = depth ? GL_FLOAT : myFormat->transferType;
        if (IsCube())
            glTextureSubImage3D(myName, level, 0, 0, slice, width, height, 1, format, type, someBytes);
        else
            glTextureSubImage2D(myName, level, 0, 0, width, height, format, type, someBytes);
    }

    bool GlTexture2D::Download(uint32_t aSubresource, uint8_t* someBytes, uint32_t aSize)
    {
        if (EnsureGl() == 0 || aSize < SubresourceSize(aSubresource))
            return false;
        const uint32_t mip = MipOf(aSubresource);
        const GLint slice = static_cast<GLint>(SliceOf(aSubresource));
        const GLsizei width = static_cast<GLsizei>(MipSize(myDesc.width, mip));
        const GLsizei height = static_cast<GLsizei>(MipSize(myDesc.height, mip));
        const GLint level = static_cast<GLint>(mip);
        ClearGlErrors();
        if (myFormat->compressed)
        {
            glGetCompressedTextureSubImage(myName, level, 0, 0, slice, width, height, 1, static_cast<GLsizei>(aSize), someBytes);
        }
        else
        {
            const bool depth = myStorageFormat == GL_DEPTH_COMPONENT32F;
            const GLenum format = depth ? GL_DEPTH_COMPONENT : myFormat->transferFormat;
            const GLenum type = depth ? GL_FLOAT : myFormat->transferType;
            glGetTextureSubImage(myName, level, 0, 0, slice, width, height, 1, format, type, static_cast<GLsizei>(aSize), someBytes);
        }
        return glGetError() == GL_NO_ERROR;
    }

    // ---- Views

    GlTextureViewName::~GlTextureViewName()
    {
        if (myOwnsName && myCore)
            myCore->DeleteName(GlKind::TEXTURE, myName);
    }

    GLuint GlTextureViewName::Ensure(const CorePointer& aCore, GlTexture2D& aTexture, Format aFormat, GLenum aTarget, uint32_t aFirstMip,
                                     uint32_t aMipCount)
    {
        // The texture answers 0 once its device is gone: so does its view.
        const GLuint texture = aTexture.EnsureGl();
        if (texture == 0)
            return 0;
        if (myIsMade)
            return myName;
        myIsMade = true;
        myCore = aCore;
        const FormatInfo* info = FindFormatInfo(aFormat);
        const bool depthStorage = aTexture.StorageFormat() == GL_DEPTH_COMPONENT32F;
        const GLenum internal = depthStorage ? aTexture.StorageFormat() : info->internalFormat;
        const bool whole = aFirstMip == 0 && aMipCount == aTexture.Desc().mipLevels;
        if (depthStorage || (internal == aTexture.StorageFormat() && aTarget == aTexture.Target() && whole && info->swizzle == aTexture.Info().swizzle))
        {
            myName = texture;
            return myName;
        }
        glGenTextures(1, &myName);
        glTextureView(myName, aTarget, texture, internal, aFirstMip, aMipCount, 0, aTexture.IsCube() ? 6 : 1);
        ApplySwizzle(myName, info->swizzle);
        myOwnsName = true;
        return myName;
    }

    GlShaderResourceView::GlShaderResourceView(CorePointer aCore, GlTexture2D& aTexture, const ShaderResourceViewDesc& aDesc)
        : myCore(std::move(aCore))
        , myTexture(&aTexture)
        , myDesc(aDesc)
    {
        if (myCore->CanCallGl())
            EnsureGl();
    }

    void GlShaderResourceView::GetResource(Resource** aResource) const
    {
        if (!aResource)
            return;
        myTexture->AddRef();
        *aResource = myTexture.Get();
    }

    void GlShaderResourceView::GetDesc(ShaderResourceViewDesc* aDesc) const
    {
        if (aDesc)
            *aDesc = myDesc;
    }

    GLuint GlShaderResourceView::EnsureGl()
    {
        const GLenum target = myDesc.viewDimension == ViewDimension::TEXTURECUBE ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
        return myView.Ensure(myCore, *myTexture, myDesc.format, target, myDesc.mostDetailedMip, myDesc.mipLevels);
    }

    GlRenderTargetView::GlRenderTargetView(CorePointer aCore, GlTexture2D& aTexture, const RenderTargetViewDesc& aDesc)
        : myCore(std::move(aCore))
        , myTexture(&aTexture)
        , myDesc(aDesc)
    {
        if (myCore->CanCallGl())
            EnsureGl();
    }

    void GlRenderTargetView::GetResource(Resource** aResource) const
    {
        if (!aResource)
            return;
        myTexture->AddRef();
        *aResource = myTexture.Get();
    }

    void GlRenderTargetView::GetDesc(RenderTargetViewDesc* aDesc) const
    {
        if (aDesc)
            *aDesc = myDesc;
    }

    GLuint GlRenderTargetView::EnsureGl()
    {
        // The view covers one mip level, so framebuffers attach its level 0.
        return myView.Ensure(myCore, *myTexture, myDesc.format, GL_TEXTURE_2D, myDesc.mipSlice, 1);
    }

    GlDepthStencilView::GlDepthStencilView(CorePointer aCore, GlTexture2D& aTexture, const DepthStencilViewDesc& aDesc)
        : myTexture(&aTexture)
        , myDesc(aDesc)
    {
        if (aCore->CanCallGl())
            EnsureGl();
    }

    void GlDepthStencilView::GetResource(Resource** aResource) const
    {
        if (!aResource)
            return;
        myTexture->AddRef();
        *aResource = myTexture.Get();
    }

    void GlDepthStencilView::GetDesc(DepthStencilViewDesc* aDesc) const
    {
        if (aDesc)
            *aDesc = myDesc;
    }

    // ---- Samplers

    GlSamplerState::~GlSamplerState()
    {
        myCore->DeleteName(GlKind::SAMPLER, myName);
    }

    namespace
    {
        GLenum ToGlWrap(TextureAddressMode aMode)
        {
            switch (aMode)
            {
            case TextureAddressMode::WRAP: return GL_REPEAT;
            case TextureAddressMode::MIRROR: return GL_MIRRORED_REPEAT;
            case TextureAddressMode::CLAMP: return GL_CLAMP_TO_EDGE;
            case TextureAddressMode::BORDER: return GL_CLAMP_TO_BORDER;
            case TextureAddressMode::MIRROR_ONCE: return GL_MIRROR_CLAMP_TO_EDGE;
            }
            return GL_CLAMP_TO_EDGE;
        }
    }

    GLuint GlSamplerState::EnsureGl()
    {
        if (!myCore->CanCallGl())
            return 0;
        if (myName != 0)
            return myName;
        glCreateSamplers(1, &myName);
        const uint32_t filter = static_cast<uint32_t>(myDesc.filter);
        const bool minLinear = filter & 0x10;
        const bool magLinear = filter & 0x04;
        const bool mipLinear = filter & 0x01;
        const bool anisotropic = filter & 0x40;
        const bool comparison = filter & 0x80;
        const GLenum minFilter = minLinear ? (mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                           : (mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
        glSamplerParameteri(myName, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        glSamplerParameteri(myName, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        if (anisotropic && (epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic")))
            glSamplerParameterf(myName, GL_TEXTURE_MAX_ANISOTROPY, static_cast<float>(std::clamp(myDesc.maxAnisotropy, 1u, 16u)));
        glSamplerParameteri(myName, GL_TEXTURE_WRAP_S, static_cast<GLint>(ToGlWrap(myDesc.addressU)));
        glSamplerParameteri(myName, GL_TEXTURE_WRAP_T, static_cast<GLint>(ToGlWrap(myDesc.addressV)));
        glSamplerParameteri(myName, GL_TEXTURE_WRAP_R, static_cast<GLint>(ToGlWrap(myDesc.addressW)));
        glSamplerParameterf(myName, GL_TEXTURE_LOD_BIAS, myDesc.mipLODBias);
        glSamplerParameterf(myName, GL_TEXTURE_MIN_LOD, myDesc.minLOD);
        glSamplerParameterf(myName, GL_TEXTURE_MAX_LOD, myDesc.maxLOD);
        glSamplerParameterfv(myName, GL_TEXTURE_BORDER_COLOR, myDesc.borderColor);
        if (comparison)
        {
            glSamplerParameteri(myName, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
            glSamplerParameteri(myName, GL_TEXTURE_COMPARE_FUNC, static_cast<GLint>(ToGlCompare(myDesc.comparisonFunc)));
        }
        return myName;
    }

    GLenum ToGlCompare(ComparisonFunc aFunction)
    {
        switch (aFunction)
        {
        case ComparisonFunc::NEVER: return GL_NEVER;
        case ComparisonFunc::LESS: return GL_LESS;
        case ComparisonFunc::EQUAL: return GL_EQUAL;
        case ComparisonFunc::LESS_EQUAL: return GL_LEQUAL;
        case ComparisonFunc::GREATER: return GL_GREATER;
        case ComparisonFunc::NOT_EQUAL: return GL_NOTEQUAL;
        case ComparisonFunc::GREATER_EQUAL: return GL_GEQUAL;
        case ComparisonFunc::ALWAYS: return GL_ALWAYS;
        }
        return GL_ALWAYS;
    }

    // ---- Shaders

    GlShaderProgram::GlShaderProgram(CorePointer aCore, GLenum aStage, const void* aBytecode, size_t aLength)
        : myCore(std::move(aCore))
        , myStage(aStage)
        , myBytecode(static_cast<const uint8_t*>(aBytecode), static_cast<const uint8_t*>(aBytecode) + aLength)
    {
        if (myCore->CanCallGl())
            EnsureGl();
    }

    GlShaderProgram::~GlShaderProgram()
    {
        myCore->DeleteName(GlKind::PROGRAM, myProgram);
    }

    GLuint GlShaderProgram::EnsureGl()
    {
        if (!myCore->CanCallGl())
            return 0;
        if (myIsMade)
            return myProgram;
        myIsMade = true;
        const char* stageName = myStage == GL_VERTEX_SHADER ? "vertex" : "pixel";
        const GLuint shader = glCreateShader(myStage);
        glShaderBinary(1, &shader, GL_SHADER_BINARY_FORMAT_SPIR_V, myBytecode.data(), static_cast<GLsizei>(myBytecode.size()));
        glSpecializeShader(shader, "main", 0, nullptr, nullptr);
        GLint status = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
        if (status != GL_TRUE)
        {
            char log[512] = {};
            glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
            std::printf("Gfx: a %s shader could not be specialised: %s\n", stageName, log);
            glDeleteShader(shader);
            myBytecode.clear();
            return 0;
        }
        myProgram = glCreateProgram();
        glProgramParameteri(myProgram, GL_PROGRAM_SEPARABLE, GL_TRUE);
        glAttachShader(myProgram, shader);
        glLinkProgram(myProgram);
        glDetachShader(myProgram, shader);
        glDeleteShader(shader);
        glGetProgramiv(myProgram, GL_LINK_STATUS, &status);
        if (status != GL_TRUE)
        {
            char log[512] = {};
            glGetProgramInfoLog(myProgram, sizeof(log), nullptr, log);
            std::printf("Gfx: a %s shader could not be linked: %s\n", stageName, log);
            glDeleteProgram(myProgram);
            myProgram = 0;
        }
        myBytecode.clear();
        myBytecode.shrink_to_fit();
        return myProgram;
    }

    // ---- Input layouts

    GlInputLayout::GlInputLayout(CorePointer aCore, std::vector<GlInputElement> someElements, std::vector<uint32_t> someDivisors)
        : myCore(std::move(aCore))
        , myElements(std::move(someElements))
        , myDivisors(std::move(someDivisors))
    {
        for (const GlInputElement& element : myElements)
            myUsedSlots |= 1u << element.slot;
        if (myCore->CanCallGl())
            EnsureGl();
    }

    GlInputLayout::~GlInputLayout()
    {
        myCore->DeleteName(GlKind::VERTEX_ARRAY, myName);
    }

    GLuint GlInputLayout::EnsureGl()
    {
        if (!myCore->CanCallGl())
            return 0;
        if (myName != 0)
            return myName;
        glCreateVertexArrays(1, &myName);
        for (const GlInputElement& element : myElements)
        {
            const FormatInfo& format = *element.format;
            glEnableVertexArrayAttrib(myName, element.location);
            if (format.attributeInteger)
                glVertexArrayAttribIFormat(myName, element.location, format.attributeComponents, format.attributeType, element.offset);
            else
                glVertexArrayAttribFormat(myName, element.location, format.attributeComponents, format.attributeType,
                                          format.attributeNormalized ? GL_TRUE : GL_FALSE, element.offset);
            glVertexArrayAttribBinding(myName, element.location, element.slot);
        }
        for (uint32_t slot = 0; slot < myDivisors.size(); ++slot)
        {
            if (myUsedSlots & (1u << slot))
                glVertexArrayBindingDivisor(myName, slot, myDivisors[slot]);
        }
        return myName;
    }
}
