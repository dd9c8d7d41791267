// The adapter list: what the GL driver of the current video driver says about itself.
#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <mutex>
#include <string>

#include "Platform/graphics/GfxDevice.h"

namespace Vela::Gfx
{
    namespace
    {
        std::mutex theTestingMutex;
        bool theHasTestingAdapters = false;
        std::vector<AdapterDesc> theTestingAdapters;

        class GlAdapter final : public Adapter
        {
        public:
            explicit GlAdapter(AdapterDesc aDesc) : myDesc(std::move(aDesc)) {}
            Result GetDesc(AdapterDesc* aDesc) const override
            {
                if (!aDesc)
                    return RESULT_INVALID_ARG;
                *aDesc = myDesc;
                return RESULT_OK;
            }

        private:
            AdapterDesc myDesc;
        };

        class GlFactory final : public Factory
        {
        public:
            explicit GlFactory(std::vector<AdapterDesc> someAdapters) : myAdapters(std::move(someAdapters)) {}
            Result EnumAdapters(uint32_t anIndex, Adapter** anAdapter) override
            {
                if (!anAdapter)
                    return RESULT_INVALID_ARG;
                *anAdapter = nullptr;
                if (anIndex >= myAdapters.size())
                    return RESULT_NOT_FOUND;
                *anAdapter = new GlAdapter(myAdapters[anIndex]);
                return RESULT_OK;
            }

        private:
            std::vector<AdapterDesc> myAdapters;
        };

        uint32_t VendorIdFrom(const std::string& aVendor)
        {
            if (aVendor.find("NVIDIA") != std::string::npos)
                return 0x10DE;
            if (aVendor.find("ATI") != std::string::npos || aVendor.find("AMD") != std::string::npos)
                return 0x1002;
            if (aVendor.find("Intel") != std::string::npos)
                return 0x8086;
            return 0;
        }

        // Reads the current context's description. Memory sizes come from the vendor queries where the driver
        // has them; otherwise they stay 0.
        AdapterDesc DescribeCurrentContext()
        {
            AdapterDesc desc;
            const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
            const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
            const std::string rendererText = renderer ? renderer : "OpenGL";
            desc.description.assign(rendererText.begin(), rendererText.end());
            desc.vendorId = VendorIdFrom(vendor ? vendor : "");
            if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info"))
            {
                GLint kilobytes = 0;
                glGetIntegerv(GL_GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX, &kilobytes);
                desc.dedicatedVideoMemory = static_cast<size_t>(kilobytes > 0 ? kilobytes : 0) * 1024;
            }
            else if (epoxy_has_gl_extension("GL_ATI_meminfo"))
            {
                GLint free[4] = {};
                glGetIntegerv(GL_TEXTURE_FREE_MEMORY_ATI, free);
                desc.dedicatedVideoMemory = static_cast<size_t>(free[0] > 0 ? free[0] : 0) * 1024;
            }
            return desc;
        }

        // A hidden window with a 4.5 core context, made only to ask the driver; none when GL 4.5 is not there.
        std::vector<AdapterDesc> ProbeAdapters()
        {
            std::vector<AdapterDesc> adapters;
            if (SDL_GL_GetCurrentContext() && epoxy_gl_version() >= 45)
            {
                adapters.push_back(DescribeCurrentContext());
                return adapters;
            }
            const bool startedVideo = SDL_WasInit(SDL_INIT_VIDEO) == 0;
            if (startedVideo && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
                return adapters;
            SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
            SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
            SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            if (window)
            {
                SDL_GLContext context = SDL_GL_CreateContext(window);
                if (context)
                {
                    if (SDL_GL_MakeCurrent(window, context) == 0 && epoxy_gl_version() >= 45)
                        adapters.push_back(DescribeCurrentContext());
                    SDL_GL_MakeCurrent(previousWindow, previousContext);
                    SDL_GL_DeleteContext(context);
                }
                SDL_DestroyWindow(window);
            }
            if (startedVideo)
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return adapters;
        }
    }

    void SetAdaptersForTesting(const std::vector<AdapterDesc>* someAdapters)
    {
        std::lock_guard lock(theTestingMutex);
        theHasTestingAdapters = someAdapters != nullptr;
        theTestingAdapters = someAdapters ? *someAdapters : std::vector<AdapterDesc>();
    }

    Result CreateFactory(Factory** aFactory)
    {
        if (!aFactory)
            return RESULT_INVALID_ARG;
        std::vector<AdapterDesc> adapters;
        {
            std::lock_guard lock(theTestingMutex);
            if (theHasTestingAdapters)
                adapters = theTestingAdapters;
        }
        if (!theHasTestingAdapters)
            adapters = ProbeAdapters();
        *aFactory = new GlFactory(std::move(adapters));
        return RESULT_OK;
    }
}
