#include "mire/core/WindowsWindow.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowIcon.h"
#include "Platform/window/Cursor.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"
#include "Platform/text/TextConversion.h"

#include <cstdio>
#include <mutex>

namespace Vela
{
    namespace
    {
        constexpr const char* CURSOR_FILE = "MouseCursor.cur";

        // Loaded once, on the first cursor request; a missing file is not tried again.
        Platform::CursorHandle GetGameCursor()
        {
            static std::once_flag once;
            static Platform::CursorHandle cursor = nullptr;
            std::call_once(once, [] { cursor = Platform::LoadCursorFromFile(CURSOR_FILE); });
            return cursor;
        }
    }

    WindowsWindow::~WindowsWindow()
    {
        if (myHandle == nullptr)
        {
            return;
        }
        Platform::SetWindowUserData(myHandle, nullptr);
        if (myOwnsHandle)
        {
            Platform::ReleaseNativeWindow(myHandle);
        }
        myHandle = nullptr;
    }

    bool WindowsWindow::Init(const EngineConfiguration& aConfiguration, Platform::InstanceHandle* aInstanceOut,
                             Platform::WindowHandle** aWindowHandle)
    {
        myWindowMessageCallback = aConfiguration.myWindowMessageCallback;
        if (aInstanceOut != nullptr)
        {
            // There is no module handle here; one process-wide token stands for it.
            static int processInstance = 0;
            *aInstanceOut = &processInstance;
        }

        if (aWindowHandle == nullptr || *aWindowHandle == nullptr || **aWindowHandle == nullptr)
        {
            Platform::WindowCreateInfo info;
            info.title = Platform::WideToUtf8(aConfiguration.myTitle);
            info.clientWidth = aConfiguration.myWindowWidth;
            info.clientHeight = aConfiguration.myWindowHeight;
            info.popup = aConfiguration.myBorderless || aConfiguration.myStartInFullscreen;
            info.maximized = aConfiguration.myStartInFullscreen || aConfiguration.myStartMaximized;
            info.procedure = &WindowsWindow::WndProc;
            myHandle = Platform::CreateNativeWindow(info);
            if (myHandle == nullptr)
            {
                return false;
            }
            myOwnsHandle = true;
            // The window we make carries the game's icon (an adopted window keeps its own).
            const RgbaImage icon = LoadWindowIcon();
            Platform::SetWindowIcon(myHandle, icon.myPixels, icon.myWidth, icon.myHeight);
            if (aWindowHandle != nullptr)
            {
                *aWindowHandle = &myHandle;
            }
        }
        else
        {
            myHandle = **aWindowHandle;
            myOwnsHandle = false;
            if (!Platform::IsLiveWindow(myHandle))
            {
                printf("The window handed to the engine is not a live window\n");
                myHandle = nullptr;
                return false;
            }
        }

        Platform::SetWindowUserData(myHandle, this);

        myWindowWidth = aConfiguration.myWindowWidth;
        myWindowHeight = aConfiguration.myWindowHeight;
        Platform::Rect outer;
        Platform::Rect client;
        Platform::GetWindowRect(myHandle, outer);
        Platform::GetClientRect(myHandle, client);
        // The frame around the configured client area.
        myWindowedOuterWidth = myWindowWidth + static_cast<uint32_t>((outer.right - outer.left) - (client.right - client.left));
        myWindowedOuterHeight = myWindowHeight + static_cast<uint32_t>((outer.bottom - outer.top) - (client.bottom - client.top));

        SetFullscreen(IsFullscreen());
        return true;
    }

    void WindowsWindow::Close()
    {
        Platform::DestroyNativeWindow(myHandle);
    }

    void WindowsWindow::SetFullscreen(bool aFullscreen)
    {
        myIsFullscreen = aFullscreen ? 1 : 0;
        // Windowed, the client area is the configured window size again, wherever the window stands.
        Platform::SetWindowFullscreen(myHandle, aFullscreen, myWindowWidth, myWindowHeight);
    }

    Platform::LResult WindowsWindow::WndProc(Platform::WindowHandle aWindow, Platform::MessageId aMessage,
                                             Platform::WParam aWParam, Platform::LParam aLParam)
    {
        auto* window = static_cast<WindowsWindow*>(Platform::GetWindowUserData(aWindow));
        if (window != nullptr)
        {
            if (aMessage == Platform::MESSAGE_SETCURSOR && (aLParam & 0xFFFF) == Platform::HIT_TEST_CLIENT)
            {
                if (Platform::CursorHandle cursor = GetGameCursor())
                {
                    Platform::SetCursor(cursor);
                    return 1;
                }
            }
            if (window->myWindowMessageCallback)
            {
                const Platform::LResult result = window->myWindowMessageCallback(aWindow, aMessage, aWParam, aLParam);
                if (result != 0)
                {
                    return result;
                }
            }
        }

        if (aMessage == Platform::MESSAGE_DESTROY)
        {
            Platform::PostQuitMessage(0);
            return 0;
        }
        if (aMessage == Platform::MESSAGE_SIZE)
        {
            if (Engine* engine = Engine::GetInstance())
            {
                engine->myResizePending = 1;
            }
        }
        return Platform::DefaultWindowProcedure(aWindow, aMessage, aWParam, aLParam);
    }
}
