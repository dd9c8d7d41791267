// The whole program played from the logo, through the menus, as a person would: window events for
// keys and the mouse, a pad, and the levels by their routes.
#include "Support/ScriptedProgramRun.h"

#include "Game.h"

#include <gtest/gtest.h>

using namespace VelaTest;

namespace
{
    // Main-menu buttons on the menu canvas.
    constexpr float QUIT_X = 485.0f, QUIT_Y = 165.0f;

    PlayScript SkipLogoToMainMenu()
    {
        PlayScript script;
        script.WaitFor("logo on top", [](Game& aGame) { return IsOnTop(aGame, StateId::Logo); }).TapKey(SDLK_RETURN);
        script.WaitFor("main menu on top", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); });
        return script;
    }
}

TEST(PlayThroughTest, LogoSkippedAndQuitFromTheMainMenu)
{
    PlayScript script = SkipLogoToMainMenu();
    script.QuitExpected().Click(QUIT_X, QUIT_Y);
    const ProgramRunResult result = RunProgram(script);
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.failure, "");
}
