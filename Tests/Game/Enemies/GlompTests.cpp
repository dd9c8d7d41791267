// Glomps in a running game: the patrol, the catch that ends in a black fade and a respawn, and a
// player hidden in grass.
#include "EnemyTestGame.h"
#include "Screens/TransitionState.h"

using namespace EnemyTest;

namespace
{
    class GlompTest : public EnemyGameTest
    {
    protected:
        Glomp& TheGlomp() { return TheGame().GetGlomps().front(); }
    };
}

TEST_F(GlompTest, AnUnrotatedGlompFacesLeftPausesThenPatrolsRightAndBack)
{
    // The player is far out of sight.
    Start({ Floor(), ThePlayerAt(-1800), GlompAt(0, 0.5f, 300) });
    // Straight from the build, with the frames of the start-up fade replaced by frames of our own.
    Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
    ASSERT_EQ(TheGame().GetGlomps().size(), 1u);
    EXPECT_TRUE(TheGlomp().FacesLeft());
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);

    // Break 0.5 s = 32 frames; then 300 units at 300 per second = 64 frames of 4.6875.
    Frames(31);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);
    Frames(1);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PATROL);
    EXPECT_FALSE(TheGlomp().FacesLeft());
    EXPECT_TRUE(TheGlomp().GetWalkSound().IsActive());
    Frames(63);
    EXPECT_NEAR(TheGlomp().GetPosition().x, 63 * 4.6875f, 1e-3f);
    EXPECT_FALSE(TheGlomp().GetDust().IsEmpty());
    Frames(1);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);
    EXPECT_NEAR(TheGlomp().GetPosition().x, 300.0f, 1e-3f);
    EXPECT_FALSE(TheGlomp().GetWalkSound().IsActive());

    Frames(32);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PATROL);
    EXPECT_TRUE(TheGlomp().FacesLeft());
    Frames(64);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);
    EXPECT_NEAR(TheGlomp().GetPosition().x, 0.0f, 1e-3f);
}

TEST_F(GlompTest, ACaughtPlayerFadesToBlackAndRespawnsWithTheGlompBackAtItsSpawn)
{
    Start({ Floor(), ThePlayerAt(300), GlompAt(0, 2.0f, 400) });
    // Built again and given a long first frame, as the frame that loads a level is: the Glomp's fall
    // must not sink its body into the floor.
    Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
    Frames(1, 0.1f);
    ASSERT_TRUE(WaitForPlay());
    EXPECT_GE(TheGlomp().GetEnemyBox()->y - TheGlomp().GetEnemyBox()->halfHeight, 0.0f);
    ASSERT_TRUE(RunUntil([this] { return TheGlomp().GetState() == Glomp::CHASE; }, 300));
    Frames(1);
    EXPECT_TRUE(ThePlayer().IsSpotted());
    ASSERT_TRUE(RunUntil([this] { return TheGlomp().GetState() == Glomp::CATCHING; }, 120));
    EXPECT_GT(TheGlomp().GetPosition().x, 200.0f) << "chased up to the player";

    // The player stands inside the Glomp: the collision pass reports the contact every frame from now on.
    const uint32_t losses = SoundManager::GetInstance().CountStarts("Player_Lose");
    ThePlayer().SetPosition({ TheGlomp().GetPosition().x, FEET, 0.0f });
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().GetAnimFlags().dead; }, 64));
    EXPECT_EQ(SoundManager::GetInstance().CountStarts("Player_Lose"), losses + 1) << "caught once, one sound";
    EXPECT_TRUE(ThePlayer().IsLocked());
    ASSERT_TRUE(RunUntil([this] { return IsTop(StateId::Transition); }, 10)) << "the kill fade starts despite the contact";
    const TransitionState& fade = static_cast<const TransitionState&>(*Stack().Top());
    EXPECT_TRUE(fade.IsCovering());
    EXPECT_EQ(fade.GetSprite().myColor.r, 0.0f);
    EXPECT_EQ(fade.GetSprite().myColor.g, 0.0f);
    EXPECT_EQ(fade.GetSprite().myColor.b, 0.0f);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);
    EXPECT_EQ(TheGlomp().GetPosition().x, 0.0f);

    ASSERT_TRUE(WaitForPlay());
    EXPECT_FALSE(ThePlayer().IsLocked());
    EXPECT_FALSE(ThePlayer().GetAnimFlags().dead);
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, 300.0f) << "back at the level's spawn";
    EXPECT_FLOAT_EQ(TheGlomp().GetPosition().x, 0.0f);
    EXPECT_FALSE(ThePlayer().IsSpotted());

    // Playable again: the player walks away and nothing catches them.
    Press('D');
    Frames(32);
    Release('D');
    EXPECT_GT(ThePlayer().GetPosition().x, 350.0f);
    EXPECT_FALSE(ThePlayer().GetAnimFlags().dead);
    EXPECT_TRUE(IsTop(StateId::Game));
}

TEST_F(GlompTest, APlayerCrouchedInGrassIsNeitherSeenNorCaught)
{
    // A player model that stands on its feet, so that the player is grounded and can crouch.
    FixtureObject player = ThePlayerAt(200);
    player.translation.y = 0.0f;
    player.properties.push_back(FixtureProperty("Model", "Model", FixtureModel(TALL_PLAYER_MODEL)));
    Start({ Floor(), player, GlompAt(0, 2.0f, 400), Placed("SM_EN_Grass_1", { 200, 50, 0 }, { 200, 120, 200 }) }, WriteTallPlayerModel);
    Press('S');
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().IsHidden(); }, 10));
    bool noticed = false;
    for (int frame = 0; frame < 256 && !noticed; ++frame)
    {
        Frames(1);
        noticed = TheGlomp().GetState() > Glomp::PATROL || TheGlomp().GetCone()->IsAlert() || ThePlayer().GetAnimFlags().dead;
    }
    Release('S');
    EXPECT_FALSE(noticed);
    EXPECT_GT(TheGlomp().GetPosition().x, 250.0f) << "walked right through the hidden player";
}

TEST(GlompChase, TheChaseDustRisesWhereTheGlompHasJustStepped)
{
    GameContext context;
    Player player(context, nullptr);
    context.player = &player;
    player.SetPosition({ 600.0f, 0.0f, 0.0f });
    Glomp glomp(&player, nullptr, &context);
    glomp.SetParameters(1.0f, 300.0f);
    glomp.Init();
    Collider body;
    glomp.InitEnemyBox(body);
    glomp.SetGrounded(true);

    // Touched, then escaped beyond the catch radius after half a second: back on the chase.
    Collider hurtBox;
    hurtBox.type = ColliderType::Player;
    glomp.OnCollision({ 1.0f, 0.0f }, 1.0f, &body, &hurtBox);
    for (int frame = 0; frame < 32; ++frame)
        glomp.Update(DT);
    ASSERT_EQ(glomp.GetState(), Glomp::CHASE);
    ASSERT_FLOAT_EQ(glomp.GetPosition().x, 0.0f);
    const size_t dustBefore = glomp.GetDust().Count();

    // Twice the walk speed toward the player: 300 x 2 / 64 = 9.375 units, and the dust puff where it landed.
    glomp.Update(DT);
    EXPECT_FLOAT_EQ(glomp.GetPosition().x, 9.375f);
    ASSERT_EQ(glomp.GetDust().Count(), dustBefore + 1);
    EXPECT_FLOAT_EQ(glomp.GetDust().GetInstances().back().sprite.myPosition.x, 9.375f);
    EXPECT_FLOAT_EQ(glomp.GetDust().GetInstances().back().sprite.myPosition.y, 7.0f);
}

TEST_F(GlompTest, AGlompSentBackToItsSpawnPausesWithoutItsWalkingLoop)
{
    Start({ Floor(), ThePlayerAt(-1800), GlompAt(0, 0.5f, 300) });
    Stack().StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
    SoundManager& sounds = SoundManager::GetInstance();
    // Break 0.5 s = 32 frames, then it patrols with its walking loop.
    Frames(42);
    ASSERT_EQ(TheGlomp().GetState(), Glomp::PATROL);
    ASSERT_TRUE(TheGlomp().GetWalkSound().IsActive());
    const uint32_t walks = sounds.CountStarts("Glomp_Walk");

    // Into a death box: back at its spawn, silent for the whole 32-frame break, then the next patrol
    // starts the loop again, once.
    Collider deathBox;
    deathBox.type = ColliderType::DeathBox;
    TheGlomp().OnCollision({ 0.0f, 1.0f }, 1.0f, TheGlomp().GetEnemyBox(), &deathBox);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PAUSE);
    EXPECT_FALSE(TheGlomp().GetWalkSound().IsActive());
    for (int frame = 0; frame < 31; ++frame)
    {
        Frames(1);
        ASSERT_FALSE(TheGlomp().GetWalkSound().IsActive()) << frame;
    }
    Frames(1);
    EXPECT_EQ(TheGlomp().GetState(), Glomp::PATROL);
    EXPECT_TRUE(TheGlomp().GetWalkSound().IsActive());
    EXPECT_EQ(sounds.CountStarts("Glomp_Walk"), walks + 1);

    // The reset after a respawn does the same.
    TheGlomp().ResetToSpawn();
    EXPECT_FALSE(TheGlomp().GetWalkSound().IsActive());
}
