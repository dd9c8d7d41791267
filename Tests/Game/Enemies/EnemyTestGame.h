#pragma once
// A whole game on a fixture level with enemies, run with a fixed time step: the level is written by
// the test, started as the menus start it, and played by pressing keys.
#include "Player/Player.h"
#include "Screens/StateStack.h"
#include "Spine/Game.h"

#include "Support/GameTestSupport.h"

#include "mire/input/InputManager.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "Platform/window/WindowTypes.h"

#include <gtest/gtest.h>

#include <functional>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace EnemyTest
{
    using namespace VelaTest;

    constexpr const char* LEVEL_0 = "levels/Main Levels/Level 0 Tutorial";
    constexpr const char* LEVEL_1 = "levels/Main Levels/Level 1";
    // The fixture cube is 1 unit tall: feet at 47.5 put the player's hurt box just above a floor at 0.
    constexpr float FEET = 47.5f;
    constexpr float DT = 1.0f / 64.0f; // exact in binary

    inline FixtureObject Placed(const char* aDefinition, Vela::Vector3<float> aPosition, Vela::Vector3<float> aScale = { 1, 1, 1 },
                                std::vector<std::pair<const char*, float>> someNumbers = {})
    {
        FixtureObject object;
        object.definition = aDefinition;
        object.name = aDefinition;
        object.translation = aPosition;
        object.scale = aScale;
        for (const auto& [name, value] : someNumbers)
            object.properties.push_back(FixtureProperty(name, "Float", value));
        return object;
    }
    inline FixtureObject Floor() { return Placed("SM_Level_Mesh", { 0, -100, 0 }, { 4000, 200, 200 }); }
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

    class EnemyGameTest : public testing::Test
    {
    protected:
        // Extra files (sounds, models) are written into the game root by aBeforeStart.
        void Start(const std::vector<FixtureObject>& someObjects, const std::function<void(const std::filesystem::path&)>& aBeforeStart = {})
        {
            PlaceFixtureModel(myRoot.Path());
            WriteEveryKindDefinitions(myRoot.Path());
            WriteFixtureLevel(myRoot.Path(), LEVEL_0, someObjects);
            WriteFixtureLevel(myRoot.Path(), LEVEL_1, { Floor() });
            if (aBeforeStart)
                aBeforeStart(myRoot.Path());
            myGame = std::make_unique<HeadlessGame>(myRoot.Path());
            ASSERT_TRUE(myGame->IsStarted());
            Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
            ASSERT_TRUE(WaitForPlay());
        }

        Game& TheGame() { return myGame->GetGame(); }
        StateStack& Stack() { return TheGame().GetStateStack(); }
        Player& ThePlayer() { return *TheGame().GetContext().player; }
        void Press(uint8_t aKey) { myGame->GetInputManager().UpdateEvents(Vela::Platform::MESSAGE_KEYDOWN, aKey, 0); }
        void Release(uint8_t aKey) { myGame->GetInputManager().UpdateEvents(Vela::Platform::MESSAGE_KEYUP, aKey, 0); }
        void Frames(int aCount, float aDeltaTime = DT)
        {
            for (int frame = 0; frame < aCount; ++frame)
                myGame->RunFrame(aDeltaTime);
        }
        bool RunUntil(const std::function<bool()>& aCondition, int aLimit, float aDeltaTime = DT)
        {
            for (int frame = 0; frame < aLimit; ++frame)
            {
                if (aCondition())
                    return true;
                myGame->RunFrame(aDeltaTime);
            }
            return aCondition();
        }
        bool IsTop(StateId anId) { return Stack().TopId() == static_cast<int>(anId); }
        // Short frames also here: a Glomp's first fall step would sink it into the floor in a long one.
        bool WaitForPlay() { return RunUntil([this] { return IsTop(StateId::Game); }, 600); }

        TempDirectory myRoot;
        std::unique_ptr<HeadlessGame> myGame;
    };
}
