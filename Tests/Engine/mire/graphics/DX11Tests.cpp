// The device wrapper on the headless GL device: adapter choice, the two shader caches (once per name,
// retried after a miss, safe from several threads), render targets and depth buffers.
#include "mire/core/WindowsWindow.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/DepthBuffer.h"
#include "mire/graphics/RenderTarget.h"
#include "mire/settings/Settings.h"
#include "Platform/graphics/Gfx.h"
#include "Platform/window/MessageQueue.h"
#include "Support/AssertionCapture.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

using namespace Vela;

namespace
{
    Gfx::AdapterDesc Adapter(const wchar_t* aName, size_t aMiB)
    {
        Gfx::AdapterDesc desc;
        desc.description = aName;
        desc.dedicatedVideoMemory = aMiB << 20;
        return desc;
    }

    std::wstring ChosenName(const std::vector<Gfx::AdapterDesc>& someAdapters)
    {
        Gfx::SetAdaptersForTesting(&someAdapters);
        Gfx::Ref<Gfx::Adapter> chosen = DX11::ChooseAdapter();
        Gfx::SetAdaptersForTesting(nullptr);
        if (!chosen)
        {
            return L"(none)";
        }
        Gfx::AdapterDesc desc;
        chosen->GetDesc(&desc);
        return desc.description;
    }

    // A device on a small window, and a cooked root of the test's own.
    class DX11DeviceTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            Settings::SetAssetRootsForTesting({}, {}, myCooked.Path());
            EngineConfiguration configuration;
            configuration.myWindowWidth = 64;
            configuration.myWindowHeight = 48;
            ASSERT_TRUE(myWindow.Init(configuration, nullptr, nullptr));
            myDevice = std::make_unique<DX11>();
            ASSERT_TRUE(myDevice->Init(myWindow));
        }

        void TearDown() override
        {
            myDevice.reset();
            Settings::SetAssetRootsForTesting({}, {}, VELA_COOKED_DIR);
            Platform::ClearMessageQueue();
        }

        // Copies a compiled shader of the build under a name of the test's own.
        void PlaceShader(const char* aBuiltName, const std::string& aName)
        {
            const std::filesystem::path target = myCooked.Path() / (aName + ".cso");
            std::filesystem::create_directories(target.parent_path());
            std::filesystem::copy_file(std::filesystem::path(VELA_COOKED_DIR) / (std::string(aBuiltName) + ".cso"), target,
                                       std::filesystem::copy_options::overwrite_existing);
        }

        VelaTest::TempDirectory myCooked;
        WindowsWindow myWindow;
        std::unique_ptr<DX11> myDevice;
    };
}

TEST(DX11AdapterTest, LargestDiscreteVendorAdapterIsChosen)
{
    EXPECT_EQ(ChosenName({ Adapter(L"Integrated", 16384), Adapter(L"NVIDIA One", 4096), Adapter(L"NVIDIA Two", 8192) }),
              L"NVIDIA Two");
    EXPECT_EQ(ChosenName({ Adapter(L"Software", 0), Adapter(L"Other vendor", 65536) }), L"Software")
        << "an adapter without either word never replaces the first";
    EXPECT_EQ(ChosenName({ Adapter(L"Software", 0), Adapter(L"ATI Zero", 0) }), L"Software")
        << "0 MiB never replaces the first";
    EXPECT_EQ(ChosenName({ Adapter(L"Software", 0), Adapter(L"ATI First", 2048), Adapter(L"NVIDIA Same", 2048) }),
              L"ATI First")
        << "ties keep the earlier adapter";
    EXPECT_EQ(ChosenName({ Adapter(L"Software", 0), Adapter(L"nvidia lower case", 8192) }), L"Software")
        << "the vendor words are matched case-sensitively";
    EXPECT_EQ(ChosenName({}), L"(none)");
}

TEST_F(DX11DeviceTest, StaticsArePublishedAndClearedWithTheObject)
{
    EXPECT_TRUE(DX11::IsCreated);
    ASSERT_NE(DX11::BackBuffer, nullptr);
    ASSERT_NE(DX11::BackBufferDepth, nullptr);
    EXPECT_EQ(DX11::BackBuffer->GetSize(), std::make_pair(64, 48));
    EXPECT_EQ(myDevice->GetBackBufferSize(), std::make_pair(64, 48));
    EXPECT_EQ(DX11::BackBufferDepth->GetViewport().width, 64.0f);
    EXPECT_TRUE(DX11::IsRenderThread());
    bool otherThreadIsRenderThread = true;
    std::thread([&] { otherThreadIsRenderThread = DX11::IsRenderThread(); }).join();
    EXPECT_FALSE(otherThreadIsRenderThread);

    myDevice.reset();
    EXPECT_FALSE(DX11::IsCreated);
    EXPECT_EQ(DX11::Device, nullptr);
    EXPECT_EQ(DX11::Context, nullptr);
    EXPECT_EQ(DX11::SwapChain, nullptr);
    EXPECT_EQ(DX11::BackBuffer, nullptr);
    EXPECT_EQ(DX11::BackBufferDepth, nullptr);
}

TEST_F(DX11DeviceTest, ResizingLeavesTheRenderThreadAsItIsWhileOtherThreadsAskForIt)
{
    // A loader thread asks while the main thread resizes; the id is written only when the device starts.
    std::atomic<bool> stop{ false };
    std::atomic<int> answeredYes{ 0 };
    std::thread reader([&] {
        while (!stop.load())
            answeredYes += DX11::IsRenderThread() ? 1 : 0;
    });
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(myDevice->Resize());
    stop = true;
    reader.join();
    EXPECT_EQ(answeredYes.load(), 0);
    EXPECT_TRUE(DX11::IsRenderThread());
}

TEST_F(DX11DeviceTest, ShaderIsReadOnceAndKeptByName)
{
    PlaceShader("Shaders/PostprocessVS", "once/FullscreenVS");
    PlaceShader("Shaders/PostprocessCopyPS", "once/CopyPS");

    DX11::VertexShaderEntry* vertex = DX11::GetVertexShader("once/FullscreenVS");
    ASSERT_NE(vertex, nullptr);
    EXPECT_TRUE(vertex->myShader);
    EXPECT_FALSE(vertex->myBytecode.empty()) << "the bytecode stays for input layouts";
    Gfx::PixelShader* const* pixel = DX11::GetPixelShader("once/CopyPS");
    ASSERT_NE(pixel, nullptr);
    EXPECT_NE(*pixel, nullptr);

    // With the files gone, the cached entries still answer.
    std::filesystem::remove_all(myCooked.Path() / "once");
    EXPECT_EQ(DX11::GetVertexShader("once/FullscreenVS"), vertex);
    EXPECT_EQ(DX11::GetPixelShader("once/CopyPS"), pixel);
    EXPECT_EQ(DX11::GetVertexShader("Once/FullscreenVS"), nullptr) << "names are case-sensitive";

    DX11::ReleaseShaderCaches();
    EXPECT_EQ(DX11::GetVertexShader("once/FullscreenVS"), nullptr) << "released, the name is read again";
}

TEST_F(DX11DeviceTest, MissingOrBrokenShaderIsNullAndTriedAgain)
{
    EXPECT_EQ(DX11::GetVertexShader("later/ShaderVS"), nullptr);
    EXPECT_EQ(DX11::VertexShaderCache.count("later/ShaderVS"), 0u) << "a failed load leaves no entry";
    EXPECT_EQ(DX11::GetPixelShader("later/ShaderPS"), nullptr);
    EXPECT_EQ(DX11::PixelShaderCache.count("later/ShaderPS"), 0u);

    PlaceShader("Shaders/PostprocessVS", "later/ShaderVS");
    PlaceShader("Shaders/PostprocessCopyPS", "later/ShaderPS");
    EXPECT_NE(DX11::GetVertexShader("later/ShaderVS"), nullptr);
    EXPECT_NE(DX11::GetPixelShader("later/ShaderPS"), nullptr);

    // A pixel shader's bytes asked for as a vertex shader, an empty file and junk all fail.
    PlaceShader("Shaders/PostprocessCopyPS", "broken/WrongStageVS");
    EXPECT_EQ(DX11::GetVertexShader("broken/WrongStageVS"), nullptr);
    std::filesystem::create_directories(myCooked.Path() / "broken");
    { std::ofstream(myCooked.Path() / "broken/EmptyPS.cso"); }
    EXPECT_EQ(DX11::GetPixelShader("broken/EmptyPS"), nullptr);
    { std::ofstream(myCooked.Path() / "broken/JunkPS.cso") << "not a shader at all"; }
    EXPECT_EQ(DX11::GetPixelShader("broken/JunkPS"), nullptr);
    EXPECT_EQ(DX11::GetVertexShader(nullptr), nullptr);
}

TEST_F(DX11DeviceTest, ShaderCachesAreSafeFromSeveralThreads)
{
    PlaceShader("Shaders/PostprocessVS", "threads/SharedVS");
    PlaceShader("Shaders/PostprocessCopyPS", "threads/SharedPS");

    constexpr int THREAD_COUNT = 8;
    std::vector<DX11::VertexShaderEntry*> vertex(THREAD_COUNT, nullptr);
    std::vector<Gfx::PixelShader* const*> pixel(THREAD_COUNT, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < THREAD_COUNT; ++i)
    {
        threads.emplace_back([&, i] {
            vertex[static_cast<size_t>(i)] = DX11::GetVertexShader("threads/SharedVS");
            pixel[static_cast<size_t>(i)] = DX11::GetPixelShader("threads/SharedPS");
        });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (int i = 0; i < THREAD_COUNT; ++i)
    {
        ASSERT_NE(vertex[static_cast<size_t>(i)], nullptr);
        EXPECT_EQ(vertex[static_cast<size_t>(i)], vertex[0]) << "one entry per name";
        EXPECT_EQ(pixel[static_cast<size_t>(i)], pixel[0]);
    }
    EXPECT_EQ(DX11::VertexShaderCache.count("threads/SharedVS"), 1u);
}

TEST_F(DX11DeviceTest, RenderTargetsAndDepthBuffersTakeTheirTexturesSize)
{
    Gfx::Texture2DDesc desc;
    desc.width = 16;
    desc.height = 8;
    desc.format = Gfx::Format::R8G8B8A8_UNORM;
    desc.bindFlags = Gfx::BIND_RENDER_TARGET | Gfx::BIND_SHADER_RESOURCE;
    Gfx::Ref<Gfx::Texture2D> texture;
    ASSERT_TRUE(Gfx::Succeeded(DX11::Device->CreateTexture2D(&desc, nullptr, texture.ReleaseAndGetAddressOf())));

    RenderTarget target = RenderTarget::Create(texture.Get());
    EXPECT_TRUE(target.IsValid());
    EXPECT_EQ(target.GetSize(), std::make_pair(16, 8));
    RenderTarget srgbTarget = RenderTarget::Create(texture.Get(), Gfx::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_TRUE(srgbTarget.IsValid());

    DepthBuffer depth = DepthBuffer::Create({ 16u, 8u });
    ASSERT_TRUE(depth.IsValid());
    EXPECT_NE(depth.GetShaderResourceView(), nullptr);
    target.SetAsActiveTarget(&depth);
    const float red[4] = { 1.0f, 0.0f, 0.0f, 1.0f };
    target.Clear(red);
    depth.Clear(0.5f, 0);

    std::vector<uint8_t> pixels;
    ASSERT_TRUE(Gfx::Succeeded(Gfx::ReadBackTexture(DX11::Device, DX11::Context, texture.Get(), 0, pixels)));
    ASSERT_GE(pixels.size(), 4u);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);

    depth.Release();
    EXPECT_FALSE(depth.IsValid());
    EXPECT_EQ(RenderTarget().GetSize(), std::make_pair(0, 0));
}

TEST_F(DX11DeviceTest, ViewOfNoTextureIsReportedAndHoldsNothing)
{
    VelaTest::AssertionCapture capture;
    RenderTarget target = RenderTarget::Create(nullptr);
    EXPECT_TRUE(capture.Contains("Succeeded(result)"));
    EXPECT_FALSE(target.IsValid());
    EXPECT_EQ(target.GetSize(), std::make_pair(0, 0));
    target.SetAsActiveTarget(nullptr);
    const float black[4] = {};
    target.Clear(black);
}
