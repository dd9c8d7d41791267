#include "Platform/audio/Audio.h"

#include "Platform/audio/AudioMixer.h"

namespace Vela::Platform
{
    bool AudioInit(int aDevice, uint32_t aFrequency, uint32_t)
    {
        return GetAudioMixer().Init(aDevice, aFrequency);
    }

    bool AudioFree() { return GetAudioMixer().Free(); }

    int AudioErrorGetCode() { return static_cast<int>(GetAudioMixer().GetLastError()); }

    AudioSample AudioSampleLoad(const char* aFile, uint32_t aMaxPlaybacks, uint32_t aFlags)
    {
        return GetAudioMixer().LoadSample(aFile ? aFile : "", aMaxPlaybacks, aFlags);
    }

    bool AudioSampleFree(AudioSample aSample) { return GetAudioMixer().FreeSample(aSample); }

    bool AudioSampleGetInfo(AudioSample aSample, AudioSampleInfo* aInfo)
    {
        AudioSampleInfo ignored;
        return GetAudioMixer().GetSampleInfo(aSample, aInfo ? *aInfo : ignored);
    }

    bool AudioSampleSetInfo(AudioSample aSample, const AudioSampleInfo* aInfo)
    {
        if (!aInfo)
            return GetAudioMixer().SetSampleInfo(aSample, AudioSampleInfo{.maxPlaybacks = 0}); // reports the bad argument
        return GetAudioMixer().SetSampleInfo(aSample, *aInfo);
    }

    AudioChannel AudioSampleGetChannel(AudioSample aSample) { return GetAudioMixer().GetChannel(aSample); }

    bool AudioChannelPlay(AudioChannel aChannel, bool aRestart) { return GetAudioMixer().Play(aChannel, aRestart); }

    bool AudioChannelStop(AudioChannel aChannel) { return GetAudioMixer().Stop(aChannel); }

    uint32_t AudioChannelFlags(AudioChannel aChannel, uint32_t aFlags, uint32_t aMask)
    {
        return GetAudioMixer().SetChannelFlags(aChannel, aFlags, aMask);
    }

    bool AudioChannelSetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float aValue)
    {
        return GetAudioMixer().SetAttribute(aChannel, aAttribute, aValue);
    }

    bool AudioChannelGetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float* aValue)
    {
        float ignored = 0.0f;
        return GetAudioMixer().GetAttribute(aChannel, aAttribute, aValue ? *aValue : ignored);
    }

    uint64_t AudioChannelGetPosition(AudioChannel aChannel) { return GetAudioMixer().GetPosition(aChannel); }

    uint64_t AudioChannelGetLength(AudioChannel aChannel) { return GetAudioMixer().GetLength(aChannel); }

    AudioActivity AudioChannelIsActive(AudioChannel aChannel) { return GetAudioMixer().IsActive(aChannel); }
}
