#pragma once
// Handles, flags and codes of the audio stand-in: a small sample/channel mixer with the call shape
// of the closed audio library the engine was written against.
#include <cstdint>

namespace Vela::Platform
{
    // 0 is never a valid handle. Handles carry a generation, so a handle to a freed sample or to a
    // voice that was handed to another play fails instead of touching the new owner.
    using AudioSample = uint32_t;
    using AudioChannel = uint32_t;

    // Sample and channel flags.
    constexpr uint32_t AUDIO_SAMPLE_8BITS = 0x1;             // accepted; samples are always kept as 16-bit
    constexpr uint32_t AUDIO_SAMPLE_LOOP = 0x4;              // a channel starts again at the end of each pass
    constexpr uint32_t AUDIO_SAMPLE_OVERRIDE_LONGEST = 0x20000; // at the playback limit, take over the voice played longest

    // Values reported for a handle that is no longer (or never was) valid.
    constexpr uint64_t AUDIO_INVALID_POSITION = ~uint64_t(0);
    constexpr uint32_t AUDIO_INVALID_FLAGS = ~uint32_t(0);

    constexpr int AUDIO_DEFAULT_DEVICE = -1; // the system's default output
    constexpr int AUDIO_NO_DEVICE = 0;       // mix only through AudioMixer::Render (tests, tools)

    constexpr uint32_t AUDIO_OUTPUT_RATE = 44100;
    constexpr uint32_t AUDIO_OUTPUT_CHANNELS = 2;

    enum class AudioError : int
    {
        Ok = 0,
        Memory = 1,
        FileOpen = 2,
        Device = 3,
        Handle = 5,
        Format = 6,
        NotInitialised = 8,
        AlreadyInitialised = 14,
        NoChannel = 18,
        IllegalParameter = 20,
        Busy = 46, // offline render while a device is playing
    };

    enum class AudioActivity : uint32_t
    {
        Stopped = 0,
        Playing = 1,
    };

    enum class AudioAttribute : uint32_t
    {
        Volume = 2, // linear gain, >= 0
        Pan = 3,    // -1 (left) .. +1 (right)
    };

    struct AudioSampleInfo
    {
        uint32_t frequency = AUDIO_OUTPUT_RATE; // samples are converted to the output rate at load
        uint32_t channels = 0;                  // 1 or 2
        uint64_t length = 0;                    // bytes of 16-bit data
        uint32_t maxPlaybacks = 1;
        uint32_t flags = 0;
        float volume = 1.0f; // initial attributes of new channels
        float pan = 0.0f;
    };
}
