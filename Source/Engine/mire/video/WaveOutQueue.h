#pragma once
// The video's sound on its way to the wave-out device: a ring of fixed-size blocks filled in turn.
// A block goes to the device when it is full; a write that needs a block the device is still playing
// waits until it is free, so no queued sound is lost or overwritten. Main thread only.
#include "Platform/waveout/WaveOut.h"

#include <memory>
#include <semaphore>
#include <vector>

namespace Vela
{
    class WaveOutQueue
    {
    public:
        WaveOutQueue(const Platform::WaveFormat& aFormat, int aBlockCount, int aBlockSize);
        // Stops playback at once (what is still queued is dropped) and frees the blocks.
        ~WaveOutQueue();
        WaveOutQueue(const WaveOutQueue&) = delete;
        WaveOutQueue& operator=(const WaveOutQueue&) = delete;

        // Copies the bytes into the current block; a partial block waits for more data.
        void Write(const unsigned char* aData, int aBytes);
        // End of the sound: sends the partial block so the last of it is heard too.
        void Flush();

        bool IsOpen() const { return myIsOpen; }
        int GetBlockCount() const { return myBlockCount; }

    private:
        struct Block
        {
            Platform::WaveBlock header;
            std::unique_ptr<unsigned char[]> memory;
            uint32_t filled = 0;
        };

        void Submit(Block& aBlock);

        // Counts blocks that are free to fill: taken before a block is filled, given back by the
        // device when it has played the block.
        std::counting_semaphore<> myFreeBlocks;
        int myBlockCount = 0;
        uint32_t myBlockSize = 0;
        int myCurrentBlock = 0;
        std::vector<std::unique_ptr<Block>> myBlocks;
        Platform::WaveOutDevice myDevice;
        bool myIsOpen = false;
        bool myCurrentTaken = false; // the current block holds a count of myFreeBlocks
    };
}
