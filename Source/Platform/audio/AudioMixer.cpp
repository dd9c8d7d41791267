#include "Platform/audio/AudioMixer.h"

#include "Platform/audio/WavDecoder.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

namespace Vela::Platform
{
    namespace
    {
        // Handles: low bits index + 1 (never 0), high bits a generation bumped on every reuse.
        constexpr uint32_t SAMPLE_INDEX_BITS = 16;
        constexpr uint32_t VOICE_INDEX_BITS = 11;
        constexpr uint32_t CHANGEABLE_CHANNEL_FLAGS = AUDIO_SAMPLE_LOOP;
        constexpr uint32_t BYTES_PER_SAMPLE = 2;

        uint32_t MakeHandle(uint32_t aIndex, uint32_t aGeneration, uint32_t aIndexBits)
        {
            return (aGeneration << aIndexBits) | (aIndex + 1);
        }

        uint32_t HandleIndex(uint32_t aHandle, uint32_t aIndexBits) { return (aHandle & ((1u << aIndexBits) - 1)) - 1; }
        uint32_t HandleGeneration(uint32_t aHandle, uint32_t aIndexBits) { return aHandle >> aIndexBits; }

        uint32_t NextGeneration(uint32_t aGeneration, uint32_t aIndexBits)
        {
            const uint32_t limit = (1u << (32 - aIndexBits)) - 1;
            return aGeneration >= limit ? 1 : aGeneration + 1;
        }
    }

    struct AudioMixer::SampleSlot
    {
        bool used = false;
        uint32_t generation = 0;
        std::shared_ptr<const std::vector<int16_t>> data;
        uint32_t channels = 0;
        uint64_t frameCount = 0;
        uint32_t maxPlaybacks = 1;
        uint32_t flags = 0;
        float volume = 1.0f;
        float pan = 0.0f;
    };

    enum class VoiceState
    {
        Free,
        Ready, // handed out, not started yet
        Playing,
        Stopped, // stopped or ended; the handle still answers until the voice is reused
    };

    struct AudioMixer::Voice
    {
        VoiceState state = VoiceState::Free;
        uint32_t generation = 0;
        AudioSample sample = 0;
        std::shared_ptr<const std::vector<int16_t>> data;
        uint32_t channels = 0;
        uint64_t frameCount = 0;
        uint64_t position = 0; // frames
        uint32_t flags = 0;
        float volume = 1.0f;
        float pan = 0.0f;
        uint64_t order = 0; // when it was handed out or stopped; older voices are reused first
    };

    AudioMixer::AudioMixer() = default;

    AudioMixer::~AudioMixer()
    {
        Free();
    }

    bool AudioMixer::Fail(AudioError aError)
    {
        myLastError = aError;
        return false;
    }

    bool AudioMixer::FailUnknownHandle()
    {
        return Fail(myInitialised ? AudioError::Handle : AudioError::NotInitialised);
    }

    bool AudioMixer::Succeed()
    {
        myLastError = AudioError::Ok;
        return true;
    }

    bool AudioMixer::Init(int aDevice, uint32_t aFrequency)
    {
        {
            std::lock_guard lock(myMutex);
            if (myInitialised)
                return Fail(AudioError::AlreadyInitialised);
            if (aFrequency != AUDIO_OUTPUT_RATE || (aDevice != AUDIO_DEFAULT_DEVICE && aDevice != AUDIO_NO_DEVICE))
                return Fail(AudioError::IllegalParameter);
            if (aDevice == AUDIO_NO_DEVICE)
            {
                myVoices.assign(MAX_VOICES, Voice{});
                myInitialised = true;
                return Succeed();
            }
        }

        // SDL calls back with its device lock held and the callback takes ours: never call SDL with ours held.
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            printf("Audio device unavailable: %s\n", SDL_GetError());
            return Fail(AudioError::Device);
        }
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(AUDIO_OUTPUT_RATE);
        wanted.format = AUDIO_F32SYS;
        wanted.channels = static_cast<Uint8>(AUDIO_OUTPUT_CHANNELS);
        wanted.samples = 1024;
        wanted.callback = &AudioMixer::DeviceCallback;
        wanted.userdata = this;
        // No changes allowed: SDL converts to whatever the hardware wants. The device starts paused.
        const uint32_t device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device == 0)
        {
            printf("Audio device unavailable: %s\n", SDL_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return Fail(AudioError::Device);
        }
        bool raced = false;
        {
            std::lock_guard lock(myMutex);
            raced = myInitialised;
            if (!raced)
            {
                myVoices.assign(MAX_VOICES, Voice{});
                myDevice = device;
                myInitialised = true;
            }
        }
        if (raced)
        {
            SDL_CloseAudioDevice(device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return Fail(AudioError::AlreadyInitialised);
        }
        SDL_PauseAudioDevice(device, 0);
        return Succeed();
    }

    void AudioMixer::CloseDeviceLocked(std::unique_lock<std::mutex>& aLock)
    {
        if (myDevice == 0)
            return;
        const uint32_t device = myDevice;
        myDevice = 0;
        // The callback takes our lock: closing waits for it, so it must not be held here.
        aLock.unlock();
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        aLock.lock();
    }

    bool AudioMixer::Free()
    {
        std::unique_lock lock(myMutex);
        if (!myInitialised)
            return Fail(AudioError::NotInitialised);
        CloseDeviceLocked(lock);
        myInitialised = false;
        mySamples.clear();
        myVoices.clear();
        return Succeed();
    }

    bool AudioMixer::IsInitialised() const
    {
        std::lock_guard lock(myMutex);
        return myInitialised;
    }

    bool AudioMixer::HasDevice() const
    {
        std::lock_guard lock(myMutex);
        return myDevice != 0;
    }

    AudioSample AudioMixer::LoadSample(const std::string& aPath, uint32_t aMaxPlaybacks, uint32_t aFlags)
    {
        if (!IsInitialised())
        {
            Fail(AudioError::NotInitialised);
            return 0;
        }
        std::ifstream file(aPath, std::ios::binary);
        if (!file)
        {
            Fail(AudioError::FileOpen);
            return 0;
        }
        // A path that opens but cannot be read (a folder) throws from the file buffer; a file too large for memory
        // throws from the allocation. Both are a failed load.
        std::vector<char> bytes;
        try
        {
            bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        catch (const std::bad_alloc&)
        {
            Fail(AudioError::Memory);
            return 0;
        }
        catch (const std::exception&)
        {
            Fail(AudioError::FileOpen);
            return 0;
        }
        if (file.bad())
        {
            Fail(AudioError::FileOpen);
            return 0;
        }
        return LoadSampleFromMemory(bytes.data(), bytes.size(), aMaxPlaybacks, aFlags);
    }

    AudioSample AudioMixer::LoadSampleFromMemory(const void* aData, size_t aBytes, uint32_t aMaxPlaybacks, uint32_t aFlags)
    {
        if (!IsInitialised())
        {
            Fail(AudioError::NotInitialised);
            return 0;
        }
        if (aMaxPlaybacks == 0 || (aBytes > 0 && !aData))
        {
            Fail(AudioError::IllegalParameter);
            return 0;
        }
        // Decoding happens outside the lock: the device callback must never wait for file work.
        DecodedSound decoded;
        std::string error;
        if (!DecodeWav({static_cast<const uint8_t*>(aData), aBytes}, AUDIO_OUTPUT_RATE, decoded, error))
        {
            printf("Audio sample not loaded: %s\n", error.c_str());
            Fail(AudioError::Format);
            return 0;
        }
        std::lock_guard lock(myMutex);
        if (!myInitialised)
        {
            Fail(AudioError::NotInitialised);
            return 0;
        }
        return AddSampleLocked(std::move(decoded.samples), decoded.channels, aMaxPlaybacks, aFlags);
    }

    AudioSample AudioMixer::AddSampleLocked(std::vector<int16_t>&& someSamples, uint32_t aChannels, uint32_t aMaxPlaybacks, uint32_t aFlags)
    {
        auto slot = std::find_if(mySamples.begin(), mySamples.end(), [](const SampleSlot& aSlot) { return !aSlot.used; });
        if (slot == mySamples.end())
        {
            if (mySamples.size() + 1 >= (1u << SAMPLE_INDEX_BITS))
            {
                Fail(AudioError::Memory);
                return 0;
            }
            slot = mySamples.insert(mySamples.end(), SampleSlot{});
        }
        const uint32_t generation = NextGeneration(slot->generation, SAMPLE_INDEX_BITS);
        const uint64_t frames = someSamples.size() / aChannels;
        *slot = SampleSlot{};
        slot->used = true;
        slot->generation = generation;
        slot->data = std::make_shared<const std::vector<int16_t>>(std::move(someSamples));
        slot->channels = aChannels;
        slot->frameCount = frames;
        slot->maxPlaybacks = aMaxPlaybacks;
        slot->flags = aFlags;
        Succeed();
        return MakeHandle(static_cast<uint32_t>(slot - mySamples.begin()), generation, SAMPLE_INDEX_BITS);
    }

    AudioMixer::SampleSlot* AudioMixer::FindSampleLocked(AudioSample aSample)
    {
        if (aSample == 0 || !myInitialised)
            return nullptr;
        const uint32_t index = HandleIndex(aSample, SAMPLE_INDEX_BITS);
        if (index >= mySamples.size())
            return nullptr;
        SampleSlot& slot = mySamples[index];
        if (!slot.used || slot.generation != HandleGeneration(aSample, SAMPLE_INDEX_BITS))
            return nullptr;
        return &slot;
    }

    AudioMixer::Voice* AudioMixer::FindVoiceLocked(AudioChannel aChannel)
    {
        if (aChannel == 0 || !myInitialised)
            return nullptr;
        const uint32_t index = HandleIndex(aChannel, VOICE_INDEX_BITS);
        if (index >= myVoices.size())
            return nullptr;
        Voice& voice = myVoices[index];
        if (voice.state == VoiceState::Free || voice.generation != HandleGeneration(aChannel, VOICE_INDEX_BITS))
            return nullptr;
        return &voice;
    }

    void AudioMixer::ReleaseVoiceLocked(Voice& aVoice)
    {
        const uint32_t generation = aVoice.generation;
        aVoice = Voice{};
        aVoice.generation = generation; // the next owner bumps it
    }

    bool AudioMixer::FreeSample(AudioSample aSample)
    {
        std::lock_guard lock(myMutex);
        SampleSlot* slot = FindSampleLocked(aSample);
        if (!slot)
            return FailUnknownHandle();
        for (Voice& voice : myVoices)
            if (voice.state != VoiceState::Free && voice.sample == aSample)
                ReleaseVoiceLocked(voice);
        const uint32_t generation = slot->generation;
        *slot = SampleSlot{};
        slot->generation = generation;
        return Succeed();
    }

    bool AudioMixer::GetSampleInfo(AudioSample aSample, AudioSampleInfo& aInfo)
    {
        std::lock_guard lock(myMutex);
        const SampleSlot* slot = FindSampleLocked(aSample);
        if (!slot)
            return FailUnknownHandle();
        aInfo.frequency = AUDIO_OUTPUT_RATE;
        aInfo.channels = slot->channels;
        aInfo.length = slot->frameCount * slot->channels * BYTES_PER_SAMPLE;
        aInfo.maxPlaybacks = slot->maxPlaybacks;
        aInfo.flags = slot->flags;
        aInfo.volume = slot->volume;
        aInfo.pan = slot->pan;
        return Succeed();
    }

    bool AudioMixer::SetSampleInfo(AudioSample aSample, const AudioSampleInfo& aInfo)
    {
        std::lock_guard lock(myMutex);
        SampleSlot* slot = FindSampleLocked(aSample);
        if (!slot)
            return FailUnknownHandle();
        if (aInfo.maxPlaybacks == 0 || !std::isfinite(aInfo.volume) || aInfo.volume < 0.0f || !std::isfinite(aInfo.pan))
            return Fail(AudioError::IllegalParameter);
        // The data's size and layout are fixed at load; only playback settings change.
        slot->maxPlaybacks = std::min(aInfo.maxPlaybacks, MAX_VOICES);
        slot->flags = aInfo.flags;
        slot->volume = aInfo.volume;
        slot->pan = std::clamp(aInfo.pan, -1.0f, 1.0f);
        return Succeed();
    }

    AudioChannel AudioMixer::GetChannel(AudioSample aSample)
    {
        std::lock_guard lock(myMutex);
        const SampleSlot* slot = FindSampleLocked(aSample);
        if (!slot)
        {
            FailUnknownHandle();
            return 0;
        }

        // Channels that are handed out or playing count against the sample's limit.
        uint32_t busy = 0;
        Voice* longest = nullptr;
        for (Voice& voice : myVoices)
        {
            if (voice.sample != aSample || (voice.state != VoiceState::Ready && voice.state != VoiceState::Playing))
                continue;
            ++busy;
            if (!longest || voice.position > longest->position || (voice.position == longest->position && voice.order < longest->order))
                longest = &voice;
        }

        Voice* chosen = nullptr;
        if (busy >= slot->maxPlaybacks)
        {
            if (!(slot->flags & AUDIO_SAMPLE_OVERRIDE_LONGEST) || !longest)
            {
                Fail(AudioError::NoChannel);
                return 0;
            }
            chosen = longest;
        }
        else
        {
            // A free voice first, so finished channels keep answering as long as possible;
            // then the voice that stopped longest ago.
            for (Voice& voice : myVoices)
            {
                if (voice.state == VoiceState::Free)
                {
                    chosen = &voice;
                    break;
                }
                if (voice.state == VoiceState::Stopped && (!chosen || voice.order < chosen->order))
                    chosen = &voice;
            }
            if (!chosen)
            {
                Fail(AudioError::NoChannel);
                return 0;
            }
        }

        const uint32_t generation = NextGeneration(chosen->generation, VOICE_INDEX_BITS);
        *chosen = Voice{};
        chosen->generation = generation;
        chosen->state = VoiceState::Ready;
        chosen->sample = aSample;
        chosen->data = slot->data;
        chosen->channels = slot->channels;
        chosen->frameCount = slot->frameCount;
        chosen->flags = slot->flags & CHANGEABLE_CHANNEL_FLAGS;
        chosen->volume = slot->volume;
        chosen->pan = slot->pan;
        chosen->order = ++myPlayCounter;
        Succeed();
        return MakeHandle(static_cast<uint32_t>(chosen - myVoices.data()), generation, VOICE_INDEX_BITS);
    }

    bool AudioMixer::Play(AudioChannel aChannel, bool aRestart)
    {
        std::lock_guard lock(myMutex);
        Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
            return FailUnknownHandle();
        if (aRestart || voice->position >= voice->frameCount)
            voice->position = 0;
        voice->state = VoiceState::Playing;
        return Succeed();
    }

    bool AudioMixer::Stop(AudioChannel aChannel)
    {
        std::lock_guard lock(myMutex);
        Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
            return FailUnknownHandle();
        if (voice->state != VoiceState::Stopped)
        {
            voice->state = VoiceState::Stopped;
            voice->order = ++myPlayCounter;
        }
        return Succeed();
    }

    uint32_t AudioMixer::SetChannelFlags(AudioChannel aChannel, uint32_t aFlags, uint32_t aMask)
    {
        std::lock_guard lock(myMutex);
        Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
        {
            FailUnknownHandle();
            return AUDIO_INVALID_FLAGS;
        }
        const uint32_t mask = aMask & CHANGEABLE_CHANNEL_FLAGS;
        voice->flags = (voice->flags & ~mask) | (aFlags & mask);
        Succeed();
        return voice->flags;
    }

    bool AudioMixer::SetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float aValue)
    {
        std::lock_guard lock(myMutex);
        Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
            return FailUnknownHandle();
        if (!std::isfinite(aValue))
            return Fail(AudioError::IllegalParameter);
        switch (aAttribute)
        {
        case AudioAttribute::Volume: voice->volume = std::max(aValue, 0.0f); return Succeed();
        case AudioAttribute::Pan: voice->pan = std::clamp(aValue, -1.0f, 1.0f); return Succeed();
        }
        return Fail(AudioError::IllegalParameter);
    }

    bool AudioMixer::GetAttribute(AudioChannel aChannel, AudioAttribute aAttribute, float& aValue)
    {
        std::lock_guard lock(myMutex);
        const Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
            return FailUnknownHandle();
        switch (aAttribute)
        {
        case AudioAttribute::Volume: aValue = voice->volume; return Succeed();
        case AudioAttribute::Pan: aValue = voice->pan; return Succeed();
        }
        return Fail(AudioError::IllegalParameter);
    }

    uint64_t AudioMixer::GetPosition(AudioChannel aChannel)
    {
        std::lock_guard lock(myMutex);
        const Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
        {
            FailUnknownHandle();
            return AUDIO_INVALID_POSITION;
        }
        Succeed();
        return std::min(voice->position, voice->frameCount) * voice->channels * BYTES_PER_SAMPLE;
    }

    uint64_t AudioMixer::GetLength(AudioChannel aChannel)
    {
        std::lock_guard lock(myMutex);
        const Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
        {
            FailUnknownHandle();
            return AUDIO_INVALID_POSITION;
        }
        Succeed();
        return voice->frameCount * voice->channels * BYTES_PER_SAMPLE;
    }

    AudioActivity AudioMixer::IsActive(AudioChannel aChannel)
    {
        std::lock_guard lock(myMutex);
        const Voice* voice = FindVoiceLocked(aChannel);
        if (!voice)
        {
            FailUnknownHandle();
            return AudioActivity::Stopped;
        }
        Succeed();
        return voice->state == VoiceState::Playing ? AudioActivity::Playing : AudioActivity::Stopped;
    }

    size_t AudioMixer::CountPlayingChannels()
    {
        std::lock_guard lock(myMutex);
        return static_cast<size_t>(std::count_if(myVoices.begin(), myVoices.end(), [](const Voice& aVoice) { return aVoice.state == VoiceState::Playing; }));
    }

    bool AudioMixer::Render(float* someOut, size_t aFrameCount)
    {
        std::lock_guard lock(myMutex);
        if (!myInitialised)
            return Fail(AudioError::NotInitialised);
        if (myDevice != 0)
            return Fail(AudioError::Busy);
        if (aFrameCount > 0 && !someOut)
            return Fail(AudioError::IllegalParameter);
        MixLocked(someOut, aFrameCount);
        return Succeed();
    }

    void AudioMixer::MixLocked(float* someOut, size_t aFrameCount)
    {
        std::fill(someOut, someOut + aFrameCount * AUDIO_OUTPUT_CHANNELS, 0.0f);
        constexpr float SCALE = 1.0f / 32768.0f;
        for (Voice& voice : myVoices)
        {
            if (voice.state != VoiceState::Playing)
                continue;
            const float left = voice.volume * (voice.pan > 0.0f ? 1.0f - voice.pan : 1.0f) * SCALE;
            const float right = voice.volume * (voice.pan < 0.0f ? 1.0f + voice.pan : 1.0f) * SCALE;
            const int16_t* data = voice.data->data();
            const uint32_t channels = voice.channels;
            size_t written = 0;
            while (written < aFrameCount && voice.state == VoiceState::Playing)
            {
                const size_t count = static_cast<size_t>(std::min<uint64_t>(aFrameCount - written, voice.frameCount - voice.position));
                float* out = someOut + written * AUDIO_OUTPUT_CHANNELS;
                const int16_t* in = data + voice.position * channels;
                if (channels == 1)
                {
                    for (size_t i = 0; i < count; ++i)
                    {
                        out[2 * i] += in[i] * left;
                        out[2 * i + 1] += in[i] * right;
                    }
                }
                else
                {
                    for (size_t i = 0; i < count; ++i)
                    {
                        out[2 * i] += in[2 * i] * left;
                        out[2 * i + 1] += in[2 * i + 1] * right;
                    }
                }
                written += count;
                voice.position += count;
                if (voice.position >= voice.frameCount)
                {
                    if (voice.flags & AUDIO_SAMPLE_LOOP)
                    {
                        voice.position = 0;
                    }
                    else
                    {
                        // Ended: the handle keeps answering, position = length, inactive.
                        voice.state = VoiceState::Stopped;
                        voice.order = ++myPlayCounter;
                    }
                }
            }
        }
        for (size_t i = 0; i < aFrameCount * AUDIO_OUTPUT_CHANNELS; ++i)
            someOut[i] = std::clamp(someOut[i], -1.0f, 1.0f);
    }

    void AudioMixer::DeviceCallback(void* aUserData, uint8_t* aStream, int aLength)
    {
        auto* mixer = static_cast<AudioMixer*>(aUserData);
        const size_t frames = static_cast<size_t>(aLength) / (sizeof(float) * AUDIO_OUTPUT_CHANNELS);
        std::lock_guard lock(mixer->myMutex);
        if (!mixer->myInitialised)
        {
            std::memset(aStream, 0, static_cast<size_t>(aLength));
            return;
        }
        // SDL hands us the buffer in the format we asked for (32-bit float stereo).
        mixer->MixLocked(reinterpret_cast<float*>(aStream), frames);
    }

    AudioMixer& GetAudioMixer()
    {
        static AudioMixer* mixer = new AudioMixer();
        return *mixer;
    }
}
