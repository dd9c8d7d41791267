#pragma once
// Writes expanded levels as scene folders of UUID-named object files, and the definitions as ".kvo"
// files, under the game asset root. The same input gives the same bytes on every build.
#include "LevelLayout.h"

#include <filesystem>
#include <string>

namespace Levels
{
    // A UUID made from a hash of the text, so an object keeps its file name from build to build.
    std::string StableUuid(const std::string& aText);

    // Replaces the level's scene folder "levels/Main Levels/<scene>.leveldata" with its objects.
    void WriteScene(const std::filesystem::path& aGameRoot, const ExpandedLevel& aLevel);
    // Writes every definition to "definitions/<name>.kvo".
    void WriteDefinitions(const std::filesystem::path& aGameRoot);
}
