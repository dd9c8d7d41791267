#include "mire/video/VideoPlayer.h"
#include "mire/video/VideoStream.h"
#include "mire/video/WaveOutQueue.h"
#include "Platform/waveout/WaveOut.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>

using namespace Vela;
using namespace VelaTest;

namespace
{
    class VideoPlayerTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // Sound goes to a capture instead of a device, whole blocks in the order they are played.
            Platform::WaveOutDevice::SetCaptureForTesting([this](const unsigned char* aData, size_t aBytes) {
                std::lock_guard lock(myCaptureLock);
                myCaptured.insert(myCaptured.end(), aData, aData + aBytes);
            });
            if (!myDevice.IsReady())
                GTEST_SKIP() << "no graphics device";
        }

        void TearDown() override { Platform::WaveOutDevice::SetCaptureForTesting(nullptr); }

        static std::vector<int16_t> ToSamples(const void* someBytes, size_t aByteCount)
        {
            std::vector<int16_t> samples(aByteCount / 2);
            if (!samples.empty())
                std::memcpy(samples.data(), someBytes, samples.size() * 2);
            return samples;
        }
        static std::vector<int16_t> ToSamples(const std::string& someBytes) { return ToSamples(someBytes.data(), someBytes.size()); }

        std::vector<int16_t> CapturedSamples()
        {
            std::lock_guard lock(myCaptureLock);
            return ToSamples(myCaptured.data(), myCaptured.size());
        }

        // The clip's sound as ffmpeg itself decodes it: raw 16-bit stereo at 44100 Hz (empty path on failure).
        std::filesystem::path MakeReferenceSound(const std::filesystem::path& aClip)
        {
            return MakeClip(myDirectory, "tone.raw", "-i '" + aClip.string() + "' -vn -f s16le -ac 2 -ar 44100");
        }

        // Steps the player like the game does until it finishes (or a step limit is reached).
        static int PlayToEnd(VideoPlayer& aPlayer, float aStep, int aMaxSteps = 1000)
        {
            int steps = 0;
            while (aPlayer.GetStatus() != VideoPlayerStatus_Finished && steps < aMaxSteps)
            {
                aPlayer.Update(aStep);
                ++steps;
            }
            return steps;
        }

        TempDirectory myDirectory;
        PublishedDevice myDevice;
        std::mutex myCaptureLock;
        std::vector<unsigned char> myCaptured;
    };
}

TEST_F(VideoPlayerTest, DecodesAtTheClipsFrameRate)
{
    const auto clip = MakePatternClip(myDirectory, "pattern.mp4", 1.0, false);
    ASSERT_FALSE(clip.empty());
    VideoPlayer player;
    ASSERT_TRUE(player.Init(clip.string().c_str(), false));
    VideoStream& stream = *player.GetStream();
    EXPECT_NEAR(stream.GetFrameRate(), 30.0, 1e-6);
    EXPECT_EQ(stream.GetDecodedPictureCount(), 1u); // the first picture, at start
    EXPECT_EQ(player.GetStatus(), VideoPlayerStatus_Playing);

    player.Update(0.1f); // not playing yet
    EXPECT_EQ(stream.GetDecodedPictureCount(), 1u);

    player.Play(false);
    player.Update(0.1f);
    EXPECT_EQ(stream.GetDecodedPictureCount(), 4u);
    EXPECT_LT(player.GetTimeAccumulator(), 1.0f / 30.0f);
    player.Update(0.02f); // less than a picture: kept for the next frame
    EXPECT_EQ(stream.GetDecodedPictureCount(), 4u);
    player.Update(0.02f);
    EXPECT_EQ(stream.GetDecodedPictureCount(), 5u);
    EXPECT_NEAR(stream.GetPictureTime(), 4.0 / 30.0, 1e-3);
}

TEST_F(VideoPlayerTest, EndsOrLoopsAsAsked)
{
    const auto clip = MakePatternClip(myDirectory, "short.mp4", 0.5, false);
    ASSERT_FALSE(clip.empty());

    VideoPlayer once;
    ASSERT_TRUE(once.Init(clip.string().c_str(), false));
    once.Play(false);
    PlayToEnd(once, 0.05f);
    EXPECT_EQ(once.GetStatus(), VideoPlayerStatus_Finished);
    // Every picture of the clip was shown, including those the decoder held back at the end.
    EXPECT_EQ(once.GetStream()->GetDecodedPictureCount(), 15u);
    once.Update(0.5f); // stays finished, showing the last picture
    EXPECT_EQ(once.GetStatus(), VideoPlayerStatus_Finished);
    EXPECT_NEAR(once.GetStream()->GetPictureTime(), 14.0 / 30.0, 1e-3);

    VideoPlayer looping;
    ASSERT_TRUE(looping.Init(clip.string().c_str(), false));
    looping.Play(true);
    double lastTime = 0.0;
    bool wrapped = false;
    for (int i = 0; i < 60 && !wrapped; ++i)
    {
        looping.Update(1.0f / 30.0f + 0.0001f);
        const double time = looping.GetStream()->GetPictureTime();
        wrapped = time < lastTime;
        lastTime = time;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_NEAR(lastTime, 0.0, 1e-3); // back at the first picture
    EXPECT_EQ(looping.GetStatus(), VideoPlayerStatus_Playing);
    EXPECT_TRUE(looping.IsPlaying());
    // A second pass plays every picture again.
    const uint64_t before = looping.GetStream()->GetDecodedPictureCount();
    for (int i = 0; i < 14; ++i)
        looping.Update(1.0f / 30.0f + 0.0001f);
    EXPECT_EQ(looping.GetStream()->GetDecodedPictureCount(), before + 14);
    EXPECT_NEAR(looping.GetStream()->GetPictureTime(), 14.0 / 30.0, 1e-3);
}

TEST_F(VideoPlayerTest, ThePictureFillsTheTopLeftOfAPowerOfTwoTexture)
{
    EXPECT_EQ(VideoPlayer::RoundUpToPowerOfTwo(1920), 2048u);
    EXPECT_EQ(VideoPlayer::RoundUpToPowerOfTwo(1080), 2048u);
    EXPECT_EQ(VideoPlayer::RoundUpToPowerOfTwo(64), 64u);
    EXPECT_EQ(VideoPlayer::RoundUpToPowerOfTwo(0), 1u);

    const auto clip = MakeClip(myDirectory, "red.mp4", "-f lavfi -i color=c=red:size=100x60:rate=30:duration=0.3 -c:v libx264 -pix_fmt yuv420p");
    ASSERT_FALSE(clip.empty());
    VideoPlayer player;
    ASSERT_TRUE(player.Init(clip.string().c_str(), false));
    EXPECT_EQ(player.GetVideoWidth(), 100u);
    EXPECT_EQ(player.GetVideoHeight(), 60u);
    EXPECT_EQ(player.GetTextureWidth(), 128u);
    EXPECT_EQ(player.GetTextureHeight(), 64u);
    ASSERT_NE(player.GetViewHolder(), nullptr);
    EXPECT_EQ(player.GetViewHolder()->GetShaderResourceView(), player.GetShaderResourceView());
    EXPECT_EQ(player.GetViewHolder()->GetWidth(), player.GetTextureWidth());

    Gfx::Texture2DDesc desc;
    player.GetTexture()->GetDesc(&desc);
    EXPECT_EQ(desc.format, Gfx::Format::R8G8B8A8_UNORM_SRGB);
    EXPECT_EQ(desc.usage, Gfx::Usage::DYNAMIC);

    player.Play(false);
    player.Update(0.1f);
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(Gfx::Succeeded(Gfx::ReadBackTexture(DX11::Device, DX11::Context, player.GetTexture(), 0, pixels)));
    ASSERT_EQ(pixels.size(), 128u * 64u * 4u);
    int wrong = 0;
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 100; ++x)
        {
            const uint8_t* pixel = &pixels[(y * 128 + x) * 4];
            if (pixel[0] < 230 || pixel[1] > 30 || pixel[2] > 30 || pixel[3] != 255)
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(VideoPlayerTest, SoundArrivesCompleteAndInOrder)
{
    const double seconds = 2.0;
    const auto clip = MakePatternClip(myDirectory, "tone.mp4", seconds, true);
    ASSERT_FALSE(clip.empty());
    {
        VideoPlayer player;
        ASSERT_TRUE(player.Init(clip.string().c_str(), true));
        ASSERT_TRUE(player.GetStream()->HasAudio());
        ASSERT_NE(player.GetStream()->GetWaveOutQueue(), nullptr);
        EXPECT_TRUE(player.GetStream()->GetWaveOutQueue()->IsOpen());
        player.Play(false);
        PlayToEnd(player, 0.1f);
        ASSERT_EQ(player.GetStatus(), VideoPlayerStatus_Finished);
    }
    const std::vector<int16_t> samples = CapturedSamples();
    // Every converted frame, the resampler's tail and the last partial block: the clip's sound as
    // ffmpeg itself decodes it to 16-bit stereo at 44100 Hz, sample for sample.
    const auto reference = MakeReferenceSound(clip);
    ASSERT_FALSE(reference.empty());
    const std::vector<int16_t> expected = ToSamples(ReadFile(reference));
    EXPECT_NEAR(samples.size() / 2.0, seconds * 44100.0, 0.02 * 44100.0);
    ASSERT_EQ(samples.size(), expected.size());
    size_t different = 0;
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i] - expected[i]) > 2)
            ++different;
    EXPECT_EQ(different, 0u);

    // And it is the tone: loud, the same on both sides.
    int16_t peak = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(samples[i])));
    EXPECT_GT(peak, 1000);
}

TEST_F(VideoPlayerTest, NoSoundWhenNotAskedOrWhenTheClipHasNone)
{
    const auto withTone = MakePatternClip(myDirectory, "tone.mp4", 0.5, true);
    const auto silent = MakePatternClip(myDirectory, "silent.mp4", 0.5, false);
    ASSERT_FALSE(withTone.empty());
    ASSERT_FALSE(silent.empty());
    for (const auto& [path, withAudio] : {std::pair{withTone, false}, std::pair{silent, true}})
    {
        VideoPlayer player;
        ASSERT_TRUE(player.Init(path.string().c_str(), withAudio));
        player.Play(false);
        PlayToEnd(player, 0.1f);
        EXPECT_EQ(player.GetStatus(), VideoPlayerStatus_Finished);
        EXPECT_EQ(player.GetStream()->GetWaveOutQueue(), nullptr);
    }
    EXPECT_TRUE(CapturedSamples().empty());
}

TEST_F(VideoPlayerTest, BadFilesAndASecondInitFailCleanly)
{
    const auto clip = MakePatternClip(myDirectory, "pattern.mp4", 0.3, false);
    const auto soundOnly = MakeClip(myDirectory, "sound.m4a", "-f lavfi -i sine=duration=0.3 -c:a aac");
    ASSERT_FALSE(clip.empty());
    ASSERT_FALSE(soundOnly.empty());
    const auto garbage = myDirectory.Write("garbage.mp4", std::string(4096, '\x42'));
    std::string truncatedBytes = ReadFile(clip);
    truncatedBytes.resize(truncatedBytes.size() / 3);
    const auto truncated = myDirectory.Write("truncated.mp4", truncatedBytes);

    for (const auto& path : {myDirectory.Path() / "missing.mp4", garbage, soundOnly})
    {
        SCOPED_TRACE(path.string());
        VideoPlayer player;
        EXPECT_FALSE(player.Init(path.string().c_str(), true));
        EXPECT_EQ(player.GetStream(), nullptr);
        player.Play(true);
        player.Update(1.0f); // nothing to play: no effect, no crash
    }
    EXPECT_EQ(VideoStream().Open((myDirectory.Path() / "missing.mp4").string().c_str(), false), VideoStream::OPEN_CANNOT_READ);
    EXPECT_EQ(VideoStream().Open(garbage.string().c_str(), false), VideoStream::OPEN_CANNOT_DECODE);

    // A cut-off file plays what it has and ends, looping or not.
    VideoPlayer cut;
    if (cut.Init(truncated.string().c_str(), false))
    {
        cut.Play(false);
        PlayToEnd(cut, 0.1f);
        EXPECT_EQ(cut.GetStatus(), VideoPlayerStatus_Finished);
    }

    VideoPlayer player;
    ASSERT_TRUE(player.Init(clip.string().c_str(), false));
    VideoStream* first = player.GetStream();
    EXPECT_FALSE(player.Init(clip.string().c_str(), false));
    EXPECT_EQ(player.GetStream(), first);
}

TEST(VideoStream, FrameRateFallsBackToAFiniteRate)
{
    using R = VideoStream::Rational;
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate({30000, 1001}, {25, 1}, {1, 90000}), 30000.0 / 1001.0);
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate({0, 1}, {25, 1}, {1, 90000}), 25.0);
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate({1, 0}, R{}, {1, 24}), 24.0);
    // A time base with a zero numerator once gave an infinite rate and an endless update loop.
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate(R{}, R{}, {0, 1}), VideoStream::FALLBACK_FRAME_RATE);
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate(R{}, R{}, {-1, 25}), VideoStream::FALLBACK_FRAME_RATE);
    EXPECT_DOUBLE_EQ(VideoStream::ChooseFrameRate(R{}, R{}, R{}), VideoStream::FALLBACK_FRAME_RATE);
    EXPECT_DOUBLE_EQ(VideoStream().GetFrameRate(), VideoStream::FALLBACK_FRAME_RATE); // nothing open
}

TEST_F(VideoPlayerTest, ALoopingVideoPlaysItsSoundAgain)
{
    const auto clip = MakePatternClip(myDirectory, "tone.mp4", 1.0, true);
    ASSERT_FALSE(clip.empty());
    const auto reference = MakeReferenceSound(clip);
    ASSERT_FALSE(reference.empty());
    const std::vector<int16_t> expected = ToSamples(ReadFile(reference));
    {
        VideoPlayer player;
        ASSERT_TRUE(player.Init(clip.string().c_str(), true));
        player.Play(true);
        double lastTime = 0.0;
        for (int i = 0; i < 100; ++i)
        {
            player.Update(1.0f / 30.0f);
            const double time = player.GetStream()->GetPictureTime();
            if (time < lastTime)
                break; // rewound: the second pass has begun
            lastTime = time;
        }
        player.Play(false); // the second pass is the last
        PlayToEnd(player, 0.1f);
        ASSERT_EQ(player.GetStatus(), VideoPlayerStatus_Finished);
    }
    const std::vector<int16_t> samples = CapturedSamples();
    // Both passes whole: the decoders and the resampler start afresh after the rewind.
    ASSERT_EQ(samples.size(), 2 * expected.size());
    size_t different = 0;
    for (size_t pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < expected.size(); ++i)
            if (std::abs(samples[pass * expected.size() + i] - expected[i]) > 16) // the decoder restarts within rounding
                ++different;
    EXPECT_EQ(different, 0u);
}
