// Scripted runs: the whole program plays through the game's levels from level_0 to the ending, each
// level by its route in Routes/, with a fixed time step and input as window-system events, after the
// loader's ready flag. Screenshots of every level at its start and at its exit go to
// <bin>/screenshots/levels. LEVEL_RUN_FROM=<key> starts at that level; LEVEL_RUN_TRACE=1 prints where
// the player and the enemies are every few frames.
#include "Support/LevelRoute.h"

#include "Game/Levels/LevelContentTable.h"
#include "Support/GameTestSupport.h"
#include "Support/ScriptedProgramRun.h"

#include "Enemies/Eyecorn.h"
#include "Enemies/Glomp.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Player/Player.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
    constexpr uint32_t SCREEN_WIDTH = 480;
    constexpr uint32_t SCREEN_HEIGHT = 270;
    // After the exit takes the player, so the picture shows the stair rising and the fade beginning.
    constexpr float EXIT_SCREENSHOT_DELAY = 0.75f;
    constexpr float LEVEL_CHANGE_TIME_LIMIT = 20.0f;
    constexpr int TRACE_INTERVAL = 10;

    void Screenshot(const std::string& aName)
    {
        uint32_t width = 0, height = 0;
        const std::vector<uint8_t> pixels = VelaTest::ReadBackBufferRgba(width, height);
        const std::filesystem::path folder = std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots/levels";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(VelaTest::WritePng(folder / (aName + ".png"), pixels, width, height)) << aName;
    }

    void Trace(Game& aGame)
    {
        const Player& player = *aGame.GetContext().player;
        std::printf("trace x %.0f y %.0f orb %d", player.GetPosition().x, player.GetPosition().y, int(player.IsCarryingOrb()));
        for (MovableBox& box : aGame.GetMovableBoxes())
            std::printf(" box %d at %.0f, %.0f", box.GetBoxType(), box.GetPosition().x, box.GetPosition().y);
        for (Eyecorn& eyecorn : aGame.GetEyecorns())
            std::printf(" eyecorn state %d sweep %.0f detection %.2f", eyecorn.GetState(), eyecorn.GetSweepAngle(), eyecorn.GetDetection());
        for (Glomp& glomp : aGame.GetGlomps())
            std::printf(" glomp state %d x %.0f", glomp.GetState(), glomp.GetPosition().x);
        std::printf("\n");
    }

    // The levels of the run, the gym aside (nothing leads to it), from LEVEL_RUN_FROM on.
    std::vector<LevelContent::LevelEntry> LevelsToPlay()
    {
        std::vector<LevelContent::LevelEntry> levels(LevelContent::LEVELS.begin(), LevelContent::LEVELS.end() - 1);
        if (const char* from = std::getenv("LEVEL_RUN_FROM"))
        {
            while (!levels.empty() && std::strcmp(levels.front().myKey, from) != 0)
                levels.erase(levels.begin());
        }
        return levels;
    }

    // Each level: wait until it has faded in, play its route to the exit, and wait until the exit has
    // started the next level (or, after the last, the ending).
    VelaTest::PlayScript PlayThrough(const std::vector<LevelContent::LevelEntry>& someLevels)
    {
        VelaTest::PlayScript script;
        script.Do("a small window", [](Game&, VelaTest::ScriptInput&) {
            // The program goes fullscreen at start; the run keeps its small window.
            Vela::Engine::GetInstance()->myWindow->SetFullscreen(false);
            GameGlobals::isFullscreen = false;
        });
        // Before the ready flag only level_0 can start, and the exits need the levels after it.
        script.WaitForLoader("the loader is ready");
        const std::string first = someLevels.front().myKey;
        script.Do("start " + first, [first](Game& aGame, VelaTest::ScriptInput&) {
            aGame.GetStateStack().StartLevel(Vela::StringRegistry::RegisterOrGetString(first.c_str()));
        });
        for (const LevelContent::LevelEntry& level : someLevels)
        {
            const std::string key = level.myKey;
            const std::string next = LevelContent::ReadLayout(key)["next"].get<std::string>();
            script.WaitFor(key + " plays", [key](Game& aGame) { return VelaTest::IsPlaying(aGame, key.c_str()); });
            script.Do(key + " start screenshot", [key](Game&, VelaTest::ScriptInput&) { Screenshot(key + "_start"); });
            LevelRuns::AppendRoute(script, LevelRuns::ReadRoute(LevelRuns::RouteFile(key)), key, Screenshot);
            script.Do("let go", [](Game&, VelaTest::ScriptInput& anInput) { anInput.ReleaseAll(); });
            script.Wait(EXIT_SCREENSHOT_DELAY);
            script.Do(key + " exit screenshot", [key](Game&, VelaTest::ScriptInput&) { Screenshot(key + "_exit"); });
            script.WaitFor(
                key + " leads on to " + next,
                [next](Game& aGame) {
                    return next == "Credits" ? VelaTest::IsOnTop(aGame, StateId::Ending) : std::strcmp(aGame.GetLevelLoader().GetCurrentLevelKey().GetString(), next.c_str()) == 0;
                },
                LEVEL_CHANGE_TIME_LIMIT);
        }
        script.QuitExpected();
        script.Do("quit", [](Game&, VelaTest::ScriptInput&) { Vela::Platform::PostQuitMessage(0); });
        return script;
    }
}

TEST(LevelRunTest, EveryLevelIsPlayedFromItsSpawnToTheNextLevel)
{
    if (!std::filesystem::exists(LevelContent::GameRoot() / "models/Player/SK_Player.fbx"))
    {
        GTEST_SKIP() << "the demo content pack is not in " << LevelContent::GameRoot();
    }
    const std::vector<LevelContent::LevelEntry> levels = LevelsToPlay();
    ASSERT_FALSE(levels.empty());
    VelaTest::PlayScript script = PlayThrough(levels);

    VelaTest::ProgramRunSettings settings;
    settings.width = SCREEN_WIDTH;
    settings.height = SCREEN_HEIGHT;
    if (std::getenv("LEVEL_RUN_TRACE"))
    {
        settings.everyFrame = [frame = 0](Game& aGame) mutable {
            if (++frame % TRACE_INTERVAL == 0)
                Trace(aGame);
        };
    }
    const VelaTest::ProgramRunResult result = VelaTest::RunProgram(script, settings);
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.failure, "");
}
