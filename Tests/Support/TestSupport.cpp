#include "Support/TestSupport.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace VelaTest
{
    TempDirectory::TempDirectory()
    {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        const auto name = "vela-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(random());
        myPath = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(myPath);
    }

    TempDirectory::~TempDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(myPath, ignored);
    }

    std::filesystem::path TempDirectory::Write(const std::filesystem::path& aRelative, std::string_view aContent) const
    {
        const auto path = myPath / aRelative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        file.write(aContent.data(), static_cast<std::streamsize>(aContent.size()));
        return path;
    }

    std::filesystem::path FixturePath(std::string_view aRelative)
    {
        return std::filesystem::path(VELA_FIXTURES_DIR) / aRelative;
    }

    std::string ReadFile(const std::filesystem::path& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }
}
