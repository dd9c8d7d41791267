#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace Vela
{
    // Looks a relative asset path up under each root in turn: under one root the exact path first,
    // then a match that ignores letter case (when several names differ only in case, the first in
    // sorted order). '\' and '/' both separate folders. Only regular files are found.
    std::optional<std::filesystem::path> FindAssetFile(std::span<const std::filesystem::path> someRoots, std::string_view aRelativePath);
}
