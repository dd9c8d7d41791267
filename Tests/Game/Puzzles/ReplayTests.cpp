// Starting a level, also again: every build makes its live objects from the level as authored, so a
// level replayed from level select is the level of a first build, whatever the first play did to it;
// every start reveals the level the same way with the player held still, the camera starts afresh,
// and the exit's walk-out updates the player once per frame.
#include "Effects/FlipbookEffects.h"
#include "Levels/LevelData.h"
#include "Menus/MainMenuState.h"
#include "Player/Player.h"
#include "Screens/TransitionState.h"
#include "Spine/Game.h"

#include "Support/GameTestHarness.h"

#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    constexpr float FEET = FIXTURE_FEET;

    // A level with a floor to break, a box above it, an orb, a Glomp, an Eyecorn, and an exit with its stair.
    std::vector<FixtureObject> ReplayLevel()
    {
        FixtureObject box = Placed("Interactable_Box_Snail", { 600, 400, 0 }, { 3, 3, 3 });
        box.properties.push_back(FixtureProperty("Model", "Model", FixtureModel(SKINNED_MODEL)));
        FixtureObject exit = Placed("Template_EndTrigger", { 1500, 100, 0 });
        exit.properties.push_back(FixtureProperty("Collider", "Collider - Box", FixtureBox({ 0, 0 }, { 5, 100 })));
        return { Placed("TOB", { 0, FEET, 0 }),
                 Floor(),
                 Placed("BreakableFloor", { 600, 300, 0 }, { 600, 20, 200 }),
                 box,
                 Placed("Orb", { 300, 100, 0 }),
                 Placed("SK_Enemy_Test", { -1200, 0, 0 }),
                 Placed("SK_Enemy_flying", { -1700, 300, 0 }),
                 exit,
                 Placed("SM_A_RotatingStair", { 1500, 0, 0 }) };
    }

    // Every value of every live object that a play may change, by name.
    using Snapshot = std::vector<std::pair<std::string, float>>;

    Snapshot TakeSnapshot(Game& aGame)
    {
        Snapshot values;
        auto add = [&values](const std::string& aName, float aValue) { values.emplace_back(aName, aValue); };
        auto addCollider = [&add](const std::string& aName, const Collider& aCollider) {
            add(aName + " x", aCollider.x);
            add(aName + " y", aCollider.y);
            add(aName + " type", static_cast<float>(aCollider.type));
            add(aName + " active", aCollider.active);
        };
        for (BreakableFloor& floor : aGame.GetFloors())
        {
            add("floor broken", floor.IsBroken());
            addCollider("floor", *floor.GetCollider());
        }
        for (MovableBox& box : aGame.GetMovableBoxes())
        {
            add("box x", box.GetPosition().x);
            add("box y", box.GetPosition().y);
            add("box type", static_cast<float>(box.GetBoxType()));
            add("box heaviness", box.GetHeaviness());
            add("box model y", box.GetAnimatedModel().GetTransform().GetTranslation().y);
            addCollider("box", box.GetCollider());
        }
        for (Orb& orb : aGame.GetOrbs())
        {
            add("orb x", orb.GetPosition().x);
            add("orb y", orb.GetPosition().y);
            add("orb carried", orb.IsCarried());
            addCollider("orb", orb.GetCollider());
        }
        for (Socket& socket : aGame.GetSockets())
        {
            add("socket filled", socket.IsFilled());
        }
        for (EndTrigger& trigger : aGame.GetEndTriggers())
        {
            add("exit activated", trigger.IsActivated());
            add("exit walking out", trigger.IsWalkingOut());
            addCollider("exit", trigger.GetCollider());
        }
        for (RotatingStairRecord& stair : aGame.GetStairs())
        {
            const Vela::Matrix4x4<float>& transform = stair.model.GetTransform();
            for (int row = 0; row < 4; ++row)
            {
                const Vela::Vector4<float> values4 = transform.GetRow(row);
                add("stair row " + std::to_string(row) + " x", values4.x);
                add("stair row " + std::to_string(row) + " y", values4.y);
                add("stair row " + std::to_string(row) + " z", values4.z);
            }
        }
        for (Glomp& glomp : aGame.GetGlomps())
        {
            add("glomp x", glomp.GetPosition().x);
            add("glomp state", static_cast<float>(glomp.GetState()));
            addCollider("glomp body", *glomp.GetEnemyBox());
        }
        for (Eyecorn& eyecorn : aGame.GetEyecorns())
        {
            add("eyecorn state", static_cast<float>(eyecorn.GetState()));
            add("eyecorn sweep", eyecorn.GetSweepAngle());
            add("eyecorn detection", eyecorn.GetDetection());
        }
        const Player& player = *aGame.GetContext().player;
        add("player x", player.GetPosition().x);
        add("player carries orb", player.IsCarryingOrb());
        add("dynamic colliders", static_cast<float>(aGame.GetCollisionManager().GetDynamics().size()));
        return values;
    }

    class ReplayTest : public HeadlessGameTest
    {
    protected:
        TransitionState& TheFade() { return static_cast<TransitionState&>(*Stack().GetState(StateId::Transition)); }
        bool IsPlaying() { return IsTop(StateId::Game); }
        // The level-select page's own button, as a click on it runs it.
        void ChooseOnLevelSelect(const char* aLevel)
        {
            Stack().Clear();
            Stack().Push(StateId::MainMenu);
            auto& menu = static_cast<MainMenuState&>(*Stack().GetState(StateId::MainMenu));
            menu.GetLevelSelectPanel().GetElements().GetButton(aLevel).myCallback();
        }

    };
}

TEST_F(ReplayTest, ALevelChosenAgainOnLevelSelectIsBuiltAsAuthoredWhateverTheLastPlayChanged)
{
    MakeGame(ReplayLevel());
    const Snapshot firstBuild = TakeSnapshot(TheGame());
    ASSERT_EQ(TheGame().GetMovableBoxes().size(), 1u);
    ASSERT_EQ(TheGame().GetFloors().size(), 1u);
    ASSERT_EQ(TheGame().GetStairs().size(), 1u);
    ASSERT_EQ(TheGame().GetGlomps().size(), 1u);
    ASSERT_EQ(TheGame().GetEyecorns().size(), 1u);

    // Play: the box falls onto the floor, the enemies patrol and scan.
    ChooseOnLevelSelect("level_0");
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600));
    Frames(150);
    MovableBox& box = TheGame().GetMovableBoxes().front();
    ASSERT_TRUE(box.IsGrounded());
    // The player, carrying the orb, touches the box: heavy for this play, and it breaks the floor.
    ThePlayer().SetCarryingOrb(true);
    box.OnCollision({ 1.0f, 0.0f }, 1.0f, &box.GetCollider(), &ThePlayer().GetHurtBox());
    ThePlayer().SetCarryingOrb(false);
    TheGame().GetOrbs().front().SetPosition({ 200.0f, 50.0f, 0.0f });
    // The player reaches the exit: it starts walking there and the stair rises and turns.
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    exit.OnCollision({ 1.0f, 0.0f }, 1.0f, &exit.GetCollider(), &ThePlayer().GetHurtBox());
    Frames(60);

    const Snapshot played = TakeSnapshot(TheGame());
    ASSERT_TRUE(TheGame().GetFloors().front().IsBroken());
    ASSERT_EQ(box.GetBoxType(), MovableBox::HEAVY);
    ASSERT_LT(box.GetPosition().y, 250.0f) << "fell through the broken floor";
    ASSERT_NE(played, firstBuild);

    ChooseOnLevelSelect("level_0");
    const Snapshot replayed = TakeSnapshot(TheGame());
    ASSERT_EQ(replayed.size(), firstBuild.size());
    for (size_t index = 0; index < firstBuild.size(); ++index)
    {
        EXPECT_EQ(replayed[index].second, firstBuild[index].second) << replayed[index].first;
    }

    // And the replay plays as the first play did: the light box lands on the whole floor and stays there.
    ASSERT_TRUE(RunUntil([this] { return Stack().TopId() == static_cast<int>(StateId::Game); }, 600));
    Frames(150);
    EXPECT_FALSE(TheGame().GetFloors().front().IsBroken());
    EXPECT_TRUE(TheGame().GetMovableBoxes().front().IsGrounded());
    EXPECT_GT(TheGame().GetMovableBoxes().front().GetPosition().y, 300.0f) << "carried by the floor";
    EXPECT_TRUE(SaveScreenshot("puzzles/replayed_level.png"));
}

TEST_F(ReplayTest, EveryLevelStartRevealsInWhiteAtTheFirstSpeedWhileThePlayerWaits)
{
    MakeGame({ Floor(), Placed("TOB", { 0, FEET, 0 }), Zone("DeathBox", { -150, 100 }, { 30, 100 }) });
    ChooseOnLevelSelect("level_0");
    ASSERT_TRUE(RunUntil([this] { return IsPlaying(); }, 600));
    // A death: the cover turns black and fast, the reveal after it runs at 1.5.
    Press('A');
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().GetAnimFlags().dead; }, 300));
    Release('A');
    ASSERT_TRUE(RunUntil([this] { return IsPlaying(); }, 600, 0.1f));
    ASSERT_FLOAT_EQ(TheFade().GetSprite().myColor.r, 0.0f);

    // Chosen from the menus with MoveRight held all along.
    Press('D');
    ChooseOnLevelSelect("level_0");
    EXPECT_FLOAT_EQ(TheFade().GetSprite().myColor.r, 1.0f);
    EXPECT_FLOAT_EQ(TheFade().GetSprite().myColor.g, 1.0f);
    EXPECT_FLOAT_EQ(TheFade().GetSprite().myColor.b, 1.0f);
    EXPECT_FLOAT_EQ(TheFade().GetSpeed(), 2.0f);
    // Alpha after n frames of 1/60 s at speed 2 is (1 - 2/60)^n = (29/30)^n: 0.1549 after 55 frames, 0.1498 after
    // 56, so the reveal reports finished (alpha <= 0.15) and is popped in the 56th frame.
    Frames(55);
    EXPECT_EQ(Stack().TopId(), static_cast<int>(StateId::Transition));
    EXPECT_TRUE(ThePlayer().IsLocked());
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, 0.0f) << "held still while the level fades in";
    // The 56th frame pops the fade, unlocks the player and updates it once: one run step of 350 / 60.
    Frames(1);
    EXPECT_TRUE(IsPlaying());
    EXPECT_FALSE(ThePlayer().IsLocked());
    EXPECT_NEAR(ThePlayer().GetPosition().x, 350.0f / 60.0f, 1e-3f);
    Release('D');
}

TEST_F(ReplayTest, TheNextLevelStartsWithTheCameraAsAtItsInitNotHeldOrZoomedByTheLastExit)
{
    // A room around the exit holds the camera at field of view 60; the exit narrows it by 20 more.
    FixtureObject room = Zone("Template_CameraCollider", { 0, 100 }, { 400, 400 });
    room.properties.push_back(FixtureProperty("Is Room", "Bool", true));
    room.properties.push_back(FixtureProperty("Fov/Zoom", "Float", 60.0f));
    room.properties.push_back(FixtureProperty("Camera Speed", "Float", 0.05f));
    MakeGame({ Floor(), Placed("TOB", { 0, FEET, 0 }), room, Exit({ 150, 100 }, "level_1") }, { Floor(), Placed("TOB", { 500, FEET, 0 }) });
    ChooseOnLevelSelect("level_0");
    ASSERT_TRUE(RunUntil([this] { return IsPlaying(); }, 600));
    CameraController& camera = TheGame().GetCameraController();
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 200));
    Release('D');
    EXPECT_TRUE(camera.IsHeld());
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600));
    EXPECT_FLOAT_EQ(camera.GetFovTarget(), 40.0f) << "60 narrowed by 20";

    ASSERT_TRUE(RunUntil([this] { return TheGame().GetLevelLoader().GetCurrentLevelKey() == "level_1"_sid; }, 600, 0.1f));
    EXPECT_FALSE(camera.IsHeld());
    EXPECT_FLOAT_EQ(camera.GetFovTarget(), 90.0f);
    EXPECT_FLOAT_EQ(camera.GetCurrentFov(), 90.0f);
    EXPECT_FLOAT_EQ(camera.GetDefaultFov(), 90.0f);
    EXPECT_FLOAT_EQ(camera.GetFollowSpeed(), 0.03f);
    EXPECT_FLOAT_EQ(camera.GetOffset().y, 250.0f);
    EXPECT_EQ(camera.GetTarget(), &ThePlayer().GetModelTransform());
    // Placed at the new spawn: (500, 47.5, 0 - 1000).
    const Vela::Vector3<float> position = camera.GetPerspectiveCamera().GetTransform().GetTranslation();
    EXPECT_FLOAT_EQ(position.x, 500.0f);
    EXPECT_FLOAT_EQ(position.z, -1000.0f);
}

TEST_F(ReplayTest, TheExitsWalkOutUpdatesThePlayerOncePerFrame)
{
    MakeGame({ Floor(), Placed("TOB", { 0, FEET, 0 }), Exit({ 150, 100 }, "level_1") });
    ChooseOnLevelSelect("level_0");
    ASSERT_TRUE(RunUntil([this] { return IsPlaying(); }, 600));
    EndTrigger& exit = TheGame().GetEndTriggers().front();
    Press('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsActivated(); }, 200));
    Release('D');
    ASSERT_TRUE(RunUntil([&] { return exit.IsWalkingOut(); }, 600));

    // A marker in the player's effects rises 60 units a second: one player update per 1/60 s frame moves it
    // 1 unit, so 10 frames move it 10 units (20 if the player were updated twice per frame).
    constexpr float MARK_X = 12345.0f;
    ThePlayer().GetEffects().Spawn({ MARK_X, 0.0f }, { 1.0f, 1.0f }, "no texture", 1, 1, 1, 1.0f, 0, { 0.0f, 60.0f });
    Frames(10);
    ASSERT_TRUE(exit.IsWalkingOut());
    const FlipbookInstance* mark = nullptr;
    for (const FlipbookInstance& instance : ThePlayer().GetEffects().GetInstances())
    {
        if (instance.sprite.myPosition.x == MARK_X)
            mark = &instance;
    }
    ASSERT_NE(mark, nullptr);
    EXPECT_NEAR(mark->sprite.myPosition.y, 10.0f, 1e-3f);
}
