// The menu screens inside a running game: title book and its pages, pause menu, options, logo,
// opening video and ending, driven by window-system input with a fixed frame step.
#include "MenuTestGame.h"

#include "Support/GameTestSupport.h"

#include "Camera/CameraController.h"
#include "Levels/LevelLoader.h"
#include "Menus/InGameMenuState.h"
#include "Menus/MainMenuState.h"
#include "Screens/EndingState.h"
#include "Screens/LogoState.h"
#include "Screens/OpeningState.h"
#include "Sound/SoundManager.h"

#include "mire/core/WindowsWindow.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "mire/texture/Texture.h"
#include "mire/video/VideoStream.h"
#include "Platform/waveout/WaveOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using MenuTest::MenuGame;

namespace
{
    const std::vector<int> MAIN_MENU{ int(StateId::MainMenu) };
    const std::vector<int> PLAYING{ int(StateId::Game) };
    const std::vector<int> PAUSED{ int(StateId::Game), int(StateId::InGameMenu) };
    const std::vector<int> LEVEL_STARTING{ int(StateId::Game), int(StateId::Transition) };

    constexpr const char* MAIN_INTRO = "Audio/Music/Wispvale - Main Theme (w_ intro).wav";
    constexpr const char* MAIN_LOOP = "Audio/Music/Wispvale - Main Theme (loop).wav";
    constexpr const char* PLAYER_JOG = "Audio/Sfx/Player/Vevo_Jog_Plain_Loop.wav";
    constexpr const char* BOOK_OPEN = "Audio/Sfx/Ui/Book_UI/Book_open.wav";

    bool EndsWith(const std::string& aText, const std::string& anEnd)
    {
        return aText.size() >= anEnd.size() && aText.compare(aText.size() - anEnd.size(), anEnd.size(), anEnd) == 0;
    }
}

TEST(MenuScreensTest, TitleBookSelectionAndLevelSelectWaitingForTheLoader)
{
    VelaTest::LevelWorkerGate gate;
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    game.ShowMainMenu();
    MainMenuState& menu = game.Screen<MainMenuState>(StateId::MainMenu);

    game.Press(SDLK_DOWN);
    EXPECT_EQ(menu.GetSelection(), 1);
    game.Press(SDLK_e);
    EXPECT_EQ(menu.GetOpenPanel(), &menu.GetLevelSelectPanel());
    EXPECT_EQ(menu.GetSelection(), MainMenuState::SELECTION_FIRST_LEVEL);
    game.Press(SDLK_DOWN);
    EXPECT_EQ(menu.GetSelection(), MainMenuState::SELECTION_FIRST_LEVEL + 4) << "the level buttons run bottom to top";
    UIElementRegistry& levels = menu.GetLevelSelectPanel().GetElements();
    const Vela::Vector4<float> highlight = levels.GetButton("level_4").myHighlightColor;
    EXPECT_FLOAT_EQ(highlight.x, 1.0f);
    EXPECT_FLOAT_EQ(highlight.y, 0.5f);
    EXPECT_FLOAT_EQ(levels.GetButton("level_0").myHighlightColor.x, 0.0f);
    EXPECT_FALSE(game.Screenshot("main_menu_level_select").empty());

    ASSERT_FALSE(game.TheGame().GetLevelLoader().IsReady());
    game.Press(SDLK_e);
    game.ClickCanvas(1239.0f, 317.0f); // "level_1"
    EXPECT_EQ(game.StackIds(), MAIN_MENU) << "later levels wait for the background loading";

    gate.Release();
    game.TheGame().GetLevelLoader().WaitUntilReady();
    game.ClickCanvas(1239.0f, 317.0f);
    EXPECT_EQ(game.StackIds(), LEVEL_STARTING);
    EXPECT_EQ(game.TheGame().GetLevelLoader().GetCurrentLevelKey(), Vela::StringRegistry::RegisterOrGetString("level_1"));
}

TEST(MenuScreensTest, TitleBookOptionsCreditsAndBack)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    game.ShowMainMenu();
    MainMenuState& menu = game.Screen<MainMenuState>(StateId::MainMenu);
    SoundManager& sound = SoundManager::GetInstance();
    sound.SetMasterVolume(1.0f);

    game.ClickCanvas(505.0f, 445.0f); // "options"
    ASSERT_EQ(menu.GetOpenPanel(), &menu.GetOptionsPanel());
    game.Press(SDLK_LEFT);
    game.Press(SDLK_LEFT);
    EXPECT_NEAR(sound.GetMasterVolume(), 0.8f, 1e-5f);
    game.Press(SDLK_UP); // row 3: the fullscreen toggle
    const float before = sound.GetMasterVolume();
    game.Press(SDLK_RIGHT);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), before) << "no slider on the toggle's row";
    EXPECT_FALSE(game.Screenshot("main_menu_options").empty());

    game.Press(SDLK_ESCAPE); // Back
    EXPECT_EQ(menu.GetOpenPanel(), nullptr);
    EXPECT_EQ(game.StackIds(), MAIN_MENU);

    game.ClickCanvas(500.0f, 305.0f); // "credits"
    ASSERT_EQ(menu.GetOpenPanel(), &menu.GetCreditsPanel());
    EXPECT_TRUE(game.Stack().GetState(StateId::MainMenu)->GetRegistry().GetButton("play").myInstance.myIsHidden);
    EXPECT_FALSE(game.Screenshot("main_menu_credits").empty());
    game.ClickCanvas(1100.0f, 305.0f); // "Back"
    EXPECT_EQ(menu.GetOpenPanel(), nullptr);
    EXPECT_FALSE(game.Stack().GetState(StateId::MainMenu)->GetRegistry().GetButton("play").myInstance.myIsHidden);
    sound.SetMasterVolume(1.0f);

    // The stand-alone options screen leaves with CloseMenu only.
    game.Stack().Push(StateId::Options);
    game.Frame();
    EXPECT_FALSE(game.Screenshot("options_screen").empty());
    game.Press(SDLK_RETURN);
    EXPECT_EQ(game.Stack().TopId(), int(StateId::Options));
    game.Press(SDLK_ESCAPE);
    EXPECT_EQ(game.StackIds(), MAIN_MENU);
}

TEST(MenuScreensTest, PauseMenuResumeOptionsFullscreenAndReturnToTheTitle)
{
    MenuGame game([](const std::filesystem::path& aRoot) {
        for (const char* file : { MAIN_INTRO, MAIN_LOOP, PLAYER_JOG })
            MenuTest::WriteSilentWav(aRoot, file);
    });
    ASSERT_TRUE(game.IsStarted());
    SoundManager& sound = SoundManager::GetInstance();
    sound.SetMasterVolume(1.0f);
    InGameMenuState& pause = game.Screen<InGameMenuState>(StateId::InGameMenu);
    game.StartFirstLevel();

    game.Press(SDLK_ESCAPE);
    EXPECT_EQ(game.StackIds(), PAUSED);
    EXPECT_FALSE(game.Screenshot("pause_menu").empty());
    game.Press(SDLK_ESCAPE);
    EXPECT_EQ(game.StackIds(), PAUSED) << "Escape raises Pause first, which the menu consumes";
    const CameraController& camera = *game.TheGame().GetContext().cameraController;
    EXPECT_TRUE(camera.IsHeld()) << "the camera keeps still behind the menu";
    game.Press(SDLK_e); // "resume"
    EXPECT_EQ(game.StackIds(), PLAYING);
    EXPECT_FALSE(camera.IsHeld()) << "resume lets the camera go";

    // Options: a click on the toggle right after the page change is locked out.
    game.Press(SDLK_ESCAPE);
    game.ClickCanvas(800.0f, 350.0f); // "options"
    ASSERT_TRUE(pause.IsOptionsPage());
    game.ClickCanvas(820.0f, 300.0f); // "FullscreenToggle" within 0.1 s
    EXPECT_FALSE(GameGlobals::isFullscreen);
    EXPECT_FALSE(Vela::Engine::GetInstance()->myWindow->IsFullscreen());

    game.Press(SDLK_a); // master volume, row 0
    EXPECT_NEAR(sound.GetMasterVolume(), 0.9f, 1e-5f);
    game.Frame();
    const UISlider& titleMaster = game.Screen<MainMenuState>(StateId::MainMenu).GetOptionsPanel().GetElements().GetSlider("main");
    game.ShowMainMenu();
    EXPECT_NEAR(titleMaster.myFill.myInstance.myScale.x, 0.9f, 1e-5f) << "the title book's slider follows the next frame";
    game.StartFirstLevel();
    game.Press(SDLK_ESCAPE);
    pause.OnOptionsPressed();
    game.Frame();
    EXPECT_NEAR(pause.GetRegistry().GetSlider("master").myFill.myInstance.myScale.x, 0.9f * 0.7f, 1e-5f);

    for (int frame = 0; frame < 10; ++frame)
        game.Frame();
    game.MoveMouse(10, 10); // away from every button, so the keyboard selection counts
    for (int row = 0; row < 3; ++row)
        game.Press(SDLK_DOWN);
    game.Press(SDLK_e);
    EXPECT_TRUE(GameGlobals::isFullscreen);
    EXPECT_TRUE(Vela::Engine::GetInstance()->myWindow->IsFullscreen());
    EXPECT_FALSE(pause.GetToggleFilled().myInstance.myIsHidden);
    EXPECT_FALSE(game.Screenshot("pause_menu_options").empty());
    game.Press(SDLK_e);
    EXPECT_FALSE(Vela::Engine::GetInstance()->myWindow->IsFullscreen());
    EXPECT_TRUE(pause.GetToggleFilled().myInstance.myIsHidden);

    // Back to the main page, then "main" with a level loop still sounding.
    game.Press(SDLK_DOWN); // row 4: "back"
    game.Press(SDLK_e);
    ASSERT_FALSE(pause.IsOptionsPage());
    for (int frame = 0; frame < 10; ++frame)
        game.Frame();
    SoundHandle jog = sound.PlayLoopingSfx("Player_Jog");
    ASSERT_TRUE(jog.IsPlaying());
    game.Press(SDLK_DOWN); // "main"
    game.Press(SDLK_e);
    EXPECT_EQ(game.StackIds(), MAIN_MENU);
    EXPECT_FALSE(jog.IsActive()) << "the level's loops stop with the return to the title";
    // The title music plays: its intro, or the loop the intro has chained into.
    ASSERT_TRUE(sound.GetMusic().IsPlaying());
    const std::string music = sound.GetMusic().GetSlot()->path ? sound.GetMusic().GetSlot()->path : "";
    EXPECT_TRUE(EndsWith(music, MAIN_INTRO) || EndsWith(music, MAIN_LOOP)) << music;
    for (const SoundSlot& slot : sound.GetLoopingPool())
    {
        if (slot.active)
        {
            EXPECT_TRUE(EndsWith(slot.path, MAIN_INTRO) || EndsWith(slot.path, MAIN_LOOP)) << slot.path;
        }
    }
    sound.SetMasterVolume(1.0f);
}

TEST(MenuScreensTest, LogoWaitsForTheFadeThenTakesSixteenSeconds)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    LogoState& logo = game.Screen<LogoState>(StateId::Logo);
    const std::vector<int> logoUnderFade{ int(StateId::Logo), int(StateId::Transition) };
    ASSERT_EQ(game.StackIds(), logoUnderFade);
    for (int frame = 0; frame < 600 && game.StackIds() != std::vector<int>{ int(StateId::Logo) }; ++frame)
        game.Update();
    ASSERT_EQ(game.Stack().TopId(), int(StateId::Logo));
    EXPECT_EQ(logo.GetPhase(), 0);
    EXPECT_FLOAT_EQ(logo.GetCurrentLogo().myInstance.myColor.a, 0.0f) << "not advanced under the fade";

    // 4 + 2 s, then 3 + 2 s twice: 960 frames of 1/60 s.
    int frames = 0;
    for (; frames < 2000 && game.Stack().TopId() == int(StateId::Logo); ++frames)
    {
        game.Update();
        if (frames == 180)
        {
            EXPECT_FALSE(game.Screenshot("logo").empty());
        }
    }
    EXPECT_EQ(game.StackIds(), MAIN_MENU);
    EXPECT_NEAR(frames, 960, 3);
}

TEST(MenuScreensTest, SkipLeavesTheLogoInEveryPhaseAndAMissingVideoStartsTheLevelAtOnce)
{
    MenuGame game;
    ASSERT_TRUE(game.IsStarted());
    LogoState& logo = game.Screen<LogoState>(StateId::Logo);
    for (int phase = 0; phase <= LogoState::LAST_PHASE; ++phase)
    {
        game.Stack().Clear();
        game.Stack().Push(StateId::Logo);
        for (int frame = 0; frame < 600 && logo.GetPhase() < phase; ++frame)
            game.Update();
        ASSERT_EQ(logo.GetPhase(), phase);
        game.Press(SDLK_RETURN);
        EXPECT_EQ(game.StackIds(), MAIN_MENU) << "phase " << phase;
    }

    game.Press(SDLK_e); // "play", with no opening video in the assets
    EXPECT_EQ(game.StackIds(), LEVEL_STARTING);
}

TEST(MenuScreensTest, OpeningVideoPlaysWithItsSoundThenStartsTheFirstLevel)
{
    std::atomic<size_t> capturedBytes = 0;
    Vela::Platform::WaveOutDevice::SetCaptureForTesting([&capturedBytes](const unsigned char*, size_t aBytes) { capturedBytes += aBytes; });
    {
        MenuGame game([](const std::filesystem::path& aRoot) {
            std::filesystem::create_directories(aRoot / "Video");
            const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=30:duration=0.5"
                                        " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=0.5 -c:a aac -c:v libx264 -pix_fmt yuv420p -shortest '" +
                                        (aRoot / "Video/OpeningCutscene.mp4").string() + "'";
            ASSERT_EQ(std::system(command.c_str()), 0);
        });
        ASSERT_TRUE(game.IsStarted());
        game.ShowMainMenu();
        game.Press(SDLK_e); // "play"
        ASSERT_EQ(game.Stack().TopId(), int(StateId::Opening));
        const Vela::VideoPlayer* player = game.Screen<OpeningState>(StateId::Opening).GetVideoPlayer();
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(player->GetVideoWidth(), 64u);
        ASSERT_NE(player->GetStream(), nullptr);
        EXPECT_TRUE(player->GetStream()->HasAudio());
        EXPECT_FALSE(game.Screenshot("opening").empty());
        for (int frame = 0; frame < 120 && game.Stack().TopId() == int(StateId::Opening); ++frame)
            game.Frame();
        EXPECT_EQ(game.StackIds(), LEVEL_STARTING);
        EXPECT_EQ(game.TheGame().GetLevelLoader().GetCurrentLevelKey(), Vela::StringRegistry::RegisterOrGetString("level_0"));
        EXPECT_EQ(game.Screen<OpeningState>(StateId::Opening).GetVideoPlayer(), nullptr);
    }
    Vela::Platform::WaveOutDevice::SetCaptureForTesting(nullptr);
    EXPECT_GT(capturedBytes.load(), 0u) << "the video's sound was played";
}

TEST(MenuScreensTest, EndingTurnsItsPagesThenReturnsToTheTitle)
{
    MenuGame game([](const std::filesystem::path& aRoot) { MenuTest::WriteSilentWav(aRoot, BOOK_OPEN); });
    ASSERT_TRUE(game.IsStarted());
    EndingState& ending = game.Screen<EndingState>(StateId::Ending);
    ending.Reset();
    game.Stack().Clear();
    game.Stack().Push(StateId::Ending);
    const auto runUntil = [&game](int aFrame, int& aDone) {
        for (; aDone < aFrame; ++aDone)
            game.Update();
    };
    int frames = 0;
    runUntil(355, frames);
    EXPECT_EQ(ending.GetPhase(), 0);
    EXPECT_FALSE(game.Screenshot("ending_intro").empty());
    ++frames;
    runUntil(365, frames);
    EXPECT_EQ(ending.GetPhase(), 1);
    EXPECT_TRUE(EndsWith(ending.GetPage().mySharedData.myColorTexture->GetName(), "T_UI_Book_Pages_Outro.DDS"));
    runUntil(655, frames);
    EXPECT_EQ(ending.GetPhase(), 1);
    runUntil(665, frames);
    EXPECT_EQ(ending.GetPhase(), 2);
    EXPECT_FLOAT_EQ(ending.GetPage().myInstance.myPosition.x, 1150.0f);
    EXPECT_FALSE(game.Screenshot("ending_back").empty());
    ++frames;
    runUntil(1195, frames);
    EXPECT_EQ(game.Stack().TopId(), int(StateId::Ending));
    runUntil(1205, frames);
    EXPECT_EQ(game.StackIds(), MAIN_MENU);
    EXPECT_EQ(game.Screen<MainMenuState>(StateId::MainMenu).GetOpenPanel(), nullptr);
    bool bookOpened = false;
    for (const SoundSlot& slot : SoundManager::GetInstance().GetOneShotPool())
        bookOpened |= slot.active && slot.path && EndsWith(slot.path, BOOK_OPEN);
    EXPECT_TRUE(bookOpened);
}

TEST(MenuScreensTest, LevelSelectRefusesTheSealOfALevelThatFailedToLoad)
{
    constexpr const char* DENY = "Audio/Sfx/Ui/UI_Deny.wav";
    MenuGame game([](const std::filesystem::path& aRoot) {
        MenuTest::WriteSilentWav(aRoot, DENY);
        const std::filesystem::path broken = aRoot / "levels/Main Levels/Level 2.leveldata/00000000-0000-4000-8000-000000000001";
        std::filesystem::create_directories(broken.parent_path());
        std::ofstream(broken) << "{ broken";
    });
    ASSERT_TRUE(game.IsStarted());
    LevelLoader& loader = game.TheGame().GetLevelLoader();
    // The ready flag is the worker's completion gate.
    while (!loader.IsReady())
        std::this_thread::yield();
    ASSERT_TRUE(loader.GetLoadFailure(Vela::StringRegistry::RegisterOrGetString("level_2")).has_value());
    game.ShowMainMenu();
    MainMenuState& menu = game.Screen<MainMenuState>(StateId::MainMenu);
    game.Press(SDLK_DOWN);
    game.Press(SDLK_e);
    ASSERT_EQ(menu.GetOpenPanel(), &menu.GetLevelSelectPanel());

    game.ClickCanvas(936.0f, 416.0f); // "level_2"
    EXPECT_EQ(game.StackIds(), MAIN_MENU) << "the empty level is not entered";
    EXPECT_EQ(menu.GetOpenPanel(), &menu.GetLevelSelectPanel());
    bool denied = false;
    for (const SoundSlot& slot : SoundManager::GetInstance().GetOneShotPool())
        denied |= slot.active && slot.path && EndsWith(slot.path, DENY);
    EXPECT_TRUE(denied);

    game.ClickCanvas(1239.0f, 317.0f); // "level_1" loaded
    EXPECT_EQ(game.StackIds(), LEVEL_STARTING);
}
