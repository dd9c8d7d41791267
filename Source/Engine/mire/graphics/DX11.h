#pragma once
// The one graphics device of the program, its immediate context and the window's swap chain, published as
// class-wide pointers every graphics class uses; the back-buffer target and depth buffer; and the two
// name-keyed caches of compiled shaders read from ".cso" files under the cooked asset root.
#include "mire/graphics/DepthBuffer.h"
#include "mire/graphics/RenderTarget.h"
#include "mire/math/Color.h"
#include "Platform/graphics/Gfx.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

namespace Vela
{
    class WindowsWindow;

    class DX11
    {
    public:
        struct VertexShaderEntry
        {
            Gfx::Ref<Gfx::VertexShader> myShader;
            // The compiled bytes stay for the life of the program: input layouts are made against them.
            std::string myBytecode;
        };

        DX11();
        ~DX11();
        DX11(const DX11&) = delete;
        DX11& operator=(const DX11&) = delete;

        // Device and swap chain for the window; false when no adapter or device can be had.
        bool Init(const WindowsWindow& aWindow);

        // Clears the back buffer (the colour is sRGB and converted to linear) and the depth buffer, then binds
        // the back buffer without depth.
        void BeginFrame(const Color& aClearColor);
        void EndFrame(bool aVsync);

        // Rebuilds the back buffer and depth buffer at the window's new size. On false the back-buffer
        // statics stay null.
        bool Resize();

        std::pair<int32_t, int32_t> GetBackBufferSize() const;

        static bool IsRenderThread();

        // Cached by name ("shaders/foo_VS" reads <cooked root>/shaders/foo_VS.cso). Null when the shader cannot
        // be read or made; a later request tries the file again. Safe from any thread.
        static VertexShaderEntry* GetVertexShader(const char* aName);
        static Gfx::PixelShader* const* GetPixelShader(const char* aName);

        // Empties both caches. The caches live for the whole run, which suits the program's one device; tools and
        // tests that make another device afterwards call this first, since cached shaders belong to the device
        // that made them. Nothing may hold an entry across the call.
        static void ReleaseShaderCaches();

        // The adapter to make the device on: the one with the most dedicated memory among those whose
        // description names a large discrete vendor, else the first. Null when there is none.
        static Gfx::Ref<Gfx::Adapter> ChooseAdapter();

        static bool IsCreated;
        static Gfx::Device* Device;
        static Gfx::DeviceContext* Context;
        static Gfx::SwapChain* SwapChain;
        static RenderTarget* BackBuffer;
        static DepthBuffer* BackBufferDepth;
        static uint32_t DrawCallCount;
        static uint32_t LastFrameDrawCallCount;
        static std::thread::id RenderThreadId;

        static std::unordered_map<std::string, VertexShaderEntry> VertexShaderCache;
        static std::unordered_map<std::string, Gfx::Ref<Gfx::PixelShader>> PixelShaderCache;

    private:
        static VertexShaderEntry* LoadVertexShader(const std::string& aName);
        static Gfx::PixelShader* const* LoadPixelShader(const std::string& aName);
        // Builds the sRGB back-buffer view and a depth buffer of its size, binds both, publishes the statics.
        bool BuildBackBuffer(Gfx::Texture2D* aBackBufferTexture);
        // Unpublishes the statics and drops the buffers, swap chain, context and device, views first.
        void ReleaseDevice();
        static void PublishStatics(Gfx::Device* aDevice, Gfx::DeviceContext* aContext, Gfx::SwapChain* aSwapChain,
                                   RenderTarget* aBackBuffer, DepthBuffer* aDepth);

        static std::mutex ourVertexShaderLock;
        static std::mutex ourPixelShaderLock;

        Gfx::Ref<Gfx::Device> myDevice;
        Gfx::Ref<Gfx::DeviceContext> myContext;
        Gfx::Ref<Gfx::SwapChain> mySwapChain;
        RenderTarget myBackBuffer;
        DepthBuffer myDepthBuffer;
    };

    // sRGB 0..1 to linear, as the GPU expects clear colours and shader constants.
    float SrgbToLinear(float aValue);
}
