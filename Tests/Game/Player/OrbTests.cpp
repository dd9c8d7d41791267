// The orb's pick-up and drop through the real input mapper, its carry easing, and its hum staying with
// the orb when the game's vector moves it.
#include "Orb.h"
#include "PlayerTestWorld.h"

#include <gtest/gtest.h>

#include <optional>

using namespace PlayerTest;

TEST(Orbs, PickUpCarriesTheOrbAndAMovedOrbKeepsItsHumUntilItIsDestroyed)
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
    {
        Orb moved(std::move(*orb));
        orb.reset();
        EXPECT_TRUE(moved.GetHum().IsActive()) << "the husk left behind must not stop the live hum";
        EXPECT_EQ(sounds.CountActiveSounds(), playing);
        EXPECT_TRUE(moved.IsCarried());
    }
    EXPECT_EQ(sounds.CountActiveSounds(), playing - 1) << "destroying the orb stops its hum";
}
