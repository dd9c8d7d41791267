// Shorter runs of the whole program: a death and its respawn at a check point for each hazard, pause
// and resume on the pad, every volume and the fullscreen toggle in both menus, each level started
// from the level select once the loader is ready.
#include "PlayScripts.h"

#include "Player/Player.h"
#include "Sound/SoundManager.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VelaTest;
using namespace PlayThrough;

namespace
{
    constexpr float VOLUME_STEP = 0.1f;

    // The title book, the level select once the worker has published every level, and aLevel's button.
    PlayScript StartFromLevelSelect(int aLevel)
    {
        PlayScript script = SkipLogo();
        script.WaitForLoader().Click(LEVEL_SELECT.x, LEVEL_SELECT.y);
        return script.Click(LEVEL_BUTTONS[aLevel].x, LEVEL_BUTTONS[aLevel].y);
    }

    PlayScript QuitThroughThePauseMenu()
    {
        PlayScript script;
        script.WaitFor("playing", [](Game& aGame) { return IsOnTop(aGame, StateId::Game); }).TapKey(SDLK_ESCAPE).TapKey(SDLK_UP);
        return script.QuitExpected().TapKey(SDLK_e);
    }

    void ExpectFinished(const ProgramRunResult& aResult)
    {
        EXPECT_TRUE(aResult.ran);
        EXPECT_EQ(aResult.failure, "") << "after: " << (aResult.steps.empty() ? "nothing" : aResult.steps.back());
    }

    struct Hazard
    {
        const char* name;
        int level;
        float routeUntilX;              // the route is played until the player has passed this
        std::set<SDL_Keycode> held;     // then these are held until the player dies
        float checkPointX;              // the last check point passed (from the level's layout)
    };

    // Past level_0's second check point, back left into the pit; past level_2's third, right into the
    // Glomp's patrol; past level_3's third, standing under the Eyecorn's sweep.
    const Hazard HAZARDS[] = {
        { "pit", 0, 1850.0f, { SDLK_LEFT }, 1800.0f },
        { "Glomp", 2, 1800.0f, { SDLK_RIGHT }, 1750.0f },
        { "Eyecorn", 3, 2800.0f, {}, 1900.0f },
    };

    float Volume(int aRow)
    {
        SoundManager& sound = SoundManager::GetInstance();
        return aRow == 0 ? sound.GetMasterVolume() : aRow == 1 ? sound.GetEffectsVolume() : sound.GetMusicVolume();
    }

    PlayScript ExpectVolumes(const std::string& aName, float aMaster, float anEffects, float aMusic)
    {
        PlayScript script;
        script.Add(aName, [aMaster, anEffects, aMusic](StepContext& aContext) {
            const float expected[] = { aMaster, anEffects, aMusic };
            for (int row = 0; row < 3; ++row)
            {
                if (std::fabs(Volume(row) - expected[row]) > 1e-4f)
                {
                    aContext.failure = "volume " + std::to_string(row) + " is " + std::to_string(Volume(row));
                    return StepStatus::Failed;
                }
            }
            return StepStatus::Done;
        });
        return script;
    }

    PlayScript ExpectFullscreen(bool aFullscreen)
    {
        PlayScript script;
        script.Add(aFullscreen ? "fullscreen" : "windowed", [aFullscreen](StepContext& aContext) {
            const bool window = Vela::Engine::GetInstance()->myWindow->IsFullscreen();
            if (window == aFullscreen && GameGlobals::isFullscreen == aFullscreen)
                return StepStatus::Done;
            aContext.failure = "the window is " + std::string(window ? "fullscreen" : "windowed");
            return StepStatus::Failed;
        });
        return script;
    }
}

TEST(FocusedRunTest, EachHazardKillsAndThePlayerRespawnsAtTheLastCheckPoint)
{
    for (const Hazard& hazard : HAZARDS)
    {
        SCOPED_TRACE(hazard.name);
        PlayScript script = StartFromLevelSelect(hazard.level);
        script.Append(PlayLevelUntil(MAIN_LEVELS[hazard.level], hazard.routeUntilX));
        script.Append(DieAndRespawn(hazard.held, hazard.checkPointX));
        script.Append(QuitThroughThePauseMenu());
        ExpectFinished(RunProgram(script, SmallWindow()));
    }
}

// Start pauses, the player stands still under the menu however long the pad is held, and A on
// "resume" lets it walk on.
TEST(FocusedRunTest, PauseHoldsThePlayerAndResumeLetsItGoOn)
{
    auto x = std::make_shared<float>(0.0f);
    const auto holdRight = [](StepContext& aContext) {
        aContext.input.Pad({ Vela::Platform::GAMEPAD_DPAD_RIGHT });
        return aContext.seconds >= 0.5f ? StepStatus::Done : StepStatus::Running;
    };
    PlayScript script = StartFromLevelSelect(1);
    script.WaitFor("level_1 playing", [](Game& aGame) { return IsPlaying(aGame, "level_1"); }).TapPad(Vela::Platform::GAMEPAD_START);
    script.WaitFor("paused", [](Game& aGame) { return StackIs(aGame, { StateId::Game, StateId::InGameMenu }); });
    script.Do("note x", [x](Game& aGame, ScriptInput&) { *x = aGame.GetContext().player->GetPosition().x; });
    script.Add("right held under the menu", holdRight).Wait(0.2f);
    script.Add("still where it was", [x](StepContext& aContext) {
        aContext.input.Pad({});
        return aContext.game.GetContext().player->GetPosition().x == *x ? StepStatus::Done : StepStatus::Failed;
    });
    script.TapPad(Vela::Platform::GAMEPAD_A);
    script.WaitFor("resumed", [](Game& aGame) { return StackIs(aGame, { StateId::Game }); });
    script.Add("right held in play", holdRight).Do("let go", [](Game&, ScriptInput& anInput) { anInput.Pad({}); });
    script.Add("walked on", [x](StepContext& aContext) {
        return aContext.game.GetContext().player->GetPosition().x > *x + 50.0f ? StepStatus::Done : StepStatus::Failed;
    });
    script.Append(QuitThroughThePauseMenu());
    ExpectFinished(RunProgram(script, SmallWindow()));
}

// The title book's options page turns each volume down a step and the window to windowed; the pause
// menu's options page turns each down two steps from its own slider's value and the window back to
// fullscreen.
TEST(FocusedRunTest, EveryVolumeAndTheFullscreenToggleInBothMenus)
{
    SoundManager& sound = SoundManager::GetInstance();
    sound.SetMasterVolume(1.0f);
    sound.SetEffectsVolume(1.0f);
    sound.SetMusicVolume(1.0f);
    const float down = 1.0f - VOLUME_STEP;
    const float twoDown = 1.0f - 2.0f * VOLUME_STEP;
    PlayScript script = SkipLogo();
    script.Append(ExpectFullscreen(true));
    // Title book: down to "options", open it on its first row (master), then effects, then music.
    script.TapKey(SDLK_DOWN).TapKey(SDLK_DOWN).TapKey(SDLK_e);
    script.TapKey(SDLK_LEFT).Append(ExpectVolumes("master down", down, 1.0f, 1.0f));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_LEFT).Append(ExpectVolumes("effects down", down, down, 1.0f));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_LEFT).Append(ExpectVolumes("music down", down, down, down));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_e).Append(ExpectFullscreen(false));

    // Pause menu: "options" is the third button; its rows are master, music, effects, the toggle.
    script.TapKey(SDLK_ESCAPE).WaitForLoader().Click(LEVEL_SELECT.x, LEVEL_SELECT.y);
    script.Click(LEVEL_BUTTONS[2].x, LEVEL_BUTTONS[2].y);
    script.WaitFor("level_2 playing", [](Game& aGame) { return IsPlaying(aGame, "level_2"); }).TapKey(SDLK_ESCAPE);
    script.TapKey(SDLK_DOWN).TapKey(SDLK_DOWN).TapKey(SDLK_e);
    // Each pause-menu slider steps from its own value, 1.0, which the title book's changes left alone.
    script.TapKey(SDLK_LEFT).TapKey(SDLK_LEFT).Append(ExpectVolumes("master two down", twoDown, down, down));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_LEFT).TapKey(SDLK_LEFT).Append(ExpectVolumes("music two down", twoDown, down, twoDown));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_LEFT).TapKey(SDLK_LEFT).Append(ExpectVolumes("effects two down", twoDown, twoDown, twoDown));
    script.TapKey(SDLK_DOWN).TapKey(SDLK_e).Append(ExpectFullscreen(true));
    // "back", then, once its short input lock is over, "exit".
    script.Click(800.0f, 200.0f).Wait(0.2f).QuitExpected().Click(800.0f, 200.0f);
    ExpectFinished(RunProgram(script));
}
