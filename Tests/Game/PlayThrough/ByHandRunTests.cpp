// Runs started by hand (disabled in CI): the README's screenshots (Tools/screenshots.sh) and the
// memory soak, long scripted play with the process's resident memory measured every minute.
#include "PlayScripts.h"

#include "Spine/Game.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace VelaTest;
using namespace PlayThrough;

namespace
{
    constexpr CanvasPoint OPTIONS{ 505.0f, 445.0f };
    constexpr CanvasPoint CREDITS{ 500.0f, 305.0f };
    constexpr CanvasPoint CREDITS_BACK{ 1100.0f, 305.0f };
    constexpr CanvasPoint PAUSE_MAIN_MENU{ 800.0f, 500.0f };
    // Where along its route each level is pictured: the shells, the planks, the Glomp's grass, the
    // Eyecorn's hall, the orb above the breaking floor.
    constexpr float PICTURE_X[] = { 2700.0f, 2600.0f, 2150.0f, 2700.0f, 1850.0f };

    PlayScript OpenLevel(int aLevel)
    {
        PlayScript script;
        script.WaitFor("title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); });
        script.WaitForLoader().Click(LEVEL_SELECT.x, LEVEL_SELECT.y);
        return script.Click(LEVEL_BUTTONS[aLevel].x, LEVEL_BUTTONS[aLevel].y);
    }

    PlayScript BackToTheTitle()
    {
        PlayScript script;
        return script.TapKey(SDLK_ESCAPE).Click(PAUSE_MAIN_MENU.x, PAUSE_MAIN_MENU.y);
    }

    // Resident memory of this process in KiB.
    long ResidentKib()
    {
        std::ifstream status("/proc/self/status");
        std::string word;
        while (status >> word)
        {
            if (word == "VmRSS:")
            {
                long kib = 0;
                status >> kib;
                return kib;
            }
        }
        return 0;
    }
}

// VELA_SCREENSHOT_DIR=<folder>: the main screens and every level, in a 1600 x 900 window.
TEST(ByHandRunTest, DISABLED_Screenshots)
{
    ASSERT_NE(std::getenv("VELA_SCREENSHOT_DIR"), nullptr) << "set VELA_SCREENSHOT_DIR";
    PlayScript script;
    script.WaitFor("logo on top", [](Game& aGame) { return IsOnTop(aGame, StateId::Logo); }).Wait(2.5f);
    script.Append(Screenshot("logo")).TapKey(SDLK_RETURN);
    script.WaitFor("title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); }).Wait(0.5f);
    script.Append(Screenshot("main_menu"));
    script.Click(OPTIONS.x, OPTIONS.y).Append(Screenshot("main_menu_options")).TapKey(SDLK_ESCAPE);
    script.Click(CREDITS.x, CREDITS.y).Append(Screenshot("main_menu_credits")).Click(CREDITS_BACK.x, CREDITS_BACK.y);
    script.WaitForLoader().Click(LEVEL_SELECT.x, LEVEL_SELECT.y).Append(Screenshot("main_menu_level_select"));
    script.TapKey(SDLK_ESCAPE).Click(NEW_GAME.x, NEW_GAME.y);
    script.WaitFor("opening video", [](Game& aGame) { return IsOnTop(aGame, StateId::Opening); }).Wait(2.5f);
    script.Append(Screenshot("opening")).TapKey(SDLK_RETURN);
    script.WaitFor("level_0 playing", [](Game& aGame) { return IsPlaying(aGame, "level_0"); }).TapKey(SDLK_ESCAPE);
    script.Append(Screenshot("pause_menu"));
    script.Click(PAUSE_MAIN_MENU.x, PAUSE_MAIN_MENU.y);
    for (int level = 0; level < 5; ++level)
    {
        script.Append(OpenLevel(level)).Append(PlayLevelUntil(MAIN_LEVELS[level], PICTURE_X[level])).Wait(1.0f);
        script.Append(Screenshot(MAIN_LEVELS[level])).Append(BackToTheTitle());
    }
    script.Append(OpenLevel(4)).Append(PlayLevel("level_4"));
    script.WaitFor("ending", [](Game& aGame) { return IsOnTop(aGame, StateId::Ending); }, 10.0f).Wait(8.0f);
    script.Append(Screenshot("ending"));
    script.WaitFor("back on the title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); }, 20.0f);
    script.QuitExpected().Click(QUIT.x, QUIT.y);

    ProgramRunSettings settings;
    settings.windowed = true;
    const ProgramRunResult result = RunProgram(script, settings);
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.failure, "");
}

// VELA_SOAK_MINUTES (default 30) of play: each round opens and closes the title book's pages, starts a
// level from the level select (the five in turn), runs and jumps right through it for a while (falls
// and catches respawn the player) and returns to the title through the pause menu. The resident
// memory is printed every minute ("soak minute M: R KiB") and must not keep growing.
TEST(ByHandRunTest, DISABLED_Soak)
{
    const char* minutesText = std::getenv("VELA_SOAK_MINUTES");
    const double minutes = minutesText ? std::atof(minutesText) : 30.0;
    constexpr int ROUNDS = 5000; // more than any soak gets through
    constexpr float PLAY_SECONDS = 8.0f;
    constexpr int JUMP_EVERY_FRAMES = 45;

    PlayScript script = SkipLogo();
    script.QuitExpected();
    for (int round = 0; round < ROUNDS; ++round)
    {
        script.Click(OPTIONS.x, OPTIONS.y).TapKey(SDLK_ESCAPE).Click(CREDITS.x, CREDITS.y).Click(CREDITS_BACK.x, CREDITS_BACK.y);
        script.Append(OpenLevel(round % 5));
        script.WaitFor("playing", [](Game& aGame) { return IsOnTop(aGame, StateId::Game); });
        script.Add("run and jump", [](StepContext& aContext) {
            const bool jump = aContext.frame % JUMP_EVERY_FRAMES < 3;
            aContext.input.HoldKeys(jump ? std::set<SDL_Keycode>{ SDLK_RIGHT, SDLK_SPACE } : std::set<SDL_Keycode>{ SDLK_RIGHT });
            if (aContext.seconds < PLAY_SECONDS)
                return StepStatus::Running;
            aContext.input.ReleaseAll();
            return StepStatus::Done;
        });
        script.WaitFor("no fade", [](Game& aGame) { return IsOnTop(aGame, StateId::Game); }).Append(BackToTheTitle());
    }

    std::vector<long> samples;
    const auto start = std::chrono::steady_clock::now();
    ProgramRunSettings settings;
    settings.everyFrame = [&](Game&) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 60.0;
        if (elapsed < double(samples.size()))
            return;
        samples.push_back(ResidentKib());
        std::printf("soak minute %zu: %ld KiB\n", samples.size() - 1, samples.back());
        std::fflush(stdout);
        if (elapsed >= minutes)
            Vela::Platform::PostQuitMessage(0);
    };
    const ProgramRunResult result = RunProgram(script, settings);
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.failure, "");
    std::printf("soak: %d frames, %zu steps done\n", result.frames, result.steps.size());
}
