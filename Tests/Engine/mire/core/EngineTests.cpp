// The engine on the headless GL device: start, frames, quit, second start, failed start, window messages
// through the callback, resize and minimise, and the clear colour through the sRGB back buffer.
#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/filewatcher/FileWatcher.h"
#include "mire/graphics/DX11.h"
#include "mire/model/Model.h"
#include "mire/model/ModelFactory.h"
#include "mire/settings/Settings.h"
#include "Platform/graphics/Gfx.h"
#include "Platform/system/SystemInfo.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"

#include "Support/TestSupport.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

using namespace Vela;
using namespace Vela::Platform;

namespace
{
    // What the window callback answers for a message, and which messages reached it.
    LResult theCallbackAnswer = 0;
    MessageId theAnsweredMessage = 0;
    std::vector<MessageId> theSeen;

    class EngineTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine",
                                              std::filesystem::path(VELA_SOURCE_DIR) / "Assets/Game", VELA_COOKED_DIR);
            myPreviousConfiguration = Settings::GetEngineConfiguration();
            EngineConfiguration& configuration = Settings::GetEngineConfiguration();
            configuration = EngineConfiguration();
            configuration.myWindowWidth = 320;
            configuration.myWindowHeight = 180;
            configuration.myRenderWidth = 320;
            configuration.myRenderHeight = 180;
            configuration.myDebugFeatures = DebugFeature::Filewatcher;
            configuration.myWindowMessageCallback = [](WindowHandle, MessageId aMessage, WParam, LParam) -> LResult {
                theSeen.push_back(aMessage);
                return aMessage == theAnsweredMessage ? theCallbackAnswer : 0;
            };
            theCallbackAnswer = 0;
            theAnsweredMessage = 0;
            theSeen.clear();
            ClearMessageQueue();
        }

        void TearDown() override
        {
            Engine::Shutdown();
            Gfx::SetAdaptersForTesting(nullptr);
            Settings::GetEngineConfiguration() = myPreviousConfiguration;
            ClearMessageQueue();
        }

        static WindowHandle Window() { return *Engine::GetInstance()->GetHwnd(); }

        EngineConfiguration myPreviousConfiguration;
    };
}

TEST_F(EngineTest, StartsRunsFramesAndStopsAtTheQuitMessage)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    ASSERT_NE(engine, nullptr);
    ASSERT_NE(engine->GetHwnd(), nullptr);
    EXPECT_TRUE(IsLiveWindow(Window()));
    EXPECT_NE(DX11::Device, nullptr);
    EXPECT_NE(DX11::BackBuffer, nullptr);
    EXPECT_TRUE(DX11::IsRenderThread());
    EXPECT_FLOAT_EQ(engine->GetWindowRatio(), 320.0f / 180.0f);

    for (int frame = 0; frame < 3; ++frame)
    {
        ASSERT_TRUE(engine->BeginFrame());
        DX11::DrawCallCount += 2;
        engine->EndFrame();
        EXPECT_GE(engine->myDeltaTime, 0.0f);
        EXPECT_LE(engine->myDeltaTime, 0.1f);
    }
    ASSERT_TRUE(engine->BeginFrame());
    EXPECT_EQ(DX11::LastFrameDrawCallCount, 2u);
    EXPECT_EQ(DX11::DrawCallCount, 0u);
    engine->EndFrame();

    PostQuitMessage(0);
    EXPECT_FALSE(engine->BeginFrame());
    EXPECT_FALSE(engine->BeginFrame()) << "once quit was seen, later frames do not start";

    Engine::Shutdown();
    EXPECT_EQ(Engine::GetInstance(), nullptr);
    EXPECT_EQ(DX11::Device, nullptr);
    EXPECT_EQ(DX11::BackBuffer, nullptr);
    Engine::Shutdown();
}

TEST_F(EngineTest, SecondStartFailsAndChangesNothing)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    WindowHandle window = Window();
    Gfx::Device* device = DX11::Device;

    Settings::GetEngineConfiguration().myRenderWidth = 999;
    EXPECT_FALSE(Engine::Start());
    EXPECT_EQ(Engine::GetInstance(), engine);
    EXPECT_EQ(Window(), window);
    EXPECT_EQ(DX11::Device, device);
    EXPECT_EQ(engine->myConfiguration.myRenderWidth, 320u);
    EXPECT_EQ(GetLiveWindows().size(), 1u);
}

TEST_F(EngineTest, StartFailsCleanlyWhenNoDeviceCanBeMade)
{
    const std::vector<Gfx::AdapterDesc> noAdapters;
    Gfx::SetAdaptersForTesting(&noAdapters);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(Engine::Start());
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("graphics device"), std::string::npos) << output;

    Engine* engine = Engine::GetInstance();
    ASSERT_NE(engine, nullptr) << "a failed start leaves the engine in place";
    EXPECT_EQ(DX11::Device, nullptr);
    EXPECT_EQ(engine->myGraphicsEngine, nullptr) << "nothing after the failed step was made";
    EXPECT_TRUE(Window()->destroyed) << "the window is closed";
    EXPECT_FALSE(engine->BeginFrame()) << "closing the window posted the quit message";

    Engine::Shutdown();
    EXPECT_EQ(Engine::GetInstance(), nullptr);
}

TEST_F(EngineTest, FullscreenStartTakesTheDesktopSize)
{
    const DesktopSize desktop = GetDesktopSize();
    ASSERT_GT(desktop.width, 0u);
    Settings::GetEngineConfiguration().myStartInFullscreen = true;
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    EXPECT_EQ(engine->myConfiguration.myWindowWidth, desktop.width);
    EXPECT_EQ(engine->myConfiguration.myRenderHeight, desktop.height);
    EXPECT_FALSE(engine->myWindow->IsFullscreen()) << "the window starts windowed; the game switches it";
    Rect client;
    ASSERT_TRUE(GetClientRect(Window(), client));
    EXPECT_EQ(static_cast<uint32_t>(client.right), desktop.width);
}

TEST_F(EngineTest, CallbackSeesMessagesAndItsNonZeroAnswerSkipsDefaultHandling)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();

    theAnsweredMessage = MESSAGE_SIZE;
    theCallbackAnswer = 1;
    EXPECT_EQ(SendMessage(Window(), MESSAGE_SIZE, SIZE_RESTORED, PackPoint(320, 180)), 1);
    EXPECT_EQ(engine->myResizePending, 0) << "the callback answered, so no resize was asked for";

    theCallbackAnswer = 0;
    SendMessage(Window(), MESSAGE_SIZE, SIZE_RESTORED, PackPoint(320, 180));
    EXPECT_EQ(engine->myResizePending, 1);

    // A destroy the callback answers posts no quit message.
    theAnsweredMessage = MESSAGE_DESTROY;
    theCallbackAnswer = 1;
    SendMessage(Window(), MESSAGE_DESTROY, 0, 0);
    EXPECT_TRUE(engine->BeginFrame());
    engine->EndFrame();

    theSeen.clear();
    PostMessage(Window(), MESSAGE_KEYDOWN, 0x41, 0);
    EXPECT_TRUE(engine->BeginFrame());
    ASSERT_FALSE(theSeen.empty());
    EXPECT_EQ(theSeen.front(), MESSAGE_KEYDOWN) << "queued messages reach the callback while the frame starts";
    engine->EndFrame();

    // Closing the window: destroy reaches the callback, then the quit message ends the loop.
    theAnsweredMessage = 0;
    theSeen.clear();
    engine->myWindow->Close();
    EXPECT_FALSE(engine->BeginFrame());
    EXPECT_NE(std::find(theSeen.begin(), theSeen.end(), MESSAGE_DESTROY), theSeen.end());
}

TEST_F(EngineTest, ResizeRebuildsTheBackBufferAndRatios)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    ASSERT_TRUE(engine->BeginFrame());

    SDL_SetWindowSize(Window()->sdlWindow, 200, 400);
    SendMessage(Window(), MESSAGE_SIZE, SIZE_RESTORED, PackPoint(200, 400));
    engine->EndFrame();

    EXPECT_EQ(engine->myResizePending, 0);
    ASSERT_NE(DX11::BackBuffer, nullptr);
    EXPECT_EQ(engine->myConfiguration.myRenderWidth, 200u);
    EXPECT_EQ(engine->myConfiguration.myRenderHeight, 400u);
    EXPECT_EQ(DX11::BackBuffer->GetSize(), std::make_pair(200, 400));
    EXPECT_FLOAT_EQ(engine->GetWindowRatio(), 2.0f) << "a portrait size still gives a ratio of at least 1";
    EXPECT_FLOAT_EQ(engine->GetInverseWindowRatio(), 0.5f);
    EXPECT_GE(engine->myConfiguration.myWindowWidth, 200u);
    EXPECT_TRUE(engine->BeginFrame());
    engine->EndFrame();
}

TEST_F(EngineTest, MinimisedWindowKeepsTheLastRenderSize)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();

    SDL_Event minimise{};
    minimise.type = SDL_WINDOWEVENT;
    minimise.window.windowID = Window()->sdlWindowId;
    minimise.window.event = SDL_WINDOWEVENT_MINIMIZED;
    ASSERT_EQ(SDL_PushEvent(&minimise), 1);
    ASSERT_TRUE(engine->BeginFrame());
    EXPECT_EQ(engine->myResizePending, 1);
    engine->EndFrame();

    EXPECT_EQ(engine->myConfiguration.myRenderWidth, 320u);
    EXPECT_EQ(engine->myConfiguration.myRenderHeight, 180u);
    EXPECT_FLOAT_EQ(engine->GetWindowRatio(), 320.0f / 180.0f);
    EXPECT_NE(DX11::BackBuffer, nullptr);

    SDL_Event restore = minimise;
    restore.window.event = SDL_WINDOWEVENT_RESTORED;
    ASSERT_EQ(SDL_PushEvent(&restore), 1);
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    EXPECT_EQ(engine->myResizePending, 0);
    EXPECT_EQ(engine->myConfiguration.myRenderWidth, 320u);
}

TEST_F(EngineTest, FailedResizeLeavesNoBackBufferAndIsTriedAgain)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();

    // Holding a view of the back buffer makes the swap chain refuse to resize.
    Gfx::Ref<Gfx::Texture2D> backBuffer;
    ASSERT_TRUE(Gfx::Succeeded(DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())));
    Gfx::Ref<Gfx::RenderTargetView> extraView;
    ASSERT_TRUE(Gfx::Succeeded(DX11::Device->CreateRenderTargetView(backBuffer.Get(), nullptr, extraView.ReleaseAndGetAddressOf())));
    backBuffer.Reset();

    SDL_SetWindowSize(Window()->sdlWindow, 256, 128);
    SendMessage(Window(), MESSAGE_SIZE, SIZE_RESTORED, PackPoint(256, 128));
    engine->EndFrame();
    EXPECT_EQ(DX11::BackBuffer, nullptr);
    EXPECT_EQ(DX11::BackBufferDepth, nullptr);
    EXPECT_EQ(engine->myResizePending, 1) << "the resize is tried again";

    // Frames go on without a back buffer.
    EXPECT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    EXPECT_EQ(DX11::BackBuffer, nullptr);

    extraView.Reset();
    EXPECT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    ASSERT_NE(DX11::BackBuffer, nullptr);
    EXPECT_EQ(engine->myResizePending, 0);
    EXPECT_EQ(engine->myConfiguration.myRenderWidth, 256u);
    EXPECT_FLOAT_EQ(engine->GetWindowRatio(), 2.0f);
}

TEST_F(EngineTest, ClearColourReachesTheBackBufferThroughItsSrgbView)
{
    Settings::GetEngineConfiguration().myClearColor = { 0.5f, 0.5f, 0.5f, 0.5f };
    ASSERT_TRUE(Engine::Start());
    ASSERT_TRUE(Engine::GetInstance()->BeginFrame());

    Gfx::Ref<Gfx::Texture2D> backBuffer;
    ASSERT_TRUE(Gfx::Succeeded(DX11::SwapChain->GetBuffer(0, backBuffer.ReleaseAndGetAddressOf())));
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(Gfx::Succeeded(Gfx::ReadBackTexture(DX11::Device, DX11::Context, backBuffer.Get(), 0, pixels)));
    ASSERT_GE(pixels.size(), 4u);
    // The colour goes to linear (0.214) and the view encodes it back: about 128 in every channel, alpha as given.
    for (int channel = 0; channel < 4; ++channel)
    {
        EXPECT_NEAR(pixels[static_cast<size_t>(channel)], 128, 2) << "channel " << channel;
    }
    const size_t last = pixels.size() - 4;
    EXPECT_NEAR(pixels[last], 128, 2);
}

TEST_F(EngineTest, DebugFeatureBits)
{
    Settings::GetEngineConfiguration().myDebugFeatures = DebugFeature::Filewatcher | DebugFeature::Fps;
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    EXPECT_TRUE(engine->IsDebugFeatureOn(DebugFeature::Filewatcher));
    EXPECT_TRUE(engine->IsDebugFeatureOn(DebugFeature::Fps));
    EXPECT_FALSE(engine->IsDebugFeatureOn(DebugFeature::Mem));
    engine->myConfiguration.myDebugFeatures = ALL_DEBUG_FEATURES;
    EXPECT_TRUE(engine->IsDebugFeatureOn(DebugFeature::Cpu));
    EXPECT_TRUE(engine->IsDebugFeatureOn(1u << 20)) << "all nine bits turn every feature on";
    engine->myConfiguration.myDebugFeatures = ALL_DEBUG_FEATURES & ~1u;
    EXPECT_FALSE(engine->IsDebugFeatureOn(DebugFeature::Fps));
}

TEST_F(EngineTest, FrameStartRunsTheCallbacksOfChangedFiles)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    ASSERT_NE(engine->myFileWatcher, nullptr);

    VelaTest::TempDirectory folder;
    const std::filesystem::path file = folder.Write("watched.txt", "one");
    int reloads = 0;
    ASSERT_TRUE(engine->myFileWatcher->WatchFileChange(file.string(), [&reloads] { ++reloads; }));
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));

    // Once the watch thread has polled after the change, the next frame start runs the callback.
    engine->myFileWatcher->WaitForPollForTesting();
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    EXPECT_EQ(reloads, 1);
}

TEST_F(EngineTest, ChangedModelFileReloadsWhileTheOldModelStaysUsable)
{
    VelaTest::TempDirectory game;
    const std::filesystem::path file = game.Path() / "Models" / "Prop.fbx";
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::copy_file(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), file);
    ASSERT_TRUE(Engine::Start());
    Settings::SetAssetRootsForTesting(std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine", game.Path(), VELA_COOKED_DIR);
    Engine* engine = Engine::GetInstance();

    const std::shared_ptr<Model> first = ModelFactory::GetInstance().GetModel("Models/Prop.fbx");
    ASSERT_NE(first, nullptr);
    const size_t firstMeshCount = first->GetMeshes().size();

    // An editor saves another model over the file.
    std::filesystem::copy_file(VelaTest::FixturePath("fbx/maya_cube_7500_ascii.fbx"), file,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));

    engine->myFileWatcher->WaitForPollForTesting();
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    const std::shared_ptr<Model> current = ModelFactory::GetInstance().GetModel("Models/Prop.fbx");
    ASSERT_NE(current, nullptr);
    EXPECT_NE(current, first) << "the frame start ran the factory's reload";
    EXPECT_EQ(first->GetMeshes().size(), firstMeshCount) << "the old model stays whole for whoever holds it";
    EXPECT_NE(current->GetMeshes().size(), 0u);
}
