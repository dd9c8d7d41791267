#pragma once
// The high-resolution counter the engine's timer reads: a monotonic count and its ticks per second.
#include <cstdint>

namespace Vela::Platform
{
    // Current value of the monotonic counter.
    int64_t QueryPerformanceCounter();

    // Counter ticks per second; constant for the life of the process.
    int64_t QueryPerformanceFrequency();

    // Monotonic time in nanoseconds (the same clock as the counter).
    int64_t SteadyClockNanoseconds();
}
