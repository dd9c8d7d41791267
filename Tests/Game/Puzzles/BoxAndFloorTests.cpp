// Movable boxes and breakable floors with the player: grabbing, pulling up to a wall, turning heavy
// while the orb is carried, and which floors break under what.
#include "Effects/FlipbookEffects.h"
#include "Puzzles/BreakableFloor.h"
#include "Game/Player/PlayerTestWorld.h"

#include <gtest/gtest.h>

#include <deque>

using namespace PlayerTest;

namespace
{
    constexpr uint8_t KEY_A = 'A';
    constexpr uint8_t KEY_D = 'D';
    constexpr uint8_t KEY_S = 'S';
    constexpr float FEET = -0.1f;
    constexpr float BOX_HALF = 40.0f;

    // Spawns the player with its hurt box 2 units left of a box at the origin, then walks right into
    // it with Click held for aFrames.
    void GrabTheBoxFromItsLeft(World& aWorld, int aFrames)
    {
        aWorld.Spawn(-BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
        aWorld.Press(KEY_D);
        aWorld.PressMouse();
        aWorld.Frames(aFrames);
    }

    // A floor record with its collider (top at y = 0, from x - 100 to x + 100) and the live floor
    // built from it, whose own collider takes part in the collisions.
    struct Floor
    {
        Floor(World& aWorld, ColliderType aType, float anX) : record(MakeRecord(aType, anX)), watcher(&record)
        {
            watcher.Register();
            aWorld.myCollision.AddDynamic(watcher.GetCollider());
        }
        static FloorRecord MakeRecord(ColliderType aType, float anX)
        {
            FloorRecord floor;
            floor.collider = std::make_unique<Collider>(MakeBox(aType, anX, -10.0f, 100.0f, 10.0f));
            return floor;
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

TEST(MovableBoxes, AHeavyBoxMovesWithThePlayerAtTheHeavyPushSpeed)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f, MovableBox::HEAVY);
    GrabTheBoxFromItsLeft(world, 10);
    ASSERT_TRUE(world.myPlayer.IsGrabbing());
    EXPECT_EQ(world.myPlayer.GetPushState(), MovableBox::HEAVY);
    const float boxBefore = box.GetPosition().x;
    const float playerBefore = world.myPlayer.GetPosition().x;
    world.Frames(8);
    // 100 units a second at 1/64 s a frame: 1.5625 a frame, 12.5 in 8 frames (the light box's 200 would make 25).
    EXPECT_NEAR(world.myPlayer.GetHorizontalStep(), 100.0f / 64.0f, 1e-4f);
    EXPECT_NEAR(world.myPlayer.GetPosition().x - playerBefore, 12.5f, 1e-3f);
    EXPECT_NEAR(box.GetPosition().x - boxBefore, 12.5f, 1e-3f);
}

TEST(MovableBoxes, APushedBoxGoesOverAStepLowerThanItsProbeLift)
{
    World world;
    world.AddFloor();
    // A second floor piece from x = 80 to 560 with its top 5 above the floor: the box's side probe,
    // lifted by 10, passes over it.
    world.AddStatic(MakeBox(ColliderType::Level, 320.0f, -47.5f, 240.0f, 52.5f));
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    GrabTheBoxFromItsLeft(world, 10);
    ASSERT_TRUE(world.myPlayer.IsGrabbing());
    const float before = box.GetPosition().x;
    ASSERT_LT(before + BOX_HALF, 80.0f) << "still short of the step";
    world.Frames(16);
    // 200 / 64 = 3.125 a frame: 50 in 16 frames, which takes its right side past the step's edge at 80.
    // The player stays 80 behind that side, short of the step itself.
    EXPECT_NEAR(box.GetPosition().x - before, 50.0f, 1e-3f);
    EXPECT_GT(box.GetPosition().x + BOX_HALF, 80.0f);
    EXPECT_FLOAT_EQ(box.GetPosition().y, 0.0f) << "never lifted onto the step";
}

TEST(MovableBoxes, ALandingPlaysItsSoundOnceTheLandingTimerHasRunOut)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 700.0f);
    SoundManager& sounds = SoundManager::GetInstance();
    const uint32_t lands = sounds.CountStarts("Snail_Land");
    // Half-second frames. The first: speed -100 x 9.82 x 0.5 = -491, step -245.5, down to 454.5. The
    // second step, -491, puts the foot (0.5 below the box) at -36, inside the floor: landed on its top.
    // The landing timer starts at 0.5 and loses one frame time per landing, 0.5 - 0.5 = 0, so this first
    // landing sounds, once.
    world.myUpdate.deltaTime = 0.5f;
    world.Frame();
    EXPECT_FALSE(box.IsGrounded());
    EXPECT_NEAR(box.GetPosition().y, 454.5f, 1e-3f);
    world.Frame();
    ASSERT_TRUE(box.IsGrounded());
    EXPECT_FLOAT_EQ(box.GetPosition().y, 0.0f);
    EXPECT_EQ(sounds.CountStarts("Snail_Land"), lands + 1);
    world.Frames(4);
    EXPECT_EQ(sounds.CountStarts("Snail_Land"), lands + 1) << "resting is no landing";
}

TEST(MovableBoxes, CrouchingReleasesTheBox)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    GrabTheBoxFromItsLeft(world, 6);
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
    // The heavy box rests on the floor's top at (0, 0): its first frame's foot probe touches the floor,
    // which breaks and raises the three clouds around the box's position, not yet moved by their speed:
    // (0, 0 + 15) 400 x 400, (0 + 50, 0 + 65) 400 x 400, (0 - 30, 0 + 35) 350 x 350.
    world.Frame();
    ASSERT_TRUE(heavyFloor.watcher.IsBroken());
    ASSERT_EQ(heavy.GetDust()->Count(), 3u);
    const std::vector<FlipbookInstance>& clouds = heavy.GetDust()->GetInstances();
    const Vela::Vector2<float> positions[] = { { 0.0f, 15.0f }, { 50.0f, 65.0f }, { -30.0f, 35.0f } };
    const float sizes[] = { 400.0f, 400.0f, 350.0f };
    for (size_t cloud = 0; cloud < 3; ++cloud)
    {
        EXPECT_FLOAT_EQ(clouds[cloud].sprite.myPosition.x, positions[cloud].x) << cloud;
        EXPECT_FLOAT_EQ(clouds[cloud].sprite.myPosition.y, positions[cloud].y) << cloud;
        EXPECT_FLOAT_EQ(clouds[cloud].sprite.mySize.x, sizes[cloud]) << cloud;
        EXPECT_FLOAT_EQ(clouds[cloud].sprite.mySize.y, sizes[cloud]) << cloud;
        EXPECT_EQ(clouds[cloud].frameCount, 16) << cloud;
    }

    world.Frames(59);
    EXPECT_FALSE(lightFloor.watcher.IsBroken());
    EXPECT_TRUE(lightFloor.watcher.GetCollider()->active);
    EXPECT_FLOAT_EQ(light.GetPosition().y, 0.0f);
    EXPECT_TRUE(heavyFloor.watcher.IsBroken());
    EXPECT_EQ(heavyFloor.watcher.GetShownModel(), &heavyFloor.record.brokenModel);
    EXPECT_FALSE(heavyFloor.watcher.GetCollider()->active);
    EXPECT_TRUE(heavyFloor.record.collider->active) << "the record stays as authored";
    EXPECT_LT(heavy.GetPosition().y, -300.0f) << "the heavy box falls through";

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

TEST(BreakableFloors, EachFloorWatchesItsOwnCopyOfTheRecordsColliderOnce)
{
    World world;
    FloorRecord record;
    record.collider = std::make_unique<Collider>(MakeBox(ColliderType::BreakableFloor, 0.0f, 0.0f, 10.0f, 10.0f));
    {
        std::deque<BreakableFloor> floors;
        floors.emplace_back(&record);
        floors.front().Register();
        floors.front().Register();
        floors.emplace_back(&record);
        Collider* live = floors.front().GetCollider();
        ASSERT_EQ(live->observers.size(), 1u);
        EXPECT_EQ(live->observers.front(), &floors.front());
        EXPECT_NE(floors.back().GetCollider(), live) << "each floor has its own";
    }
    EXPECT_TRUE(record.collider->observers.empty());
}

TEST(MovableBoxes, ABoxPushedOffALedgeIsLetGoAndStaysBehindWhenItLands)
{
    World world;
    world.AddStatic(MakeBox(ColliderType::Level, -1000.0f, -50.0f, 1200.0f, 50.0f)); // the ledge: top 0, ends at x = 200
    world.AddStatic(MakeBox(ColliderType::Level, 0.0f, -350.0f, 3000.0f, 50.0f));   // 300 below
    MovableBox& box = world.AddBox(100.0f, 0.0f);
    world.Spawn(100.0f - BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
    world.Press(KEY_D);
    world.PressMouse();
    // Its foot stands on the ledge while the box's centre is left of 200 + 40 = 240.
    for (int frame = 0; frame < 200 && box.IsGrounded(); ++frame)
        world.Frame();
    ASSERT_FALSE(box.IsGrounded());
    ASSERT_GT(box.GetPosition().x, 240.0f - 200.0f / 64.0f);
    world.Release(KEY_D);
    world.Frame();
    EXPECT_FALSE(box.IsAttached()) << "let go as soon as it is in the air";
    EXPECT_FALSE(world.myPlayer.IsGrabbing());
    EXPECT_EQ(world.myPlayer.GetPushState(), 0);

    // Landed 300 below, Click still held: walking away neither drags the box nor walks at pull speed.
    world.Frames(100);
    ASSERT_TRUE(box.IsGrounded());
    EXPECT_FLOAT_EQ(box.GetPosition().y, -300.0f);
    const float landedX = box.GetPosition().x;
    world.Press(KEY_A);
    world.Frames(10);
    EXPECT_FLOAT_EQ(box.GetPosition().x, landedX);
    EXPECT_FALSE(world.myPlayer.IsGrabbing());
    EXPECT_FLOAT_EQ(world.myPlayer.GetHorizontalStep(), -350.0f / 64.0f) << "the run speed";
}

TEST(MovableBoxes, LettingGoOfTheBoxEndsThePushAtOnce)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f);
    GrabTheBoxFromItsLeft(world, 10);
    ASSERT_TRUE(world.myPlayer.IsGrabbing());
    ASSERT_EQ(world.myPlayer.GetPushState(), MovableBox::LIGHT);

    // Both let go in the same frame: no direction is read, but the release itself ends the push.
    world.Release(KEY_D);
    world.myInput.UpdateEvents(Vela::Platform::MESSAGE_LBUTTONUP, 0, 0);
    world.Frames(64);
    EXPECT_FALSE(box.IsAttached());
    EXPECT_EQ(world.myPlayer.GetPushState(), 0) << "no sweat a second later";
    // The first step after it: 350 / 64 at the run speed, not 200 / 64 at the push speed.
    world.Press(KEY_A);
    for (int frame = 0; frame < 5 && world.myPlayer.GetHorizontalStep() == 0.0f; ++frame)
        world.Frame();
    EXPECT_FLOAT_EQ(world.myPlayer.GetHorizontalStep(), -350.0f / 64.0f);
}

TEST(MovableBoxes, WalkingIntoAHeavyBoxWithoutClickStartsItsShellLoopOnlyOnce)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 0.0f, MovableBox::HEAVY);
    world.Spawn(-BOX_HALF - Player::HURT_HALF_WIDTH - 2.0f, FEET);
    SoundManager& sounds = SoundManager::GetInstance();
    const uint32_t before = sounds.CountStarts("Snail_IdleShell");
    // Its first frame enters the heavy shell (no clip to wait for) and starts the loop: 1 start.
    world.Frames(10);
    ASSERT_EQ(sounds.CountStarts("Snail_IdleShell"), before + 1);
    // Then 30 frames of the player walking into it without Click: 0 more.
    world.Press(KEY_D);
    world.Frames(30);
    // Stopped by it less than a run step (350 / 64) away, so every frame's step reaches into it.
    const float gap = box.GetCollider().x - BOX_HALF - (world.myPlayer.GetHurtBox().x + Player::HURT_HALF_WIDTH);
    ASSERT_LT(gap, 350.0f / 64.0f);
    EXPECT_EQ(sounds.CountStarts("Snail_IdleShell"), before + 1);
    EXPECT_FALSE(world.myPlayer.IsGrabbing());
}

TEST(MovableBoxes, ABoxDroppedFromAHeightLandsOnceAndRestsOnTheFloor)
{
    World world;
    world.AddFloor();
    MovableBox& box = world.AddBox(0.0f, 300.0f);
    SoundManager& sounds = SoundManager::GetInstance();
    const uint32_t drops = sounds.CountStarts("Snail_Drop");
    // Each 1/64 s frame the speed grows by 100 x 9.82 / 64 and the box moves by speed / 64, so after n free
    // frames it is 300 - 0.119873 n (n + 1) high: 6.31 after 49 frames. The 50th step would end at -5.68,
    // with the foot (reaching 0.5 below the box) in the floor: the box is put down on the floor's top, 0.
    world.Frames(49);
    EXPECT_FALSE(box.IsGrounded());
    EXPECT_NEAR(box.GetPosition().y, 300.0f - 982.0f / 4096.0f * 49.0f * 50.0f / 2.0f, 1e-3f);
    world.Frame();
    EXPECT_TRUE(box.IsGrounded());
    EXPECT_FLOAT_EQ(box.GetPosition().y, 0.0f);

    int landings = 0;
    for (int frame = 0; frame < 60; ++frame)
    {
        const bool wasGrounded = box.IsGrounded();
        world.Frame();
        landings += !wasGrounded && box.IsGrounded() ? 1 : 0;
    }
    EXPECT_EQ(landings, 0) << "no hops after the landing";
    EXPECT_FLOAT_EQ(box.GetPosition().y, 0.0f);
    EXPECT_EQ(sounds.CountStarts("Snail_Drop"), drops + 1) << "one drop, one fall sound";
}
