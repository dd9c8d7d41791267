#pragma once
// The one top-level window: made (or adopted) at engine start, switched between windowed and fullscreen,
// and its window procedure, which hands every message to the configured callback.
#include "mire/settings/EngineConfiguration.h"
#include "Platform/window/WindowTypes.h"

#include <cstdint>

namespace Vela
{
    class WindowsWindow
    {
    public:
        WindowsWindow() = default;
        ~WindowsWindow();
        WindowsWindow(const WindowsWindow&) = delete;
        WindowsWindow& operator=(const WindowsWindow&) = delete;

        // Creates the window, or adopts the one *aWindowHandle points at. On success *aWindowHandle points at
        // this object's handle. False when no window could be made.
        bool Init(const EngineConfiguration& aConfiguration, Platform::InstanceHandle* aInstanceOut,
                  Platform::WindowHandle** aWindowHandle);

        // Destroys the window (its procedure sees the destroy message, which posts the quit message).
        void Close();

        bool IsFullscreen() const { return myIsFullscreen != 0; }
        void SetFullscreen(bool aFullscreen);

        Platform::WindowHandle GetHandle() const { return myHandle; }

        static Platform::LResult WndProc(Platform::WindowHandle aWindow, Platform::MessageId aMessage,
                                         Platform::WParam aWParam, Platform::LParam aLParam);

    private:
        Platform::WindowHandle myHandle = nullptr;
        WindowMessageCallback myWindowMessageCallback;
        uint32_t myWindowWidth = 0;
        uint32_t myWindowHeight = 0;
        uint32_t myWindowedOuterWidth = 0;
        uint32_t myWindowedOuterHeight = 0;
        uint8_t myIsFullscreen = 0;
        bool myOwnsHandle = false;
    };
}
