#include "Platform/audio/WavDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Vela::Platform
{
    namespace
    {
        constexpr uint16_t FORMAT_PCM = 1;
        constexpr uint16_t FORMAT_FLOAT = 3;
        constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
        constexpr uint32_t MIN_SOURCE_RATE = 1000;
        constexpr uint32_t MAX_SOURCE_RATE = 768000;
        // At most this many 16-bit samples after conversion (128 MiB; over 12 minutes of stereo at 44100 Hz).
        constexpr uint64_t MAX_DECODED_SAMPLES = uint64_t(1) << 26;

        uint16_t ReadU16(const uint8_t* aData) { return static_cast<uint16_t>(aData[0] | (aData[1] << 8)); }
        uint32_t ReadU32(const uint8_t* aData)
        {
            return uint32_t(aData[0]) | (uint32_t(aData[1]) << 8) | (uint32_t(aData[2]) << 16) | (uint32_t(aData[3]) << 24);
        }

        struct Format
        {
            uint16_t tag = 0;
            uint16_t channels = 0;
            uint32_t rate = 0;
            uint16_t blockAlign = 0;
            uint16_t bits = 0;
        };

        float ReadSample(const uint8_t* aData, const Format& aFormat)
        {
            if (aFormat.tag == FORMAT_FLOAT)
            {
                if (aFormat.bits == 32)
                {
                    const uint32_t bits = ReadU32(aData);
                    float value;
                    std::memcpy(&value, &bits, sizeof(value));
                    return std::isfinite(value) ? value : 0.0f;
                }
                const uint64_t bits = uint64_t(ReadU32(aData)) | (uint64_t(ReadU32(aData + 4)) << 32);
                double value;
                std::memcpy(&value, &bits, sizeof(value));
                return std::isfinite(value) ? static_cast<float>(value) : 0.0f;
            }
            switch (aFormat.bits)
            {
            case 8: return (static_cast<int>(aData[0]) - 128) / 128.0f;
            case 16: return static_cast<int16_t>(ReadU16(aData)) / 32768.0f;
            case 24:
            {
                const int32_t value = static_cast<int32_t>((uint32_t(aData[0]) << 8) | (uint32_t(aData[1]) << 16) | (uint32_t(aData[2]) << 24)) >> 8;
                return value / 8388608.0f;
            }
            default: return static_cast<float>(static_cast<int32_t>(ReadU32(aData)) / 2147483648.0);
            }
        }

        int16_t ToInt16(float aValue)
        {
            const float scaled = std::clamp(aValue, -1.0f, 1.0f) * 32767.0f;
            return static_cast<int16_t>(std::lround(scaled));
        }

        bool ParseFormat(const uint8_t* aData, uint32_t aSize, Format& aFormat, std::string& aError)
        {
            if (aSize < 16)
            {
                aError = "format chunk too short";
                return false;
            }
            aFormat.tag = ReadU16(aData);
            aFormat.channels = ReadU16(aData + 2);
            aFormat.rate = ReadU32(aData + 4);
            aFormat.blockAlign = ReadU16(aData + 12);
            aFormat.bits = ReadU16(aData + 14);
            if (aFormat.tag == FORMAT_EXTENSIBLE)
            {
                // The sub-format GUID starts with the plain format tag.
                if (aSize < 40)
                {
                    aError = "extensible format chunk too short";
                    return false;
                }
                aFormat.tag = ReadU16(aData + 24);
            }
            const bool pcm = aFormat.tag == FORMAT_PCM && (aFormat.bits == 8 || aFormat.bits == 16 || aFormat.bits == 24 || aFormat.bits == 32);
            const bool floating = aFormat.tag == FORMAT_FLOAT && (aFormat.bits == 32 || aFormat.bits == 64);
            if (!pcm && !floating)
            {
                aError = "unsupported sample format " + std::to_string(aFormat.tag) + " with " + std::to_string(aFormat.bits) + " bits";
                return false;
            }
            if (aFormat.channels != 1 && aFormat.channels != 2)
            {
                aError = "unsupported channel count " + std::to_string(aFormat.channels);
                return false;
            }
            // A rate of a few hertz is no sound; converted to the output rate it would ask for gigabytes.
            if (aFormat.rate < MIN_SOURCE_RATE || aFormat.rate > MAX_SOURCE_RATE)
            {
                aError = "unsupported sample rate " + std::to_string(aFormat.rate);
                return false;
            }
            // Trust the sample size over a block align that disagrees with it.
            aFormat.blockAlign = static_cast<uint16_t>(aFormat.channels * (aFormat.bits / 8));
            return true;
        }
    }

    bool DecodeWav(std::span<const uint8_t> someBytes, uint32_t aTargetRate, DecodedSound& aOut, std::string& aError)
    {
        if (someBytes.size() < 12 || std::memcmp(someBytes.data(), "RIFF", 4) != 0 || std::memcmp(someBytes.data() + 8, "WAVE", 4) != 0)
        {
            aError = "not a RIFF/WAVE file";
            return false;
        }
        if (aTargetRate == 0)
        {
            aError = "no target rate";
            return false;
        }

        Format format;
        bool haveFormat = false;
        const uint8_t* data = nullptr;
        size_t dataSize = 0;
        size_t offset = 12;
        while (offset + 8 <= someBytes.size())
        {
            const uint8_t* chunk = someBytes.data() + offset;
            const size_t available = someBytes.size() - offset - 8;
            const size_t size = std::min<size_t>(ReadU32(chunk + 4), available);
            if (std::memcmp(chunk, "fmt ", 4) == 0)
            {
                if (!ParseFormat(chunk + 8, static_cast<uint32_t>(size), format, aError))
                    return false;
                haveFormat = true;
            }
            else if (std::memcmp(chunk, "data", 4) == 0 && !data)
            {
                data = chunk + 8;
                dataSize = size;
            }
            offset += 8 + size + (size & 1);
        }
        if (!haveFormat)
        {
            aError = "no format chunk";
            return false;
        }
        if (!data)
        {
            aError = "no data chunk";
            return false;
        }

        const size_t sourceFrames = dataSize / format.blockAlign;
        if (sourceFrames == 0)
        {
            aError = "no sound data";
            return false;
        }

        const uint32_t channels = format.channels;
        const size_t bytesPerSample = format.bits / 8;
        auto sourceAt = [&](size_t aFrame, uint32_t aChannel) {
            return ReadSample(data + aFrame * format.blockAlign + aChannel * bytesPerSample, format);
        };

        aOut.channels = channels;
        aOut.sourceRate = format.rate;
        aOut.samples.clear();
        const uint64_t targetFrames = format.rate == aTargetRate
                                          ? uint64_t(sourceFrames)
                                          : std::max<uint64_t>(1, (uint64_t(sourceFrames) * aTargetRate + format.rate - 1) / format.rate);
        if (targetFrames * channels > MAX_DECODED_SAMPLES)
        {
            aError = "sound too long: " + std::to_string(targetFrames) + " frames at " + std::to_string(aTargetRate) + " Hz, at most " +
                     std::to_string(MAX_DECODED_SAMPLES / channels);
            return false;
        }
        try
        {
            aOut.samples.resize(targetFrames * channels);
        }
        catch (const std::exception&)
        {
            aError = "out of memory for " + std::to_string(targetFrames) + " frames";
            aOut.samples = {};
            return false;
        }
        if (format.rate == aTargetRate)
        {
            for (size_t frame = 0; frame < sourceFrames; ++frame)
                for (uint32_t channel = 0; channel < channels; ++channel)
                    aOut.samples[frame * channels + channel] = ToInt16(sourceAt(frame, channel));
            return true;
        }

        // Linear interpolation is plenty for game sound effects and is done once, at load.
        const double step = double(format.rate) / double(aTargetRate);
        for (uint64_t frame = 0; frame < targetFrames; ++frame)
        {
            const double position = frame * step;
            const size_t first = std::min<size_t>(static_cast<size_t>(position), sourceFrames - 1);
            const size_t second = std::min<size_t>(first + 1, sourceFrames - 1);
            const float fraction = static_cast<float>(position - double(first));
            for (uint32_t channel = 0; channel < channels; ++channel)
            {
                const float a = sourceAt(first, channel);
                const float b = sourceAt(second, channel);
                aOut.samples[frame * channels + channel] = ToInt16(a + (b - a) * fraction);
            }
        }
        return true;
    }
}
