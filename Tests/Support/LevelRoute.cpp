#include "Support/LevelRoute.h"

#include "Enemies/Eyecorn.h"
#include "Enemies/Glomp.h"
#include "Player/Player.h"
#include "Puzzles/EndTrigger.h"
#include "Spine/Game.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>

namespace LevelRuns
{
    std::vector<RouteStep> ReadRoute(const std::filesystem::path& aFile)
    {
        static const std::set<std::string> WITHOUT_VALUE = { "jump", "interact", "armed", "exit", "to-right", "to-left", "grab-to-right", "grab-to-left", "screenshot" };
        static const std::set<std::string> WITH_VALUE = { "right", "left", "jump-right", "jump-left", "crouch-right", "crouch-left", "grab-right",
                                                          "grab-left", "crouch", "wait", "glomp-left", "glomp-right", "sweep-left", "sweep-right",
                                                          "crouch-glomp-left", "crouch-glomp-right", "crouch-sweep-left", "crouch-sweep-right" };
        std::ifstream file(aFile);
        if (!file)
        {
            throw std::runtime_error("cannot read " + aFile.string());
        }
        std::vector<RouteStep> steps;
        std::string line;
        for (int number = 1; std::getline(file, line); ++number)
        {
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            RouteStep step;
            step.myLine = number;
            if (!(words >> step.myCommand))
            {
                continue;
            }
            const bool takesValue = WITH_VALUE.count(step.myCommand) != 0;
            if (!takesValue && WITHOUT_VALUE.count(step.myCommand) == 0)
            {
                throw std::runtime_error(aFile.filename().string() + ":" + std::to_string(number) + ": unknown step " + step.myCommand);
            }
            if (takesValue && !(words >> step.myValue))
            {
                throw std::runtime_error(aFile.filename().string() + ":" + std::to_string(number) + ": " + step.myCommand + " needs a number");
            }
            steps.push_back(step);
        }
        return steps;
    }
}

namespace LevelRuns
{
    namespace
    {
        constexpr float STEP_TIME_LIMIT = 40.0f; // seconds of game time
        // A tap is held this many frames: long enough to be seen as pressed, short enough not to repeat.
        constexpr int TAP_FRAMES = 3;
        // Frames without moving after which a walk counts as stopped by something.
        constexpr int STILL_FRAMES = 6;
        constexpr int EYECORN_SWEEPING = 1; // states 0 (pause) and 1 (sweep) scan; the others track or kill

        struct StepInput
        {
            std::set<SDL_Keycode> held;
            SDL_Keycode tap = 0;
            bool grab = false; // the mouse button, which holds a shell
        };

        // The command without a leading "crouch-" on the waits, which only adds holding the crouch key.
        std::string BaseCommand(const std::string& aCommand)
        {
            const bool crouchedWait = aCommand.starts_with("crouch-glomp") || aCommand.starts_with("crouch-sweep");
            return crouchedWait ? aCommand.substr(std::string("crouch-").size()) : aCommand;
        }

        StepInput InputFor(const std::string& aCommand)
        {
            const SDL_Keycode direction = aCommand.ends_with("right") ? SDLK_RIGHT : SDLK_LEFT;
            const std::string base = BaseCommand(aCommand);
            if (aCommand == "right" || aCommand == "left" || aCommand == "to-right" || aCommand == "to-left")
                return { { direction } };
            if (aCommand == "exit")
                return { { SDLK_RIGHT } };
            if (aCommand == "jump-right" || aCommand == "jump-left")
                return { { direction }, SDLK_SPACE };
            if (aCommand == "jump")
                return { {}, SDLK_SPACE };
            if (aCommand == "crouch-right" || aCommand == "crouch-left")
                return { { SDLK_s, direction } };
            if (aCommand == "grab-right" || aCommand == "grab-left" || aCommand == "grab-to-right" || aCommand == "grab-to-left")
                return { { direction }, 0, true };
            if (aCommand == "crouch" || base != aCommand)
                return { { SDLK_s } };
            if (aCommand == "interact")
                return { {}, SDLK_e };
            return {};
        }

        bool Passed(float aValue, float aLimit, bool aRightwards) { return aRightwards ? aValue >= aLimit : aValue <= aLimit; }

        // What carries over between the frames of a route: the mouse button and the last position.
        struct RouteState
        {
            bool grabbing = false;
            float lastX = 0.0f;
            int stillFrames = 0;
        };

        bool IsDone(const RouteStep& aStep, VelaTest::StepContext& aContext, RouteState& aState)
        {
            Game& game = aContext.game;
            const Player& player = *game.GetContext().player;
            const float x = player.GetPosition().x;
            const std::string command = BaseCommand(aStep.myCommand);
            const bool rightwards = command.ends_with("right");
            if (command == "right" || command == "left" || command == "crouch-right" || command == "crouch-left" || command == "grab-right" ||
                command == "grab-left")
                return Passed(x, aStep.myValue, rightwards);
            if (command == "to-right" || command == "to-left" || command == "grab-to-right" || command == "grab-to-left")
            {
                const bool first = aContext.frame == TAP_FRAMES + 1;
                aState.stillFrames = !first && std::fabs(x - aState.lastX) < 0.01f ? aState.stillFrames + 1 : 0;
                aState.lastX = x;
                return aState.stillFrames >= STILL_FRAMES;
            }
            if (command == "jump-right" || command == "jump-left")
                return aContext.frame > TAP_FRAMES * 4 && player.IsGrounded() && Passed(x, aStep.myValue, rightwards);
            if (command == "jump")
                return aContext.frame > TAP_FRAMES * 4 && player.IsGrounded();
            if (command == "crouch" || command == "wait")
                return aContext.seconds >= aStep.myValue;
            if (command == "interact")
                return aContext.frame > TAP_FRAMES * 3;
            if (command == "glomp-left" || command == "glomp-right")
                return !game.GetGlomps().empty() && Passed(game.GetGlomps().front().GetPosition().x, aStep.myValue, rightwards);
            if (command == "sweep-left" || command == "sweep-right")
            {
                // Only a scanning Eyecorn counts: while it tracks someone its angle follows them.
                const Eyecorn* eyecorn = game.GetEyecorns().empty() ? nullptr : &game.GetEyecorns().front();
                return eyecorn && eyecorn->GetState() <= EYECORN_SWEEPING && Passed(eyecorn->GetSweepAngle(), aStep.myValue, rightwards);
            }
            if (command == "armed")
                return !game.GetEndTriggers().empty() && game.GetEndTriggers().front().GetCollider().active;
            if (command == "exit")
                return !game.GetEndTriggers().empty() && game.GetEndTriggers().front().IsActivated();
            return true;
        }
    }

    void AppendRoute(VelaTest::PlayScript& aScript, const std::vector<RouteStep>& someSteps, const std::string& aLevelKey,
                     const std::function<void(const std::string&)>& aScreenshot)
    {
        auto state = std::make_shared<RouteState>();
        for (const RouteStep& step : someSteps)
        {
            if (step.myCommand == "screenshot")
            {
                const std::string name = aLevelKey + "_line" + std::to_string(step.myLine);
                aScript.Do(name, [name, aScreenshot](Game&, VelaTest::ScriptInput&) { aScreenshot(name); });
                continue;
            }
            char name[64];
            std::snprintf(name, sizeof(name), "line %d: %s %g", step.myLine, step.myCommand.c_str(), step.myValue);
            aScript.Add(
                name,
                [step, state](VelaTest::StepContext& aContext) {
                    Player& player = *aContext.game.GetContext().player;
                    if (player.GetAnimFlags().dead)
                    {
                        aContext.failure = "the player died at x " + std::to_string(int(player.GetPosition().x));
                        return VelaTest::StepStatus::Failed;
                    }
                    const StepInput input = InputFor(step.myCommand);
                    std::set<SDL_Keycode> held = input.held;
                    if (input.tap != 0 && aContext.frame < TAP_FRAMES)
                        held.insert(input.tap);
                    aContext.input.HoldKeys(held);
                    if (input.grab != state->grabbing)
                    {
                        aContext.input.MouseButton(input.grab);
                        state->grabbing = input.grab;
                    }
                    // A tap is let go before the step may end, so the next tap is a new press.
                    if (aContext.frame <= TAP_FRAMES || !IsDone(step, aContext, *state))
                        return VelaTest::StepStatus::Running;
                    std::printf("route line %d (%s %g) done at x %.0f, y %.0f\n", step.myLine, step.myCommand.c_str(), step.myValue,
                                player.GetPosition().x, player.GetPosition().y);
                    return VelaTest::StepStatus::Done;
                },
                STEP_TIME_LIMIT);
        }
    }
}
