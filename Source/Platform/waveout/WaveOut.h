#pragma once
// Stand-in for the system's wave-out device: blocks of 16-bit PCM written to it play in order, one
// after the other, on an SDL2 audio device. A block is marked done (and the done callback runs, on
// the device's thread) once every byte of it has been played; until then its memory must not change.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace Vela::Platform
{
    constexpr uint16_t WAVE_FORMAT_PCM = 1;

    struct WaveFormat
    {
        uint16_t formatTag = WAVE_FORMAT_PCM;
        uint16_t channels = 2;
        uint32_t samplesPerSecond = 44100;
        uint32_t averageBytesPerSecond = 176400;
        uint16_t blockAlign = 4;
        uint16_t bitsPerSample = 16;
    };

    // Block flags.
    constexpr uint32_t WAVE_BLOCK_DONE = 0x1;
    constexpr uint32_t WAVE_BLOCK_PREPARED = 0x2;
    constexpr uint32_t WAVE_BLOCK_QUEUED = 0x10;

    struct WaveBlock
    {
        unsigned char* data = nullptr;
        uint32_t length = 0; // bytes to play
        std::atomic<uint32_t> flags{0};
    };

    class WaveOutDevice
    {
    public:
        using DoneCallback = std::function<void(WaveBlock&)>;
        using CaptureSink = std::function<void(const unsigned char* someData, size_t aBytes)>;

        WaveOutDevice() = default;
        ~WaveOutDevice();
        WaveOutDevice(const WaveOutDevice&) = delete;
        WaveOutDevice& operator=(const WaveOutDevice&) = delete;

        // 16-bit PCM, mono or stereo, any rate. False when the format is refused or no device opens.
        bool Open(const WaveFormat& aFormat, DoneCallback aOnDone);
        bool IsOpen() const;

        bool Prepare(WaveBlock& aBlock);
        // Fails while the block is still queued.
        bool Unprepare(WaveBlock& aBlock);
        // Queues a prepared block behind those already queued; its done flag clears until it has played.
        bool Write(WaveBlock& aBlock);
        // Stops at once and marks every queued block done.
        void Reset();
        void Close();

        size_t CountQueuedBlocks() const;

        // Tests: while a sink is set, devices opened afterwards play nothing and hand each written
        // block's bytes to the sink at once (then mark it done). An empty sink restores real devices
        // (or, with PlayAtOnceForTesting, devices that take every block at once).
        static void SetCaptureForTesting(CaptureSink aSink);
        // Tests: while on, devices opened afterwards without a sink play nothing and mark each written
        // block done at once, so a writer never waits for real-time playback.
        static void PlayAtOnceForTesting(bool aOn);

    private:
        static void DeviceCallback(void* aUserData, uint8_t* aStream, int aLength);
        void FinishBlocks(std::deque<WaveBlock*>& someBlocks);

        mutable std::mutex myMutex;
        std::deque<WaveBlock*> myQueue;
        uint32_t myHeadOffset = 0;
        uint32_t myDevice = 0;
        bool myOpen = false;
        CaptureSink myCapture;
        DoneCallback myOnDone;
    };
}
