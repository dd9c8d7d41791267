// The orb's pick-up and drop through the real input mapper, the player's contact that puts it in reach
// for one frame, its carry easing, and its hum ending with the orb.
#include "Puzzles/Orb.h"
#include "Game/Player/PlayerTestWorld.h"
#include "Puzzles/MovableBox.h"
#include "Puzzles/Socket.h"

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

// Colliders and the collision manager point at orbs and boxes: neither may be moved once built.
static_assert(!std::is_move_constructible_v<Orb> && !std::is_move_assignable_v<Orb>);
static_assert(!std::is_move_constructible_v<MovableBox> && !std::is_move_assignable_v<MovableBox>);

using namespace PlayerTest;

TEST(Orbs, PickUpCarriesTheOrbAndItsHumPlaysUntilItIsDestroyed)
{
    World world;
    world.AddFloor();
    world.Spawn(0.0f, -0.1f);
    std::optional<Orb> orb(std::in_place, &world.myPlayer, &world.myContext, &world.myInput);
    orb->SetCollider(MakeBox(ColliderType::Orb, 0.0f, 0.0f, 50.0f, 50.0f));
    orb->SetPosition({ 100.0f, 40.0f, 0.0f });
    orb->Init();
    orb->SetInRange(true);

    world.Press('E');
    world.Frame();
    world.myMapper.Update();
    orb->Update(world.myUpdate);
    ASSERT_TRUE(orb->IsCarried());
    EXPECT_TRUE(world.myPlayer.IsCarryingOrb());
    EXPECT_FALSE(orb->GetCollider().active);
    // One per cent of the way to 140 above the player's feet, per frame.
    EXPECT_NEAR(orb->GetPosition().x, 100.0f + (0.0f - 100.0f) * 0.01f, 1e-4f);
    EXPECT_NEAR(orb->GetPosition().y, 40.0f + (-0.1f + 140.0f - 40.0f) * 0.01f, 1e-4f);
    ASSERT_TRUE(orb->GetHum().IsActive());

    SoundManager& sounds = SoundManager::GetInstance();
    const int32_t playing = sounds.CountActiveSounds();
    orb.reset();
    EXPECT_EQ(sounds.CountActiveSounds(), playing - 1) << "destroying the orb stops its hum";
}

TEST(Orbs, OnlyThePlayersContactInTheSameFrameLetsInteractPickTheOrbUp)
{
    World world;
    world.AddFloor();
    world.Spawn(100.0f, -0.1f);
    Orb orb(&world.myPlayer, &world.myContext, &world.myInput);
    orb.SetCollider(MakeBox(ColliderType::Orb, 0.0f, 0.0f, 50.0f, 50.0f));
    orb.SetPosition({ 100.0f, 40.0f, 0.0f });
    orb.Init();
    Collider& hurtBox = world.myPlayer.GetHurtBox();
    ASSERT_TRUE(hurtBox.isPlayer);
    ASSERT_NEAR(hurtBox.x, 100.0f, 50.0f);
    ASSERT_NEAR(hurtBox.y, 40.0f, 50.0f);

    // As in the game's frame: contacts first, then the orb's update.
    world.Frame();
    orb.OnCollision({ 0.0f, 1.0f }, 1.0f, &orb.GetCollider(), &hurtBox);
    EXPECT_TRUE(orb.IsInRange());
    orb.Update(world.myUpdate);
    EXPECT_FALSE(orb.IsCarried()) << "no Interact yet";

    // The next frame brings Interact but no contact: last frame's touch does not count.
    world.Press('E');
    world.Frame();
    world.myMapper.Update();
    orb.Update(world.myUpdate);
    EXPECT_FALSE(orb.IsCarried());
    EXPECT_FALSE(world.myPlayer.IsCarryingOrb());
    world.Release('E');
    world.Frame();
    orb.Update(world.myUpdate);

    // Interact with a contact in the same frame picks it up.
    world.Press('E');
    world.Frame();
    world.myMapper.Update();
    orb.OnCollision({ 0.0f, 1.0f }, 1.0f, &orb.GetCollider(), &hurtBox);
    orb.Update(world.myUpdate);
    EXPECT_TRUE(orb.IsCarried());
    EXPECT_TRUE(world.myPlayer.IsCarryingOrb());
}

TEST(Orbs, TheOrbIsDrawnInThePlayPlaneAndTakesItsSocketsDepthWhenPulledIn)
{
    World world;
    world.AddFloor();
    world.Spawn(-500.0f, -0.1f);
    Orb orb(&world.myPlayer, &world.myContext, &world.myInput);
    // Placed off the play plane: its position is (x, y, 0) and the model follows the position.
    orb.GetModelInstance().GetTransform().SetTranslation({ 100.0f, 40.0f, 30.0f });
    orb.SetCollider(MakeBox(ColliderType::Orb, 0.0f, 0.0f, 50.0f, 50.0f));
    orb.Init();
    orb.Update(world.myUpdate);
    EXPECT_FLOAT_EQ(orb.GetModelInstance().GetTransform().GetTranslation().z, 0.0f);

    Socket socket;
    socket.GetModelInstance().GetTransform().SetTranslation({ 124.0f, 40.0f, -24.0f });
    socket.SetCollider(MakeBox(ColliderType::Trigger, 124.0f, 40.0f, 30.0f, 30.0f));
    socket.Init();
    socket.SetOrb(&orb);
    Collider orbCollider = orb.GetCollider();
    socket.OnCollision({ 1.0f, 0.0f }, 1.0f, &socket.GetCollider(), &orbCollider);
    ASSERT_TRUE(socket.IsFilled());
    // Half of the way to the socket per frame, in x 12, 6, 3, 1.5, 0.75 short (seated, x decides) and in
    // depth 0 -> -12 -> -18 -> -21 -> -22.5 -> -23.25.
    const float depths[] = { -12.0f, -18.0f, -21.0f, -22.5f, -23.25f };
    for (float depth : depths)
    {
        orb.Update(world.myUpdate);
        socket.Update(world.myUpdate);
        EXPECT_FLOAT_EQ(orb.GetModelInstance().GetTransform().GetTranslation().z, depth);
    }
    EXPECT_TRUE(socket.IsSeated());
}
