// The program's own frame loop, run headless for three seconds of fixed steps on a fixture level read
// through a settings file: the level is on screen once the start fade has gone.
#include "SpineFixtures.h"

#include "Levels/LevelLoader.h"
#include "Spine/Game.h"
#include "Spine/ProgramEntry.h"

#include "Support/GameTestSupport.h"

#include "mire/graphics/DX11.h"
#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    constexpr int FRAMES = 180;
    constexpr int SCREENSHOT_FRAME = 150;

    std::string SettingsFor(const std::filesystem::path& aGameRoot)
    {
        const nlohmann::json settings = {
            { "assets_path",
              { { "engine", (std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine").string() },
                { "game", aGameRoot.string() },
                { "cooked", VELA_COOKED_DIR } } },
            { "window_settings",
              { { "title", "Mire" },
                { "clear_color", { { "r", 0.0 }, { "g", 0.0 }, { "b", 0.0 }, { "a", 1.0 } } },
                { "window_size", { { "w", 320 }, { "h", 180 } } },
                { "render_size", { { "w", 320 }, { "h", 180 } } },
                { "enable_vsync", false },
                { "start_in_fullscreen", false },
                { "debug_features", { "Fps" } } } },
        };
        return settings.dump(2);
    }
}

TEST(ProgramRunTest, FrameLoopDrawsTheLevelAfterTheStartFade)
{
    TempDirectory root;
    WriteLevel0(root.Path(), { LevelCube({ 0.0f, 0.0f, 0.0f }), LevelCube({ -250.0f, 100.0f, 100.0f }), LevelCube({ 250.0f, -100.0f, 0.0f }) });
    TempDirectory executable;
    executable.Write("settings/Game.json", SettingsFor(root.Path()));
    const std::filesystem::path previousDirectory = Vela::Settings::ExecutableDirectory();
    const Vela::EngineConfiguration previousConfiguration = Vela::Settings::GetEngineConfiguration();
    Vela::Settings::SetExecutableDirectoryForTesting(executable.Path());
    Vela::Platform::ClearMessageQueue();

    int frames = 0;
    std::vector<uint8_t> screenshot;
    uint32_t width = 0;
    uint32_t height = 0;
    FrameTestHook hook;
    hook.afterRender = [&](Game& aGame) {
        ++frames;
        if (frames == 1)
        {
            // From the logo straight into the level, as the opening screen does when it ends.
            aGame.GetStateStack().StartLevel("level_0"_sid);
        }
        if (frames == SCREENSHOT_FRAME)
        {
            screenshot = ReadBackBufferRgba(width, height);
        }
        if (frames == FRAMES)
        {
            Vela::Platform::PostQuitMessage(0);
        }
    };
    SetFrameTestHook(&hook);
    // The fixture has a tutorial of three cubes and nothing else.
    LevelLoader::SetMainLevelCheckForTesting(false);
    Vela::DX11::ReleaseShaderCaches();
    const bool ran = Go();
    Vela::DX11::ReleaseShaderCaches();
    LevelLoader::SetMainLevelCheckForTesting(true);
    SetFrameTestHook(nullptr);
    Vela::Settings::SetExecutableDirectoryForTesting(previousDirectory);
    Vela::Settings::GetEngineConfiguration() = previousConfiguration;
    Vela::Platform::ClearMessageQueue();

    ASSERT_TRUE(ran);
    EXPECT_EQ(frames, FRAMES);
    ASSERT_EQ(screenshot.size(), size_t(width) * height * 4);
    if (const char* directory = std::getenv("VELA_SCREENSHOT_DIR"))
    {
        WritePng(std::filesystem::path(directory) / "game_frame.png", screenshot, width, height);
    }
    // The cubes cover some of the picture; the rest is the clear colour (no fade left over it).
    size_t drawn = 0;
    size_t clear = 0;
    for (size_t i = 0; i < screenshot.size(); i += 4)
    {
        const int sum = screenshot[i] + screenshot[i + 1] + screenshot[i + 2];
        drawn += sum > 30 ? 1 : 0;
        clear += sum == 0 ? 1 : 0;
    }
    const size_t pixels = size_t(width) * height;
    EXPECT_GT(drawn, pixels / 100) << "the level's cubes";
    EXPECT_GT(clear, pixels / 2) << "the background around them";
}
