#include "mire/audio/AudioOut.h"

#include "mire/audio/AudioClock.h"
#include "Platform/audio/Audio.h"

#include <cstdio>
#include <iostream>

namespace Vela
{
    namespace
    {
        constexpr uint32_t LOAD_MAX_PLAYBACKS = 3;
        // One-shots: stored 8-bit and, at the playback limit, take over the voice played longest.
        constexpr uint32_t ONE_SHOT_FLAGS = Platform::AUDIO_SAMPLE_8BITS | Platform::AUDIO_SAMPLE_OVERRIDE_LONGEST;

        AudioOut*& InstancePointer()
        {
            static AudioOut* instance = nullptr;
            return instance;
        }
    }

    AudioOut::AudioOut()
    {
        // The stepped clock started the mixer already, without a device; it stays up for the process.
        if (AudioClock::IsStepped())
            myInitialised = true;
        else if (Platform::AudioInit(Platform::AUDIO_DEFAULT_DEVICE, 44100, 1))
            myInitialised = true;
        else
            printf("Audio output could not start: error %d\n", Platform::AudioErrorGetCode());
    }

    AudioOut::~AudioOut()
    {
        for (const SampleEntry& entry : mySamples)
            Platform::AudioSampleFree(entry.sample);
        if (myInitialised && !AudioClock::IsStepped())
            Platform::AudioFree();
    }

    AudioOut* AudioOut::GetInstance()
    {
        return InstancePointer();
    }

    AudioOut& AudioOut::GetOrCreateInstance()
    {
        AudioOut*& instance = InstancePointer();
        if (!instance)
            instance = new AudioOut();
        return *instance;
    }

    unsigned AudioOut::FindSample(const std::string& aName) const
    {
        for (const SampleEntry& entry : mySamples)
            if (entry.name == aName)
                return entry.sample;
        return 0;
    }

    unsigned AudioOut::Load(const std::string& aName, bool aLoop)
    {
        if (FindSample(aName) != 0)
        {
            std::cerr << "Audio error: " + aName + " already loaded" << std::endl;
            return 0;
        }
        const unsigned sample = Platform::AudioSampleLoad(aName.c_str(), LOAD_MAX_PLAYBACKS, aLoop ? Platform::AUDIO_SAMPLE_LOOP : ONE_SHOT_FLAGS);
        if (sample == 0)
            return NO_SAMPLE;
        mySamples.push_back({aName, sample});
        return sample;
    }

    bool AudioOut::Play(unsigned aSample, unsigned* aChannelOut, float aVolume)
    {
        if (aSample == 0 || !aChannelOut)
            return false;
        const unsigned channel = Platform::AudioSampleGetChannel(aSample);
        if (channel == 0)
        {
            printf("BASS_SampleGetChannel failed: error %d\n", Platform::AudioErrorGetCode());
            return false;
        }
        Platform::AudioChannelSetAttribute(channel, Platform::AudioAttribute::Volume, aVolume);
        *aChannelOut = channel;
        if (!Platform::AudioChannelPlay(channel, false))
        {
            printf("BASS_ChannelPlay failed: error %d\n", Platform::AudioErrorGetCode());
            return false;
        }
        return true;
    }

    void AudioOut::SetPan(const unsigned* aChannel, float aPan)
    {
        if (aChannel)
            Platform::AudioChannelSetAttribute(*aChannel, Platform::AudioAttribute::Pan, aPan);
    }

    void AudioOut::SetVolume(const unsigned* aChannel, float aVolume)
    {
        if (aChannel)
            Platform::AudioChannelSetAttribute(*aChannel, Platform::AudioAttribute::Volume, aVolume);
    }
}
