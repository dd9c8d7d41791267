#include "mire/video/WaveOutQueue.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace Vela;

namespace
{
    std::vector<unsigned char> Pattern(size_t aBytes)
    {
        std::vector<unsigned char> bytes(aBytes);
        for (size_t i = 0; i < aBytes; ++i)
            bytes[i] = static_cast<unsigned char>((i * 7 + i / 251) & 0xFF);
        return bytes;
    }
}

TEST(WaveOutQueue, PartialBlocksWaitAndEveryByteArrivesInOrder)
{
    std::vector<unsigned char> captured;
    std::vector<size_t> blockSizes;
    Platform::WaveOutDevice::SetCaptureForTesting([&](const unsigned char* aData, size_t aBytes) {
        captured.insert(captured.end(), aData, aData + aBytes);
        blockSizes.push_back(aBytes);
    });
    const std::vector<unsigned char> sound = Pattern(100000);
    {
        WaveOutQueue queue(Platform::WaveFormat{}, 16, 4096);
        ASSERT_TRUE(queue.IsOpen());
        // Writes of awkward sizes, as decoded frames come.
        size_t offset = 0;
        for (size_t size : {1000u, 5000u, 3u, 4093u, 40000u, 1u})
        {
            queue.Write(sound.data() + offset, static_cast<int>(size));
            offset += size;
        }
        // Only whole blocks have gone out so far.
        EXPECT_EQ(captured.size(), offset / 4096 * 4096);
        queue.Write(sound.data() + offset, static_cast<int>(sound.size() - offset));
        queue.Write(nullptr, 100);
        queue.Write(sound.data(), -5);
        queue.Flush(); // end of the sound: the partial block is heard too
        queue.Flush(); // nothing more to send
    }
    Platform::WaveOutDevice::SetCaptureForTesting(nullptr);
    EXPECT_EQ(captured, sound);
    ASSERT_FALSE(blockSizes.empty());
    EXPECT_EQ(blockSizes.back(), sound.size() % 4096);
    for (size_t i = 0; i + 1 < blockSizes.size(); ++i)
        EXPECT_EQ(blockSizes[i], 4096u);
}

TEST(WaveOutQueue, AWriteWaitsForTheDeviceInsteadOfOverwritingQueuedBlocks)
{
    // Two blocks of about 3 ms on a device that plays in real time: a quarter second of sound can only go
    // through if each write waits for a block to come back.
    WaveOutQueue queue(Platform::WaveFormat{}, 2, 512);
    if (!queue.IsOpen())
        GTEST_SKIP() << "no audio device";
    const std::vector<unsigned char> sound = Pattern(44100);
    for (size_t offset = 0; offset < sound.size(); offset += 700)
        queue.Write(sound.data() + offset, static_cast<int>(std::min<size_t>(700, sound.size() - offset)));
    queue.Flush();
    SUCCEED();
}

TEST(WaveOutQueue, WithoutADeviceWritesGoNowhere)
{
    Platform::WaveFormat unplayable;
    unplayable.bitsPerSample = 8;
    WaveOutQueue queue(unplayable, 16, 4096);
    EXPECT_FALSE(queue.IsOpen());
    const std::vector<unsigned char> sound = Pattern(100000); // more than all blocks hold: must not wait
    queue.Write(sound.data(), static_cast<int>(sound.size()));
    queue.Flush();

    WaveOutQueue empty(Platform::WaveFormat{}, 0, 0);
    empty.Write(sound.data(), 10);
    empty.Flush();
}
