#pragma once
// The game's own levels as the build makes them: the level table, the generated game asset root and
// the readable layouts the levels are made from (read here as the independent account of what each
// level should contain).
#include <nlohmann/json.hpp>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace LevelContent
{
    struct LevelEntry
    {
        const char* myKey;
        const char* myScenePath;
    };

    inline constexpr std::array<LevelEntry, 6> LEVELS = { {
        { "level_0", "levels/Main Levels/Level 0 Tutorial" },
        { "level_1", "levels/Main Levels/Level 1" },
        { "level_2", "levels/Main Levels/Level 2" },
        { "level_3", "levels/Main Levels/Level 3" },
        { "level_4", "levels/Main Levels/Level 4 Final Level" },
        { "gym", "levels/Main Levels/Gym" },
    } };

    inline std::filesystem::path GameRoot() { return std::filesystem::path(VELA_RUNTIME_DIR) / "assets/game"; }

    inline nlohmann::json ReadLayout(const std::string& aKey)
    {
        std::ifstream file(std::filesystem::path(VELA_SOURCE_DIR) / "Assets/Levels" / (aKey + ".json"));
        return nlohmann::json::parse(file);
    }

    struct Rect
    {
        float x0, y0, x1, y1;
        bool Contains(float anX, float aY) const { return anX > x0 && anX < x1 && aY > y0 && aY < y1; }
    };

    inline Rect ToRect(const nlohmann::json& aJson) { return { aJson[0].get<float>(), aJson[1].get<float>(), aJson[2].get<float>(), aJson[3].get<float>() }; }
}
