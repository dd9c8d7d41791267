#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace Vela
{
    // Looks a relative asset path up under each root in turn: under one root the exact path first,
    // then a match that ignores letter case (when several names differ only in case, each is tried in
    // sorted order until one leads to the file). '\' and '/' both separate folders; "." is dropped and
    // ".." takes back the name before it, and a path whose ".." would leave the root finds nothing.
    // Only regular files are found.
    std::optional<std::filesystem::path> FindAssetFile(std::span<const std::filesystem::path> someRoots, std::string_view aRelativePath);
}
