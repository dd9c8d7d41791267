#include "Platform/audio/AudioMixer.h"
#include "Support/TestSupport.h"
#include "WavBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace Vela::Platform;
using namespace VelaTest;

namespace
{
    constexpr int16_t HALF = 16384; // 0.5 after conversion

    class Mixer : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_TRUE(myMixer.Init(AUDIO_NO_DEVICE, 44100)); }

        AudioSample Load(const std::string& aFile, uint32_t aMax, uint32_t aFlags)
        {
            return myMixer.LoadSampleFromMemory(aFile.data(), aFile.size(), aMax, aFlags);
        }

        // Renders aFrames frames and returns the interleaved output.
        std::vector<float> Render(size_t aFrames)
        {
            std::vector<float> out(aFrames * 2, -7.0f);
            EXPECT_TRUE(myMixer.Render(out.data(), aFrames));
            return out;
        }

        AudioChannel Start(AudioSample aSample)
        {
            const AudioChannel channel = myMixer.GetChannel(aSample);
            EXPECT_NE(channel, 0u);
            EXPECT_TRUE(myMixer.Play(channel, false));
            return channel;
        }

        AudioMixer myMixer;
    };
}

TEST_F(Mixer, LoopingChannelWithLoopClearedEndsExactlyAtTheEndOfItsPass)
{
    const AudioSample sample = Load(ConstantWav(100, HALF, HALF, 1), 3, AUDIO_SAMPLE_LOOP);
    ASSERT_NE(sample, 0u);
    const AudioChannel channel = Start(sample);
    EXPECT_EQ(myMixer.GetLength(channel), 200u);

    Render(150); // one and a half passes
    EXPECT_EQ(myMixer.GetPosition(channel), 100u);
    EXPECT_EQ(myMixer.IsActive(channel), AudioActivity::Playing);

    EXPECT_EQ(myMixer.SetChannelFlags(channel, 0, AUDIO_SAMPLE_LOOP), 0u);
    const std::vector<float> out = Render(80);
    // 50 frames are left in this pass; then silence, never a restart.
    for (size_t frame = 0; frame < 80; ++frame)
    {
        SCOPED_TRACE(frame);
        const float expected = frame < 50 ? 0.5f : 0.0f;
        ASSERT_NEAR(out[2 * frame], expected, 1e-4f);
        ASSERT_NEAR(out[2 * frame + 1], expected, 1e-4f);
    }
    EXPECT_EQ(myMixer.IsActive(channel), AudioActivity::Stopped);
    EXPECT_EQ(myMixer.GetPosition(channel), myMixer.GetLength(channel));

    // A looping channel left alone keeps going across many passes.
    const AudioChannel looping = Start(sample);
    Render(1000);
    EXPECT_EQ(myMixer.IsActive(looping), AudioActivity::Playing);
    EXPECT_EQ(myMixer.GetPosition(looping), 0u);
}

TEST_F(Mixer, VolumeAndPanReachTheOutput)
{
    const AudioSample mono = Load(ConstantWav(1000, HALF, 0, 1), 8, 0);
    const AudioSample stereo = Load(ConstantWav(1000, HALF, -HALF, 2), 8, 0);

    const AudioChannel channel = Start(mono);
    ASSERT_TRUE(myMixer.SetAttribute(channel, AudioAttribute::Volume, 0.5f));
    ASSERT_TRUE(myMixer.SetAttribute(channel, AudioAttribute::Pan, 0.5f));
    std::vector<float> out = Render(10);
    EXPECT_NEAR(out[0], 0.5f * 0.5f * 0.5f, 1e-4f); // left attenuated by the pan
    EXPECT_NEAR(out[1], 0.5f * 0.5f, 1e-4f);

    ASSERT_TRUE(myMixer.SetAttribute(channel, AudioAttribute::Pan, -1.0f));
    out = Render(10);
    EXPECT_NEAR(out[0], 0.25f, 1e-4f);
    EXPECT_NEAR(out[1], 0.0f, 1e-4f);

    // Out-of-range pan is clamped, a NaN is refused and changes nothing.
    EXPECT_TRUE(myMixer.SetAttribute(channel, AudioAttribute::Pan, 3.0f));
    float pan = 0.0f;
    EXPECT_TRUE(myMixer.GetAttribute(channel, AudioAttribute::Pan, pan));
    EXPECT_EQ(pan, 1.0f);
    EXPECT_FALSE(myMixer.SetAttribute(channel, AudioAttribute::Volume, std::nanf("")));
    EXPECT_EQ(myMixer.GetLastError(), AudioError::IllegalParameter);
    ASSERT_TRUE(myMixer.Stop(channel));

    // Stereo sources keep their sides; two channels add up and the sum is clamped.
    const AudioChannel left = Start(stereo);
    out = Render(4);
    EXPECT_NEAR(out[0], 0.5f, 1e-4f);
    EXPECT_NEAR(out[1], -0.5f, 1e-4f);
    const AudioChannel second = Start(stereo);
    const AudioChannel third = Start(stereo);
    out = Render(4);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[1], -1.0f);
    ASSERT_TRUE(myMixer.SetAttribute(second, AudioAttribute::Volume, 0.0f));
    ASSERT_TRUE(myMixer.SetAttribute(third, AudioAttribute::Volume, 0.0f));
    out = Render(4);
    EXPECT_NEAR(out[0], 0.5f, 1e-4f);
    EXPECT_EQ(myMixer.CountPlayingChannels(), 3u);
    (void)left;
}

TEST_F(Mixer, PlaybackLimitAndOverrideOfTheLongestPlayed)
{
    const AudioSample limited = Load(ConstantWav(1000, HALF, 0, 1), 2, 0);
    const AudioChannel first = Start(limited);
    Render(10);
    const AudioChannel second = Start(limited);
    EXPECT_EQ(myMixer.GetChannel(limited), 0u);
    EXPECT_EQ(myMixer.GetLastError(), AudioError::NoChannel);
    // A channel that stops frees its place for the next play.
    ASSERT_TRUE(myMixer.Stop(first));
    EXPECT_NE(myMixer.GetChannel(limited), 0u);
    (void)second;

    const AudioSample overriding = Load(ConstantWav(1000, HALF, 0, 1), 2, AUDIO_SAMPLE_OVERRIDE_LONGEST);
    const AudioChannel oldest = Start(overriding);
    Render(20);
    const AudioChannel younger = Start(overriding);
    Render(5);
    const AudioChannel taken = Start(overriding);
    ASSERT_NE(taken, 0u);
    EXPECT_NE(taken, oldest);
    // The overridden handle is stale: all bits set, inactive, and it cannot touch the new owner.
    EXPECT_EQ(myMixer.GetPosition(oldest), AUDIO_INVALID_POSITION);
    EXPECT_EQ(myMixer.GetLength(oldest), AUDIO_INVALID_POSITION);
    EXPECT_EQ(myMixer.IsActive(oldest), AudioActivity::Stopped);
    EXPECT_FALSE(myMixer.Stop(oldest));
    EXPECT_EQ(myMixer.GetLastError(), AudioError::Handle);
    EXPECT_EQ(myMixer.IsActive(taken), AudioActivity::Playing);
    EXPECT_EQ(myMixer.GetPosition(taken), 0u);
    EXPECT_EQ(myMixer.IsActive(younger), AudioActivity::Playing);

    // A raised limit takes effect for the next play.
    AudioSampleInfo info;
    ASSERT_TRUE(myMixer.GetSampleInfo(limited, info));
    EXPECT_EQ(info.maxPlaybacks, 2u);
    EXPECT_EQ(info.length, 2000u);
    info.maxPlaybacks = 8;
    ASSERT_TRUE(myMixer.SetSampleInfo(limited, info));
    EXPECT_NE(myMixer.GetChannel(limited), 0u);
}

TEST_F(Mixer, StaleAndBadHandlesFailWithoutTouchingOthers)
{
    const AudioSample sample = Load(ConstantWav(10, HALF, 0, 1), 1, 0);
    const AudioChannel ended = Start(sample);
    Render(20);
    EXPECT_EQ(myMixer.IsActive(ended), AudioActivity::Stopped);
    EXPECT_EQ(myMixer.GetPosition(ended), 20u); // ended: position = length
    // Playing an ended channel without restart starts it again from the top.
    ASSERT_TRUE(myMixer.Play(ended, false));
    EXPECT_EQ(myMixer.GetPosition(ended), 0u);
    Render(20);

    for (AudioChannel bad : {0u, 12345u, 0xFFFFFFFFu})
    {
        EXPECT_EQ(myMixer.GetPosition(bad), AUDIO_INVALID_POSITION);
        EXPECT_FALSE(myMixer.Play(bad, false));
        EXPECT_EQ(myMixer.SetChannelFlags(bad, 0, AUDIO_SAMPLE_LOOP), AUDIO_INVALID_FLAGS);
    }
    EXPECT_EQ(myMixer.GetChannel(0xFFFFFFFFu), 0u);

    // Freeing a sample invalidates its channels; its handle does not come back to life when the
    // slot is reused by another load.
    const AudioChannel playing = Start(sample);
    ASSERT_TRUE(myMixer.FreeSample(sample));
    EXPECT_EQ(myMixer.IsActive(playing), AudioActivity::Stopped);
    EXPECT_EQ(myMixer.GetLength(playing), AUDIO_INVALID_POSITION);
    const AudioSample reused = Load(ConstantWav(10, HALF, 0, 1), 1, 0);
    ASSERT_NE(reused, 0u);
    EXPECT_NE(reused, sample);
    EXPECT_EQ(myMixer.GetChannel(sample), 0u);
    EXPECT_FALSE(myMixer.FreeSample(sample));
    EXPECT_EQ(Render(4)[0], 0.0f);
}

TEST_F(Mixer, LoadFailuresAreReportedAndChangeNothing)
{
    TempDirectory directory;
    const AudioSample good = Load(ConstantWav(10, HALF, 0, 1), 1, 0);
    EXPECT_EQ(myMixer.LoadSample((directory.Path() / "missing.wav").string(), 3, 0), 0u);
    EXPECT_EQ(myMixer.GetLastError(), AudioError::FileOpen);
    const auto corrupt = directory.Write("corrupt.wav", "RIFF\x10\0\0\0WAVEjunkjunk");
    EXPECT_EQ(myMixer.LoadSample(corrupt.string(), 3, 0), 0u);
    EXPECT_EQ(myMixer.GetLastError(), AudioError::Format);
    // A folder opens but cannot be read: a failed load, not a stream exception.
    std::filesystem::create_directories(directory.Path() / "folder.wav");
    EXPECT_EQ(myMixer.LoadSample((directory.Path() / "folder.wav").string(), 3, 0), 0u);
    EXPECT_EQ(myMixer.GetLastError(), AudioError::FileOpen);
    // A rate of one hertz is refused by the decoder.
    EXPECT_EQ(myMixer.LoadSample(directory.Write("slow.wav", MakeWav({.rate = 1}, std::string(10 * 1024, '\x10'))).string(), 3, 0), 0u);
    EXPECT_EQ(myMixer.GetLastError(), AudioError::Format);
    const auto file = directory.Write("good.wav", ConstantWav(10, HALF, 0, 2));
    EXPECT_NE(myMixer.LoadSample(file.string(), 3, 0), 0u);
    EXPECT_EQ(Load(ConstantWav(10, HALF, 0, 1), 0, 0), 0u); // a limit of zero plays nothing
    EXPECT_NE(myMixer.GetChannel(good), 0u);

    AudioMixer uninitialised;
    EXPECT_EQ(uninitialised.LoadSampleFromMemory("x", 1, 1, 0), 0u);
    EXPECT_EQ(uninitialised.GetLastError(), AudioError::NotInitialised);
    float out[2];
    EXPECT_FALSE(uninitialised.Render(out, 1));
    EXPECT_FALSE(myMixer.Init(AUDIO_NO_DEVICE, 44100));
    EXPECT_EQ(myMixer.GetLastError(), AudioError::AlreadyInitialised);
}

TEST_F(Mixer, MainThreadCallsRaceTheMixingThreadSafely)
{
    const AudioSample sample = Load(ConstantWav(64, HALF, 0, 1), 8, AUDIO_SAMPLE_OVERRIDE_LONGEST);
    std::atomic<bool> done{false};
    std::thread mixing([&] {
        std::vector<float> out(256 * 2);
        while (!done)
            myMixer.Render(out.data(), 256);
    });
    for (int i = 0; i < 2000; ++i)
    {
        const AudioChannel channel = myMixer.GetChannel(sample);
        myMixer.Play(channel, false);
        myMixer.SetAttribute(channel, AudioAttribute::Volume, 0.1f);
        myMixer.GetPosition(channel);
        if (i % 3 == 0)
            myMixer.Stop(channel);
    }
    done = true;
    mixing.join();
    EXPECT_LE(myMixer.CountPlayingChannels(), 8u);
}

TEST(AudioDevice, DefaultDeviceOpensOrFailsCleanly)
{
    // Under CI the dummy driver stands in for a sound card; a machine without one only gets a failure.
    AudioMixer mixer;
    if (!mixer.Init(AUDIO_DEFAULT_DEVICE, 44100))
    {
        EXPECT_EQ(mixer.GetLastError(), AudioError::Device);
        return;
    }
    EXPECT_TRUE(mixer.HasDevice());
    float out[2];
    EXPECT_FALSE(mixer.Render(out, 1)); // the device does the mixing
    EXPECT_EQ(mixer.GetLastError(), AudioError::Busy);
    const std::string file = ConstantWav(100, HALF, 0, 1);
    const AudioSample sample = mixer.LoadSampleFromMemory(file.data(), file.size(), 1, 0);
    EXPECT_TRUE(mixer.Play(mixer.GetChannel(sample), false));
    EXPECT_TRUE(mixer.Free());
    EXPECT_FALSE(mixer.HasDevice());
}
