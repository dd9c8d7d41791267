#pragma once
// The one audio output of the process: starts the mixer and caches loaded samples by file path.
// Created by the first Vela::Sound::Init and kept until the process ends. Main thread only.
#include <string>
#include <vector>

namespace Vela
{
    class AudioOut
    {
    public:
        // A sample value that never loaded; Vela::Sound::Play does nothing for it.
        static constexpr unsigned NO_SAMPLE = 0xFFFFFFFF;

        AudioOut();
        virtual ~AudioOut();
        AudioOut(const AudioOut&) = delete;
        AudioOut& operator=(const AudioOut&) = delete;

        // The process-wide output, or null before the first sound was initialised.
        static AudioOut* GetInstance();
        static AudioOut& GetOrCreateInstance();

        unsigned FindSample(const std::string& aName) const;
        // A second load of the same name reports "already loaded" and gives 0, a sample that never
        // plays (every file is registered once). A file that cannot be loaded gives NO_SAMPLE.
        unsigned Load(const std::string& aName, bool aLoop);
        bool Play(unsigned aSample, unsigned* aChannelOut, float aVolume);
        void SetPan(const unsigned* aChannel, float aPan);
        void SetVolume(const unsigned* aChannel, float aVolume);

        bool IsInitialised() const { return myInitialised; }

    private:
        struct SampleEntry
        {
            std::string name;
            unsigned sample;
        };

        bool myInitialised = false;
        std::vector<SampleEntry> mySamples;
    };
}
