#include "mire/audio/AudioClock.h"

#include "Platform/audio/AudioMixer.h"
#include "Platform/waveout/WaveOut.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace Vela::AudioClock
{
    namespace
    {
        constexpr size_t SCRATCH_FRAMES = 4096;

        std::atomic<bool> theStepped{false};
        std::mutex theAdvanceLock;
        double theOwedFrames = 0.0; // the part of a frame that earlier steps left over
        std::vector<float> theScratch;
    }

    bool UseSteppedClockForTesting()
    {
        Platform::AudioMixer& mixer = Platform::GetAudioMixer();
        if (mixer.HasDevice())
            return false;
        // Already started without a device (a test that renders by itself) is just as good.
        if (!mixer.IsInitialised())
            mixer.Init(Platform::AUDIO_NO_DEVICE, Platform::AUDIO_OUTPUT_RATE);
        if (!mixer.IsInitialised() || mixer.HasDevice())
            return false;
        Platform::WaveOutDevice::PlayAtOnceForTesting(true);
        theStepped = true;
        return true;
    }

    bool IsStepped()
    {
        return theStepped.load();
    }

    void Advance(float aSeconds)
    {
        if (!theStepped.load() || !(aSeconds > 0.0f))
            return;
        std::lock_guard lock(theAdvanceLock);
        theOwedFrames += double(aSeconds) * double(Platform::AUDIO_OUTPUT_RATE);
        size_t frames = size_t(theOwedFrames);
        theOwedFrames -= double(frames);
        theScratch.resize(SCRATCH_FRAMES * Platform::AUDIO_OUTPUT_CHANNELS);
        while (frames > 0)
        {
            const size_t part = std::min(frames, SCRATCH_FRAMES);
            Platform::GetAudioMixer().Render(theScratch.data(), part);
            frames -= part;
        }
    }
}
