#pragma once
// The one harness of the game's tests: keys fed to an input manager as window messages, the fixed
// step, and a test fixture that plays a whole headless game on fixture levels frame by frame.
#include "Support/GameTestSupport.h"

#include "Spine/Game.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Player;
class StateStack;

namespace VelaTest
{
    // The step of the tests that count frames: exact in binary, so 16 frames are 0.25 s.
    constexpr float FIXED_STEP = 1.0f / 64.0f;
    // The step the program's test clock runs at.
    constexpr float PROGRAM_STEP = 1.0f / 60.0f;

    // A key going down or up as the window reports it (virtual key codes, 'A', VK_SPACE).
    void PressKey(Vela::InputManager& anInput, uint8_t aKey);
    void ReleaseKey(Vela::InputManager& anInput, uint8_t aKey);

    constexpr const char* FIXTURE_LEVEL_0 = "levels/Main Levels/Level 0 Tutorial";
    constexpr const char* FIXTURE_LEVEL_1 = "levels/Main Levels/Level 1";
    // The fixture cube is 1 unit tall, so the player's hurt box centre is 0.5 above its feet and its
    // bottom 47.3 below them: feet at 47.5 put the bottom 0.2 above a floor whose top is at 0.
    constexpr float FIXTURE_FEET = 47.5f;
    // Boxes are skinned models: the skinned fixture, copied into the root under this path.
    constexpr const char* SKINNED_MODEL = "models/Skinned.fbx";

    // A whole game on a fixture root whose level_0 and level_1 the test writes, played by pressing keys,
    // frames running with this fixture's step unless a call gives another.
    class HeadlessGameTest : public testing::Test
    {
    protected:
        explicit HeadlessGameTest(float aFrameTime = PROGRAM_STEP) : myFrameTime(aFrameTime) {}

        // Writes the fixture root (the cube, the skinned model, every kind of definition, both levels;
        // level_1 a floor unless given), then aBeforeStart may add files; then the game is made. A fatal
        // failure when it does not start.
        void MakeGame(const std::vector<FixtureObject>& someLevel0, const std::vector<FixtureObject>& someLevel1 = { Floor() },
                      const std::function<void(const std::filesystem::path&)>& aBeforeStart = {});

        Game& TheGame() { return myGame->GetGame(); }
        StateStack& Stack() { return TheGame().GetStateStack(); }
        Player& ThePlayer() { return *TheGame().GetContext().player; }
        bool IsTop(StateId anId) { return Stack().TopId() == static_cast<int>(anId); }

        void Press(uint8_t aKey) { PressKey(myGame->GetInputManager(), aKey); }
        void Release(uint8_t aKey) { ReleaseKey(myGame->GetInputManager(), aKey); }
        // Down for two frames (seen, then dispatched as pressed), up for one.
        void Tap(uint8_t aKey);
        void Frames(int aCount) { Frames(aCount, myFrameTime); }
        void Frames(int aCount, float aDeltaTime);
        // Runs frames until aCondition holds, at most aLimit of them; whether it holds at the end.
        bool RunUntil(const std::function<bool()>& aCondition, int aLimit) { return RunUntil(aCondition, aLimit, myFrameTime); }
        bool RunUntil(const std::function<bool()>& aCondition, int aLimit, float aDeltaTime);

        // The back buffer of the last frame as "screenshots/<aRelativePath>" under the runtime folder.
        bool SaveScreenshot(const std::string& aRelativePath);

        TempDirectory myRoot;
        std::unique_ptr<HeadlessGame> myGame;
        const float myFrameTime;
    };
}
