#pragma once
// Our own sample/channel mixer standing in for the closed audio library: samples loaded from WAV
// files, channels (voices) played from them with volume, pan and loop, mixed to 44100 Hz stereo in
// the audio device's callback. Every call is safe from any thread; one lock guards the mixer state
// and the device callback takes the same lock while it mixes.
//
// Pan law: a balance control. Centre (0) passes both sides at full gain; a pan p > 0 scales the left
// side by 1 - p, a pan p < 0 scales the right side by 1 + p. A mono sample feeds both sides.
// Volume is a linear gain applied to both sides.
#include "Platform/audio/AudioTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Vela::Platform
{
    class AudioMixer
    {
    public:
        static constexpr uint32_t MAX_VOICES = 1024;

        AudioMixer();
        ~AudioMixer();
        AudioMixer(const AudioMixer&) = delete;
        AudioMixer& operator=(const AudioMixer&) = delete;

        // AUDIO_DEFAULT_DEVICE opens the default output; AUDIO_NO_DEVICE mixes only through Render.
        // A device that cannot be opened fails with AudioError::Device and leaves the mixer unusable.
        bool Init(int aDevice, uint32_t aFrequency);
        bool Free();
        bool IsInitialised() const;
        bool HasDevice() const;

        // 0 on failure. aMaxPlaybacks >= 1 channels may play the sample at once.
        AudioSample LoadSample(const std::string& aPath, uint32_t aMaxPlaybacks, uint32_t aFlags);
        AudioSample LoadSampleFromMemory(const void* aData, size_t aBytes, uint32_t aMaxPlaybacks, uint32_t aFlags);
        bool FreeSample(AudioSample aSample); // stops and invalidates its channels
        bool GetSampleInfo(AudioSample aSample, AudioSampleInfo& aInfo);
        // Changes the playback limit, the loop/override flags and the attributes new channels start with.
        bool SetSampleInfo(AudioSample aSample, const AudioSampleInfo& aInfo);

        // A new, not yet playing channel of the sample, or 0. At the playback limit the sample's
        // override flag takes over the voice played longest (its old handle then fails); without
        // it the call fails with AudioError::NoChannel.
        AudioChannel GetChannel(AudioSample aSample);
        bool Play(AudioChannel aChannel, bool aRestart);
        bool Stop(AudioChannel aChannel);
        // Sets the bits of aMask to those of aFlags (only AUDIO_SAMPLE_LOOP can change);
        // returns the new flags, or AUDIO_INVALID_FLAGS for a bad handle.
        uint32_t SetChannelFlags(AudioChannel aChannel, uint32_t aFlags, uint32_t aMask);
        bool SetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float aValue);
        bool GetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float& aValue);
        // In bytes of the sample's 16-bit data. A channel that ended reports its length; a stale or
        // bad handle reports AUDIO_INVALID_POSITION for both.
        uint64_t GetPosition(AudioChannel aChannel);
        uint64_t GetLength(AudioChannel aChannel);
        AudioActivity IsActive(AudioChannel aChannel);

        // Error of the last call on this mixer.
        AudioError GetLastError() const { return myLastError.load(); }

        // Mixes aFrameCount stereo frames into someOut (interleaved floats, clamped to -1..1) and
        // advances every playing channel. Only without a device (AudioError::Busy otherwise).
        bool Render(float* someOut, size_t aFrameCount);

        size_t CountPlayingChannels();

    private:
        struct SampleSlot;
        struct Voice;

        bool Fail(AudioError aError);
        // A sample or channel handle that was not found: before Init nothing can be, so that is the error.
        bool FailUnknownHandle();
        bool Succeed();
        SampleSlot* FindSampleLocked(AudioSample aSample);
        Voice* FindVoiceLocked(AudioChannel aChannel);
        AudioSample AddSampleLocked(std::vector<int16_t>&& someSamples, uint32_t aChannels, uint32_t aMaxPlaybacks, uint32_t aFlags);
        void MixLocked(float* someOut, size_t aFrameCount);
        void ReleaseVoiceLocked(Voice& aVoice);
        void CloseDeviceLocked(std::unique_lock<std::mutex>& aLock);
        static void DeviceCallback(void* aUserData, uint8_t* aStream, int aLength);

        mutable std::mutex myMutex;
        std::atomic<AudioError> myLastError{AudioError::Ok};
        bool myInitialised = false;
        uint32_t myDevice = 0;
        std::vector<SampleSlot> mySamples;
        std::vector<Voice> myVoices;
        uint64_t myPlayCounter = 0;
    };

    // The process-wide mixer behind the free functions in "Platform/audio/Audio.h". Never destroyed,
    // so the device callback stays valid until the process ends.
    AudioMixer& GetAudioMixer();
}
