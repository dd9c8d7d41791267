#pragma once
// Plays a route in a running game, one frame at a time: it reads where the player and the enemies are
// and answers with key and mouse events of the window system, as a person at the keyboard would.
#include "LevelRoute.h"

#include <SDL2/SDL.h>

#include <set>
#include <string>
#include <vector>

class Game;

namespace LevelRuns
{
    class RoutePlayer
    {
    public:
        enum class Status
        {
            Running,
            Done,   // the exit has taken the player
            Failed, // see GetFailure
        };

        explicit RoutePlayer(std::vector<RouteStep> someSteps) : someSteps(std::move(someSteps)) {}

        // Called once per frame after the game drew it; the events it sends arrive with the next frame.
        Status Advance(Game& aGame, float aFrameTime);
        const std::string& GetFailure() const { return myFailure; }
        // Lets go of every key and button.
        void ReleaseAll();

    private:
        bool IsStepDone(Game& aGame, const RouteStep& aStep);
        void Hold(const std::set<int>& someKeys);
        void Send(int aKey, bool aDown);

        std::vector<RouteStep> someSteps;
        size_t myStep = 0;
        int myStepFrames = 0;
        float myStepTime = 0.0f;
        float myLastX = 0.0f;
        int myStillFrames = 0;
        std::set<int> someHeld; // SDL key codes; MOUSE_BUTTON stands for the left button
        std::string myFailure;
    };
}
