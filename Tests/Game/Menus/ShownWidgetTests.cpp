// The menus act on what the player sees: a click reaches one shown widget, Confirm runs only a shown
// button, a page starts from its first row on every visit, the fullscreen tick follows the window,
// and the mouse is mapped against the client area. Also the pause menu's navigation and hover rules.
#include "MenuTestGame.h"

#include "Menus/InGameMenuState.h"
#include "Menus/MainMenuState.h"
#include "Sound/SoundManager.h"

#include "mire/core/WindowsWindow.h"
#include "Platform/window/NativeWindow.h"

#include <gtest/gtest.h>

using MenuTest::MenuGame;

namespace
{
    const std::vector<int> MAIN_MENU{ int(StateId::MainMenu) };
    const std::vector<int> PLAYING{ int(StateId::Game) };
    const std::vector<int> PAUSED{ int(StateId::Game), int(StateId::InGameMenu) };

    Vela::WindowsWindow& Window()
    {
        return *Vela::Engine::GetInstance()->myWindow;
    }

    // One-shots started so far: a playing slot counts once, and a freed one has moved on a generation.
    int OneShotsStarted()
    {
        int started = 0;
        for (const SoundSlot& slot : SoundManager::GetInstance().GetOneShotPool())
            started += int(slot.generation) + (slot.active ? 1 : 0);
        return started;
    }

    // Past the 0.1 s input lock that follows a page change.
    void WaitOutTheLock(MenuGame& aGame)
    {
        for (int frame = 0; frame < 10; ++frame)
            aGame.Frame();
    }
}

TEST(ShownWidgetTest, PauseMenuClickAndConfirmReachOnlyTheShownPage)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    SoundManager& sound = SoundManager::GetInstance();
    sound.SetEffectsVolume(1.0f);
    InGameMenuState& pause = game.Screen<InGameMenuState>(StateId::InGameMenu);
    game.StartFirstLevel();
    game.Press(SDLK_ESCAPE);
    ASSERT_EQ(game.StackIds(), PAUSED);

    // "options" (360 x 120 art at 0.7) spans y 308..392 and the "sfx" bar it shows (500 x 90 at 0.7)
    // 368.5..431.5. The fill starts at 800 - 0.7 x 240 = 632 and is 0.7 x 480 = 336 long, so a drag at
    // x 800 would set (800 - 632) / 336 = 0.5.
    game.ClickCanvas(800.0f, 380.0f);
    ASSERT_TRUE(pause.IsOptionsPage());
    EXPECT_FLOAT_EQ(sound.GetEffectsVolume(), 1.0f) << "the click that shows the slider does not drag it";
    EXPECT_EQ(pause.GetSelection(), InGameMenuState::SELECTION_SLIDER_ROW) << "the page starts on its first row";

    // The fullscreen row selected, "back" clicked with the mouse, then E: the main page starts on
    // "resume" (selection 0), so E resumes and the hidden toggle stays untouched.
    WaitOutTheLock(game);
    game.MoveMouse(10, 10);
    for (int row = 0; row < 3; ++row)
        game.Press(SDLK_DOWN);
    ASSERT_EQ(pause.GetSelection(), InGameMenuState::SELECTION_FULLSCREEN);
    game.ClickCanvas(800.0f, 175.0f); // "back"
    ASSERT_FALSE(pause.IsOptionsPage());
    WaitOutTheLock(game);
    game.MoveMouse(10, 10);
    game.Frame(); // the game reads the pointer one frame after it moved
    EXPECT_EQ(pause.GetSelection(), 0);
    EXPECT_FLOAT_EQ(pause.GetRegistry().GetButton("resume").myHighlightColor.x, 0.7f);
    game.Press(SDLK_e);
    EXPECT_FALSE(Window().IsFullscreen());
    EXPECT_EQ(game.StackIds(), PLAYING);
}

TEST(ShownWidgetTest, TitleBookPagesStartAfreshAndTheTickFollowsTheWindow)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    game.ShowMainMenu();
    MainMenuState& menu = game.Screen<MainMenuState>(StateId::MainMenu);

    // On every visit MenuDown from "level_0" (index 0) goes to (0 - 1) mod 5 = 4: selection 5 + 4 = 9.
    game.Press(SDLK_DOWN); // "levelselect"
    for (int visit = 0; visit < 2; ++visit)
    {
        game.Press(SDLK_e);
        ASSERT_EQ(menu.GetOpenPanel(), &menu.GetLevelSelectPanel());
        game.Press(SDLK_DOWN);
        EXPECT_EQ(menu.GetSelection(), 9) << "visit " << visit;
        game.Press(SDLK_ESCAPE); // Back
        ASSERT_EQ(menu.GetOpenPanel(), nullptr);
    }

    // The program runs fullscreen once Game::Init is done, after the menus were built windowed.
    Window().SetFullscreen(true);
    GameGlobals::isFullscreen = true;
    game.Frame();
    game.Frame();
    game.Press(SDLK_DOWN); // "options"
    game.Press(SDLK_e);
    ASSERT_EQ(menu.GetOpenPanel(), &menu.GetOptionsPanel());
    const UISprite& tick = menu.GetOptionsPanel().GetSprite("toggleFilled");
    EXPECT_FALSE(tick.myInstance.myIsHidden) << "ticked while fullscreen";
    game.Press(SDLK_UP); // options row (0 - 1) mod 4 = 3: the toggle
    ASSERT_EQ(menu.GetSelection(), MainMenuState::SELECTION_FULLSCREEN);
    game.Press(SDLK_e);
    EXPECT_FALSE(Window().IsFullscreen());
    EXPECT_TRUE(tick.myInstance.myIsHidden);
    game.Press(SDLK_e);
    EXPECT_TRUE(Window().IsFullscreen());
    EXPECT_FALSE(tick.myInstance.myIsHidden);
    game.Press(SDLK_e);
    ASSERT_FALSE(Window().IsFullscreen());
    game.Frame();
    game.Frame();
    game.Press(SDLK_ESCAPE);

    // Credits opened with the mouse: neither "level_0", selected on the page it replaced, nor the
    // hidden "levelselect", selected again after Back, runs on E.
    game.Press(SDLK_UP); // "levelselect"
    game.Press(SDLK_e);
    ASSERT_EQ(menu.GetSelection(), MainMenuState::SELECTION_FIRST_LEVEL);
    for (int selected : { MainMenuState::SELECTION_FIRST_LEVEL, 1 })
    {
        game.ClickCanvas(500.0f, 305.0f); // "credits"
        ASSERT_EQ(menu.GetOpenPanel(), &menu.GetCreditsPanel());
        ASSERT_EQ(menu.GetSelection(), selected);
        game.Press(SDLK_e);
        EXPECT_EQ(menu.GetOpenPanel(), &menu.GetCreditsPanel()) << selected;
        EXPECT_EQ(game.StackIds(), MAIN_MENU) << selected;
        game.Press(SDLK_ESCAPE); // the credits' Back
    }
}

TEST(ShownWidgetTest, TheMouseMapsAgainstTheClientAreaAfterAResize)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    game.ShowMainMenu();
    MainMenuState& menu = game.Screen<MainMenuState>(StateId::MainMenu);
    Vela::Engine& engine = *Vela::Engine::GetInstance();

    SDL_SetWindowSize(Window().GetHandle()->sdlWindow, 800, 450);
    game.Frame();
    ASSERT_EQ(engine.myConfiguration.myRenderWidth, 800u) << "the engine took the resize";
    // The engine keeps the window's outer rectangle. The headless driver knows no frame, so stand in
    // a desktop's: 8 px at the sides and bottom and a 31 px title bar round the 800 x 450 client area.
    engine.myConfiguration.myWindowWidth = 816;
    engine.myConfiguration.myWindowHeight = 489;

    // Client (250, 205) is canvas (250 / 800 x 1600, 900 - 205 / 450 x 900) = (500, 490), inside
    // "options" (320 x 100 at (505, 445): y 395..495). Against 816 x 489 it would be (490.2, 522.7),
    // in the gap below "levelselect" (y 540..640).
    game.ClickWindow(250, 205);
    EXPECT_EQ(menu.GetOpenPanel(), &menu.GetOptionsPanel());
}

TEST(ShownWidgetTest, PauseMenuHoverWrapRowsAndTheOptionsScreen)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    SoundManager& sound = SoundManager::GetInstance();
    InGameMenuState& pause = game.Screen<InGameMenuState>(StateId::InGameMenu);
    game.StartFirstLevel();
    game.Press(SDLK_ESCAPE);
    ASSERT_EQ(game.StackIds(), PAUSED);

    // "resume" (252 x 84 at (800, 650)) lies under window rows 208..292; two moves inside it and a
    // few still frames are one entry, one hover sound; leaving and coming back is another.
    const auto pointAt = [&game](int aX, int aY) {
        game.MoveMouse(aX, aY);
        game.Frame(); // the game reads the pointer one frame after it moved
    };
    pointAt(10, 10);
    const int beforeHover = OneShotsStarted();
    pointAt(800, 250);
    pointAt(700, 260);
    game.Frame();
    EXPECT_EQ(OneShotsStarted(), beforeHover + 1);
    pointAt(10, 10);
    pointAt(800, 250);
    EXPECT_EQ(OneShotsStarted(), beforeHover + 2);
    pointAt(10, 10);

    // Down three times from "resume" reaches "exit" (3); once more wraps to (3 + 1) mod 4 = 0.
    for (int press = 0; press < 3; ++press)
        game.Press(SDLK_DOWN);
    EXPECT_EQ(pause.GetSelection(), 3);
    game.Press(SDLK_DOWN);
    EXPECT_EQ(pause.GetSelection(), 0);

    // Options by keyboard; up from row 0 is row (0 - 1) mod 5 = 4, "back" (selection 5).
    game.Press(SDLK_DOWN);
    game.Press(SDLK_DOWN);
    game.Press(SDLK_e);
    ASSERT_TRUE(pause.IsOptionsPage());
    game.Press(SDLK_UP);
    EXPECT_EQ(pause.GetSelection(), InGameMenuState::SELECTION_BACK);

    // MenuLeft on the toggle's row (3): no sound and no volume changes.
    game.Press(SDLK_UP);
    ASSERT_EQ(pause.GetSelection(), InGameMenuState::SELECTION_FULLSCREEN);
    sound.SetMasterVolume(0.5f);
    sound.SetMusicVolume(0.5f);
    sound.SetEffectsVolume(0.5f);
    game.Frame();
    const int beforeLeft = OneShotsStarted();
    game.Press(SDLK_LEFT);
    EXPECT_EQ(OneShotsStarted(), beforeLeft);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.5f);
    EXPECT_FLOAT_EQ(sound.GetMusicVolume(), 0.5f);
    EXPECT_FLOAT_EQ(sound.GetEffectsVolume(), 0.5f);
    sound.SetMasterVolume(1.0f);
    sound.SetMusicVolume(1.0f);
    sound.SetEffectsVolume(1.0f);

    // The stand-alone options screen: its one button (500 x 90 at the render centre (800, 450)) only
    // prints "VOLUME".
    game.Stack().Push(StateId::Options);
    game.Frame();
    testing::internal::CaptureStdout();
    game.ClickCanvas(800.0f, 450.0f);
    game.Press(SDLK_e);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("VOLUME\n"), std::string::npos);
    EXPECT_EQ(output.find("VOLUME\n"), output.rfind("VOLUME\n")) << "printed once";
    EXPECT_EQ(game.Stack().TopId(), int(StateId::Options));
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 1.0f);
}
