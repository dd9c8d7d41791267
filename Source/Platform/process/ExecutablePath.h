#pragma once
#include <filesystem>
#include <optional>

namespace Vela::Platform
{
    // The running program's own file (what the module-path query gives on the desktop system).
    std::optional<std::filesystem::path> GetExecutablePath();
}
