// Built into every game test program: before the first test, sounds (and a video's sound) switch to the
// stepped clock, so intros end, loops chain and one-shots finish by the game's fixed step, never by how
// fast the machine runs. The game's update advances the clock by its step.
#include "mire/audio/AudioClock.h"

#include <cstdio>
#include <cstdlib>

namespace
{
    const bool theSteppedClock = [] {
        if (Vela::AudioClock::UseSteppedClockForTesting())
            return true;
        std::fprintf(stderr, "The stepped audio clock could not start: a device already plays\n");
        std::abort();
    }();
}
