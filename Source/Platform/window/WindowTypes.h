#pragma once
// The few window-system types the engine's window procedure and configuration are written against.
// Message ids and their parameters keep the numbers and packing of the desktop system the engine was
// designed for, so the engine's message handling reads them unchanged.
#include <cstdint>
#include <vector>

struct SDL_Window;

namespace Vela::Platform
{
    struct NativeWindow;

    using WindowHandle = NativeWindow*;
    using InstanceHandle = void*;
    using MessageId = uint32_t;
    using WParam = uintptr_t;
    using LParam = intptr_t;
    using LResult = intptr_t;

    // Receives every message dispatched or sent to a window.
    using WindowProcedure = LResult (*)(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam);

    // A native window: the SDL window plus whatever the window layer keeps beside it.
    struct NativeWindow
    {
        SDL_Window* sdlWindow = nullptr;
        WindowProcedure procedure = nullptr;
        void* userData = nullptr;
        uint32_t sdlWindowId = 0;
        bool destroyed = false;       // the destroy message was sent; the SDL window is hidden until released
        bool rawMouseInput = false;   // raw mouse motion is delivered as MESSAGE_INPUT
        bool minimized = false;
        // The icon last given to the window: RGBA8, top row first (empty when it has none).
        uint32_t iconWidth = 0;
        uint32_t iconHeight = 0;
        std::vector<uint8_t> iconPixels;
    };

    constexpr MessageId MESSAGE_DESTROY = 0x0002;
    constexpr MessageId MESSAGE_SIZE = 0x0005;
    constexpr MessageId MESSAGE_CLOSE = 0x0010;
    constexpr MessageId MESSAGE_QUIT = 0x0012;
    constexpr MessageId MESSAGE_SETCURSOR = 0x0020;
    constexpr MessageId MESSAGE_INPUT = 0x00FF;
    constexpr MessageId MESSAGE_KEYDOWN = 0x0100;
    constexpr MessageId MESSAGE_KEYUP = 0x0101;
    constexpr MessageId MESSAGE_SYSKEYDOWN = 0x0104;
    constexpr MessageId MESSAGE_SYSKEYUP = 0x0105;
    constexpr MessageId MESSAGE_MOUSEMOVE = 0x0200;
    constexpr MessageId MESSAGE_LBUTTONDOWN = 0x0201;
    constexpr MessageId MESSAGE_LBUTTONUP = 0x0202;
    constexpr MessageId MESSAGE_RBUTTONDOWN = 0x0204;
    constexpr MessageId MESSAGE_RBUTTONUP = 0x0205;
    constexpr MessageId MESSAGE_MBUTTONDOWN = 0x0207;
    constexpr MessageId MESSAGE_MBUTTONUP = 0x0208;
    constexpr MessageId MESSAGE_MOUSEWHEEL = 0x020A;
    constexpr MessageId MESSAGE_XBUTTONDOWN = 0x020B;
    constexpr MessageId MESSAGE_XBUTTONUP = 0x020C;

    // wParam of MESSAGE_SIZE.
    constexpr WParam SIZE_RESTORED = 0;
    constexpr WParam SIZE_MINIMIZED = 1;
    constexpr WParam SIZE_MAXIMIZED = 2;

    // Low word of lParam of MESSAGE_SETCURSOR when the pointer is over the client area.
    constexpr LParam HIT_TEST_CLIENT = 1;

    // High word of wParam of MESSAGE_XBUTTONDOWN / UP.
    constexpr WParam XBUTTON_1 = 1;
    constexpr WParam XBUTTON_2 = 2;

    // Low word of wParam of mouse messages: the buttons and modifier keys down.
    constexpr WParam MOUSE_KEY_LBUTTON = 0x0001;
    constexpr WParam MOUSE_KEY_RBUTTON = 0x0002;
    constexpr WParam MOUSE_KEY_SHIFT = 0x0004;
    constexpr WParam MOUSE_KEY_CONTROL = 0x0008;
    constexpr WParam MOUSE_KEY_MBUTTON = 0x0010;
    constexpr WParam MOUSE_KEY_XBUTTON1 = 0x0020;
    constexpr WParam MOUSE_KEY_XBUTTON2 = 0x0040;

    // One notch of the mouse wheel.
    constexpr int WHEEL_DELTA = 120;
}
