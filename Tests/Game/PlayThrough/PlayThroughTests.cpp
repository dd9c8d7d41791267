// The whole program played from the logo to the ending and back to the title, as a person would:
// window events for keys and the mouse, a pad, and every main level by its route.
#include "PlayScripts.h"

#include "Support/GameTestSupport.h"

#include "Levels/LevelLoader.h"
#include "Puzzles/EndTrigger.h"
#include "Screens/TransitionState.h"
#include "Spine/Game.h"

#include <gtest/gtest.h>

using namespace VelaTest;
using namespace PlayThrough;

namespace
{
    // The opening video of the content pack runs five seconds.
    constexpr float OPENING_VIDEO_SECONDS = 5.0f;
    // Game time the exit is kept waiting for the held level worker.
    constexpr float HELD_SECONDS = 2.0f;

    bool IsWaitingAtTheExit(Game& aGame)
    {
        const auto& exits = aGame.GetEndTriggers();
        return !exits.empty() && exits.front().IsWaitingForLevel();
    }

    // The waiting exit keeps the screen under its cover fade, which closes to white, with nothing of the
    // level showing.
    StepStatus CoveredWhileWaiting(StepContext& aContext)
    {
        const auto& fade = static_cast<const TransitionState&>(*aContext.game.GetStateStack().GetState(StateId::Transition));
        if (!IsWaitingAtTheExit(aContext.game) || !IsOnTop(aContext.game, StateId::Transition) || !fade.IsCovering())
        {
            aContext.failure = "the exit stopped waiting under its cover fade";
            return StepStatus::Failed;
        }
        if (aContext.seconds < HELD_SECONDS)
            return StepStatus::Running;
        uint32_t width = 0;
        uint32_t height = 0;
        const std::vector<uint8_t> pixels = ReadBackBufferRgba(width, height);
        for (size_t i = 0; i < pixels.size(); i += 4)
        {
            if (pixels[i] < 240 || pixels[i + 1] < 240 || pixels[i + 2] < 240)
            {
                aContext.failure = "a pixel under the cover is not white";
                return StepStatus::Failed;
            }
        }
        return fade.IsFinished() ? StepStatus::Done : StepStatus::Failed;
    }

    void ExpectFinished(const ProgramRunResult& aResult)
    {
        EXPECT_TRUE(aResult.ran) << "Go ends with exit status 0 only when it returns true";
        EXPECT_EQ(aResult.failure, "") << "after: " << (aResult.steps.empty() ? "nothing" : aResult.steps.back());
    }
}

// New game with the opening skipped; level_0's exit waits, covered, for the held worker; then every
// level in order to the ending, which returns to the title, and Quit ends the program.
TEST(PlayThroughTest, FromTheLogoThroughEveryLevelAndTheEndingToQuit)
{
    LevelWorkerGate gate;
    PlayScript script = SkipLogo();
    script.Click(NEW_GAME.x, NEW_GAME.y);
    script.WaitFor("opening video", [](Game& aGame) { return IsOnTop(aGame, StateId::Opening); }).Wait(1.0f).TapKey(SDLK_RETURN);

    script.Append(PlayLevel("level_0"));
    script.WaitFor("exit waiting for level_1", IsWaitingAtTheExit, 10.0f);
    script.Add("covered while the worker is held", CoveredWhileWaiting);
    script.Do("release the worker", [&gate](Game& aGame, ScriptInput&) {
        gate.Release();
        aGame.GetLevelLoader().WaitUntilReady();
    });
    for (const char* key : { "level_1", "level_2", "level_3", "level_4" })
        script.Append(PlayLevel(key));

    script.WaitFor("ending", [](Game& aGame) { return IsOnTop(aGame, StateId::Ending); }, 10.0f);
    script.WaitFor("back on the title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); }, 20.0f);
    script.QuitExpected().Click(QUIT.x, QUIT.y);

    ProgramRunSettings settings = SmallWindow();
    settings.onFailure = [&gate] { gate.Release(); };
    ExpectFinished(RunProgram(script, settings));
}

// The logo skipped with the pad's Start, a new game chosen with the keyboard, and the opening watched
// to its end, which starts level_0 by itself; then the pause menu's exit ends the program.
TEST(PlayThroughTest, OpeningWatchedToItsEndStartsTheFirstLevel)
{
    PlayScript script;
    script.WaitFor("logo on top", [](Game& aGame) { return IsOnTop(aGame, StateId::Logo); }).TapPad(Vela::Platform::GAMEPAD_START);
    script.WaitFor("title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); });
    script.TapKey(SDLK_e); // "play" is selected first
    script.WaitFor("opening video", [](Game& aGame) { return IsOnTop(aGame, StateId::Opening); });
    script.Add("watched to its end", [](StepContext& aContext) {
        if (IsOnTop(aContext.game, StateId::Opening))
            return StepStatus::Running;
        if (aContext.seconds < OPENING_VIDEO_SECONDS - 0.1f)
        {
            aContext.failure = "the opening ended after " + std::to_string(aContext.seconds) + " s of a five-second video";
            return StepStatus::Failed;
        }
        return StepStatus::Done;
    });
    script.WaitFor("level_0 playing", [](Game& aGame) { return IsPlaying(aGame, "level_0"); });
    // Pause, then up from "resume" wraps to "exit".
    script.TapKey(SDLK_ESCAPE).TapKey(SDLK_UP);
    script.QuitExpected().TapKey(SDLK_e);

    ExpectFinished(RunProgram(script, SmallWindow()));
}
