// The game executable ends with a one-line reason on standard error and a non-zero status when its
// settings file is malformed or the engine cannot start.
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
    struct ExitResult
    {
        int status = -1;
        std::string errors;
    };

    // Runs a link to the game beside its own settings file, so the game reads that file. A failed start
    // leaves the engine as it is (the process ends), so leak reports are off.
    ExitResult RunGame(const VelaTest::TempDirectory& aDirectory);

    ExitResult RunGameWithSettings(const VelaTest::TempDirectory& aDirectory, const std::string& someSettings)
    {
        aDirectory.Write("settings/Game.json", someSettings);
        return RunGame(aDirectory);
    }

    ExitResult RunGame(const VelaTest::TempDirectory& aDirectory)
    {
        const std::filesystem::path game = aDirectory.Path() / "Game";
        std::error_code error;
        std::filesystem::create_hard_link(std::filesystem::path(VELA_RUNTIME_DIR) / "Game", game, error);
        if (error)
        {
            std::filesystem::copy_file(std::filesystem::path(VELA_RUNTIME_DIR) / "Game", game);
        }
        const std::filesystem::path errors = aDirectory.Path() / "errors.txt";
        const std::string command = "cd '" + aDirectory.Path().string() + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 ./Game > /dev/null 2> '" +
                                    errors.string() + "'";
        const int status = std::system(command.c_str());
        return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, VelaTest::ReadFile(errors) };
    }
}

TEST(ProgramExitTest, MalformedSettingsAndAFailedStartEndWithAReasonAndAFailureStatus)
{
    if (!std::filesystem::exists(std::filesystem::path(VELA_RUNTIME_DIR) / "Game"))
    {
        GTEST_SKIP() << "the game executable is not built";
    }
    const VelaTest::TempDirectory malformed;
    const ExitResult parse = RunGameWithSettings(malformed, "{ \"assets_path\": ");
    EXPECT_EQ(parse.status, 1);
    EXPECT_NE(parse.errors.find("The game stopped: [json.exception.parse_error"), std::string::npos) << parse.errors;

    // Without compiled shaders the graphics engine cannot start.
    std::string settings = VelaTest::ReadFile(std::filesystem::path(VELA_RUNTIME_DIR) / "settings/Game.json");
    const size_t cooked = settings.find("\"cooked\": \"");
    ASSERT_NE(cooked, std::string::npos);
    const size_t valueStart = cooked + std::string("\"cooked\": \"").size();
    settings.replace(valueStart, settings.find('"', valueStart) - valueStart, "no-shaders-here");
    const VelaTest::TempDirectory noShaders;
    const ExitResult start = RunGameWithSettings(noShaders, settings);
    EXPECT_EQ(start.status, 1);
    EXPECT_NE(start.errors.find("The engine could not start"), std::string::npos) << start.errors;
}

TEST(ProgramExitTest, AMissingOrRefusedSettingsFileEndsWithOneLineNamingIt)
{
    if (!std::filesystem::exists(std::filesystem::path(VELA_RUNTIME_DIR) / "Game"))
    {
        GTEST_SKIP() << "the game executable is not built";
    }
    const VelaTest::TempDirectory missing;
    const ExitResult none = RunGame(missing);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.errors, "The settings file " + (missing.Path() / "settings/Game.json").string() + " not found\n");

    std::string settings = VelaTest::ReadFile(std::filesystem::path(VELA_RUNTIME_DIR) / "settings/Game.json");
    const size_t renderSize = settings.find("\"render_size\"");
    ASSERT_NE(renderSize, std::string::npos);
    const size_t width = settings.find("\"w\": ", renderSize);
    ASSERT_NE(width, std::string::npos);
    const size_t value = width + std::string("\"w\": ").size();
    settings.replace(value, settings.find_first_of(",}", value) - value, "-1");
    const VelaTest::TempDirectory negative;
    const ExitResult refused = RunGameWithSettings(negative, settings);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "The game stopped: The settings file " + (negative.Path() / "settings/Game.json").string() +
                                  " is refused: \"render_size.w\" must be a whole number from 1 to 16384, not -1\n");
}
