#include "PlayScripts.h"

#include "Support/LevelRoute.h"
#include "Support/GameTestSupport.h"

#include "Player/Player.h"
#include "Spine/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using namespace VelaTest;

namespace PlayThrough
{
    namespace
    {
        // A respawn puts the player on the check point's centre; the fall onto the floor moves it a little.
        constexpr float RESPAWN_TOLERANCE = 5.0f;

        std::vector<LevelRuns::RouteStep> RouteOf(const std::string& aKey)
        {
            return LevelRuns::ReadRoute(LevelRuns::RouteFile(aKey));
        }

        // The route's own pictures are for the level runs, not for ours.
        void NoScreenshot(const std::string&) {}

        bool IsWalkTo(const LevelRuns::RouteStep& aStep)
        {
            const std::string& command = aStep.myCommand;
            return command == "right" || command == "jump-right" || command == "crouch-right" || command == "grab-right";
        }

        PlayScript WaitUntilPlaying(const std::string& aKey)
        {
            PlayScript script;
            script.WaitFor(aKey + " playing", [aKey](Game& aGame) { return IsPlaying(aGame, aKey.c_str()); }, 60.0f);
            return script;
        }
    }

    PlayScript SkipLogo()
    {
        PlayScript script;
        script.WaitFor("logo on top", [](Game& aGame) { return IsOnTop(aGame, StateId::Logo); }).TapKey(SDLK_RETURN);
        script.WaitFor("title book", [](Game& aGame) { return StackIs(aGame, { StateId::MainMenu }); });
        return script;
    }

    PlayScript PlayLevel(const std::string& aKey)
    {
        PlayScript script = WaitUntilPlaying(aKey);
        LevelRuns::AppendRoute(script, RouteOf(aKey), aKey, NoScreenshot);
        return script.Do("let go", [](Game&, ScriptInput& anInput) { anInput.ReleaseAll(); });
    }

    PlayScript PlayLevelUntil(const std::string& aKey, float aX)
    {
        std::vector<LevelRuns::RouteStep> steps = RouteOf(aKey);
        const auto last = std::find_if(steps.begin(), steps.end(), [aX](const LevelRuns::RouteStep& aStep) { return IsWalkTo(aStep) && aStep.myValue >= aX; });
        if (last != steps.end())
            steps.erase(last + 1, steps.end());
        PlayScript script = WaitUntilPlaying(aKey);
        LevelRuns::AppendRoute(script, steps, aKey, NoScreenshot);
        return script.Do("let go", [](Game&, ScriptInput& anInput) { anInput.ReleaseAll(); });
    }

    PlayScript DieAndRespawn(const std::set<SDL_Keycode>& aKeys, float aCheckPointX)
    {
        PlayScript script;
        script.Add("into the hazard", [aKeys](StepContext& aContext) {
            aContext.input.HoldKeys(aKeys);
            if (!aContext.game.GetContext().player->GetAnimFlags().dead)
                return StepStatus::Running;
            aContext.input.ReleaseAll();
            return StepStatus::Done;
        });
        script.WaitFor("fade on top", [](Game& aGame) { return IsOnTop(aGame, StateId::Transition); });
        script.WaitFor("respawned", [](Game& aGame) { return IsOnTop(aGame, StateId::Game) && !aGame.GetContext().player->IsLocked(); });
        script.Add("at the check point", [aCheckPointX](StepContext& aContext) {
            Player& player = *aContext.game.GetContext().player;
            if (std::fabs(player.GetPosition().x - aCheckPointX) <= RESPAWN_TOLERANCE && !player.GetAnimFlags().dead)
                return StepStatus::Done;
            aContext.failure = "the player is at x " + std::to_string(player.GetPosition().x) + ", not at the check point";
            return StepStatus::Failed;
        });
        return script;
    }

    ProgramRunSettings SmallWindow()
    {
        ProgramRunSettings settings;
        settings.width = 480;
        settings.height = 270;
        settings.windowed = true;
        return settings;
    }

    PlayScript Screenshot(const std::string& aName)
    {
        PlayScript script;
        const char* directory = std::getenv("VELA_SCREENSHOT_DIR");
        if (!directory)
            return script;
        const std::filesystem::path path = std::filesystem::path(directory) / (aName + ".png");
        script.Add("screenshot " + aName, [path](StepContext& aContext) {
            uint32_t width = 0;
            uint32_t height = 0;
            const std::vector<uint8_t> pixels = ReadBackBufferRgba(width, height);
            if (WritePng(path, pixels, width, height))
                return StepStatus::Done;
            aContext.failure = "could not write " + path.string();
            return StepStatus::Failed;
        });
        return script;
    }
}
