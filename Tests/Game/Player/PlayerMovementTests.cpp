// The player driven through the real input mapper on hand-placed level boxes, checked against hand
// calculations: the jump curve, gravity per frame, refused moves, crouching, hiding and respawning.
#include "PlayerTestWorld.h"

#include <gtest/gtest.h>

using namespace PlayerTest;

namespace
{
    constexpr uint8_t KEY_A = 'A';
    constexpr uint8_t KEY_D = 'D';
    constexpr uint8_t KEY_S = 'S';
    constexpr float FEET = -0.1f; // just inside the floor's top, so the ground probe finds it
}

TEST(PlayerMovement, JumpFollowsTheHeightCurve)
{
    World world;
    world.AddFloor();
    world.Spawn(0.0f, FEET);
    world.Frame();
    ASSERT_TRUE(world.myPlayer.IsGrounded());

    world.Press(Vela::Platform::VIRTUAL_KEY_SPACE);
    world.Frame(); // the message is seen in the snapshot taken at the end of this frame
    world.Frames(16);
    // (1 - (1 - 0.5)^2) x 260 after a quarter second
    EXPECT_NEAR(world.myPlayer.GetPosition().y - FEET, 195.0f, 0.01f);
    world.Frames(16);
    EXPECT_NEAR(world.myPlayer.GetPosition().y - FEET, 260.0f, 0.01f);
    EXPECT_FALSE(world.myPlayer.IsJumping());
}

TEST(PlayerMovement, EveryLandingAndASpawnOnTheFloorCountAsGround)
{
    // A refused fall may leave the feet anywhere within one gravity step above the floor.
    for (float height : { 0.0f, 37.3f, 100.0f, 121.9f, 243.6f, 294.7f })
    {
        World world;
        world.AddFloor();
        world.Spawn(0.0f, height);
        world.myUpdate.deltaTime = 1.0f / 60.0f;
        world.Frames(300);
        EXPECT_TRUE(world.myPlayer.IsGrounded()) << "from " << height << ", feet at " << world.myPlayer.GetPosition().y;
        const float rest = world.myPlayer.GetPosition().y;
        world.Press(Vela::Platform::VIRTUAL_KEY_SPACE);
        world.Frames(3);
        EXPECT_GT(world.myPlayer.GetPosition().y, rest + 10.0f) << "jumps from " << height;
    }
}

TEST(PlayerMovement, FirstFallingFrameMovesByGravityPerFrame)
{
    World world;
    world.AddFloor();
    world.Spawn(0.0f, 500.0f);
    world.myUpdate.deltaTime = 1.0f / 60.0f;
    world.Frame();
    // 3.5 x 9.82 / 60, applied as a displacement without a further dt
    EXPECT_NEAR(world.myPlayer.GetPosition().y - 500.0f, -0.57283f, 1e-4f);
    world.Frame();
    EXPECT_NEAR(world.myPlayer.GetPosition().y - 500.0f, -0.57283f * 3.0f, 1e-3f);
}

TEST(PlayerMovement, BothDirectionsHeldMoveLeftAndWallsRefuseTheWholeStep)
{
    World world;
    world.AddFloor();
    // A wall whose left face is 3 units right of the hurt box: a 5.47-unit step would end inside it.
    world.AddStatic(MakeBox(ColliderType::Level, 150.0f, 200.0f, 50.0f, 200.0f));
    world.Spawn(72.0f, FEET);
    world.Press(KEY_A);
    world.Press(KEY_D);
    world.Frames(4);
    const float before = world.myPlayer.GetPosition().x;
    world.Frame();
    EXPECT_FLOAT_EQ(world.myPlayer.GetPosition().x - before, -350.0f / 64.0f);
    EXPECT_FALSE(world.myPlayer.IsFacingRight());

    world.Release(KEY_A);
    world.Frames(40);
    // Back at 72 + 10 x 5.46875 = 126.7 would overlap the wall at 100: it stops short, with no partial step.
    const float x = world.myPlayer.GetPosition().x;
    EXPECT_LE(x + Player::HURT_HALF_WIDTH, 100.0f);
    EXPECT_GT(x + Player::HURT_HALF_WIDTH + 350.0f / 64.0f, 100.0f);
    EXPECT_FLOAT_EQ(std::fmod(x - 72.0f + 1000.0f * 350.0f / 64.0f, 350.0f / 64.0f), 0.0f) << "only whole steps are made";
}

TEST(PlayerMovement, ACrouchedPlayerDoesNotJump)
{
    World world;
    world.AddFloor();
    world.Spawn(0.0f, FEET);
    world.Press(KEY_S);
    world.Frames(4);
    ASSERT_TRUE(world.myPlayer.IsCrouching());
    const float rest = world.myPlayer.GetPosition().y;
    world.Press(Vela::Platform::VIRTUAL_KEY_SPACE);
    world.Frames(4);
    // A jump would have risen (1 - (1 - 3/32)^2) x 260 = 46.5 in the three frames after the press was seen.
    EXPECT_FALSE(world.myPlayer.IsJumping());
    EXPECT_FLOAT_EQ(world.myPlayer.GetPosition().y, rest);
}

TEST(PlayerMovement, CrouchingHidesInGrassUntilSpottedAndStandsOnlyWhereItFits)
{
    World world;
    world.AddFloor();
    world.AddStatic(MakeBox(ColliderType::Grass, 0.0f, 30.0f, 100.0f, 30.0f));
    world.Spawn(0.0f, FEET);
    world.Press(KEY_S);
    world.Frames(4);
    ASSERT_TRUE(world.myPlayer.IsCrouching());
    EXPECT_TRUE(world.myPlayer.IsHidden());
    EXPECT_FLOAT_EQ(world.myPlayer.GetHurtBox().halfHeight, Player::CROUCH_HURT_HALF_HEIGHT);

    world.myPlayer.SetSpotted(true);
    world.Frame();
    EXPECT_FALSE(world.myPlayer.IsHidden());
    // Caught: the respawn clears the Glomp's sighting, so the grass hides the player again.
    world.myPlayer.Respawn();
    world.Frame();
    EXPECT_TRUE(world.myPlayer.IsHidden());

    // A ceiling between the crouched (top 48.1) and the standing (top 95.9) hurt box.
    world.AddStatic(MakeBox(ColliderType::Level, 0.0f, 100.0f, 100.0f, 30.0f));
    world.Release(KEY_S);
    world.Frames(3);
    EXPECT_TRUE(world.myPlayer.IsCrouching()) << "the stand-up probe is refused under the ceiling";
    world.myCollision.GetStatics().pop_back();
    world.Frame();
    EXPECT_FALSE(world.myPlayer.IsCrouching());
    EXPECT_FLOAT_EQ(world.myPlayer.GetHurtBox().halfHeight, Player::STANDING_HURT_HALF_HEIGHT);
}

TEST(PlayerMovement, RespawnReturnsToTheSpawnBeforeAnyCheckPointAndClearsSpotted)
{
    World world;
    world.AddFloor();
    world.Spawn(-300.0f, FEET);
    world.myPlayer.SetPosition({ 500.0f, 900.0f, 0.0f });
    world.myPlayer.SetSpotted(true);
    world.myPlayer.Respawn();
    EXPECT_EQ(world.myPlayer.GetPosition(), (Vela::Vector3<float>{ -300.0f, FEET, 0.0f }));
    EXPECT_FALSE(world.myPlayer.IsSpotted());

    // A check point the hurt box walks into becomes the respawn point.
    world.AddStatic(MakeBox(ColliderType::CheckPoint, -200.0f, 50.0f, 20.0f, 50.0f));
    world.myPlayer.Respawn();
    world.Press(KEY_D);
    world.Frames(30);
    world.myPlayer.Respawn();
    EXPECT_EQ(world.myPlayer.GetPosition(), (Vela::Vector3<float>{ -200.0f, 50.0f, 0.0f }));

    // A new level's spawn replaces the last level's check point.
    world.Spawn(40.0f, FEET);
    world.myPlayer.Respawn();
    EXPECT_EQ(world.myPlayer.GetPosition(), (Vela::Vector3<float>{ 40.0f, FEET, 0.0f }));
}
