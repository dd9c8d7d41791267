#include "mire/graphics/DX11.h"

#include "mire/core/Assert.h"
#include "mire/core/WindowsWindow.h"
#include "mire/settings/Settings.h"
#include "Platform/file/WholeFile.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace Vela
{
    bool DX11::IsCreated = false;
    Gfx::Device* DX11::Device = nullptr;
    Gfx::DeviceContext* DX11::Context = nullptr;
    Gfx::SwapChain* DX11::SwapChain = nullptr;
    RenderTarget* DX11::BackBuffer = nullptr;
    DepthBuffer* DX11::BackBufferDepth = nullptr;
    uint32_t DX11::DrawCallCount = 0;
    uint32_t DX11::LastFrameDrawCallCount = 0;
    std::thread::id DX11::RenderThreadId;
    std::unordered_map<std::string, DX11::VertexShaderEntry> DX11::VertexShaderCache;
    std::unordered_map<std::string, Gfx::Ref<Gfx::PixelShader>> DX11::PixelShaderCache;
    std::mutex DX11::ourVertexShaderLock;
    std::mutex DX11::ourPixelShaderLock;

    namespace
    {
        std::string ReadShaderFile(const std::filesystem::path& aPath)
        {
            // A missing or unreadable file (a folder too) gives no bytes; the shader creation then fails on its own.
            std::string bytes;
            std::string reason;
            Platform::ReadWholeFile(aPath, bytes, reason);
            return bytes;
        }

        std::filesystem::path ShaderPath(const std::string& aName)
        {
            return Settings::CookedAssetRoot() / (aName + ".cso");
        }
    }

    float SrgbToLinear(float aValue)
    {
        if (aValue >= 0.04045f)
        {
            return std::pow((aValue + 0.055f) / 1.055f, 2.4f);
        }
        return aValue / 12.92f;
    }

    DX11::DX11()
    {
        VELA_ASSERT(IsCreated == false);
        IsCreated = true;
        PublishStatics(nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    DX11::~DX11()
    {
        VELA_ASSERT(IsCreated == true);
        IsCreated = false;
        ReleaseDevice();
    }

    void DX11::ReleaseDevice()
    {
        PublishStatics(nullptr, nullptr, nullptr, nullptr, nullptr);
        myDepthBuffer.Release();
        myBackBuffer = RenderTarget();
        mySwapChain.Reset();
        myContext.Reset();
        myDevice.Reset();
    }

    void DX11::PublishStatics(Gfx::Device* aDevice, Gfx::DeviceContext* aContext, Gfx::SwapChain* aSwapChain,
                              RenderTarget* aBackBuffer, DepthBuffer* aDepth)
    {
        Device = aDevice;
        Context = aContext;
        SwapChain = aSwapChain;
        BackBuffer = aBackBuffer;
        BackBufferDepth = aDepth;
    }

    bool DX11::Init(const WindowsWindow& aWindow)
    {
        Gfx::SwapChainDesc desc;
        desc.width = 0;
        desc.height = 0;
        desc.refreshRateNumerator = 0;
        desc.refreshRateDenominator = 0;
        desc.format = Gfx::Format::B8G8R8A8_UNORM;
        desc.sampleCount = 1;
        desc.sampleQuality = 0;
        desc.bufferUsage = Gfx::USAGE_RENDER_TARGET_OUTPUT;
        desc.bufferCount = 1;
        desc.outputWindow = aWindow.GetHandle();
        desc.windowed = true;
        desc.swapEffect = Gfx::SwapEffect::DISCARD;
        desc.flags = 0;

        Gfx::Ref<Gfx::Adapter> adapter = ChooseAdapter();
        if (!adapter)
        {
            return false;
        }

        ReleaseDevice();

        const Gfx::Result result =
            Gfx::CreateDeviceAndSwapChain(adapter.Get(), 0, &desc, mySwapChain.ReleaseAndGetAddressOf(),
                                          myDevice.ReleaseAndGetAddressOf(), myContext.ReleaseAndGetAddressOf());
        if (Gfx::Failed(result) || !myDevice || !myContext || !mySwapChain)
        {
            mySwapChain.Reset();
            myContext.Reset();
            myDevice.Reset();
            return false;
        }
        Device = myDevice.Get();
        Context = myContext.Get();
        SwapChain = mySwapChain.Get();
        // Set once, as the device starts: other threads read it, and a resize must not write it again.
        RenderThreadId = std::this_thread::get_id();

        Gfx::Ref<Gfx::Texture2D> backBufferTexture;
        if (Gfx::Failed(mySwapChain->GetBuffer(0, backBufferTexture.ReleaseAndGetAddressOf())) || !backBufferTexture)
        {
            return false;
        }
        return BuildBackBuffer(backBufferTexture.Get());
    }

    bool DX11::BuildBackBuffer(Gfx::Texture2D* aBackBufferTexture)
    {
        // Rendering writes linear colour; the sRGB view encodes it.
        myBackBuffer = RenderTarget::Create(aBackBufferTexture, Gfx::Format::B8G8R8A8_UNORM_SRGB);
        Gfx::Texture2DDesc textureDesc;
        aBackBufferTexture->GetDesc(&textureDesc);
        myDepthBuffer = DepthBuffer::Create({ textureDesc.width, textureDesc.height });
        if (!myBackBuffer.IsValid() || !myDepthBuffer.IsValid())
        {
            return false;
        }
        myBackBuffer.SetAsActiveTarget(&myDepthBuffer);
        BackBuffer = &myBackBuffer;
        BackBufferDepth = &myDepthBuffer;
        return true;
    }

    void DX11::BeginFrame(const Color& aClearColor)
    {
        // Skipped while a failed resize left no back buffer; the resize is tried again.
        if (BackBuffer == nullptr)
        {
            return;
        }
        const float linear[4] = { SrgbToLinear(aClearColor.r), SrgbToLinear(aClearColor.g), SrgbToLinear(aClearColor.b),
                                  aClearColor.a };
        BackBuffer->Clear(linear);
        if (BackBufferDepth != nullptr)
        {
            BackBufferDepth->Clear(1.0f, 0);
        }
        BackBuffer->SetAsActiveTarget(nullptr);
    }

    void DX11::EndFrame(bool aVsync)
    {
        if (SwapChain != nullptr)
        {
            SwapChain->Present(aVsync ? 1 : 0, 0);
        }
    }

    bool DX11::Resize()
    {
        if (Context != nullptr)
        {
            Gfx::RenderTargetView* noView = nullptr;
            Context->OMSetRenderTargets(1, &noView, nullptr);
            Context->OMSetDepthStencilState(nullptr, 0);
            Context->ClearState();
        }
        if (!mySwapChain)
        {
            return false;
        }
        BackBuffer = nullptr;
        BackBufferDepth = nullptr;
        myBackBuffer = RenderTarget();
        myDepthBuffer.Release();
        if (Context != nullptr)
        {
            Context->Flush();
        }

        if (Gfx::Failed(mySwapChain->ResizeBuffers(0, 0, 0, Gfx::Format::UNKNOWN, 0)))
        {
            return false;
        }
        Gfx::Ref<Gfx::Texture2D> backBufferTexture;
        if (Gfx::Failed(mySwapChain->GetBuffer(0, backBufferTexture.ReleaseAndGetAddressOf())) || !backBufferTexture)
        {
            return false;
        }
        if (!BuildBackBuffer(backBufferTexture.Get()))
        {
            BackBuffer = nullptr;
            BackBufferDepth = nullptr;
            return false;
        }
        return true;
    }

    std::pair<int32_t, int32_t> DX11::GetBackBufferSize() const
    {
        return myBackBuffer.GetSize();
    }

    bool DX11::IsRenderThread()
    {
        return std::this_thread::get_id() == RenderThreadId;
    }

    DX11::VertexShaderEntry* DX11::GetVertexShader(const char* aName)
    {
        if (aName == nullptr)
        {
            return nullptr;
        }
        std::lock_guard guard(ourVertexShaderLock);
        const auto found = VertexShaderCache.find(aName);
        if (found != VertexShaderCache.end())
        {
            return &found->second;
        }
        return LoadVertexShader(aName);
    }

    Gfx::PixelShader* const* DX11::GetPixelShader(const char* aName)
    {
        if (aName == nullptr)
        {
            return nullptr;
        }
        std::lock_guard guard(ourPixelShaderLock);
        const auto found = PixelShaderCache.find(aName);
        if (found != PixelShaderCache.end())
        {
            return found->second.GetArray();
        }
        return LoadPixelShader(aName);
    }

    void DX11::ReleaseShaderCaches()
    {
        {
            std::lock_guard guard(ourVertexShaderLock);
            VertexShaderCache.clear();
        }
        std::lock_guard guard(ourPixelShaderLock);
        PixelShaderCache.clear();
    }

    // Called with the vertex cache's lock held.
    DX11::VertexShaderEntry* DX11::LoadVertexShader(const std::string& aName)
    {
        if (Device == nullptr)
        {
            return nullptr;
        }
        VertexShaderEntry& entry = VertexShaderCache[aName];
        entry.myBytecode = ReadShaderFile(ShaderPath(aName));
        entry.myShader.Reset();
        const Gfx::Result result =
            Device->CreateVertexShader(entry.myBytecode.data(), entry.myBytecode.size(), entry.myShader.ReleaseAndGetAddressOf());
        if (Gfx::Failed(result) || !entry.myShader)
        {
            VertexShaderCache.erase(aName);
            return nullptr;
        }
        return &entry;
    }

    // Called with the pixel cache's lock held.
    Gfx::PixelShader* const* DX11::LoadPixelShader(const std::string& aName)
    {
        if (Device == nullptr)
        {
            return nullptr;
        }
        Gfx::Ref<Gfx::PixelShader>& entry = PixelShaderCache[aName];
        const std::string bytes = ReadShaderFile(ShaderPath(aName));
        const Gfx::Result result = Device->CreatePixelShader(bytes.data(), bytes.size(), entry.ReleaseAndGetAddressOf());
        if (Gfx::Failed(result) || !entry)
        {
            PixelShaderCache.erase(aName);
            return nullptr;
        }
        return entry.GetArray();
    }

    Gfx::Ref<Gfx::Adapter> DX11::ChooseAdapter()
    {
        Gfx::Ref<Gfx::Factory> factory;
        if (Gfx::Failed(Gfx::CreateFactory(factory.ReleaseAndGetAddressOf())) || !factory)
        {
            return nullptr;
        }
        std::vector<Gfx::Ref<Gfx::Adapter>> adapters;
        std::vector<Gfx::AdapterDesc> descriptions;
        for (uint32_t index = 0;; ++index)
        {
            Gfx::Ref<Gfx::Adapter> adapter;
            if (factory->EnumAdapters(index, adapter.ReleaseAndGetAddressOf()) == Gfx::RESULT_NOT_FOUND || !adapter)
            {
                break;
            }
            Gfx::AdapterDesc desc;
            adapter->GetDesc(&desc);
            adapters.push_back(std::move(adapter));
            descriptions.push_back(std::move(desc));
        }
        if (adapters.empty())
        {
            return nullptr;
        }

        size_t chosen = 0;
        int32_t best = 0;
        for (size_t i = 0; i < adapters.size(); ++i)
        {
            const std::wstring& name = descriptions[i].description;
            const bool candidate = name.find(L"NVIDIA") != std::wstring::npos || name.find(L"ATI") != std::wstring::npos;
            if (!candidate)
            {
                continue;
            }
            const int32_t memoryMiB = static_cast<int32_t>(descriptions[i].dedicatedVideoMemory >> 20);
            if (memoryMiB > best)
            {
                chosen = i;
                best = memoryMiB;
            }
        }
        Gfx::AdapterDesc chosenDesc;
        if (Gfx::Failed(adapters[chosen]->GetDesc(&chosenDesc)))
        {
            return nullptr;
        }
        return adapters[chosen];
    }
}
