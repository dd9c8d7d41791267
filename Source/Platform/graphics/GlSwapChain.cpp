// The swap chain of one window and the creation of a device with it.
#include <SDL2/SDL.h>

#include <cstdio>

#include "Platform/graphics/GlContext.h"
#include "Platform/graphics/GlDevice.h"

namespace Vela::Gfx
{
    namespace
    {
        class GlSwapChain final : public SwapChain
        {
        public:
            GlSwapChain(GlDevice& aDevice, GlDeviceContext& aContext, SDL_Window* aWindow, const SwapChainDesc& aDesc)
                : myDevice(&aDevice)
                , myContext(&aContext)
                , myWindow(aWindow)
                , myDesc(aDesc)
            {
                glCreateFramebuffers(1, &myReadFramebuffer);
            }

            ~GlSwapChain() override
            {
                myBackBuffer.Reset();
                myDevice->Core()->DeleteName(GlKind::FRAMEBUFFER, myReadFramebuffer);
            }

            Result MakeBackBuffer()
            {
                int width = 0;
                int height = 0;
                SDL_GL_GetDrawableSize(myWindow, &width, &height);
                if (myDesc.width == 0)
                    myDesc.width = width > 0 ? static_cast<uint32_t>(width) : 1;
                if (myDesc.height == 0)
                    myDesc.height = height > 0 ? static_cast<uint32_t>(height) : 1;

                // The back buffer is a texture of our own in plain 8-bit storage: rendering goes through an sRGB
                // view of it, and Present shows it by a blit.
                Texture2DDesc desc;
                desc.width = myDesc.width;
                desc.height = myDesc.height;
                desc.mipLevels = 1;
                desc.arraySize = 1;
                desc.format = myDesc.format;
                desc.usage = Usage::DEFAULT;
                desc.bindFlags = BIND_RENDER_TARGET | BIND_SHADER_RESOURCE;
                Texture2D* texture = nullptr;
                const Result result = myDevice->CreateTexture2D(&desc, nullptr, &texture);
                if (Failed(result))
                    return result;
                myBackBuffer.Attach(static_cast<GlTexture2D*>(texture));
                return RESULT_OK;
            }

            void GetDesc(SwapChainDesc* aDesc) const override
            {
                if (aDesc)
                    *aDesc = myDesc;
            }

            Result GetBuffer(uint32_t anIndex, Texture2D** aTexture) override
            {
                if (!aTexture || anIndex != 0 || !myBackBuffer)
                    return RESULT_INVALID_ARG;
                myBackBuffer->AddRef();
                *aTexture = myBackBuffer.Get();
                return RESULT_OK;
            }

            Result Present(uint32_t aSyncInterval, uint32_t /*aFlags*/) override
            {
                myContext->Statistics().presents++;
                if (!myDevice->Core()->CanCallGl() || !myBackBuffer)
                    return RESULT_INVALID_CALL;
                const int interval = aSyncInterval > 0 ? 1 : 0;
                if (interval != mySwapInterval)
                {
                    // A driver without control over vertical sync keeps its own; presenting still works.
                    SDL_GL_SetSwapInterval(interval);
                    mySwapInterval = interval;
                }
                const GLuint texture = myBackBuffer->EnsureGl();
                int width = 0;
                int height = 0;
                SDL_GL_GetDrawableSize(myWindow, &width, &height);
                if (texture != 0 && width > 0 && height > 0)
                {
                    GLint drawFramebuffer = 0;
                    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
                    glNamedFramebufferTexture(myReadFramebuffer, GL_COLOR_ATTACHMENT0, texture, 0);
                    glNamedFramebufferReadBuffer(myReadFramebuffer, GL_COLOR_ATTACHMENT0);
                    // The bytes go to the screen as they are (they already hold sRGB), top row at the top.
                    glDisable(GL_FRAMEBUFFER_SRGB);
                    const GLint sourceWidth = static_cast<GLint>(myDesc.width);
                    const GLint sourceHeight = static_cast<GLint>(myDesc.height);
                    const bool sameSize = sourceWidth == width && sourceHeight == height;
                    glBlitNamedFramebuffer(myReadFramebuffer, 0, 0, 0, sourceWidth, sourceHeight, 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                                           sameSize ? GL_NEAREST : GL_LINEAR);
                    glEnable(GL_FRAMEBUFFER_SRGB);
                    glNamedFramebufferTexture(myReadFramebuffer, GL_COLOR_ATTACHMENT0, 0, 0);
                    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
                }
                SDL_GL_SwapWindow(myWindow);
                myDevice->Core()->DeleteQueuedNames();
                return RESULT_OK;
            }

            Result ResizeBuffers(uint32_t aBufferCount, uint32_t aWidth, uint32_t aHeight, Format aFormat, uint32_t /*aFlags*/) override
            {
                if (!myDevice->Core()->CanCallGl())
                    return RESULT_INVALID_CALL;
                if (aFormat != Format::UNKNOWN && aFormat != Format::B8G8R8A8_UNORM && aFormat != Format::R8G8B8A8_UNORM)
                    return RESULT_INVALID_ARG;
                // As the original interface requires: nothing but the swap chain may still hold the back buffer.
                if (myBackBuffer)
                {
                    myBackBuffer->AddRef();
                    const uint32_t holders = myBackBuffer->Release();
                    if (holders > 1)
                    {
                        std::printf("Gfx: the back buffer cannot be resized while it is still referenced\n");
                        return RESULT_INVALID_CALL;
                    }
                }
                SwapChainDesc previous = myDesc;
                if (aBufferCount != 0)
                    myDesc.bufferCount = aBufferCount;
                if (aFormat != Format::UNKNOWN)
                    myDesc.format = aFormat;
                myDesc.width = aWidth;
                myDesc.height = aHeight;
                Ref<GlTexture2D> old = std::move(myBackBuffer);
                const Result result = MakeBackBuffer();
                if (Failed(result))
                {
                    myDesc = previous;
                    myBackBuffer = std::move(old);
                }
                return result;
            }

        private:
            Ref<GlDevice> myDevice;
            Ref<GlDeviceContext> myContext;
            SDL_Window* myWindow;
            SwapChainDesc myDesc;
            Ref<GlTexture2D> myBackBuffer;
            GLuint myReadFramebuffer = 0;
            int mySwapInterval = -1;
        };

        SDL_GLContext MakeGlContext(SDL_Window* aWindow)
        {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
            SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
            SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
            // Robust access keeps a stray vertex or index read from reaching memory that is not there.
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_ROBUST_ACCESS_FLAG);
            SDL_GLContext context = SDL_GL_CreateContext(aWindow);
            if (!context)
            {
                SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
                context = SDL_GL_CreateContext(aWindow);
            }
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
            return context;
        }

        void SetUpGlState()
        {
            // Depth 0..1 and window rows top down, as the engine's render targets have them.
            glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
            glEnable(GL_FRAMEBUFFER_SRGB);
            glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
            glDisable(GL_DITHER);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
        }
    }

    Result CreateDeviceAndSwapChain(Adapter* /*anAdapter*/, uint32_t /*aFlags*/, const SwapChainDesc* aDesc, SwapChain** aSwapChain,
                                    Device** aDevice, DeviceContext** aContext)
    {
        if (aSwapChain)
            *aSwapChain = nullptr;
        if (aDevice)
            *aDevice = nullptr;
        if (aContext)
            *aContext = nullptr;
        if (!aDesc || !aDesc->outputWindow || !aDesc->outputWindow->sdlWindow || !aSwapChain || !aDevice)
            return RESULT_INVALID_ARG;
        if (aDesc->format != Format::B8G8R8A8_UNORM && aDesc->format != Format::R8G8B8A8_UNORM)
            return RESULT_UNSUPPORTED;
        if (aDesc->sampleCount != 1)
            return RESULT_UNSUPPORTED;
        SDL_Window* window = aDesc->outputWindow->sdlWindow;
        if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL))
        {
            std::printf("Gfx: the window was not made for OpenGL\n");
            return RESULT_INVALID_ARG;
        }
        SDL_GLContext glContext = MakeGlContext(window);
        if (!glContext)
        {
            std::printf("Gfx: no OpenGL 4.5 core context: %s\n", SDL_GetError());
            return RESULT_UNSUPPORTED;
        }
        if (SDL_GL_MakeCurrent(window, glContext) != 0 || epoxy_gl_version() < 45)
        {
            std::printf("Gfx: the OpenGL context is not version 4.5\n");
            SDL_GL_DeleteContext(glContext);
            return RESULT_UNSUPPORTED;
        }
        SetUpGlState();
        GLint contextFlags = 0;
        glGetIntegerv(GL_CONTEXT_FLAGS, &contextFlags);
        if (!(contextFlags & GL_CONTEXT_FLAG_ROBUST_ACCESS_BIT))
            std::printf("Gfx: the OpenGL driver gives no robust buffer access; draws reading past their buffers are not guarded\n");

        Ref<GlDevice> device;
        device.Attach(new GlDevice(glContext));
        DeviceContext* context = nullptr;
        device->GetImmediateContext(&context);
        Ref<GlDeviceContext> glDeviceContext;
        glDeviceContext.Attach(static_cast<GlDeviceContext*>(context));
        Ref<GlSwapChain> swapChain;
        swapChain.Attach(new GlSwapChain(*device, *glDeviceContext, window, *aDesc));
        const Result result = swapChain->MakeBackBuffer();
        if (Failed(result))
            return result;

        *aSwapChain = swapChain.Detach();
        *aDevice = device.Detach();
        if (aContext)
            *aContext = glDeviceContext.Detach();
        return RESULT_OK;
    }
}
