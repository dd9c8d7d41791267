// The sound manager over the mixer without a device: what is heard comes from the mixer's offline
// render, so volumes, chains and ends are checked on the mixed output.
#include "Sound/SoundManager.h"

#include "mire/settings/Settings.h"
#include "Platform/audio/Audio.h"
#include "Platform/audio/AudioMixer.h"
#include "Support/TestSupport.h"
#include "../../Platform/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{
    constexpr int16_t LEVEL = 8000;
    constexpr float HEARD = LEVEL / 32768.0f; // one sound at volume 1 on one side
    constexpr uint32_t SHORT_FRAMES = 441;    // intros and one-shots: 10 ms
    constexpr uint32_t LONG_FRAMES = 44100;

    // The files the tests play; "UI_Deny" and "level_1_intro" are left out on purpose.
    const char* const SHORT_FILES[] = { "Audio/Music/Wispvale - Main Theme (w_ intro).wav", "Audio/Sfx/Player/Vevo_Jump.wav",
                                        "Audio/Sfx/Glomp/Glomp_Death.wav", "Audio/Sfx/Ui/Hover_UI.wav" };
    const char* const LONG_FILES[] = { "Audio/Music/Wispvale - Main Theme (loop).wav", "Audio/Music/Level _2_Ambiance_Option2.wav",
                                       "Audio/Music/Level _4_Ambiance.wav", "Audio/Music/Wispvale - Level 1 (loop).wav",
                                       "Audio/Music/Wispvale - Level 3 (loop).wav", "Audio/Music/Wispvale - Level 4 (loop).wav",
                                       "Audio/Sfx/Player/Vevo_Idle.wav", "Audio/Sfx/Player/Vevo_Jog_Plain_Loop.wav",
                                       "Audio/Sfx/Glomp/Glomp_Walking.wav" };

    class SoundManagerTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            ourRoot = std::make_unique<VelaTest::TempDirectory>();
            Vela::Settings::SetExecutableDirectoryForTesting(ourRoot->Path() / "bin");
            Vela::Settings::SetAssetRootsForTesting(ourRoot->Path() / "engine", ourRoot->Path() / "game", ourRoot->Path() / "cooked");
            // The audio output then finds the mixer started and mixes only when asked.
            Vela::Platform::GetAudioMixer().Init(Vela::Platform::AUDIO_NO_DEVICE, Vela::Platform::AUDIO_OUTPUT_RATE);

            for (const char* file : SHORT_FILES)
                ourRoot->Write(std::filesystem::path("game") / file, VelaTest::ConstantWav(SHORT_FRAMES, LEVEL, 0, 1));
            for (const char* file : LONG_FILES)
                ourRoot->Write(std::filesystem::path("game") / file, VelaTest::ConstantWav(LONG_FRAMES, LEVEL, 0, 1));
            testing::internal::CaptureStdout();
            SoundManager::GetInstance().RegisterSounds();
            ourRegisterTrace = testing::internal::GetCapturedStdout();
        }

        void SetUp() override { Reset(); }
        void TearDown() override { Reset(); }

        static void Reset()
        {
            SoundManager& sounds = SoundManager::GetInstance();
            testing::internal::CaptureStdout();
            sounds.StopAllLooping(true);
            sounds.StopAllOneShots(true);
            testing::internal::GetCapturedStdout();
            sounds.SetMasterVolume(1.0f);
            sounds.SetMusicVolume(1.0f);
            sounds.SetEffectsVolume(1.0f);
            Listen(LONG_FRAMES / 4); // let stopped voices go
        }

        // The loudest left-side sample over the next frames.
        static float Listen(size_t aFrames = 64)
        {
            std::vector<float> out(aFrames * 2);
            EXPECT_TRUE(Vela::Platform::GetAudioMixer().Render(out.data(), aFrames));
            float loudest = 0.0f;
            for (size_t frame = 0; frame < aFrames; ++frame)
                loudest = std::max(loudest, std::fabs(out[frame * 2]));
            return loudest;
        }

        static void Updates(int aCount)
        {
            for (int update = 0; update < aCount; ++update)
                SoundManager::GetInstance().Update();
        }

        static SoundManager& Sounds() { return SoundManager::GetInstance(); }

        static inline std::unique_ptr<VelaTest::TempDirectory> ourRoot;
        static inline std::string ourRegisterTrace;
    };
}

TEST_F(SoundManagerTest, PoolsRefuseThe33rdLoopAndThe97thOneShotAndChangeNothingElse)
{
    for (int loop = 0; loop < 32; ++loop)
        ASSERT_TRUE(Sounds().PlayLoopingSfx(loop % 2 ? "Player_Idle" : "Glomp_Walk")) << loop;
    for (int shot = 0; shot < 96; ++shot)
        ASSERT_TRUE(Sounds().PlayOneShot("UI_Hover")) << shot;
    EXPECT_EQ(Sounds().CountActiveSounds(), 128);

    std::vector<uint32_t> channelsBefore;
    for (const SoundSlot& slot : Sounds().GetLoopingPool())
        channelsBefore.push_back(slot.channel);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Sounds().PlayLoopingSfx("Player_Idle"));
    EXPECT_FALSE(Sounds().PlayOneShot("UI_Hover"));
    EXPECT_FALSE(Sounds().PlayOneShot("ui_hover"));
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(trace, "Looping Pool full: Player_Idle\nOneshot Pool full: UI_Hover\nAsset not found: ui_hover\n");
    EXPECT_EQ(Sounds().CountActiveSounds(), 128);
    std::vector<uint32_t> channelsAfter;
    for (const SoundSlot& slot : Sounds().GetLoopingPool())
        channelsAfter.push_back(slot.channel);
    EXPECT_EQ(channelsAfter, channelsBefore);
}

TEST_F(SoundManagerTest, VolumesApplyAfterTwoUpdatesAndMasterZeroSilencesMusicAndEffects)
{
    SoundHandle jog = Sounds().PlayLoopingSfx("Player_Jog");
    Sounds().SetEffectsVolume(0.5f);
    Updates(2);
    EXPECT_NEAR(Listen(), HEARD, 1e-3f) << "still at its own volume";
    Updates(1);
    EXPECT_NEAR(Listen(), HEARD * 0.5f, 1e-3f);
    jog.SetVolume(0.5f);
    Updates(1);
    EXPECT_NEAR(Listen(), HEARD * 0.25f, 1e-3f);

    Sounds().PlayMusic("level_4_loop");
    Sounds().SetMasterVolume(0.0f);
    Updates(1);
    EXPECT_NEAR(Listen(), HEARD, 1e-3f) << "the effect is silent, the new music not yet touched";
    Updates(2);
    EXPECT_LT(Listen(), 1e-6f);
}

TEST_F(SoundManagerTest, MainPlaysItsIntroThenItsLoopAndLevel3StartsOnItsLoop)
{
    Sounds().PlayMusicForScene("Main");
    SoundSlot* intro = Sounds().GetMusic().GetSlot();
    ASSERT_NE(intro, nullptr);
    EXPECT_STREQ(intro->path, "Audio/Music/Wispvale - Main Theme (w_ intro).wav");
    ASSERT_NE(intro->next, nullptr);
    EXPECT_EQ(intro->next->channel, 0u) << "the loop waits, silent";
    EXPECT_FALSE(Sounds().GetAmbience());

    // Asked again before the intro ends: the old intro and its waiting loop are both released.
    Sounds().PlayMusicForScene("Main");
    EXPECT_EQ(Sounds().CountActiveSounds(), 2);
    intro = Sounds().GetMusic().GetSlot();
    Updates(3);
    EXPECT_EQ(Sounds().GetMusic().GetSlot(), intro) << "the intro still plays";
    EXPECT_GT(Listen(SHORT_FRAMES + 10), HEARD * 0.9f);
    EXPECT_LT(Listen(), 1e-6f) << "a gap until the next update";
    Updates(1);
    SoundSlot* loop = Sounds().GetMusic().GetSlot();
    ASSERT_NE(loop, nullptr);
    EXPECT_STREQ(loop->path, "Audio/Music/Wispvale - Main Theme (loop).wav");
    EXPECT_NE(loop->channel, 0u);
    EXPECT_FALSE(intro->active);
    EXPECT_GT(Listen(), HEARD * 0.9f);

    Sounds().PlayMusicForScene("level_3");
    ASSERT_TRUE(Sounds().GetMusic());
    EXPECT_STREQ(Sounds().GetMusic().GetSlot()->path, "Audio/Music/Wispvale - Level 3 (loop).wav");
    EXPECT_FALSE(Sounds().GetMusic().GetSlot()->chainToNext);
    ASSERT_TRUE(Sounds().GetAmbience().IsPlaying());
    EXPECT_STREQ(Sounds().GetAmbience().GetSlot()->path, "Audio/Music/Level _4_Ambiance.wav");
    EXPECT_TRUE(Sounds().GetAmbience().GetSlot()->isMusic) << "ambience follows the music volume";
    EXPECT_NEAR(Listen(), HEARD * 2.0f, 2e-3f);
}

TEST_F(SoundManagerTest, AStaleHandleNeverTouchesTheSlotsNextSound)
{
    SoundHandle idle = Sounds().PlayLoopingSfx("Player_Idle");
    const SoundSlot* slot = idle.GetSlot();
    Sounds().StopAllLooping(true);
    EXPECT_FALSE(idle.IsPlaying());
    SoundHandle walk = Sounds().PlayLoopingSfx("Glomp_Walk");
    ASSERT_EQ(walk.GetSlot(), slot) << "the freed slot is reused";

    idle.SetVolume(0.0f);
    testing::internal::CaptureStdout();
    Sounds().StopSound(idle, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(walk.IsPlaying());
    EXPECT_EQ(walk.GetVolume(), 1.0f);
    EXPECT_GT(Listen(), HEARD * 0.9f);

    // The same for a one-shot that ended and was freed by the update.
    SoundHandle jump = Sounds().PlayOneShot("Player_Jump");
    Listen(SHORT_FRAMES + 10);
    Updates(3);
    EXPECT_FALSE(jump.IsActive());
    SoundHandle death = Sounds().PlayOneShot("Glomp_Death");
    Sounds().StopSound(jump, true);
    EXPECT_TRUE(death.IsPlaying());

    Sounds().StopSound(walk, false);
    EXPECT_FALSE(walk.IsActive());
}

TEST_F(SoundManagerTest, OneShotsEndWhenTheirChannelIsPastItsLength)
{
    SoundHandle jump = Sounds().PlayOneShot("Player_Jump");
    Updates(5);
    EXPECT_TRUE(jump.IsPlaying()) << "a one-shot at position 0 still counts as playing";
    Listen(SHORT_FRAMES / 2);
    Updates(1);
    EXPECT_TRUE(jump.IsPlaying());
    Listen(SHORT_FRAMES);
    Updates(1);
    EXPECT_FALSE(jump.IsActive());
    EXPECT_EQ(Sounds().CountActiveSounds(), 0);
}

TEST_F(SoundManagerTest, MissingFilesPlayNothingFreeTheirOneShotAndLetTheChainGoOn)
{
    EXPECT_NE(ourRegisterTrace.find("Init called for: Audio/Sfx/Ui/UI_Deny.wav"), std::string::npos);
    SoundHandle deny = Sounds().PlayOneShot("UI_Deny");
    ASSERT_TRUE(deny.IsActive()) << "its name stays registered";
    EXPECT_FALSE(deny.IsPlaying());
    Updates(2);
    EXPECT_TRUE(deny.IsActive());
    Updates(1);
    EXPECT_FALSE(deny.IsActive());

    testing::internal::CaptureStdout();
    Sounds().PlayMusicForScene("level_1");
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("PlayLoopingInternal: Audio/Music/Wispvale - Level 1 (w_ intro).wav | channel: 0\n"), std::string::npos);
    ASSERT_TRUE(Sounds().GetMusic());
    Updates(3);
    ASSERT_TRUE(Sounds().GetMusic().IsPlaying());
    EXPECT_STREQ(Sounds().GetMusic().GetSlot()->path, "Audio/Music/Wispvale - Level 1 (loop).wav");
    EXPECT_GT(Listen(), HEARD * 1.9f) << "the loop and the level's ambience";
}
