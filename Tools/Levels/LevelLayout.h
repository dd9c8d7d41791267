#pragma once
// A level's readable layout (Assets/Levels/<key>.json) expanded into the scene objects that the
// level builder reads. Positions are in level units: x to the right, y up, feet and floor tops as
// authored; the expansion places models, colliders and trigger zones around them.
#include <nlohmann/json.hpp>

#include <array>
#include <string>
#include <vector>

namespace Levels
{
    struct PlacedObject
    {
        std::string myName;
        std::string myDefinition;
        std::array<float, 3> myTranslation{ 0.0f, 0.0f, 0.0f };
        std::array<float, 3> myScale{ 1.0f, 1.0f, 1.0f };
        nlohmann::json myProperties = nlohmann::json::array(); // {"name", "type", "value"} elements
    };

    struct ExpandedLevel
    {
        std::string myKey;   // "level_0"
        std::string myScene; // the scene folder's name below "levels/Main Levels"
        std::vector<PlacedObject> myObjects;
    };

    // Throws std::exception with a message naming the level and the fault for a malformed layout, or a
    // property that the object's definition does not declare per-instance with that type.
    ExpandedLevel ExpandLevel(const nlohmann::json& aLayout);
}
