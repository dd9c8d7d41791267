#pragma once
// Small additive synthesis for the demo sounds: tones with envelopes, filtered noise, sweeps, and
// loops whose tails wrap round to their start so they repeat without a click.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vela::Content
{
    enum class Wave
    {
        Sine,
        Triangle,
        SoftSquare, // a few odd harmonics: reedy but gentle
        Bell,       // sine with a quiet octave and fifth above
    };

    struct Envelope
    {
        float attack = 0.01f;  // seconds to full level
        float release = 0.1f;  // seconds from full level to silence at the end of the note
        float decay = 0.0f;    // > 0: exponential fall per second while the note holds
    };

    class Track
    {
    public:
        Track(uint32_t aSampleRate, float aSeconds);
        explicit Track(uint32_t aSampleRate, size_t aSampleCount);

        uint32_t Rate() const { return myRate; }
        std::vector<float>& Samples() { return mySamples; }
        const std::vector<float>& Samples() const { return mySamples; }

        // A note; the frequency glides linearly to anEndFrequency (0: stays) over the note.
        void AddTone(float aStart, float aLength, float aFrequency, float anAmplitude, Wave aWave, Envelope anEnvelope,
                     float anEndFrequency = 0.0f, float aVibrato = 0.0f);
        // Noise through a one-pole low-pass (aBrightness 0..1: fraction of the signal passed per sample).
        void AddNoise(float aStart, float aLength, float anAmplitude, float aBrightness, Envelope anEnvelope, uint32_t aSeed);
        // Sums another track in at a time offset.
        void Mix(const Track& anOther, float aStart, float aGain = 1.0f);
        // Everything past aLoopSamples is added onto the start and cut off, so the loop repeats seamlessly.
        void WrapInto(size_t aLoopSamples);

    private:
        uint32_t myRate;
        std::vector<float> mySamples;
    };

    // Equal-tempered frequency of a MIDI note number (69 = A4 = 440 Hz).
    float NoteFrequency(int aMidiNote);
}
