// Whole-game runs on fixture levels: a death and the respawn points, the orb picked up only where the
// player stands in it, the orb carried into its socket arming the exit that walks the player into the
// next level, the exit to the ending, and the sounds left after many level changes.
#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Screens/EndingState.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"
#include "Spine/Game.h"

#include "Support/GameTestHarness.h"

#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <string>
#include <optional>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    constexpr float FEET = FIXTURE_FEET;
    constexpr float LONG_FRAME = 0.1f;

    FixtureObject Box(Vela::Vector2<float> aPosition, int aType)
    {
        FixtureObject box = Placed("Interactable_Box_Snail", { aPosition.x, aPosition.y, 0 }, { 3, 3, 3 });
        box.properties.push_back(FixtureProperty("BoxType", "Int", aType));
        box.properties.push_back(FixtureProperty("Model", "Model", FixtureModel(SKINNED_MODEL)));
        return box;
    }
    // Fades and countdowns may run with long frames: the player is locked meanwhile.
    class GameFlowTest : public HeadlessGameTest
    {
    protected:
        void Start(const std::vector<FixtureObject>& someLevel0, const std::vector<FixtureObject>& someLevel1 = { Floor() })
        {
            MakeGame(someLevel0, someLevel1);
            if (HasFatalFailure())
                return;
            // Out of the logo screens straight into play, as the menus do.
            Stack().StartLevel("level_0"_sid);
            ASSERT_TRUE(RunUntil([this] { return IsTop(StateId::Game); }, 600, LONG_FRAME));
        }
    };
}

TEST_F(GameFlowTest, DeathsRespawnAtTheSpawnBeforeAnyCheckPointThenAtTheLastOne)
{
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Zone("DeathBox", { -150, 100 }, { 30, 100 }), Zone("CheckPoints", { 100, 60 }, { 10, 100 }),
            Zone("DeathBox", { 250, 100 }, { 30, 100 }) });
    SoundManager& sounds = SoundManager::GetInstance();
    const uint32_t losses = sounds.CountStarts("Player_Lose");
    Press('A');
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().GetAnimFlags().dead; }, 300));
    Release('A');
    EXPECT_EQ(sounds.CountStarts("Player_Lose"), losses + 1) << "one death, one sound";
    EXPECT_TRUE(ThePlayer().IsLocked());
    EXPECT_EQ(Stack().TopId(), static_cast<int>(StateId::Transition));
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600, LONG_FRAME));
    EXPECT_FALSE(ThePlayer().IsLocked());
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, 0.0f) << "no check point yet: back at the level's spawn";

    Press('D');
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().GetAnimFlags().dead; }, 300));
    Release('D');
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600, LONG_FRAME));
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, 100.0f) << "the check point walked through";
}

TEST_F(GameFlowTest, TheOrbSeatedInItsSocketArmsTheExitThatStartsTheNextLevel)
{
    Start({ Floor(), Placed("TOB", { -300, FEET, 0 }), Placed("Orb", { -300, 100, 0 }, { 100, 100, 100 }),
            Placed("Socket", { -300, 230, 0 }, { 120, 120, 120 }), Exit({ 0, 100 }, "level_1", false), Box({ -700, 0 }, 1), Box({ -480, 0 }, 2) },
          { Floor(), Placed("TOB", { 500, FEET, 0 }) });
    ASSERT_EQ(TheGame().GetOrbs().size(), 1u);
    Orb& orb = TheGame().GetOrbs().front();
    Socket& socket = TheGame().GetSockets().front();
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    ASSERT_TRUE(RunUntil([&] { return orb.HasLanded(); }, 200));
    EXPECT_TRUE(orb.GetHum().IsActive());

    Tap('E');
    ASSERT_TRUE(orb.IsCarried()) << "the player stands in the orb: Interact picks it up";
    EXPECT_TRUE(ThePlayer().IsCarryingOrb());
    ASSERT_TRUE(RunUntil([&] { return orb.GetPosition().y > 130.0f; }, 300)) << "the carried orb floats up after the player";
    EXPECT_TRUE(SaveScreenshot("puzzles/player_orb_carried.png"));
    EXPECT_FALSE(exit.GetCollider().active);
    Tap('E');
    ASSERT_TRUE(RunUntil([&] { return socket.IsSeated(); }, 60));
    EXPECT_TRUE(socket.IsFilled());
    EXPECT_TRUE(exit.GetCollider().active || exit.IsActivated()) << "the filled socket arms the exit";
    // Seated once the remainder is below (1, 1, 1) in the lexicographic order: here the x parts already agree.
    EXPECT_NEAR(orb.GetPosition().x, socket.GetCollider().x, 1.0f);

    // The player's first moves after the build leave the orb's hum alone.
    const uint32_t stairs = SoundManager::GetInstance().CountStarts("StairCase");
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 300));
    Release('D');
    EXPECT_EQ(SoundManager::GetInstance().CountStarts("StairCase"), stairs + 1) << "the exit taking the player raises the stair";
    EXPECT_TRUE(ThePlayer().IsLocked());
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600)) << "walked to the exit's centre";
    ASSERT_TRUE(RunUntil([this] { return TheGame().GetLevelLoader().GetCurrentLevelKey() == "level_1"_sid; }, 600, LONG_FRAME));
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, 500.0f);
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600, LONG_FRAME));
    EXPECT_FALSE(ThePlayer().IsLocked());
}

TEST_F(GameFlowTest, InteractPicksTheOrbUpOnlyWhereThePlayerStandsInIt)
{
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Placed("Orb", { 0, 100, 0 }, { 100, 100, 100 }) });
    ASSERT_EQ(TheGame().GetOrbs().size(), 1u);
    Orb& orb = TheGame().GetOrbs().front();
    ASSERT_TRUE(RunUntil([&] { return orb.HasLanded(); }, 200));
    // Walks with the key held until the player's centre is past the mark, then lets go.
    const auto walkRightTo = [&](float aMark) {
        Press('D');
        const bool reached = RunUntil([&] { return ThePlayer().GetPosition().x > aMark; }, 600);
        Release('D');
        Frames(1);
        return reached;
    };
    const auto walkLeftTo = [&](float aMark) {
        Press('A');
        const bool reached = RunUntil([&] { return ThePlayer().GetPosition().x < aMark; }, 600);
        Release('A');
        Frames(1);
        return reached;
    };
    // The orb's rectangle is 100 wide: a player 400 away is far out of it, one 15 away is well inside.
    constexpr float FAR = 400.0f;
    constexpr float NEAR = 15.0f;

    // Touched where the player starts, then left behind.
    ASSERT_TRUE(walkRightTo(FAR));
    Tap('E');
    EXPECT_FALSE(orb.IsCarried()) << "Interact far from the orb does nothing";
    EXPECT_FALSE(ThePlayer().IsCarryingOrb());
    ASSERT_TRUE(walkLeftTo(orb.GetPosition().x + NEAR));
    Tap('E');
    ASSERT_TRUE(orb.IsCarried()) << "back in the orb, Interact picks it up";
    EXPECT_TRUE(ThePlayer().IsCarryingOrb());

    // Carried at a run the orb trails far behind; dropped there, it falls without touching the player.
    ASSERT_TRUE(walkRightTo(1200.0f));
    ASSERT_GT(ThePlayer().GetPosition().x - orb.GetPosition().x, FAR);
    Tap('E');
    ASSERT_FALSE(orb.IsCarried());
    EXPECT_FALSE(ThePlayer().IsCarryingOrb());
    ASSERT_TRUE(RunUntil([&] { return orb.HasLanded(); }, 300));
    ASSERT_GT(ThePlayer().GetPosition().x - orb.GetPosition().x, FAR);
    Tap('E');
    EXPECT_FALSE(orb.IsCarried()) << "Interact far from the dropped orb does nothing";
    EXPECT_FALSE(ThePlayer().IsCarryingOrb());
    ASSERT_TRUE(walkLeftTo(orb.GetPosition().x + NEAR));
    Tap('E');
    EXPECT_TRUE(orb.IsCarried()) << "back at the dropped orb, Interact picks it up";
    EXPECT_TRUE(ThePlayer().IsCarryingOrb());
}

TEST_F(GameFlowTest, TheLastExitPushesTheEndingUnderAWarmRevealFade)
{
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Exit({ 150, 100 }, "Credits", true) });
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 200));
    Release('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600));
    ASSERT_TRUE(RunUntil([&] { return exit.IsFinished(); }, 600, LONG_FRAME));
    const std::vector<int>& states = Stack().GetStates();
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states.back(), static_cast<int>(StateId::Transition));
    EXPECT_EQ(states[states.size() - 2], static_cast<int>(StateId::Ending));
    const TransitionState& fade = static_cast<const TransitionState&>(*Stack().Top());
    EXPECT_TRUE(fade.IsRevealing());
    EXPECT_NEAR(fade.GetSprite().myColor.r, 235.0f / 255.0f, 1e-4f);
    EXPECT_NEAR(fade.GetSprite().myColor.g, 230.0f / 255.0f, 1e-4f);
    EXPECT_NEAR(fade.GetSprite().myColor.b, 120.0f / 255.0f, 1e-4f);
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Ending); }, 600, LONG_FRAME)) << "the finished exit pops the fade";
}

TEST_F(GameFlowTest, LevelChangesLeaveNoSoundsBehind)
{
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Placed("Orb", { 200, 100, 0 }, { 100, 100, 100 }) });
    SoundManager& sounds = SoundManager::GetInstance();
    const int32_t firstBuild = sounds.CountActiveSounds();
    for (int change = 0; change < 10; ++change)
    {
        Stack().StartLevel("level_0"_sid);
        Press(change % 2 ? 'A' : 'D');
        Frames(8);
        Release(change % 2 ? 'A' : 'D');
        Frames(3);
    }
    EXPECT_EQ(sounds.CountActiveSounds(), firstBuild);
    // Each build started the hum after the selection's idle loop had been freed; leaving Idle must not stop it.
    // The player waits for the last build's reveal before it walks.
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600));
    Press('D');
    Frames(8);
    Release('D');
    ASSERT_EQ(TheGame().GetOrbs().size(), 1u);
    EXPECT_NE(ThePlayer().GetAnimStateMachine().GetCurrentState()->GetId(), AnimStateId::Idle);
    EXPECT_TRUE(TheGame().GetOrbs().front().GetHum().IsActive());
}

TEST_F(GameFlowTest, AnExitToAnUnknownSceneReturnsToTheMainMenu)
{
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Exit({ 150, 100 }, "level_9", true) });
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 200));
    Release('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600));
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::MainMenu); }, 600, LONG_FRAME));
    EXPECT_EQ(Stack().GetStates().size(), 1u);
    EXPECT_EQ(TheGame().GetLevelLoader().GetCurrentLevelKey(), "level_0"_sid);
}

TEST_F(GameFlowTest, AnExitToALevelThatFailedToLoadSaysWhyAgainAndReturnsToTheMainMenu)
{
    WriteFixtureFile(myRoot.Path() / "levels/Main Levels/Level 2.leveldata" / FixtureUuid(0), "{ broken");
    Start({ Floor(), Placed("TOB", { 0, FEET, 0 }), Exit({ 150, 100 }, "level_2", true) });
    // The ready flag is the worker's completion gate.
    while (!TheGame().GetLevelLoader().IsReady())
        std::this_thread::yield();
    const std::optional<std::string> failure = TheGame().GetLevelLoader().GetLoadFailure("level_2"_sid);
    ASSERT_TRUE(failure.has_value());

    EndTrigger& exit = TheGame().GetEndTriggers().front();
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 200));
    Release('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600));
    testing::internal::CaptureStderr();
    const bool backAtTheMenu = RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::MainMenu); }, 600, LONG_FRAME);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(backAtTheMenu) << "not left in an empty level";
    EXPECT_EQ(Stack().GetStates().size(), 1u);
    EXPECT_EQ(errors, *failure + "\n");
    EXPECT_EQ(TheGame().GetLevelLoader().GetCurrentLevelKey(), "level_0"_sid);
}
