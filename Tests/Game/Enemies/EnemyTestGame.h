#pragma once
// A whole game on a fixture level with enemies, run with a fixed time step: the level is written by
// the test, started as the menus start it, and played by pressing keys.
#include "Player/Player.h"
#include "Screens/StateStack.h"
#include "Spine/Game.h"

#include "Support/GameTestHarness.h"

#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace EnemyTest
{
    using namespace VelaTest;

    constexpr float FEET = FIXTURE_FEET;
    constexpr float DT = FIXED_STEP;

    inline FixtureObject ThePlayerAt(float anX) { return Placed("TOB", { anX, FEET, 0 }); }
    inline FixtureObject GlompAt(float anX, float aBreakTime, float aRoamingDistance)
    {
        return Placed("SK_Enemy_Test", { anX, 0, 0 }, { 1, 1, 1 }, { { "break time between patrols", aBreakTime }, { "roaming distance", aRoamingDistance } });
    }
    // Sight angle 20, sight distance 800, a 4 s full scan and a 1 s break unless given.
    inline FixtureObject EyecornAt(Vela::Vector2<float> aPosition, float aScanAngle, float aKillTime, float aSightAngle = 20.0f)
    {
        return Placed("SK_Enemy_flying", { aPosition.x, aPosition.y, 0 }, { 1, 1, 1 },
                      { { "scanning angle", aScanAngle }, { "sight angle", aSightAngle }, { "time to before killing player", aKillTime } });
    }

    // The ASCII cube fixture, whose geometry block tests exchange for shapes of their own.
    inline std::string ReadAsciiCube()
    {
        std::ifstream file(FixturePath("fbx/maya_cube_7500_ascii.fbx"), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The ASCII cube made player-sized: 40 x 96 x 40 with its feet at the origin.
    constexpr const char* TALL_PLAYER_MODEL = "models/TallPlayer.fbx";
    inline void WriteTallPlayerModel(const std::filesystem::path& aRoot)
    {
        const std::string cube = ReadAsciiCube();
        const std::string unit = "a: -0.5,-0.5,0.5,0.5,-0.5,0.5,-0.5,0.5,0.5,0.5,0.5,0.5,-0.5,0.5,-0.5,0.5,0.5,-0.5,-0.5,-0.5,-0.5,0.5,-0.5,-0.5";
        const std::string tall = "a: -20,0,20,20,0,20,-20,96,20,20,96,20,-20,96,-20,20,96,-20,-20,0,-20,20,0,-20";
        const size_t at = cube.find(unit);
        ASSERT_NE(at, std::string::npos);
        WriteFixtureFile(aRoot / TALL_PLAYER_MODEL, cube.substr(0, at) + tall + cube.substr(at + unit.size()));
    }

    class EnemyGameTest : public HeadlessGameTest
    {
    protected:
        EnemyGameTest() : HeadlessGameTest(DT) {}

        // Extra files (sounds, models) are written into the game root by aBeforeStart.
        void Start(const std::vector<FixtureObject>& someObjects, const std::function<void(const std::filesystem::path&)>& aBeforeStart = {})
        {
            MakeGame(someObjects, { Floor() }, aBeforeStart);
            if (HasFatalFailure())
                return;
            Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
            ASSERT_TRUE(WaitForPlay());
        }

        // Short frames also here: a Glomp's first fall step would sink it into the floor in a long one.
        bool WaitForPlay() { return RunUntil([this] { return IsTop(StateId::Game); }, 600); }
    };
}
