// Movable boxes and breakable floors with the player: grabbing, pulling up to a wall, turning heavy
// while the orb is carried, and which floors break under what.
#include "Puzzles/BreakableFloor.h"
#include "Game/Player/PlayerTestWorld.h"

#include <gtest/gtest.h>

using namespace PlayerTest;

namespace
{
    constexpr uint8_t KEY_A = 'A';
    constexpr uint8_t KEY_D = 'D';
    constexpr uint8_t KEY_S = 'S';
    constexpr float FEET = -0.1f;
    constexpr float BOX_HALF = 40.0f;

    // A floor record with its collider (top at y = 0, from x - 100 to x + 100) and its watcher.
    struct Floor
    {
        Floor(World& aWorld, ColliderType aType, float anX) : watcher(nullptr)
        {
            record.collider = std::make_unique<Collider>(MakeBox(aType, anX, -10.0f, 100.0f, 10.0f));
            aWorld.myCollision.AddDynamic(record.collider.get());
            watcher = BreakableFloor(&record);
            watcher.Register();
        }
        FloorRecord record;
        BreakableFloor watcher;
    };
}

TEST(MovableBoxes, ALightBoxFollowsAPullingPlayerOnlyWhileClickIsHeldAndStopsAtAWall)
{
    World world;
    world.AddFloor();
    world.AddStatic(MakeBox(ColliderType::Level, -450.0f, 200.0f, 50.0f, 200.0f)); // right face at -400
    // The player's hurt box 2 units left of the box.
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    world.Spawn(-BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
    // Walking into the box without Click neither moves nor grabs it.
    world.Press(KEY_D);
    world.Frames(10);
    EXPECT_FLOAT_EQ(box.GetPosition().x, 0.0f);
    EXPECT_FALSE(world.myPlayer.IsGrabbing());

    // With Click held the player pushes it, then pulls it back.
    world.PressMouse();
    world.Frames(10);
    ASSERT_TRUE(world.myPlayer.IsGrabbing());
    EXPECT_GT(box.GetPosition().x, 0.0f);
    world.Release(KEY_D);
    world.Press(KEY_A);
    world.Frames(30);
    const float gap = box.GetPosition().x - world.myPlayer.GetPosition().x;
    EXPECT_LT(box.GetPosition().x, -50.0f);
    EXPECT_EQ(world.myPlayer.GetPushState(), MovableBox::LIGHT);
    world.Frame();
    EXPECT_NEAR(box.GetPosition().x - world.myPlayer.GetPosition().x, gap, 0.01f) << "the box moves with the player";
    EXPECT_NEAR(world.myPlayer.GetHorizontalStep(), -200.0f / 64.0f, 1e-4f) << "pulling a light box is slower";

    world.Frames(200);
    EXPECT_GE(world.myPlayer.GetPosition().x - Player::HURT_HALF_WIDTH, -400.0f) << "the player stops at the wall";
    EXPECT_GE(box.GetPosition().x - BOX_HALF, world.myPlayer.GetPosition().x + Player::HURT_HALF_WIDTH - 0.01f);
    const float stopped = box.GetPosition().x;
    world.Frames(10);
    EXPECT_FLOAT_EQ(box.GetPosition().x, stopped);
}

TEST(MovableBoxes, CrouchingReleasesTheBox)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    world.Spawn(-BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
    world.Press(KEY_D);
    world.PressMouse();
    world.Frames(6);
    ASSERT_TRUE(world.myPlayer.IsGrabbing());
    world.Press(KEY_S);
    world.Frames(4);
    EXPECT_FALSE(world.myPlayer.IsGrabbing());
    EXPECT_FALSE(box.IsAttached());
}

TEST(MovableBoxes, TouchingWhileCarryingTheOrbMakesTheBoxHeavyForGood)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    world.Spawn(-BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
    world.Press(KEY_D);
    world.Frames(4);
    EXPECT_EQ(box.GetBoxType(), MovableBox::LIGHT) << "a player without the orb leaves it light";

    world.myPlayer.SetCarryingOrb(true);
    world.Frames(2);
    EXPECT_EQ(box.GetBoxType(), MovableBox::HEAVY);
    EXPECT_EQ(box.GetCollider().type, ColliderType::HeavyBox);
    world.myPlayer.SetCarryingOrb(false);
    world.Frames(20);
    EXPECT_EQ(box.GetBoxType(), MovableBox::HEAVY);
    // Eased by a tenth of the rest each frame: 1 - 0.9^n after n frames.
    EXPECT_GT(box.GetHeaviness(), 0.85f);
    EXPECT_LT(box.GetHeaviness(), 1.0f);
}

TEST(BreakableFloors, AHeavyBoxBreaksAFloorALightOneNeverAndTheScriptedFloorBreaksUnderThePlayer)
{
    World world;
    world.AddStatic(MakeBox(ColliderType::Level, 0.0f, -500.0f, 3000.0f, 50.0f)); // far below, to land on
    Floor lightFloor(world, ColliderType::BreakableFloor, -500.0f);
    Floor heavyFloor(world, ColliderType::BreakableFloor, 0.0f);
    MovableBox& light = world.AddBox(-500.0f, 0.0f, MovableBox::LIGHT);
    MovableBox& heavy = world.AddBox(0.0f, 0.0f, MovableBox::HEAVY);
    world.Frames(60);
    EXPECT_FALSE(lightFloor.watcher.IsBroken());
    EXPECT_TRUE(lightFloor.record.collider->active);
    EXPECT_FLOAT_EQ(light.GetPosition().y, 0.0f);
    EXPECT_TRUE(heavyFloor.watcher.IsBroken());
    EXPECT_EQ(heavyFloor.watcher.GetShownModel(), &heavyFloor.record.brokenModel);
    EXPECT_FALSE(heavyFloor.record.collider->active);
    EXPECT_LT(heavy.GetPosition().y, -300.0f) << "the heavy box falls through";
    ASSERT_NE(heavy.GetDust(), nullptr);

    Floor scripted(world, ColliderType::ScriptedEventFloor, 800.0f);
    Floor plain(world, ColliderType::BreakableFloor, 1200.0f);
    world.Spawn(1200.0f, FEET);
    world.Frames(3);
    EXPECT_FALSE(plain.watcher.IsBroken()) << "a plain breakable floor carries the player";
    world.Spawn(800.0f, FEET);
    world.Frames(3);
    EXPECT_TRUE(scripted.watcher.IsBroken());
    EXPECT_EQ(world.myPlayer.GetEffects().Count(), 3u) << "three dust clouds";
}

TEST(BreakableFloors, AMovedFloorWatcherIsTheOneRegisteredAndLeavesWithItsLevel)
{
    World world;
    FloorRecord record;
    record.collider = std::make_unique<Collider>(MakeBox(ColliderType::BreakableFloor, 0.0f, 0.0f, 10.0f, 10.0f));
    {
        std::vector<BreakableFloor> floors;
        floors.emplace_back(&record);
        floors.front().Register();
        floors.front().Register();
        floors.emplace_back(&record); // moves the first one
        ASSERT_EQ(record.collider->observers.size(), 1u);
        EXPECT_EQ(record.collider->observers.front(), &floors.front());
    }
    EXPECT_TRUE(record.collider->observers.empty());
}
