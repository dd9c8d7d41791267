// The window: its client area, adoption of a window made elsewhere, fullscreen and back, and the
// window procedure's handling of messages before the window object is attached.
#include "../loaders/PngBuilder.h"
#include "mire/core/WindowIcon.h"
#include "mire/core/WindowsWindow.h"
#include "mire/settings/Settings.h"
#include "Support/TestSupport.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"

#include <gtest/gtest.h>

#include <array>

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

namespace
{
    // A made window's icon, with the game root pointing at a folder of the test's own.
    class WindowIconTest : public WindowsWindowTest
    {
    protected:
        void SetUp() override
        {
            WindowsWindowTest::SetUp();
            Settings::SetAssetRootsForTesting({}, myGameRoot.Path(), {});
        }
        void TearDown() override
        {
            Settings::SetAssetRootsForTesting({}, {}, VELA_COOKED_DIR);
            WindowsWindowTest::TearDown();
        }

        // The icon a freshly made window carries.
        RgbaImage IconOfANewWindow()
        {
            WindowsWindow window;
            WindowHandle* handle = nullptr;
            EXPECT_TRUE(window.Init(myConfiguration, nullptr, &handle));
            RgbaImage icon;
            icon.myWidth = window.GetHandle()->iconWidth;
            icon.myHeight = window.GetHandle()->iconHeight;
            icon.myPixels = window.GetHandle()->iconPixels;
            return icon;
        }

        static std::array<int, 4> PixelOf(const RgbaImage& anIcon, uint32_t aColumn, uint32_t aRow)
        {
            const size_t index = (size_t(aRow) * anIcon.myWidth + aColumn) * 4;
            if (anIcon.myPixels.size() < index + 4)
                return { -1, -1, -1, -1 };
            return { anIcon.myPixels[index], anIcon.myPixels[index + 1], anIcon.myPixels[index + 2], anIcon.myPixels[index + 3] };
        }

        void ExpectTheDefault(const RgbaImage& anIcon)
        {
            EXPECT_EQ(anIcon.myWidth, 64u);
            EXPECT_EQ(anIcon.myHeight, 64u);
            EXPECT_EQ(PixelOf(anIcon, 32, 32), (std::array<int, 4>{ 3, 153, 176, 255 }));
            EXPECT_EQ(PixelOf(anIcon, 0, 0)[3], 0) << "transparent outside the badge";
        }

        VelaTest::TempDirectory myGameRoot;
    };
}

TEST_F(WindowIconTest, WithoutTheGamesIconTheWindowCarriesTheBuiltInOne)
{
    ExpectTheDefault(IconOfANewWindow());
    EXPECT_EQ(MakeDefaultWindowIcon().myPixels, IconOfANewWindow().myPixels);
}

TEST_F(WindowIconTest, TheGamesPngAtTheGameRootBecomesTheWindowIcon)
{
    std::string rgb;
    for (int i = 0; i < 64 * 64; ++i)
        rgb += std::string{ char(200), char(10), char(20) };
    myGameRoot.Write("GameIcon.png", VelaTest::MakePng(64, 64, rgb, VelaTest::ColourSpaceChunk::Srgb));
    const RgbaImage icon = IconOfANewWindow();
    EXPECT_EQ(icon.myWidth, 64u);
    EXPECT_EQ(icon.myHeight, 64u);
    EXPECT_EQ(PixelOf(icon, 0, 0), (std::array<int, 4>{ 200, 10, 20, 255 }));
    EXPECT_EQ(PixelOf(icon, 63, 63), (std::array<int, 4>{ 200, 10, 20, 255 }));
}

TEST_F(WindowIconTest, ABrokenOrOversizedIconFileKeepsTheDefault)
{
    myGameRoot.Write("GameIcon.png", "not a png at all");
    ExpectTheDefault(IconOfANewWindow());

    std::string truncated = VelaTest::MakePng(64, 64, std::string(64 * 64 * 3, '\x7f'), VelaTest::ColourSpaceChunk::None);
    truncated.resize(truncated.size() / 2);
    myGameRoot.Write("GameIcon.png", truncated);
    ExpectTheDefault(IconOfANewWindow());

    myGameRoot.Write("GameIcon.png", VelaTest::MakePng(300, 2, std::string(300 * 2 * 3, '\x7f'), VelaTest::ColourSpaceChunk::None));
    ExpectTheDefault(IconOfANewWindow());
}

TEST_F(WindowIconTest, AnAdoptedWindowKeepsItsOwnIcon)
{
    WindowCreateInfo info;
    info.clientWidth = 64;
    info.clientHeight = 64;
    WindowHandle made = CreateNativeWindow(info);
    ASSERT_NE(made, nullptr);
    WindowHandle* handle = &made;
    {
        WindowsWindow window;
        ASSERT_TRUE(window.Init(myConfiguration, nullptr, &handle));
        EXPECT_TRUE(made->iconPixels.empty());
    }
    EXPECT_FALSE(SetWindowIcon(made, std::vector<uint8_t>(4, 0), 0, 1));
    EXPECT_FALSE(SetWindowIcon(made, std::vector<uint8_t>(4, 0), 2, 2)) << "too few pixels";
    EXPECT_TRUE(SetWindowIcon(made, std::vector<uint8_t>(16, 255), 2, 2));
    EXPECT_EQ(made->iconWidth, 2u);
    ReleaseNativeWindow(made);
}
