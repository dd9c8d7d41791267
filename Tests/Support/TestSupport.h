#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace VelaTest
{
    // A fresh folder under the system's temporary folder, removed with everything in it on destruction.
    class TempDirectory
    {
    public:
        TempDirectory();
        ~TempDirectory();
        TempDirectory(const TempDirectory&) = delete;
        TempDirectory& operator=(const TempDirectory&) = delete;

        const std::filesystem::path& Path() const { return myPath; }
        // Writes a file (creating its folders) relative to this folder and returns its full path.
        std::filesystem::path Write(const std::filesystem::path& aRelative, std::string_view aContent) const;

    private:
        std::filesystem::path myPath;
    };

    // Shared real-world test files (read in place, never copied into the repository).
    std::filesystem::path FixturePath(std::string_view aRelative);
    std::string ReadFile(const std::filesystem::path& aPath);
}
