#include "Platform/process/ExecutablePath.h"

namespace Vela::Platform
{
    std::optional<std::filesystem::path> GetExecutablePath()
    {
        std::error_code error;
        auto path = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error || path.empty())
        {
            return std::nullopt;
        }
        return path;
    }
}
