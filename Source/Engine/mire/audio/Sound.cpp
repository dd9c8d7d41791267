#include "mire/audio/Sound.h"

#include "Platform/audio/Audio.h"
#include "mire/audio/AudioOut.h"
#include "mire/settings/Settings.h"

#include <cstdio>

namespace Vela
{
    namespace
    {
        constexpr uint32_t MAX_SIMULTANEOUS_PLAYBACKS = 8;
    }

    void Sound::Init(const char* aPath, bool aLoop)
    {
        const char* path = aPath ? aPath : "";
        printf("Init called for: %s\n", path);
        AudioOut& output = AudioOut::GetOrCreateInstance();
        const std::string file = Settings::ResolveAssetPath(path);
        mySample = output.Load(file, aLoop);
        if (mySample == AudioOut::NO_SAMPLE)
            return;

        Platform::AudioSampleInfo info;
        Platform::AudioSampleGetInfo(mySample, &info);
        info.maxPlaybacks = MAX_SIMULTANEOUS_PLAYBACKS;
        const bool result = Platform::AudioSampleSetInfo(mySample, &info);
        printf("SetInfo for %s: max=%d | result=%d | error=%d\n", path, static_cast<int>(MAX_SIMULTANEOUS_PLAYBACKS), result ? 1 : 0,
               Platform::AudioErrorGetCode());
    }

    bool Sound::Play()
    {
        if (mySample == AudioOut::NO_SAMPLE)
            return false;
        AudioOut* output = AudioOut::GetInstance();
        return output && output->Play(mySample, &myChannel, myVolume);
    }

    void Sound::SetPan(Vector2<float> aPan)
    {
        myPan = aPan;
        Platform::AudioChannelSetAttribute(myChannel, Platform::AudioAttribute::Pan, aPan.x);
    }

    void Sound::SetVolume(unsigned aChannel, float aVolume)
    {
        Platform::AudioChannelSetAttribute(aChannel, Platform::AudioAttribute::Volume, aVolume);
    }

    void Sound::StopChannel(unsigned aChannel, bool aImmediate)
    {
        if (aChannel == 0)
            return;
        printf("StopChannel: %u | immediate: %d\n", aChannel, aImmediate ? 1 : 0);
        if (aImmediate)
            Platform::AudioChannelStop(aChannel);
        else
            Platform::AudioChannelFlags(aChannel, 0, Platform::AUDIO_SAMPLE_LOOP);
    }
}
