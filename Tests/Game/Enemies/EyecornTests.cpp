// Eyecorns in a running game: the kill after the countdown and the start-over, the player leaving the
// beam in time, a wall in the way, and the sound slots after many detections and kills.
#include "EnemyTestGame.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"

#include "Platform/audio/Audio.h"
#include "../../Platform/audio/WavBuilder.h"

#include <cmath>

using namespace EnemyTest;

namespace
{
    constexpr Vela::Vector2<float> EYE{ 0.0f, 400.0f };
    constexpr float OUT_OF_SIGHT = -1000.0f;

    class EyecornTest : public EnemyGameTest
    {
    protected:
        Eyecorn& TheEyecorn() { return TheGame().GetEyecorns().front(); }
        void MovePlayerTo(float anX) { ThePlayer().SetPosition({ anX, FEET, 0.0f }); }
        bool Detected() { return TheEyecorn().GetState() == Eyecorn::TRACKING; }
    };
}

TEST_F(EyecornTest, KillsAfterItsCountdownThenSweepsAgainAfterTheFade)
{
    Start({ Floor(), ThePlayerAt(OUT_OF_SIGHT), EyecornAt(EYE, 0.0f, 1.0f) });
    MovePlayerTo(0.0f);
    ASSERT_TRUE(RunUntil([this] { return Detected(); }, 10));
    EXPECT_TRUE(TheEyecorn().GetCone()->IsAlert());
    int frames = 0;
    while (!ThePlayer().GetAnimFlags().dead && frames < 200)
    {
        Frames(1);
        ++frames;
    }
    // The countdown of 1 s is 64 frames; the kill itself follows one frame later.
    EXPECT_NEAR(frames, 64, 1);
    EXPECT_TRUE(ThePlayer().IsLocked());
    ASSERT_TRUE(RunUntil([this] { return IsTop(StateId::Transition); }, 5));
    EXPECT_TRUE(static_cast<const TransitionState&>(*Stack().Top()).IsCovering());
    EXPECT_EQ(TheEyecorn().GetState(), Eyecorn::SWEEP) << "started over";
    EXPECT_EQ(TheEyecorn().GetDetection(), 0.0f);

    ASSERT_TRUE(WaitForPlay());
    EXPECT_FLOAT_EQ(ThePlayer().GetPosition().x, OUT_OF_SIGHT);
    EXPECT_FALSE(ThePlayer().GetAnimFlags().dead);
    EXPECT_NE(TheEyecorn().GetState(), Eyecorn::TRACKING);
}

TEST_F(EyecornTest, APlayerWhoLeavesTheBeamBeforeTheCountdownEndsIsLetGo)
{
    Start({ Floor(), ThePlayerAt(OUT_OF_SIGHT), EyecornAt(EYE, 0.0f, 1.0f) });
    MovePlayerTo(0.0f);
    ASSERT_TRUE(RunUntil([this] { return Detected(); }, 10));
    MovePlayerTo(OUT_OF_SIGHT);
    ASSERT_TRUE(RunUntil([this] { return !Detected(); }, 80));
    EXPECT_EQ(TheEyecorn().GetState(), Eyecorn::SWEEP);
    EXPECT_EQ(TheEyecorn().GetDetection(), 0.0f);
    EXPECT_TRUE(TheEyecorn().GetIdleSound().IsActive()) << "the idle hum is back";
    EXPECT_FALSE(ThePlayer().GetAnimFlags().dead);
}

TEST_F(EyecornTest, AWallBetweenTheEyeAndThePlayerBlocksTheSight)
{
    Start({ Floor(), ThePlayerAt(0.0f), EyecornAt(EYE, 0.0f, 1.0f), Placed("SM_Level_Mesh", { 0, 250, 0 }, { 600, 40, 200 }) });
    bool seen = false;
    for (int frame = 0; frame < 192 && !seen; ++frame)
    {
        Frames(1);
        seen = Detected() || TheEyecorn().GetCone()->IsAlert();
    }
    EXPECT_FALSE(seen);
    EXPECT_FALSE(ThePlayer().GetAnimFlags().dead);
}

TEST_F(EyecornTest, DetectionsAndKillsLeaveNoSoundSlotsBehindAndSoundsPanOnTheirOwnChannel)
{
    Start({ Floor(), ThePlayerAt(OUT_OF_SIGHT), EyecornAt(EYE, 0.0f, 0.2f) }, [](const std::filesystem::path& aRoot) {
        // A real hum, so that its channel can be asked for its pan.
        WriteFixtureFile(aRoot / "Audio/Sfx/EyeCorn/Eyecorn_Idle.wav", VelaTest::ConstantWav(44100, 8000, 8000, 2));
    });
    Frames(4);

    // The hum is heard from the right: 1000 units right of the player over a hearing range of 1500.
    const SoundSlot* hum = TheEyecorn().GetIdleSound().GetSlot();
    ASSERT_NE(hum, nullptr);
    ASSERT_NE(hum->channel, 0u);
    float pan = 0.0f;
    ASSERT_TRUE(Vela::Platform::AudioChannelGetAttribute(hum->channel, Vela::Platform::AudioAttribute::Pan, &pan));
    EXPECT_NEAR(pan, 1000.0f / 1500.0f, 1e-4f);
    const float distance = std::sqrt(1000.0f * 1000.0f + (EYE.y - FEET) * (EYE.y - FEET));
    EXPECT_NEAR(TheEyecorn().GetIdleSound().GetVolume(), 1.0f - distance / 1500.0f, 1e-3f);

    SoundManager& sounds = SoundManager::GetInstance();
    const int32_t before = sounds.CountActiveSounds();
    for (int detection = 0; detection < 20; ++detection)
    {
        MovePlayerTo(0.0f);
        ASSERT_TRUE(RunUntil([this] { return Detected(); }, 10));
        MovePlayerTo(OUT_OF_SIGHT);
        ASSERT_TRUE(RunUntil([this] { return !Detected(); }, 30));
    }
    for (int kill = 0; kill < 5; ++kill)
    {
        MovePlayerTo(0.0f);
        ASSERT_TRUE(RunUntil([this] { return IsTop(StateId::Transition); }, 200));
        ASSERT_TRUE(WaitForPlay());
        // The start-over waits a second before it looks again.
        Frames(70);
    }
    Frames(4);
    EXPECT_EQ(sounds.CountActiveSounds(), before);
}

TEST_F(EyecornTest, ZeroDurationsAreRaisedSoNothingDividesByZero)
{
    FixtureObject eyecorn = Placed("SK_Enemy_flying", { EYE.x, EYE.y, 0 }, { 1, 1, 1 },
                                   { { "scanning angle", 0.0f }, { "time to before killing player", 0.0f }, { "time to do a full scan", 0.0f } });
    testing::internal::CaptureStdout();
    Start({ Floor(), ThePlayerAt(OUT_OF_SIGHT), eyecorn });
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("Eyecorn at (0.0, 400.0): time to do a full scan of 0 raised to 0.01"), std::string::npos);
    EXPECT_NE(trace.find("Eyecorn at (0.0, 400.0): time to before killing player of 0 raised to 0.01"), std::string::npos);
    EXPECT_EQ(TheEyecorn().GetKillTime(), Enemy::MIN_DURATION);
    EXPECT_EQ(TheEyecorn().GetFullScanTime(), Enemy::MIN_DURATION);

    MovePlayerTo(0.0f);
    ASSERT_TRUE(RunUntil([this] { return ThePlayer().GetAnimFlags().dead; }, 200));
    EXPECT_TRUE(std::isfinite(TheEyecorn().GetSweepAngle()));
    EXPECT_TRUE(std::isfinite(TheEyecorn().GetCone()->myDetection));
}
