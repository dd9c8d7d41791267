#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace Vela::Content
{
    namespace
    {
        constexpr float TWO_PI = 6.28318530718f;

        float Oscillator(Wave aWave, float aPhase)
        {
            switch (aWave)
            {
            case Wave::Sine: return std::sin(aPhase);
            case Wave::Triangle: return 2.0f / 3.14159265f * std::asin(std::sin(aPhase));
            case Wave::SoftSquare: return std::sin(aPhase) + std::sin(3.0f * aPhase) / 5.0f + std::sin(5.0f * aPhase) / 12.0f;
            case Wave::Bell: return std::sin(aPhase) + 0.3f * std::sin(2.0f * aPhase) + 0.12f * std::sin(3.0f * aPhase);
            }
            return 0.0f;
        }

        float EnvelopeAt(const Envelope& anEnvelope, float aTime, float aLength)
        {
            float level = anEnvelope.attack > 0.0f ? std::min(1.0f, aTime / anEnvelope.attack) : 1.0f;
            if (anEnvelope.decay > 0.0f)
                level *= std::exp(-anEnvelope.decay * std::max(0.0f, aTime - anEnvelope.attack));
            const float untilEnd = aLength - aTime;
            if (anEnvelope.release > 0.0f && untilEnd < anEnvelope.release)
                level *= std::max(0.0f, untilEnd / anEnvelope.release);
            return level;
        }
    }

    Track::Track(uint32_t aSampleRate, float aSeconds) : myRate(aSampleRate), mySamples(size_t(std::lround(aSeconds * float(aSampleRate))), 0.0f) {}

    Track::Track(uint32_t aSampleRate, size_t aSampleCount) : myRate(aSampleRate), mySamples(aSampleCount, 0.0f) {}

    void Track::AddTone(float aStart, float aLength, float aFrequency, float anAmplitude, Wave aWave, Envelope anEnvelope, float anEndFrequency,
                        float aVibrato)
    {
        const auto first = size_t(std::max(0.0f, aStart) * float(myRate));
        const auto count = size_t(aLength * float(myRate));
        if (mySamples.size() < first + count)
            mySamples.resize(first + count, 0.0f);
        const float endFrequency = anEndFrequency > 0.0f ? anEndFrequency : aFrequency;
        double phase = 0.0;
        for (size_t i = 0; i < count; ++i)
        {
            const float time = float(i) / float(myRate);
            const float progress = float(i) / float(std::max<size_t>(count, 1));
            float frequency = aFrequency + (endFrequency - aFrequency) * progress;
            frequency *= 1.0f + aVibrato * std::sin(TWO_PI * 5.0f * time);
            phase += double(TWO_PI * frequency / float(myRate));
            mySamples[first + i] += anAmplitude * EnvelopeAt(anEnvelope, time, aLength) * Oscillator(aWave, float(std::fmod(phase, double(TWO_PI))));
        }
    }

    void Track::AddNoise(float aStart, float aLength, float anAmplitude, float aBrightness, Envelope anEnvelope, uint32_t aSeed)
    {
        const auto first = size_t(std::max(0.0f, aStart) * float(myRate));
        const auto count = size_t(aLength * float(myRate));
        if (mySamples.size() < first + count)
            mySamples.resize(first + count, 0.0f);
        uint32_t state = aSeed * 2654435761u + 1u;
        float filtered = 0.0f;
        // The filter loses level as it darkens; this keeps the loudness roughly where asked.
        const float makeUp = 1.0f / std::sqrt(std::max(aBrightness, 0.01f));
        for (size_t i = 0; i < count; ++i)
        {
            state = state * 1664525u + 1013904223u;
            const float white = float(state >> 8) / float(1u << 23) * 2.0f - 1.0f;
            filtered += (white - filtered) * aBrightness;
            const float time = float(i) / float(myRate);
            mySamples[first + i] += anAmplitude * makeUp * filtered * EnvelopeAt(anEnvelope, time, aLength);
        }
    }

    void Track::Mix(const Track& anOther, float aStart, float aGain)
    {
        const auto first = size_t(std::max(0.0f, aStart) * float(myRate));
        if (mySamples.size() < first + anOther.mySamples.size())
            mySamples.resize(first + anOther.mySamples.size(), 0.0f);
        for (size_t i = 0; i < anOther.mySamples.size(); ++i)
            mySamples[first + i] += anOther.mySamples[i] * aGain;
    }

    void Track::WrapInto(size_t aLoopSamples)
    {
        if (aLoopSamples == 0)
            return;
        if (mySamples.size() < aLoopSamples)
            mySamples.resize(aLoopSamples, 0.0f);
        for (size_t i = aLoopSamples; i < mySamples.size(); ++i)
            mySamples[i % aLoopSamples] += mySamples[i];
        mySamples.resize(aLoopSamples);
    }

    float NoteFrequency(int aMidiNote) { return 440.0f * std::pow(2.0f, float(aMidiNote - 69) / 12.0f); }
}
