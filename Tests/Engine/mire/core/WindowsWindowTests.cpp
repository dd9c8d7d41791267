// The window: its client area, adoption of a window made elsewhere, fullscreen and back, and the
// window procedure's handling of messages before the window object is attached.
#include "mire/core/WindowsWindow.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"

#include <gtest/gtest.h>

using namespace Vela;
using namespace Vela::Platform;

namespace
{
    class WindowsWindowTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ClearMessageQueue();
            myConfiguration.myWindowWidth = 300;
            myConfiguration.myWindowHeight = 200;
        }
        void TearDown() override { ClearMessageQueue(); }

        bool QuitIsPosted()
        {
            Message message;
            while (PeekMessage(message))
            {
                if (message.message == MESSAGE_QUIT)
                {
                    return true;
                }
            }
            return false;
        }

        EngineConfiguration myConfiguration;
    };
}

TEST_F(WindowsWindowTest, CreatedWindowHasTheConfiguredClientAreaEvenWhenBorderless)
{
    myConfiguration.myBorderless = true;
    WindowsWindow window;
    InstanceHandle instance = nullptr;
    WindowHandle* handle = nullptr;
    ASSERT_TRUE(window.Init(myConfiguration, &instance, &handle));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(*handle, window.GetHandle()) << "the out pointer points at the window's own handle";
    EXPECT_NE(instance, nullptr);
    EXPECT_EQ(GetWindowUserData(window.GetHandle()), &window);
    EXPECT_FALSE(window.IsFullscreen());

    Rect client;
    ASSERT_TRUE(GetClientRect(window.GetHandle(), client));
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);

    window.SetFullscreen(true);
    EXPECT_TRUE(window.IsFullscreen());
    window.SetFullscreen(false);
    EXPECT_FALSE(window.IsFullscreen());
    ASSERT_TRUE(GetClientRect(window.GetHandle(), client));
    EXPECT_EQ(client.right, 300) << "leaving fullscreen restores the windowed size";
    EXPECT_EQ(client.bottom, 200);
}

TEST_F(WindowsWindowTest, AdoptedWindowIsUsedAndLeftToItsOwner)
{
    WindowCreateInfo info;
    info.clientWidth = 300;
    info.clientHeight = 200;
    info.procedure = &WindowsWindow::WndProc;
    WindowHandle own = CreateNativeWindow(info);
    ASSERT_NE(own, nullptr);
    {
        WindowHandle* handle = &own;
        WindowsWindow window;
        ASSERT_TRUE(window.Init(myConfiguration, nullptr, &handle));
        EXPECT_EQ(window.GetHandle(), own);
        EXPECT_EQ(handle, &own) << "an adopted handle's pointer is left alone";
        EXPECT_EQ(GetWindowUserData(own), &window);
    }
    EXPECT_TRUE(IsLiveWindow(own)) << "the window object does not free a window it did not make";
    EXPECT_EQ(GetWindowUserData(own), nullptr);

    // A handle that is not a window fails the start instead of being used.
    WindowHandle stale = own;
    ReleaseNativeWindow(own);
    WindowHandle* handle = &stale;
    WindowsWindow window;
    EXPECT_FALSE(window.Init(myConfiguration, nullptr, &handle));
}

TEST_F(WindowsWindowTest, MessagesBeforeTheWindowIsAttachedGetDefaultHandling)
{
    WindowCreateInfo info;
    info.clientWidth = 32;
    info.clientHeight = 32;
    info.procedure = &WindowsWindow::WndProc;
    WindowHandle bare = CreateNativeWindow(info);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(WindowsWindow::WndProc(bare, MESSAGE_SIZE, SIZE_RESTORED, PackPoint(32, 32)), 0);
    EXPECT_EQ(WindowsWindow::WndProc(bare, MESSAGE_DESTROY, 0, 0), 0);
    EXPECT_TRUE(QuitIsPosted()) << "destruction always ends the message loop";
    ReleaseNativeWindow(bare);
}
