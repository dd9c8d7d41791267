#include "Platform/window/NativeWindow.h"

#include "Platform/window/Cursor.h"
#include "Platform/window/VideoSubsystem.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace Vela::Platform
{
    namespace
    {
        // Windows are made and used on the main thread only, as the engine does.
        std::vector<WindowHandle>& LiveWindows()
        {
            static std::vector<WindowHandle> windows;
            return windows;
        }
    }

    WindowHandle CreateNativeWindow(const WindowCreateInfo& aInfo)
    {
        if (!StartVideoSubsystem())
        {
            return nullptr;
        }
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
        if (aInfo.popup)
        {
            flags |= SDL_WINDOW_BORDERLESS;
        }
        if (aInfo.maximized)
        {
            flags |= SDL_WINDOW_MAXIMIZED;
        }
        const int width = static_cast<int>(std::clamp<uint32_t>(aInfo.clientWidth, 1, 16384));
        const int height = static_cast<int>(std::clamp<uint32_t>(aInfo.clientHeight, 1, 16384));
        SDL_Window* sdlWindow = SDL_CreateWindow(aInfo.title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                                 SDL_WINDOWPOS_UNDEFINED, width, height, flags);
        if (sdlWindow == nullptr)
        {
            printf("Could not create the window: %s\n", SDL_GetError());
            return nullptr;
        }
        auto* window = new NativeWindow;
        window->sdlWindow = sdlWindow;
        window->sdlWindowId = SDL_GetWindowID(sdlWindow);
        window->procedure = aInfo.procedure;
        LiveWindows().push_back(window);
        return window;
    }

    bool DestroyNativeWindow(WindowHandle aWindow)
    {
        if (!IsLiveWindow(aWindow) || aWindow->destroyed)
        {
            return false;
        }
        aWindow->destroyed = true;
        SDL_HideWindow(aWindow->sdlWindow);
        SendMessage(aWindow, MESSAGE_DESTROY, 0, 0);
        return true;
    }

    void ReleaseNativeWindow(WindowHandle aWindow)
    {
        auto& windows = LiveWindows();
        const auto found = std::find(windows.begin(), windows.end(), aWindow);
        if (found == windows.end())
        {
            return;
        }
        windows.erase(found);
        SDL_DestroyWindow(aWindow->sdlWindow);
        delete aWindow;
    }

    bool IsLiveWindow(WindowHandle aWindow)
    {
        if (aWindow == nullptr)
        {
            return false;
        }
        const auto& windows = LiveWindows();
        return std::find(windows.begin(), windows.end(), aWindow) != windows.end();
    }

    std::vector<WindowHandle> GetLiveWindows()
    {
        return LiveWindows();
    }

    WindowHandle FindWindowBySdlId(uint32_t aSdlWindowId)
    {
        for (WindowHandle window : LiveWindows())
        {
            if (window->sdlWindowId == aSdlWindowId)
            {
                return window;
            }
        }
        return nullptr;
    }

    bool SetWindowIcon(WindowHandle aWindow, const std::vector<uint8_t>& somePixels, uint32_t aWidth, uint32_t aHeight)
    {
        if (!IsLiveWindow(aWindow) || aWidth == 0 || aHeight == 0 || aWidth > MAX_WINDOW_ICON_SIZE || aHeight > MAX_WINDOW_ICON_SIZE ||
            somePixels.size() != static_cast<size_t>(aWidth) * aHeight * 4)
        {
            return false;
        }
        aWindow->iconWidth = aWidth;
        aWindow->iconHeight = aHeight;
        aWindow->iconPixels = somePixels;
        // Bytes R, G, B, A in memory whatever the machine's byte order.
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(aWindow->iconPixels.data(), static_cast<int>(aWidth), static_cast<int>(aHeight),
                                                                  32, static_cast<int>(aWidth * 4), SDL_PIXELFORMAT_RGBA32);
        if (surface == nullptr)
        {
            printf("Could not make the window icon: %s\n", SDL_GetError());
            return true;
        }
        SDL_SetWindowIcon(aWindow->sdlWindow, surface);
        SDL_FreeSurface(surface);
        return true;
    }

    void SetWindowUserData(WindowHandle aWindow, void* aUserData)
    {
        if (IsLiveWindow(aWindow))
        {
            aWindow->userData = aUserData;
        }
    }

    void* GetWindowUserData(WindowHandle aWindow)
    {
        return IsLiveWindow(aWindow) ? aWindow->userData : nullptr;
    }

    bool GetWindowRect(WindowHandle aWindow, Rect& aOut)
    {
        if (!IsLiveWindow(aWindow))
        {
            return false;
        }
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        SDL_GetWindowPosition(aWindow->sdlWindow, &x, &y);
        SDL_GetWindowSize(aWindow->sdlWindow, &width, &height);
        int top = 0;
        int left = 0;
        int bottom = 0;
        int right = 0;
        // Not every video driver knows its frame; then the outer rectangle is the client area.
        if (SDL_GetWindowBordersSize(aWindow->sdlWindow, &top, &left, &bottom, &right) != 0)
        {
            top = left = bottom = right = 0;
        }
        aOut = { x - left, y - top, x + width + right, y + height + bottom };
        return true;
    }

    bool GetClientRect(WindowHandle aWindow, Rect& aOut)
    {
        if (!IsLiveWindow(aWindow))
        {
            return false;
        }
        int width = 0;
        int height = 0;
        if (aWindow->minimized)
        {
            // A minimised window has no client area, as the engine expects.
            aOut = {};
            return true;
        }
        SDL_GetWindowSize(aWindow->sdlWindow, &width, &height);
        aOut = { 0, 0, width, height };
        return true;
    }

    void SetWindowFullscreen(WindowHandle aWindow, bool aFullscreen, uint32_t aWindowedClientWidth,
                             uint32_t aWindowedClientHeight)
    {
        if (!IsLiveWindow(aWindow))
        {
            return;
        }
        SDL_Window* sdlWindow = aWindow->sdlWindow;
        if (aFullscreen)
        {
            SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
            return;
        }
        SDL_SetWindowFullscreen(sdlWindow, 0);
        SDL_SetWindowBordered(sdlWindow, SDL_TRUE);
        if ((SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MAXIMIZED) != 0)
        {
            SDL_RestoreWindow(sdlWindow);
        }
        SDL_SetWindowSize(sdlWindow, static_cast<int>(std::clamp<uint32_t>(aWindowedClientWidth, 1, 16384)),
                          static_cast<int>(std::clamp<uint32_t>(aWindowedClientHeight, 1, 16384)));
        SDL_ShowWindow(sdlWindow);
    }

    LResult SendMessage(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam)
    {
        if (!IsLiveWindow(aWindow))
        {
            return 0;
        }
        if (aWindow->procedure != nullptr)
        {
            return aWindow->procedure(aWindow, aMessage, aWParam, aLParam);
        }
        return DefaultWindowProcedure(aWindow, aMessage, aWParam, aLParam);
    }

    LResult DefaultWindowProcedure(WindowHandle aWindow, MessageId aMessage, WParam /*aWParam*/, LParam aLParam)
    {
        switch (aMessage)
        {
        case MESSAGE_CLOSE:
            DestroyNativeWindow(aWindow);
            return 0;
        case MESSAGE_SETCURSOR:
            if ((aLParam & 0xFFFF) == HIT_TEST_CLIENT)
            {
                ShowArrowCursor();
                return 1;
            }
            return 0;
        default:
            return 0;
        }
    }
}
