#pragma once
// A handle to one sound file: loads it through the process-wide audio output and plays it.
// Channel numbers are the audio output's; 0 means none. Main thread only.
#include "mire/math/Vector.h"

namespace Vela
{
    class Sound
    {
    public:
        Sound() = default;

        // Creates the audio output on first use, resolves the path against the asset roots and loads it.
        void Init(const char* aPath, bool aLoop);
        // Starts a new channel of the sample at this handle's volume; false when nothing could play.
        bool Play();
        // Only the x component is used.
        void SetPan(Vector2<float> aPan);
        // Sets a channel's volume; this handle's own fields stay as they are.
        void SetVolume(unsigned aChannel, float aVolume);
        // Immediate stops at once; otherwise the channel's loop flag is cleared so it ends after
        // its current pass. Channel 0 does nothing.
        void StopChannel(unsigned aChannel, bool aImmediate);

        unsigned GetSample() const { return mySample; }
        unsigned GetChannel() const { return myChannel; }
        Vector2<float> GetPan() const { return myPan; }
        float GetVolume() const { return myVolume; }

    private:
        unsigned mySample = 0xFFFFFFFF;
        unsigned myChannel = 0;
        Vector2<float> myPan{0.0f, 0.0f};
        float myVolume = 1.0f;
    };
}
