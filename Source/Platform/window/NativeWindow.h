#pragma once
// Creating, sizing and destroying the native window, in the shape the engine's window code expects:
// a handle, a window procedure that receives every message, a user-data pointer, outer and client rectangles.
#include "Platform/window/WindowTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vela::Platform
{
    struct WindowCreateInfo
    {
        std::string title;           // UTF-8
        uint32_t clientWidth = 0;
        uint32_t clientHeight = 0;
        bool popup = false;          // no frame or title bar
        bool maximized = false;
        WindowProcedure procedure = nullptr;
    };

    struct Rect
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    // Creates a visible, GL-capable window. Null (with one line on stdout) when it cannot be made.
    WindowHandle CreateNativeWindow(const WindowCreateInfo& aInfo);

    // Sends MESSAGE_DESTROY to the window's procedure and hides it. The handle stays valid (its GL surface
    // too) until ReleaseNativeWindow; a second destroy does nothing.
    bool DestroyNativeWindow(WindowHandle aWindow);

    // Frees the window without sending it any message. The handle is invalid afterwards.
    void ReleaseNativeWindow(WindowHandle aWindow);

    // True for a handle made by CreateNativeWindow and not yet released.
    bool IsLiveWindow(WindowHandle aWindow);

    // Every window made and not yet released, oldest first.
    std::vector<WindowHandle> GetLiveWindows();

    // The live window whose SDL window has this id, or null.
    WindowHandle FindWindowBySdlId(uint32_t aSdlWindowId);

    // The largest icon side SetWindowIcon takes.
    constexpr uint32_t MAX_WINDOW_ICON_SIZE = 256;

    // Gives the window (title bar, task switcher) an icon from RGBA8 pixels, top row first, width x height x 4 bytes.
    // False for an invalid handle, no pixels, or a side of 0 or over MAX_WINDOW_ICON_SIZE; the window keeps its icon.
    bool SetWindowIcon(WindowHandle aWindow, const std::vector<uint8_t>& somePixels, uint32_t aWidth, uint32_t aHeight);

    void SetWindowUserData(WindowHandle aWindow, void* aUserData);
    void* GetWindowUserData(WindowHandle aWindow);

    // Outer rectangle (frame included) in desktop coordinates; false for an invalid handle.
    bool GetWindowRect(WindowHandle aWindow, Rect& aOut);
    // Client rectangle: (0, 0) to the client size; false for an invalid handle.
    bool GetClientRect(WindowHandle aWindow, Rect& aOut);

    // Fullscreen on the window's display, or back to a framed window with this client size at its old position.
    void SetWindowFullscreen(WindowHandle aWindow, bool aFullscreen, uint32_t aWindowedClientWidth,
                             uint32_t aWindowedClientHeight);

    // Calls the window's procedure at once (the default handling when it has none). 0 for an invalid handle.
    LResult SendMessage(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam);

    // The system's own handling of a message: closing destroys the window, the cursor request over the
    // client area shows the arrow; everything else answers 0.
    LResult DefaultWindowProcedure(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam);
}
