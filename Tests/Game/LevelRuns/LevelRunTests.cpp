// Scripted runs: the whole program plays through the game's levels from level_0 to the ending, each
// level by its route in Routes/, with a fixed time step and input as window-system events. Screenshots
// of every level at its start and at its exit go to <bin>/screenshots/levels.
#include "LevelRoute.h"
#include "RoutePlayer.h"

#include "Game/Levels/LevelContentTable.h"
#include "Support/GameTestSupport.h"

#include "EndTrigger.h"
#include "Eyecorn.h"
#include "Glomp.h"
#include "Game.h"
#include "GameGlobals.h"
#include "LevelData.h"
#include "LevelLoader.h"
#include "Player.h"
#include "ProgramEntry.h"
#include "State.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/graphics/DX11.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace
{
    constexpr float FRAME_TIME = 1.0f / 60.0f;
    constexpr int MAX_FRAMES = 60 * 60 * 8;
    // Frames after the exit takes the player, so the picture shows the stair turning and the fade.
    constexpr int EXIT_SCREENSHOT_DELAY = 45;

    std::string SettingsFor(const std::filesystem::path& aGameRoot)
    {
        const nlohmann::json settings = {
            { "assets_path",
              { { "engine", (std::filesystem::path(VELA_RUNTIME_DIR) / "assets/engine").string() },
                { "game", aGameRoot.string() },
                { "cooked", VELA_COOKED_DIR } } },
            { "window_settings",
              { { "title", "Mire" },
                { "clear_color", { { "r", 0.0117647061 }, { "g", 0.6 }, { "b", 0.6901961 }, { "a", 1.0 } } },
                { "window_size", { { "w", 480 }, { "h", 270 } } },
                { "render_size", { { "w", 480 }, { "h", 270 } } },
                { "enable_vsync", false },
                { "start_in_fullscreen", false },
                { "debug_features", nlohmann::json::array() } } },
        };
        return settings.dump(2);
    }

    void Screenshot(const std::string& aName)
    {
        uint32_t width = 0, height = 0;
        const std::vector<uint8_t> pixels = VelaTest::ReadBackBufferRgba(width, height);
        const std::filesystem::path folder = std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots/levels";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(VelaTest::WritePng(folder / (aName + ".png"), pixels, width, height)) << aName;
    }

    // Follows the game through the levels: starts the first one once the loader is ready, plays each
    // level's route once the level has faded in, and notes how each one ended.
    class PlayThrough
    {
    public:
        PlayThrough()
        {
            // LEVEL_RUN_FROM=level_3 starts the run at that level, to work on one route.
            if (const char* from = std::getenv("LEVEL_RUN_FROM"))
            {
                while (myLevel + 1 < LevelContent::LEVELS.size() && std::string(LevelContent::LEVELS[myLevel].myKey) != from)
                    ++myLevel;
            }
            myTrace = std::getenv("LEVEL_RUN_TRACE") != nullptr;
        }

        void Frame(Game& aGame)
        {
            ++myFrames;
            LevelLoader& loader = aGame.GetLevelLoader();
            if (myFrames > MAX_FRAMES)
            {
                Fail("the run took too long");
                return Quit();
            }
            if (myLevel >= LevelContent::LEVELS.size() - 1) // the gym is not on the way
            {
                return Quit();
            }
            const char* key = LevelContent::LEVELS[myLevel].myKey;
            if (myFrames == 1)
            {
                // The program goes fullscreen at start; the run keeps its small window.
                Vela::Engine::GetInstance()->myWindow->SetFullscreen(false);
                GameGlobals::isFullscreen = false;
            }
            if (!myStarted)
            {
                // Before the ready flag only level_0 could start; the exits need the rest.
                if (loader.IsReady())
                {
                    aGame.GetStateStack().StartLevel(Vela::StringRegistry::RegisterOrGetString(key));
                    myStarted = true;
                }
                return;
            }
            if (!myRoute)
            {
                Player& player = *aGame.GetContext().player;
                const bool playing = std::string(loader.GetCurrentLevelKey().GetString()) == key &&
                                     aGame.GetStateStack().TopId() == static_cast<int>(StateId::Game) && !player.IsLocked();
                if (playing)
                {
                    Screenshot(std::string(key) + "_start");
                    myRoute.emplace(LevelRuns::ReadRoute(std::filesystem::path(VELA_SOURCE_DIR) / "Tests/Game/LevelRuns/Routes" / (std::string(key) + ".route")));
                }
                return;
            }
            if (myTrace && myFrames % 10 == 0)
            {
                const Player& player = *aGame.GetContext().player;
                std::printf("trace x %.0f y %.0f orb %d", player.GetPosition().x, player.GetPosition().y, int(player.IsCarryingOrb()));
                for (MovableBox& box : loader.GetCurrentLevel()->movableBoxes)
                    std::printf(" box %d at %.0f, %.0f", box.GetBoxType(), box.GetPosition().x, box.GetPosition().y);
                for (Eyecorn& eyecorn : aGame.GetEyecorns())
                    std::printf(" eyecorn state %d sweep %.0f detection %.2f", eyecorn.GetState(), eyecorn.GetSweepAngle(), eyecorn.GetDetection());
                for (Glomp& glomp : aGame.GetGlomps())
                    std::printf(" glomp state %d x %.0f", glomp.GetState(), glomp.GetPosition().x);
                std::printf("\n");
            }
            if (myExitFrames < 0)
            {
                const LevelRuns::RoutePlayer::Status status = myRoute->Advance(aGame, FRAME_TIME);
                if (status == LevelRuns::RoutePlayer::Status::Failed)
                {
                    Fail(myRoute->GetFailure());
                    return NextLevel(aGame, true);
                }
                if (status == LevelRuns::RoutePlayer::Status::Done)
                {
                    myExitFrames = 0;
                }
                return;
            }
            if (++myExitFrames == EXIT_SCREENSHOT_DELAY)
            {
                Screenshot(std::string(key) + "_exit");
            }
            // The exit starts the next level (or, after the last, the ending) by itself.
            const std::string next = LevelContent::ReadLayout(key)["next"].get<std::string>();
            const bool arrived = next == "Credits" ? aGame.GetStateStack().TopId() == static_cast<int>(StateId::Ending)
                                                   : std::string(loader.GetCurrentLevelKey().GetString()) == next;
            if (arrived)
            {
                someFinished.push_back(key);
                return NextLevel(aGame, false);
            }
            if (myExitFrames > 60 * 20)
            {
                Fail("the exit did not lead on to " + next);
                return NextLevel(aGame, true);
            }
        }

        const std::vector<std::string>& GetFailures() const { return someFailures; }
        const std::vector<std::string>& GetFinished() const { return someFinished; }

    private:
        void Fail(const std::string& aMessage) { someFailures.push_back(std::string(LevelContent::LEVELS[myLevel].myKey) + ": " + aMessage); }

        // After a failure the next level is started directly, so one broken route does not hide the others.
        void NextLevel(Game& aGame, bool aStartIt)
        {
            ++myLevel;
            myRoute.reset();
            myExitFrames = -1;
            myStarted = !aStartIt;
            (void)aGame;
        }

        void Quit() { Vela::Platform::PostQuitMessage(0); }

        bool myTrace = false;
        int myFrames = 0;
        size_t myLevel = 0;
        bool myStarted = false;
        int myExitFrames = -1;
        std::optional<LevelRuns::RoutePlayer> myRoute;
        std::vector<std::string> someFailures;
        std::vector<std::string> someFinished;
    };
}

TEST(LevelRunTest, EveryLevelIsPlayedFromItsSpawnToTheNextLevel)
{
    if (!std::filesystem::exists(LevelContent::GameRoot() / "models/Player/SK_Player.fbx"))
    {
        GTEST_SKIP() << "the demo content pack is not in " << LevelContent::GameRoot();
    }
    VelaTest::TempDirectory executable;
    executable.Write("settings/Game.json", SettingsFor(LevelContent::GameRoot()));
    const std::filesystem::path previousDirectory = Vela::Settings::ExecutableDirectory();
    const Vela::EngineConfiguration previousConfiguration = Vela::Settings::GetEngineConfiguration();
    Vela::Settings::SetExecutableDirectoryForTesting(executable.Path());
    Vela::Platform::ClearMessageQueue();

    PlayThrough run;
    FrameTestHook hook;
    hook.fixedDeltaTime = FRAME_TIME;
    hook.afterRender = [&](Game& aGame) { run.Frame(aGame); };
    SetFrameTestHook(&hook);
    Vela::DX11::ReleaseShaderCaches();
    const bool ran = Go();
    Vela::DX11::ReleaseShaderCaches();
    SetFrameTestHook(nullptr);
    Vela::Settings::SetExecutableDirectoryForTesting(previousDirectory);
    Vela::Settings::GetEngineConfiguration() = previousConfiguration;
    Vela::Platform::ClearMessageQueue();

    ASSERT_TRUE(ran);
    for (const std::string& failure : run.GetFailures())
    {
        ADD_FAILURE() << failure;
    }
    if (std::getenv("LEVEL_RUN_FROM") == nullptr)
    {
        EXPECT_EQ(run.GetFinished().size(), LevelContent::LEVELS.size() - 1);
    }
}
