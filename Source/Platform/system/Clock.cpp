#include "Platform/system/Clock.h"

#include <chrono>

namespace Vela::Platform
{
    int64_t QueryPerformanceCounter()
    {
        return SteadyClockNanoseconds();
    }

    int64_t QueryPerformanceFrequency()
    {
        // The counter counts nanoseconds.
        return 1'000'000'000;
    }

    int64_t SteadyClockNanoseconds()
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    }
}
