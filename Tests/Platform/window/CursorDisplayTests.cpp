// The cursor's display counter: each call moves it by one and returns it; the cursor shows while it is >= 0.
#include "Platform/window/Cursor.h"
#include "Platform/window/NativeWindow.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

using namespace Vela::Platform;

TEST(CursorDisplayTest, CounterMovesByOneAndDecidesVisibility)
{
    WindowCreateInfo info;
    info.title = "cursor";
    info.clientWidth = 64;
    info.clientHeight = 64;
    info.procedure = &DefaultWindowProcedure;
    WindowHandle window = CreateNativeWindow(info);
    ASSERT_NE(window, nullptr);

    // Two hides need two shows before the cursor is back: the counter does not saturate.
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(ShowCursor(true), 1);
    EXPECT_EQ(ShowCursor(false), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    ReleaseNativeWindow(window);
}
