#pragma once
// The one engine object of the process: owns the window, the graphics device, the font holder, a copy of
// the start-up configuration and the hook lists; pumps window messages, brackets each frame and measures
// time. Main thread only.
#include "mire/core/EngineHooks.h"
#include "mire/core/Timer.h"
#include "mire/settings/EngineConfiguration.h"
#include "Platform/window/WindowTypes.h"

#include <cstdint>
#include <memory>

namespace Vela
{
    class DX11;
    class FileWatcher;
    class FontManager;
    class GraphicsEngine;
    class TextureManager;
    class WindowsWindow;

    class Engine
    {
    public:
        ~Engine();
        Engine(const Engine&) = delete;
        Engine& operator=(const Engine&) = delete;

        // Creates and starts the engine from the global configuration. False when an engine already exists
        // (nothing changes) or a start step failed (the engine stays published; nothing is torn down).
        static bool Start();
        // Deletes the engine and its services; nothing when there is none.
        static void Shutdown();
        // Null before Start and after Shutdown.
        static Engine* GetInstance();

        // Pumps window messages and prepares the frame; false once the quit message was seen.
        bool BeginFrame();
        // Advances the timer, presents, and handles a pending resize.
        void EndFrame();

        // Points at the window's handle once started.
        Platform::WindowHandle* GetHwnd() const { return myConfiguration.myWindowHandle; }
        float GetWindowRatio() const { return myWindowRatio; }
        float GetInverseWindowRatio() const { return myInverseWindowRatio; }
        // All nine feature bits set turn every feature on.
        bool IsDebugFeatureOn(uint32_t aFeature) const;

        void OnResize();
        void UpdateAspectRatio();

        // Read directly by callers.
        std::unique_ptr<WindowsWindow> myWindow;
        std::unique_ptr<DX11> myDX11;
        std::unique_ptr<GraphicsEngine> myGraphicsEngine;
        std::unique_ptr<TextureManager> myTextureManager;
        std::unique_ptr<FontManager> myFontManager;
        EngineConfiguration myConfiguration;
        std::unique_ptr<EngineHooks> myHooks;
        std::unique_ptr<FileWatcher> myFileWatcher;
        uint8_t myResizePending = 0;
        float myWindowRatio = 1.0f;
        float myInverseWindowRatio = 1.0f;
        int64_t myStartTimeNs = 0;
        float myTotalTime = 0.0f;
        float myDeltaTime = 0.0f;
        Timer myTimer;
        uint8_t myQuit = 0;

    private:
        // A resize that keeps failing is reported once, not every frame.
        bool myResizeFailureReported = false;

        Engine();
        bool InternalStart();
        void CloseWindowAfterFailure(const char* aStep);
    };
}
