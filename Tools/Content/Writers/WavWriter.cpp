#include "WavWriter.h"

#include "ByteOutput.h"

#include <cmath>
#include <cstring>

namespace Vela::Content
{
    namespace
    {
        // Linear up to 0.8, then bending smoothly towards 1 so peaks never wrap around.
        float Limit(float aValue)
        {
            const float magnitude = std::abs(aValue);
            if (magnitude <= 0.8f)
                return aValue;
            const float bent = 0.8f + 0.2f * std::tanh((magnitude - 0.8f) / 0.2f);
            return std::copysign(bent, aValue);
        }
    }

    std::vector<uint8_t> EncodeWav(const std::vector<float>& someSamples, uint32_t aSampleRate)
    {
        const uint32_t dataBytes = uint32_t(someSamples.size() * 2);
        std::vector<uint8_t> bytes;
        bytes.reserve(44 + dataBytes);
        bytes.insert(bytes.end(), { 'R', 'I', 'F', 'F' });
        Put32(bytes, 36 + dataBytes);
        bytes.insert(bytes.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
        Put32(bytes, 16);
        Put16(bytes, 1); // PCM
        Put16(bytes, 1); // mono
        Put32(bytes, aSampleRate);
        Put32(bytes, aSampleRate * 2);
        Put16(bytes, 2);
        Put16(bytes, 16);
        bytes.insert(bytes.end(), { 'd', 'a', 't', 'a' });
        Put32(bytes, dataBytes);
        for (float sample : someSamples)
        {
            const auto value = int16_t(std::lround(Limit(sample) * 32767.0f));
            Put16(bytes, uint16_t(value));
        }
        return bytes;
    }
}
