// The content program writes the same pack, byte for byte, every time it runs.
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ContentPack, ASecondRunWritesTheSameBytesAsTheBuild)
{
    VelaTest::TempDirectory folder;
    const std::filesystem::path game = folder.Path() / "game";
    const std::string command = std::string("\"") + VELA_CONTENT_TOOL + "\" \"" + game.string() + "\" \"" + folder.Path().string() + "\" \"" +
                                VELA_CONTENT_FONT_DIR + "\" \"" + VELA_FFMPEG + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    // The build's game root may hold hand-made files besides; every generated one is there, the same.
    const std::filesystem::path built = std::filesystem::path(VELA_RUNTIME_DIR) / "assets/game";
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(game))
    {
        if (!entry.is_regular_file())
            continue;
        const std::filesystem::path relative = std::filesystem::relative(entry.path(), game);
        ASSERT_TRUE(std::filesystem::exists(built / relative)) << relative;
        EXPECT_TRUE(VelaTest::ReadFile(entry.path()) == VelaTest::ReadFile(built / relative)) << relative;
        ++files;
    }
    EXPECT_GT(files, 150u);
    EXPECT_TRUE(VelaTest::ReadFile(folder.Path() / "MouseCursor.cur") == VelaTest::ReadFile(std::filesystem::path(VELA_RUNTIME_DIR) / "MouseCursor.cur"));
}
