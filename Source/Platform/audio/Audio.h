#pragma once
// The process-wide audio output, as free functions in the call shape the engine's sound code and
// the game's sound manager were written against. All of them use GetAudioMixer().
#include "Platform/audio/AudioTypes.h"

#include <cstdint>

namespace Vela::Platform
{
    // aDevice: AUDIO_DEFAULT_DEVICE or AUDIO_NO_DEVICE; aFrequency must be 44100. aFlags is unused.
    bool AudioInit(int aDevice, uint32_t aFrequency, uint32_t aFlags);
    bool AudioFree();
    // The error of the last call (AudioError as an int).
    int AudioErrorGetCode();

    AudioSample AudioSampleLoad(const char* aFile, uint32_t aMaxPlaybacks, uint32_t aFlags);
    bool AudioSampleFree(AudioSample aSample);
    bool AudioSampleGetInfo(AudioSample aSample, AudioSampleInfo* aInfo);
    bool AudioSampleSetInfo(AudioSample aSample, const AudioSampleInfo* aInfo);
    AudioChannel AudioSampleGetChannel(AudioSample aSample);

    bool AudioChannelPlay(AudioChannel aChannel, bool aRestart);
    bool AudioChannelStop(AudioChannel aChannel);
    uint32_t AudioChannelFlags(AudioChannel aChannel, uint32_t aFlags, uint32_t aMask);
    bool AudioChannelSetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float aValue);
    bool AudioChannelGetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float* aValue);
    // Bytes; AUDIO_INVALID_POSITION for a stale or bad handle. A channel that ended reports its length.
    uint64_t AudioChannelGetPosition(AudioChannel aChannel);
    uint64_t AudioChannelGetLength(AudioChannel aChannel);
    AudioActivity AudioChannelIsActive(AudioChannel aChannel);
}
