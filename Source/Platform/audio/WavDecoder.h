#pragma once
// Reads a RIFF/WAVE file's PCM or float data into 16-bit frames at the mixer's output rate.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Vela::Platform
{
    struct DecodedSound
    {
        uint32_t channels = 0;         // 1 or 2
        uint32_t sourceRate = 0;       // the file's own rate, before conversion
        std::vector<int16_t> samples;  // interleaved, at aTargetRate

        uint64_t FrameCount() const { return channels ? samples.size() / channels : 0; }
    };

    // Accepts PCM 8 (unsigned), 16, 24 and 32-bit integer and 32/64-bit float data, mono or stereo,
    // at 1000 to 768000 Hz (plain or extensible format chunk). A data chunk longer than the file is cut to the
    // whole frames present. A sound over 2^26 samples after conversion, or one whose memory cannot be had, fails.
    // On failure returns false and a one-line reason.
    bool DecodeWav(std::span<const uint8_t> someBytes, uint32_t aTargetRate, DecodedSound& aOut, std::string& aError);
}
