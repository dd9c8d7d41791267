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

        void AppendUtf8(std::string& aOut, uint32_t aCodePoint)
        {
            if (aCodePoint < 0x80)
            {
                aOut += static_cast<char>(aCodePoint);
            }
            else if (aCodePoint < 0x800)
            {
                aOut += static_cast<char>(0xC0 | (aCodePoint >> 6));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
            else if (aCodePoint < 0x10000)
            {
                aOut += static_cast<char>(0xE0 | (aCodePoint >> 12));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 6) & 0x3F));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
            else
            {
                aOut += static_cast<char>(0xF0 | (aCodePoint >> 18));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 12) & 0x3F));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 6) & 0x3F));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
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

    std::string WideToUtf8(std::wstring_view aText)
    {
        std::string result;
        result.reserve(aText.size());
        for (size_t i = 0; i < aText.size(); ++i)
        {
            uint32_t codePoint = static_cast<uint32_t>(aText[i]);
            // wchar_t is 32 bits here, but a title may still carry UTF-16 surrogate pairs.
            if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < aText.size())
            {
                const uint32_t low = static_cast<uint32_t>(aText[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF)
                {
                    codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
            if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            {
                codePoint = 0xFFFD;
            }
            AppendUtf8(result, codePoint);
        }
        return result;
    }
}
