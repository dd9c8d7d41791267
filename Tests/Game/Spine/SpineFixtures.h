#pragma once
// Fixture levels of the game-object tests: "level_0" of a temporary game root, built from the level
// builder's definitions, with the shared cube scaled up to a size the camera sees.
#include "Support/GameFixtureLevels.h"

#include <filesystem>
#include <string>
#include <vector>

namespace VelaTest
{
    constexpr const char* LEVEL_0_SCENE = "levels/Main Levels/Level 0 Tutorial";
    // The fixture cube is 1 unit wide; scaled by this it is 100.
    constexpr float FIXTURE_SCALE = 100.0f;

    inline FixtureObject LevelCube(Vela::Vector3<float> aPosition, bool aTransparent = false)
    {
        FixtureObject cube;
        cube.definition = "SM_Level_Mesh";
        cube.translation = aPosition;
        cube.scale = { FIXTURE_SCALE, FIXTURE_SCALE, FIXTURE_SCALE };
        if (aTransparent)
        {
            cube.properties.push_back(FixtureProperty("Model", "Model", FixtureModel(FIXTURE_MODEL, true)));
        }
        return cube;
    }

    // "level_0" made of these objects, with every definition and the cube model in place.
    inline void WriteLevel0(const std::filesystem::path& aRoot, const std::vector<FixtureObject>& someObjects)
    {
        PlaceFixtureModel(aRoot);
        WriteEveryKindDefinitions(aRoot);
        WriteFixtureLevel(aRoot, LEVEL_0_SCENE, someObjects);
    }
}
