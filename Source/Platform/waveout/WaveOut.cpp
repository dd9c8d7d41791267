#include "Platform/waveout/WaveOut.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace Vela::Platform
{
    namespace
    {
        std::mutex& CaptureLock()
        {
            static std::mutex lock;
            return lock;
        }

        WaveOutDevice::CaptureSink& CaptureForTesting()
        {
            static WaveOutDevice::CaptureSink sink;
            return sink;
        }

        bool& PlayAtOnce()
        {
            static bool atOnce = false;
            return atOnce;
        }
    }

    void WaveOutDevice::SetCaptureForTesting(CaptureSink aSink)
    {
        std::lock_guard lock(CaptureLock());
        CaptureForTesting() = std::move(aSink);
    }

    void WaveOutDevice::PlayAtOnceForTesting(bool aOn)
    {
        std::lock_guard lock(CaptureLock());
        PlayAtOnce() = aOn;
    }

    WaveOutDevice::~WaveOutDevice()
    {
        Close();
    }

    bool WaveOutDevice::Open(const WaveFormat& aFormat, DoneCallback aOnDone)
    {
        if (IsOpen())
            return false;
        if (aFormat.formatTag != WAVE_FORMAT_PCM || aFormat.bitsPerSample != 16 || (aFormat.channels != 1 && aFormat.channels != 2) ||
            aFormat.samplesPerSecond == 0 || aFormat.blockAlign != aFormat.channels * 2)
            return false;

        CaptureSink capture;
        {
            std::lock_guard lock(CaptureLock());
            capture = CaptureForTesting();
            if (!capture && PlayAtOnce())
                capture = [](const unsigned char*, size_t) {};
        }
        if (capture)
        {
            std::lock_guard lock(myMutex);
            myOnDone = std::move(aOnDone);
            myCapture = std::move(capture);
            myOpen = true;
            return true;
        }

        // SDL calls back with its device lock held and the callback takes ours: never call SDL with ours held.
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            printf("Wave-out device unavailable: %s\n", SDL_GetError());
            return false;
        }
        {
            std::lock_guard lock(myMutex);
            myOnDone = std::move(aOnDone);
        }
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(aFormat.samplesPerSecond);
        wanted.format = AUDIO_S16SYS;
        wanted.channels = static_cast<Uint8>(aFormat.channels);
        wanted.samples = 1024;
        wanted.callback = &WaveOutDevice::DeviceCallback;
        wanted.userdata = this;
        // Opened paused: the callback does not run before the fields below are set.
        const uint32_t device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device == 0)
        {
            printf("Wave-out device unavailable: %s\n", SDL_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        {
            std::lock_guard lock(myMutex);
            myDevice = device;
            myOpen = true;
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    bool WaveOutDevice::IsOpen() const
    {
        std::lock_guard lock(myMutex);
        return myOpen;
    }

    bool WaveOutDevice::Prepare(WaveBlock& aBlock)
    {
        if (!aBlock.data && aBlock.length > 0)
            return false;
        aBlock.flags = (aBlock.flags & ~WAVE_BLOCK_QUEUED) | WAVE_BLOCK_PREPARED | WAVE_BLOCK_DONE;
        return true;
    }

    bool WaveOutDevice::Unprepare(WaveBlock& aBlock)
    {
        if (aBlock.flags & WAVE_BLOCK_QUEUED)
            return false;
        aBlock.flags &= ~WAVE_BLOCK_PREPARED;
        return true;
    }

    bool WaveOutDevice::Write(WaveBlock& aBlock)
    {
        if (!(aBlock.flags & WAVE_BLOCK_PREPARED) || (aBlock.flags & WAVE_BLOCK_QUEUED))
            return false;
        std::unique_lock lock(myMutex);
        if (!myOpen)
            return false;
        if (myCapture)
        {
            // Played at once: the sink sees every block whole and in order.
            const CaptureSink capture = myCapture;
            const DoneCallback onDone = myOnDone;
            lock.unlock();
            capture(aBlock.data, aBlock.length);
            aBlock.flags |= WAVE_BLOCK_DONE;
            if (onDone)
                onDone(aBlock);
            return true;
        }
        aBlock.flags = (aBlock.flags & ~WAVE_BLOCK_DONE) | WAVE_BLOCK_QUEUED;
        myQueue.push_back(&aBlock);
        return true;
    }

    void WaveOutDevice::FinishBlocks(std::deque<WaveBlock*>& someBlocks)
    {
        for (WaveBlock* block : someBlocks)
        {
            block->flags = (block->flags & ~WAVE_BLOCK_QUEUED) | WAVE_BLOCK_DONE;
            if (myOnDone)
                myOnDone(*block);
        }
        someBlocks.clear();
    }

    void WaveOutDevice::DeviceCallback(void* aUserData, uint8_t* aStream, int aLength)
    {
        auto* device = static_cast<WaveOutDevice*>(aUserData);
        std::deque<WaveBlock*> finished;
        size_t written = 0;
        const size_t length = static_cast<size_t>(aLength);
        {
            std::lock_guard lock(device->myMutex);
            while (written < length && !device->myQueue.empty())
            {
                WaveBlock* head = device->myQueue.front();
                const size_t count = std::min<size_t>(length - written, head->length - device->myHeadOffset);
                std::memcpy(aStream + written, head->data + device->myHeadOffset, count);
                written += count;
                device->myHeadOffset += static_cast<uint32_t>(count);
                if (device->myHeadOffset >= head->length)
                {
                    finished.push_back(head);
                    device->myQueue.pop_front();
                    device->myHeadOffset = 0;
                }
            }
        }
        // Nothing queued: silence.
        std::memset(aStream + written, 0, length - written);
        device->FinishBlocks(finished);
    }

    void WaveOutDevice::Reset()
    {
        std::deque<WaveBlock*> dropped;
        {
            std::lock_guard lock(myMutex);
            dropped.swap(myQueue);
            myHeadOffset = 0;
        }
        FinishBlocks(dropped);
    }

    void WaveOutDevice::Close()
    {
        uint32_t device = 0;
        {
            std::lock_guard lock(myMutex);
            device = std::exchange(myDevice, 0u);
        }
        // Closing waits for a running callback, which takes our lock: do it unlocked.
        if (device != 0)
        {
            SDL_CloseAudioDevice(device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
        Reset();
        std::lock_guard lock(myMutex);
        myOpen = false;
        myCapture = nullptr;
    }

    size_t WaveOutDevice::CountQueuedBlocks() const
    {
        std::lock_guard lock(myMutex);
        return myQueue.size();
    }
}
