#pragma once
// Builds small RIFF/WAVE files in memory for the audio tests.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace VelaTest
{
    struct WavLayout
    {
        uint16_t formatTag = 1; // 1 PCM, 3 float
        uint16_t channels = 1;
        uint32_t rate = 44100;
        uint16_t bits = 16;
        bool extensible = false;
    };

    inline void PutU16(std::string& aOut, uint16_t aValue)
    {
        aOut.push_back(static_cast<char>(aValue & 0xFF));
        aOut.push_back(static_cast<char>(aValue >> 8));
    }

    inline void PutU32(std::string& aOut, uint32_t aValue)
    {
        for (int i = 0; i < 4; ++i)
            aOut.push_back(static_cast<char>((aValue >> (8 * i)) & 0xFF));
    }

    // aData: the raw sample bytes; aDeclaredDataSize overrides the data chunk's size field.
    inline std::string MakeWav(const WavLayout& aLayout, const std::string& aData, int64_t aDeclaredDataSize = -1)
    {
        std::string format;
        PutU16(format, aLayout.extensible ? 0xFFFE : aLayout.formatTag);
        PutU16(format, aLayout.channels);
        PutU32(format, aLayout.rate);
        PutU32(format, aLayout.rate * aLayout.channels * aLayout.bits / 8);
        PutU16(format, static_cast<uint16_t>(aLayout.channels * aLayout.bits / 8));
        PutU16(format, aLayout.bits);
        if (aLayout.extensible)
        {
            PutU16(format, 22);
            PutU16(format, aLayout.bits);
            PutU32(format, aLayout.channels == 1 ? 4 : 3);
            PutU16(format, aLayout.formatTag);
            format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
        }
        std::string body = "WAVE";
        body += "fmt ";
        PutU32(body, static_cast<uint32_t>(format.size()));
        body += format;
        body += "LIST";
        PutU32(body, 3);
        body += std::string("abc\0", 4); // odd-sized chunk with its pad byte
        body += "data";
        PutU32(body, aDeclaredDataSize >= 0 ? static_cast<uint32_t>(aDeclaredDataSize) : static_cast<uint32_t>(aData.size()));
        body += aData;
        std::string file = "RIFF";
        PutU32(file, static_cast<uint32_t>(body.size()));
        return file + body;
    }

    inline std::string Pcm16(const std::vector<int16_t>& someSamples)
    {
        std::string out;
        for (int16_t sample : someSamples)
            PutU16(out, static_cast<uint16_t>(sample));
        return out;
    }

    // A mono or stereo 16-bit file at 44100 Hz holding aFrames frames of one constant value per side.
    inline std::string ConstantWav(uint32_t aFrames, int16_t aLeft, int16_t aRight, uint16_t aChannels)
    {
        std::vector<int16_t> samples;
        for (uint32_t i = 0; i < aFrames; ++i)
        {
            samples.push_back(aLeft);
            if (aChannels == 2)
                samples.push_back(aRight);
        }
        return MakeWav({.channels = aChannels}, Pcm16(samples));
    }
}
