#include "mire/audio/AudioClock.h"
#include "mire/audio/AudioOut.h"
#include "mire/audio/Sound.h"
#include "mire/settings/Settings.h"
#include "Platform/audio/Audio.h"
#include "Support/TestSupport.h"
#include "../../../Platform/audio/WavBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Vela;
using namespace VelaTest;
using testing::HasSubstr;
using testing::Not;

namespace
{
    // Every test gets its own asset folder, so file names never collide in the process-wide cache.
    class SoundTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // Sounds stand still unless a test moves them on, however long it takes.
            ASSERT_TRUE(AudioClock::UseSteppedClockForTesting());
            Settings::SetExecutableDirectoryForTesting(myRoot.Path() / "bin");
            Settings::SetAssetRootsForTesting(myRoot.Path() / "engine", myRoot.Path() / "game", myRoot.Path() / "cooked");
        }

        // A sound under the game root (ten seconds).
        std::string AddSound(const std::string& aRelative, uint32_t aFrames = 44100 * 10)
        {
            myRoot.Write(std::filesystem::path("game") / aRelative, ConstantWav(aFrames, 1000, 0, 1));
            return aRelative;
        }

        static uint32_t Flags(unsigned aChannel) { return Platform::AudioChannelFlags(aChannel, 0, 0); }

        TempDirectory myRoot;
    };
}

TEST_F(SoundTest, LoadingReportsEachStepAndTheSecondLoadOfAFileNeverPlays)
{
    const std::string path = AddSound("Audio/Sfx/Jump.wav");
    Sound first;
    testing::internal::CaptureStdout();
    first.Init(path.c_str(), false);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_THAT(output, HasSubstr("Init called for: Audio/Sfx/Jump.wav\n"));
    if (!AudioOut::GetInstance()->IsInitialised())
        GTEST_SKIP() << "no audio device";
    EXPECT_THAT(output, HasSubstr("SetInfo for Audio/Sfx/Jump.wav: max=8 | result=1 | error=0\n"));
    ASSERT_NE(first.GetSample(), AudioOut::NO_SAMPLE);
    Platform::AudioSampleInfo info;
    ASSERT_TRUE(Platform::AudioSampleGetInfo(first.GetSample(), &info));
    EXPECT_EQ(info.maxPlaybacks, 8u);

    // Loading it again (also through a differently written path) is refused.
    Sound second;
    testing::internal::CaptureStderr();
    second.Init("Audio\\Sfx\\Jump.wav", false);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_THAT(errors, HasSubstr(" already loaded\n"));
    EXPECT_THAT(errors, HasSubstr("Audio error: "));
    EXPECT_EQ(second.GetSample(), 0u);
    EXPECT_FALSE(second.Play());
    EXPECT_EQ(second.GetChannel(), 0u);
    EXPECT_TRUE(first.Play());
}

TEST_F(SoundTest, MissingOrCorruptFilesLeaveTheSoundSilent)
{
    myRoot.Write("game/Audio/corrupt.wav", "RIFF....WAVEnothing useful");
    for (const char* path : {"Audio/missing.wav", "Audio/corrupt.wav"})
    {
        SCOPED_TRACE(path);
        Sound sound;
        testing::internal::CaptureStdout();
        sound.Init(path, true);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_THAT(output, Not(HasSubstr("SetInfo")));
        EXPECT_EQ(sound.GetSample(), AudioOut::NO_SAMPLE);
        EXPECT_FALSE(sound.Play());
        EXPECT_EQ(sound.GetChannel(), 0u);
    }
}

TEST_F(SoundTest, ChannelsTakeVolumePanAndStops)
{
    Sound sound;
    sound.Init(AddSound("Audio/Music/Loop.wav").c_str(), true);
    if (sound.GetSample() == AudioOut::NO_SAMPLE)
        GTEST_SKIP() << "no audio device";
    ASSERT_TRUE(sound.Play());
    const unsigned channel = sound.GetChannel();
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Platform::AudioChannelIsActive(channel), Platform::AudioActivity::Playing);
    EXPECT_EQ(Flags(channel) & Platform::AUDIO_SAMPLE_LOOP, Platform::AUDIO_SAMPLE_LOOP);

    float value = 0.0f;
    sound.SetPan({0.5f, 0.9f});
    ASSERT_TRUE(Platform::AudioChannelGetAttribute(channel, Platform::AudioAttribute::Pan, &value));
    EXPECT_FLOAT_EQ(value, 0.5f);
    sound.SetVolume(channel, 0.25f);
    ASSERT_TRUE(Platform::AudioChannelGetAttribute(channel, Platform::AudioAttribute::Volume, &value));
    EXPECT_FLOAT_EQ(value, 0.25f);
    EXPECT_FLOAT_EQ(sound.GetVolume(), 1.0f);

    testing::internal::CaptureStdout();
    sound.StopChannel(0, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Not immediate: the loop flag goes and the pass plays out.
    testing::internal::CaptureStdout();
    sound.StopChannel(channel, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "StopChannel: " + std::to_string(channel) + " | immediate: 0\n");
    EXPECT_EQ(Flags(channel) & Platform::AUDIO_SAMPLE_LOOP, 0u);
    EXPECT_EQ(Platform::AudioChannelIsActive(channel), Platform::AudioActivity::Playing);

    testing::internal::CaptureStdout();
    sound.StopChannel(channel, true);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Platform::AudioChannelIsActive(channel), Platform::AudioActivity::Stopped);
}

TEST_F(SoundTest, EightPlaybacksAtOnceThenOneShotsTakeOverAndLoopsFail)
{
    Sound oneShot;
    oneShot.Init(AddSound("Audio/Sfx/Hit.wav").c_str(), false);
    Sound loop;
    loop.Init(AddSound("Audio/Sfx/Hum.wav").c_str(), true);
    if (oneShot.GetSample() == AudioOut::NO_SAMPLE)
        GTEST_SKIP() << "no audio device";

    std::vector<unsigned> shots;
    std::vector<unsigned> loops;
    for (int i = 0; i < 8; ++i)
    {
        ASSERT_TRUE(oneShot.Play());
        ASSERT_TRUE(loop.Play());
        shots.push_back(oneShot.GetChannel());
        loops.push_back(loop.GetChannel());
    }
    // A ninth one-shot takes over the voice played longest; exactly one old handle went stale.
    ASSERT_TRUE(oneShot.Play());
    int stale = 0;
    for (unsigned channel : shots)
        if (Platform::AudioChannelGetPosition(channel) == Platform::AUDIO_INVALID_POSITION)
            ++stale;
    EXPECT_EQ(stale, 1);

    // A ninth loop has no voice: Play fails and the handle keeps its last channel.
    const unsigned lastLoop = loop.GetChannel();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loop.Play());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(loop.GetChannel(), lastLoop);
    for (unsigned channel : shots)
        Platform::AudioChannelStop(channel);
    for (unsigned channel : loops)
        Platform::AudioChannelStop(channel);
    Platform::AudioChannelStop(oneShot.GetChannel());
}

TEST_F(SoundTest, TheSteppedClockMovesSoundsOnlyByTheTimeGiven)
{
    // 441 frames at 44100 Hz: 10 ms, or 882 bytes of 16-bit mono.
    Sound shot;
    shot.Init(AddSound("Audio/Sfx/Tick.wav", 441).c_str(), false);
    ASSERT_TRUE(shot.Play());
    const unsigned channel = shot.GetChannel();
    EXPECT_EQ(Platform::AudioChannelGetPosition(channel), 0u) << "nothing moves without a step";

    // 0.1 ms is 4.41 frames: whole frames play, the rest is carried to the next step.
    AudioClock::Advance(0.0001f); // 4.41
    EXPECT_EQ(Platform::AudioChannelGetPosition(channel), 4u * 2);
    AudioClock::Advance(0.0001f); // 0.41 + 4.41 = 4.82
    EXPECT_EQ(Platform::AudioChannelGetPosition(channel), 8u * 2);
    AudioClock::Advance(0.0001f); // 0.82 + 4.41 = 5.23
    EXPECT_EQ(Platform::AudioChannelGetPosition(channel), 13u * 2);
    EXPECT_EQ(Platform::AudioChannelIsActive(channel), Platform::AudioActivity::Playing);
    AudioClock::Advance(0.01f); // 441 more: past the end
    EXPECT_EQ(Platform::AudioChannelIsActive(channel), Platform::AudioActivity::Stopped);
    EXPECT_EQ(Platform::AudioChannelGetPosition(channel), 441u * 2);
}
