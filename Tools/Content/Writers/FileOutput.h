#pragma once
// Writes a whole file, creating its folders first. Prints a one-line error and answers false on failure.
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace Vela::Content
{
    bool WriteFileBytes(const std::filesystem::path& aPath, const std::vector<uint8_t>& someBytes);
    bool WriteFileText(const std::filesystem::path& aPath, std::string_view aText);
}
