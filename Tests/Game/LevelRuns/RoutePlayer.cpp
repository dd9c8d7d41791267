#include "RoutePlayer.h"

#include "EndTrigger.h"
#include "Eyecorn.h"
#include "Game.h"
#include "Glomp.h"
#include "Player.h"

#include "mire/core/Engine.h"

#include <cmath>
#include <cstdio>

namespace LevelRuns
{
    namespace
    {
        constexpr int MOUSE_BUTTON = -1;
        constexpr float STEP_TIMEOUT = 40.0f; // seconds of game time
        // A tap is held this many frames: long enough to be seen as pressed, short enough not to repeat.
        constexpr int TAP_FRAMES = 3;
        // Frames without moving after which a walk counts as stopped by something.
        constexpr int STILL_FRAMES = 6;
        constexpr int EYECORN_SWEEPING = 1; // states 0 (pause) and 1 (sweep) scan; the others track or kill

        // The keys a step holds while it runs, and whether it taps a key at its start.
        struct StepInput
        {
            std::set<int> held;
            int tap = 0;
        };

        StepInput InputFor(const RouteStep& aStep)
        {
            const std::string& command = aStep.myCommand;
            const int direction = command.ends_with("right") ? SDLK_RIGHT : SDLK_LEFT;
            if (command == "right" || command == "left" || command == "exit" || command == "to-right" || command == "to-left")
                return { { command == "exit" ? SDLK_RIGHT : direction }, 0 };
            if (command == "jump-right" || command == "jump-left")
                return { { direction }, SDLK_SPACE };
            if (command == "jump")
                return { {}, SDLK_SPACE };
            if (command == "crouch-right" || command == "crouch-left")
                return { { SDLK_s, direction }, 0 };
            if (command == "grab-right" || command == "grab-left" || command == "grab-to-right" || command == "grab-to-left")
                return { { MOUSE_BUTTON, direction }, 0 };
            if (command == "crouch" || command.starts_with("crouch-glomp") || command.starts_with("crouch-sweep"))
                return { { SDLK_s }, 0 };
            if (command == "interact")
                return { {}, SDLK_e };
            return {};
        }

        bool Passed(float aValue, float aLimit, bool aRightwards) { return aRightwards ? aValue >= aLimit : aValue <= aLimit; }
    }

    void RoutePlayer::Send(int aKey, bool aDown)
    {
        const uint32_t window = (*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId;
        SDL_Event event{};
        if (aKey == MOUSE_BUTTON)
        {
            event.type = aDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.windowID = window;
            event.button.button = SDL_BUTTON_LEFT;
            event.button.state = aDown ? SDL_PRESSED : SDL_RELEASED;
        }
        else
        {
            event.type = aDown ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.windowID = window;
            event.key.keysym.sym = aKey;
            event.key.keysym.scancode = SDL_GetScancodeFromKey(aKey);
        }
        SDL_PushEvent(&event);
    }

    void RoutePlayer::Hold(const std::set<int>& someKeys)
    {
        for (int key : someHeld)
        {
            if (!someKeys.count(key))
                Send(key, false);
        }
        for (int key : someKeys)
        {
            if (!someHeld.count(key))
                Send(key, true);
        }
        someHeld = someKeys;
    }

    void RoutePlayer::ReleaseAll() { Hold({}); }

    bool RoutePlayer::IsStepDone(Game& aGame, const RouteStep& aStep)
    {
        const Player& player = *aGame.GetContext().player;
        const float x = player.GetPosition().x;
        // A wait done crouched ends as the same wait standing.
        const std::string command = aStep.myCommand.starts_with("crouch-glomp") || aStep.myCommand.starts_with("crouch-sweep") ? aStep.myCommand.substr(7) : aStep.myCommand;
        const bool rightwards = command.ends_with("right");
        if (command == "right" || command == "left" || command == "crouch-right" || command == "crouch-left" || command == "grab-right" ||
            command == "grab-left")
            return Passed(x, aStep.myValue, rightwards);
        if (command == "to-right" || command == "to-left" || command == "grab-to-right" || command == "grab-to-left")
        {
            const bool still = std::fabs(x - myLastX) < 0.01f;
            myLastX = x;
            myStillFrames = still ? myStillFrames + 1 : 0;
            return myStillFrames >= STILL_FRAMES;
        }
        if (command == "jump-right" || command == "jump-left")
            return myStepFrames > TAP_FRAMES * 4 && player.IsGrounded() && Passed(x, aStep.myValue, rightwards);
        if (command == "jump")
            return myStepFrames > TAP_FRAMES * 4 && player.IsGrounded();
        if (command == "crouch" || command == "wait")
            return myStepTime >= aStep.myValue;
        if (command == "interact")
            return myStepFrames > TAP_FRAMES * 3;
        if (command == "glomp-left" || command == "glomp-right")
            return !aGame.GetGlomps().empty() && Passed(aGame.GetGlomps().front().GetPosition().x, aStep.myValue, rightwards);
        if (command == "sweep-left" || command == "sweep-right")
        {
            // Only a scanning Eyecorn counts: while it tracks someone its angle follows them.
            const Eyecorn* eyecorn = aGame.GetEyecorns().empty() ? nullptr : &aGame.GetEyecorns().front();
            return eyecorn && eyecorn->GetState() <= EYECORN_SWEEPING && Passed(eyecorn->GetSweepAngle(), aStep.myValue, rightwards);
        }
        if (command == "armed")
            return !aGame.GetEndTriggers().empty() && aGame.GetEndTriggers().front().GetCollider().active;
        if (command == "exit")
            return !aGame.GetEndTriggers().empty() && aGame.GetEndTriggers().front().IsActivated();
        return true;
    }

    RoutePlayer::Status RoutePlayer::Advance(Game& aGame, float aFrameTime)
    {
        if (myStep >= someSteps.size())
        {
            ReleaseAll();
            return Status::Done;
        }
        Player& player = *aGame.GetContext().player;
        const RouteStep& step = someSteps[myStep];
        char where[96];
        std::snprintf(where, sizeof(where), " (line %d: %s %g) at x %.0f, y %.0f", step.myLine, step.myCommand.c_str(), step.myValue,
                      player.GetPosition().x, player.GetPosition().y);
        if (player.GetAnimFlags().dead)
        {
            myFailure = std::string("the player died") + where;
            ReleaseAll();
            return Status::Failed;
        }
        if (myStepTime > STEP_TIMEOUT)
        {
            myFailure = std::string("a step did not finish") + where;
            ReleaseAll();
            return Status::Failed;
        }

        const StepInput input = InputFor(step);
        std::set<int> held = input.held;
        if (input.tap != 0 && myStepFrames < TAP_FRAMES)
            held.insert(input.tap);
        Hold(held);
        ++myStepFrames;
        myStepTime += aFrameTime;
        // A tap must be released before the step may end, so the next step's tap is a new press.
        if (myStepFrames > TAP_FRAMES && IsStepDone(aGame, step))
        {
            std::printf("route line %d (%s %g) done at x %.0f, y %.0f\n", step.myLine, step.myCommand.c_str(), step.myValue, player.GetPosition().x,
                        player.GetPosition().y);
            ++myStep;
            myStepFrames = 0;
            myStepTime = 0.0f;
            myStillFrames = 0;
            myLastX = -1.0e9f;
        }
        return Status::Running;
    }
}
