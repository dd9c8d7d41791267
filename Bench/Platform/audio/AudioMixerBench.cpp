// Mixer cost per second of output with many channels playing.
#include "Platform/audio/AudioMixer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
    void PutU16(std::string& aOut, uint16_t aValue)
    {
        aOut.push_back(static_cast<char>(aValue & 0xFF));
        aOut.push_back(static_cast<char>(aValue >> 8));
    }

    void PutU32(std::string& aOut, uint32_t aValue)
    {
        for (int i = 0; i < 4; ++i)
            aOut.push_back(static_cast<char>((aValue >> (8 * i)) & 0xFF));
    }

    // Half a second of a stereo 440 Hz tone, 16-bit at 44100 Hz.
    std::string ToneWav()
    {
        std::string data;
        for (int i = 0; i < 22050; ++i)
        {
            const auto value = static_cast<int16_t>(8000.0 * std::sin(i * 2.0 * 3.14159265358979 * 440.0 / 44100.0));
            PutU16(data, static_cast<uint16_t>(value));
            PutU16(data, static_cast<uint16_t>(value));
        }
        std::string file = "RIFF";
        PutU32(file, static_cast<uint32_t>(36 + data.size()));
        file += "WAVEfmt ";
        PutU32(file, 16);
        PutU16(file, 1);
        PutU16(file, 2);
        PutU32(file, 44100);
        PutU32(file, 44100 * 4);
        PutU16(file, 4);
        PutU16(file, 16);
        file += "data";
        PutU32(file, static_cast<uint32_t>(data.size()));
        return file + data;
    }

    void MixOneSecond(benchmark::State& aState)
    {
        const auto channels = static_cast<uint32_t>(aState.range(0));
        Vela::Platform::AudioMixer mixer;
        mixer.Init(Vela::Platform::AUDIO_NO_DEVICE, 44100);
        const std::string wav = ToneWav();
        const auto sample = mixer.LoadSampleFromMemory(wav.data(), wav.size(), channels, Vela::Platform::AUDIO_SAMPLE_LOOP);
        for (uint32_t i = 0; i < channels; ++i)
        {
            const auto channel = mixer.GetChannel(sample);
            mixer.SetAttribute(channel, Vela::Platform::AudioAttribute::Volume, 0.01f);
            mixer.SetAttribute(channel, Vela::Platform::AudioAttribute::Pan, (i % 3) - 1.0f);
            mixer.Play(channel, false);
        }
        // Mixed in device-callback-sized pieces.
        std::vector<float> out(1024 * 2);
        for (auto _ : aState)
        {
            for (int piece = 0; piece < 44100 / 1024 + 1; ++piece)
                mixer.Render(out.data(), 1024);
            benchmark::DoNotOptimize(out.data());
        }
        aState.counters["channels"] = static_cast<double>(mixer.CountPlayingChannels());
    }
}

BENCHMARK(MixOneSecond)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond);
