#pragma once
// 16-bit PCM WAV files (mono) from float samples in [-1, 1] (louder values are limited softly).
#include <cstdint>
#include <vector>

namespace Vela::Content
{
    std::vector<uint8_t> EncodeWav(const std::vector<float>& someSamples, uint32_t aSampleRate);
}
