#include "mire/core/Engine.h"

#include "mire/core/WindowsWindow.h"
#include "mire/filewatcher/FileWatcher.h"
#include "mire/fonts/FontManager.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/graphics/RenderTarget.h"
#include "mire/model/ModelFactory.h"
#include "mire/model/ModelFactoryServices.h"
#include "mire/settings/Settings.h"
#include "mire/texture/TextureManager.h"
#include "Platform/system/Clock.h"
#include "Platform/system/SystemInfo.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"

#include <cstdio>

namespace Vela
{
    namespace
    {
        Engine* theEngine = nullptr;
    }

    Engine* Engine::GetInstance()
    {
        return theEngine;
    }

    Engine::Engine()
    {
        const EngineConfiguration& global = Settings::GetEngineConfiguration();
        myConfiguration.myWindowMessageCallback = global.myWindowMessageCallback;
        myConfiguration.myFirstHookCallback = global.myFirstHookCallback;
        myConfiguration.mySecondHookCallback = global.mySecondHookCallback;
        myConfiguration.myWindowWidth = global.myWindowWidth;
        myConfiguration.myWindowHeight = global.myWindowHeight;
        myConfiguration.myRenderWidth = global.myRenderWidth;
        myConfiguration.myRenderHeight = global.myRenderHeight;
        myConfiguration.myDebugFeatures = global.myDebugFeatures;
        myConfiguration.myClearColor = global.myClearColor;
        myConfiguration.myWindowHandle = global.myWindowHandle;
        myConfiguration.myInstanceHandle = global.myInstanceHandle;
        myConfiguration.myTitle = global.myTitle;
        myConfiguration.myEnableVsync = global.myEnableVsync;
        myConfiguration.myStartInFullscreen = global.myStartInFullscreen;
        myConfiguration.myStartMaximized = global.myStartMaximized;
        myConfiguration.myBorderless = global.myBorderless;
        myConfiguration.myMultiSampling = global.myMultiSampling;

        if (myConfiguration.myStartInFullscreen || myConfiguration.myStartMaximized)
        {
            const Platform::DesktopSize desktop = Platform::GetDesktopSize();
            // No display to ask keeps the configured sizes.
            if (desktop.width > 0 && desktop.height > 0)
            {
                myConfiguration.myWindowWidth = desktop.width;
                myConfiguration.myWindowHeight = desktop.height;
                myConfiguration.myRenderWidth = desktop.width;
                myConfiguration.myRenderHeight = desktop.height;
            }
        }

        myHooks = std::make_unique<EngineHooks>();
        if (myConfiguration.myFirstHookCallback)
        {
            myHooks->myListA.push_back(myConfiguration.myFirstHookCallback);
        }
        if (myConfiguration.mySecondHookCallback)
        {
            myHooks->myListB.push_back(myConfiguration.mySecondHookCallback);
        }
    }

    Engine::~Engine() = default;

    bool Engine::Start()
    {
        if (theEngine != nullptr)
        {
            return false;
        }
        theEngine = new Engine();
        return theEngine->InternalStart();
    }

    void Engine::CloseWindowAfterFailure(const char* aStep)
    {
        printf("Engine start failed: %s\n", aStep);
        if (myWindow)
        {
            myWindow->Close();
        }
    }

    bool Engine::InternalStart()
    {
        myFileWatcher = std::make_unique<FileWatcher>(IsDebugFeatureOn(DebugFeature::Filewatcher));
        FileWatcher* watcher = myFileWatcher.get();
        SetModelFileWatchRegistration([watcher](const std::string& aResolvedPath, std::function<void()> aCallback) {
            return watcher->WatchFileChange(aResolvedPath, std::move(aCallback));
        });

        myWindow = std::make_unique<WindowsWindow>();
        if (!myWindow->Init(myConfiguration, &myConfiguration.myInstanceHandle, &myConfiguration.myWindowHandle))
        {
            printf("Engine start failed: the window could not be created\n");
            return false;
        }

        myDX11 = std::make_unique<DX11>();
        if (!myDX11->Init(*myWindow))
        {
            CloseWindowAfterFailure("the graphics device could not be created");
            return false;
        }

        myTextureManager = std::make_unique<TextureManager>();
        myTextureManager->SetFileWatchRegistration(
            [watcher](const std::string& aFile, std::function<void(const std::string&)> aCallback) {
                watcher->WatchFileChange(aFile, [aFile, aCallback] { aCallback(aFile); });
            });

        myGraphicsEngine = std::make_unique<GraphicsEngine>();
        if (!myGraphicsEngine->Init())
        {
            CloseWindowAfterFailure("the graphics engine could not be initialised");
            return false;
        }

        if (!myTextureManager->Init())
        {
            printf("The default textures could not be made\n");
        }

        myFontManager = std::make_unique<FontManager>();
        myFontManager->Init();

        UpdateAspectRatio();
        myStartTimeNs = Platform::SteadyClockNanoseconds();
        return true;
    }

    void Engine::Shutdown()
    {
        // The model cache goes first; it shuts the FBX import library down.
        ModelFactory::DestroyInstance();

        Engine* engine = theEngine;
        if (engine == nullptr)
        {
            return;
        }
        // Nothing may register with the watcher once it is gone.
        SetModelFileWatchRegistration({});
        if (engine->myTextureManager)
        {
            engine->myTextureManager->SetFileWatchRegistration({});
        }
        engine->myFileWatcher.reset();
        engine->myHooks.reset();
        engine->myConfiguration = EngineConfiguration();
        engine->myFontManager.reset();
        engine->myTextureManager.reset();
        engine->myGraphicsEngine.reset();
        // The cached shaders belong to this device: a later start loads its own.
        DX11::ReleaseShaderCaches();
        engine->myDX11.reset();
        engine->myWindow.reset();
        delete engine;
        theEngine = nullptr;
    }

    bool Engine::BeginFrame()
    {
        if (myQuit != 0)
        {
            return false;
        }
        Platform::Message message;
        while (Platform::PeekMessage(message))
        {
            Platform::DispatchMessage(message);
            if (message.message == Platform::MESSAGE_QUIT)
            {
                myQuit = 1;
                return false;
            }
        }

        if (myFileWatcher)
        {
            myFileWatcher->FlushChanges();
        }

        if (myDX11)
        {
            myDX11->BeginFrame(myConfiguration.myClearColor);
        }

        if (myGraphicsEngine && myGraphicsEngine->GetGraphicsStateStack() != nullptr)
        {
            myGraphicsEngine->GetGraphicsStateStack()->BeginFrame();
        }

        DX11::LastFrameDrawCallCount = DX11::DrawCallCount;
        DX11::DrawCallCount = 0;
        return true;
    }

    void Engine::EndFrame()
    {
        myTimer.Tick(myDeltaTime, myTotalTime);
        if (myDX11)
        {
            myDX11->EndFrame(myConfiguration.myEnableVsync);
        }
        if (myResizePending != 0)
        {
            OnResize();
        }
    }

    bool Engine::IsDebugFeatureOn(uint32_t aFeature) const
    {
        if ((myConfiguration.myDebugFeatures & ALL_DEBUG_FEATURES) == ALL_DEBUG_FEATURES)
        {
            return true;
        }
        return (myConfiguration.myDebugFeatures & aFeature) != 0;
    }

    void Engine::UpdateAspectRatio()
    {
        const float width = static_cast<float>(myConfiguration.myRenderWidth);
        const float height = static_cast<float>(myConfiguration.myRenderHeight);
        const float longSide = width > height ? width : height;
        const float shortSide = width > height ? height : width;
        // No area (a minimised window) keeps the last ratios.
        if (shortSide <= 0.0f)
        {
            return;
        }
        myWindowRatio = longSide / shortSide;
        myInverseWindowRatio = shortSide / longSide;
    }

    void Engine::OnResize()
    {
        if (!myDX11 || !myWindow)
        {
            myResizePending = 0;
            return;
        }
        Platform::Rect client;
        if (Platform::GetClientRect(myWindow->GetHandle(), client) &&
            (client.right - client.left <= 0 || client.bottom - client.top <= 0))
        {
            // Minimised: keep the last render size and ratios; restoring the window sends another size message.
            myResizePending = 0;
            return;
        }
        if (!myDX11->Resize() || DX11::BackBuffer == nullptr)
        {
            // Tried again at the end of the next frame; until then the frame start skips the back buffer.
            if (!myResizeFailureReported)
            {
                printf("Resizing the back buffer failed; trying again every frame\n");
                myResizeFailureReported = true;
            }
            myResizePending = 1;
            return;
        }
        myResizeFailureReported = false;
        myResizePending = 0;
        DX11::BackBuffer->SetAsActiveTarget(nullptr);
        const auto [width, height] = myDX11->GetBackBufferSize();
        if (width > 0 && height > 0)
        {
            myConfiguration.myRenderWidth = static_cast<uint32_t>(width);
            myConfiguration.myRenderHeight = static_cast<uint32_t>(height);
        }
        Platform::Rect outer;
        if (Platform::GetWindowRect(myWindow->GetHandle(), outer))
        {
            myConfiguration.myWindowWidth = static_cast<uint32_t>(outer.right - outer.left);
            myConfiguration.myWindowHeight = static_cast<uint32_t>(outer.bottom - outer.top);
        }
        UpdateAspectRatio();
    }
}
