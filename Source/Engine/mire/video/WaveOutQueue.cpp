#include "mire/video/WaveOutQueue.h"

#include <algorithm>
#include <cstring>

namespace Vela
{
    WaveOutQueue::WaveOutQueue(const Platform::WaveFormat& aFormat, int aBlockCount, int aBlockSize)
        : myFreeBlocks(std::max(aBlockCount, 0))
        , myBlockCount(std::max(aBlockCount, 0))
        , myBlockSize(static_cast<uint32_t>(std::max(aBlockSize, 0)))
    {
        if (myBlockCount == 0 || myBlockSize == 0)
            return;
        for (int i = 0; i < myBlockCount; ++i)
        {
            auto block = std::make_unique<Block>();
            block->memory = std::make_unique<unsigned char[]>(myBlockSize);
            block->header.data = block->memory.get();
            block->header.length = myBlockSize;
            myBlocks.push_back(std::move(block));
        }
        myIsOpen = myDevice.Open(aFormat, [this](Platform::WaveBlock&) { myFreeBlocks.release(); });
        for (auto& block : myBlocks)
            myDevice.Prepare(block->header);
    }

    WaveOutQueue::~WaveOutQueue()
    {
        myDevice.Reset();
        for (auto& block : myBlocks)
            myDevice.Unprepare(block->header);
        myDevice.Close();
    }

    void WaveOutQueue::Submit(Block& aBlock)
    {
        aBlock.header.length = aBlock.filled;
        aBlock.filled = 0;
        myCurrentTaken = false;
        if (!myDevice.Write(aBlock.header))
            myFreeBlocks.release(); // never queued: free again at once
        myCurrentBlock = (myCurrentBlock + 1) % myBlockCount;
    }

    void WaveOutQueue::Write(const unsigned char* aData, int aBytes)
    {
        // Without a device nothing would ever hand a block back, so writes go nowhere.
        if (!myIsOpen || !aData || aBytes <= 0 || myBlocks.empty())
            return;
        const unsigned char* data = aData;
        uint32_t remaining = static_cast<uint32_t>(aBytes);
        while (remaining > 0)
        {
            Block& block = *myBlocks[static_cast<size_t>(myCurrentBlock)];
            if (!myCurrentTaken)
            {
                // Waits while the device still plays this block (every block is queued).
                myFreeBlocks.acquire();
                myCurrentTaken = true;
            }
            const uint32_t count = std::min(remaining, myBlockSize - block.filled);
            std::memcpy(block.memory.get() + block.filled, data, count);
            block.filled += count;
            data += count;
            remaining -= count;
            if (block.filled < myBlockSize)
                break; // a partial block waits for more data
            Submit(block);
        }
    }

    void WaveOutQueue::Flush()
    {
        if (!myIsOpen || myBlocks.empty())
            return;
        Block& block = *myBlocks[static_cast<size_t>(myCurrentBlock)];
        if (block.filled > 0)
            Submit(block);
    }
}
