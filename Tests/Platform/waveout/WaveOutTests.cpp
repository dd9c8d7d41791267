#include "Platform/waveout/WaveOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

using namespace Vela::Platform;

TEST(WaveOutDevice, BlocksPlayInTheOrderWrittenAndAreDoneOnlyAfterwards)
{
    WaveOutDevice device;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<WaveBlock*> finished;
    if (!device.Open(WaveFormat{}, [&](WaveBlock& aBlock) {
            std::lock_guard guard(lock);
            finished.push_back(&aBlock);
            changed.notify_all();
        }))
        GTEST_SKIP() << "no audio device";
    EXPECT_TRUE(device.IsOpen());

    // 4 blocks of about 20 ms each.
    std::vector<std::vector<unsigned char>> memory(4, std::vector<unsigned char>(3528, 0));
    std::vector<WaveBlock> blocks(4);
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        blocks[i].data = memory[i].data();
        blocks[i].length = static_cast<uint32_t>(memory[i].size());
        ASSERT_TRUE(device.Prepare(blocks[i]));
        EXPECT_TRUE(blocks[i].flags & WAVE_BLOCK_DONE);
    }
    for (WaveBlock& block : blocks)
        ASSERT_TRUE(device.Write(block));
    EXPECT_FALSE(device.Write(blocks[0])); // already queued
    EXPECT_FALSE(device.Unprepare(blocks[3])); // still queued

    {
        // However slowly the device's thread runs, it plays every block.
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return finished.size() >= blocks.size(); });
    }
    ASSERT_EQ(finished.size(), blocks.size());
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        EXPECT_EQ(finished[i], &blocks[i]);
        EXPECT_TRUE(blocks[i].flags & WAVE_BLOCK_DONE);
        EXPECT_FALSE(blocks[i].flags & WAVE_BLOCK_QUEUED);
        EXPECT_TRUE(device.Unprepare(blocks[i]));
    }
    EXPECT_EQ(device.CountQueuedBlocks(), 0u);
}

TEST(WaveOutDevice, ResetHandsBackEveryQueuedBlockAtOnce)
{
    WaveOutDevice device;
    std::atomic<int> done{0};
    if (!device.Open(WaveFormat{}, [&](WaveBlock&) { ++done; }))
        GTEST_SKIP() << "no audio device";
    // A minute of sound that nobody waits for.
    std::vector<unsigned char> memory(44100 * 4 * 60);
    WaveBlock block;
    block.data = memory.data();
    block.length = static_cast<uint32_t>(memory.size());
    ASSERT_TRUE(device.Prepare(block));
    ASSERT_TRUE(device.Write(block));
    device.Reset();
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(block.flags & WAVE_BLOCK_DONE);
    EXPECT_TRUE(device.Unprepare(block));
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Write(block));
}

TEST(WaveOutDevice, RefusesWhatItCannotPlay)
{
    WaveOutDevice device;
    WaveFormat eightBit;
    eightBit.bitsPerSample = 8;
    eightBit.blockAlign = 2;
    EXPECT_FALSE(device.Open(eightBit, nullptr));
    WaveFormat surround;
    surround.channels = 6;
    surround.blockAlign = 12;
    EXPECT_FALSE(device.Open(surround, nullptr));
    EXPECT_FALSE(device.IsOpen());

    WaveBlock unprepared;
    unsigned char byte = 0;
    unprepared.data = &byte;
    unprepared.length = 1;
    EXPECT_FALSE(device.Write(unprepared));
    WaveBlock empty;
    empty.length = 10;
    EXPECT_FALSE(device.Prepare(empty)); // no memory behind it
}

TEST(WaveOutDevice, CaptureTakesBlocksWholeAndInOrder)
{
    std::vector<unsigned char> captured;
    WaveOutDevice::SetCaptureForTesting([&](const unsigned char* aData, size_t aBytes) { captured.insert(captured.end(), aData, aData + aBytes); });
    WaveOutDevice device;
    int done = 0;
    ASSERT_TRUE(device.Open(WaveFormat{}, [&](WaveBlock&) { ++done; }));
    WaveOutDevice::SetCaptureForTesting(nullptr);

    unsigned char first[] = {1, 2, 3, 4};
    unsigned char second[] = {5, 6, 7, 8};
    WaveBlock a{first, 4};
    WaveBlock b{second, 4};
    device.Prepare(a);
    device.Prepare(b);
    ASSERT_TRUE(device.Write(a));
    ASSERT_TRUE(device.Write(b));
    EXPECT_EQ(captured, (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(done, 2);
}

TEST(WaveOutDevice, PlayAtOnceHandsEveryBlockBackAsItIsWritten)
{
    WaveOutDevice::PlayAtOnceForTesting(true);
    WaveOutDevice device;
    int done = 0;
    const bool opened = device.Open(WaveFormat{}, [&](WaveBlock&) { ++done; });
    WaveOutDevice::PlayAtOnceForTesting(false);
    ASSERT_TRUE(opened);

    // A minute of sound, done before the write returns.
    std::vector<unsigned char> memory(44100 * 4 * 60);
    WaveBlock block{memory.data(), static_cast<uint32_t>(memory.size())};
    ASSERT_TRUE(device.Prepare(block));
    ASSERT_TRUE(device.Write(block));
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(block.flags & WAVE_BLOCK_DONE);
    EXPECT_EQ(device.CountQueuedBlocks(), 0u);
}
