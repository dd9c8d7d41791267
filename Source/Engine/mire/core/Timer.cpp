#include "mire/core/Timer.h"

#include "Platform/system/Clock.h"

namespace Vela
{
    Timer::Timer()
        : Timer(Platform::QueryPerformanceFrequency(), Platform::QueryPerformanceCounter())
    {
    }

    Timer::Timer(int64_t aFrequency, int64_t aStartCounter)
        : myFrequency(aFrequency > 0 ? aFrequency : 1)
        , myLastCounter(aStartCounter)
        , myMaxDelta(static_cast<uint64_t>(myFrequency / 10))
    {
    }

    void Timer::Tick(float& aDeltaTime, float& aTotalTime)
    {
        TickAt(Platform::QueryPerformanceCounter(), aDeltaTime, aTotalTime);
    }

    void Timer::TickAt(int64_t aCounter, float& aDeltaTime, float& aTotalTime)
    {
        // A counter that went backwards counts as no time rather than as a huge unsigned step.
        uint64_t delta = aCounter > myLastCounter ? static_cast<uint64_t>(aCounter - myLastCounter) : 0;
        myLastCounter = aCounter;
        mySecondCounter += delta;

        if (delta > myMaxDelta)
        {
            delta = myMaxDelta;
        }
        // Wide arithmetic: delta x 10^7 overflows 64 bits for counters faster than about 18 GHz.
        uint64_t ticks = static_cast<uint64_t>(static_cast<unsigned __int128>(delta) * TICKS_PER_SECOND /
                                               static_cast<uint64_t>(myFrequency));
        const uint32_t lastFrameCount = myFrameCount;

        if (myIsFixedTimeStep)
        {
            const uint64_t difference = ticks > myTargetElapsedTicks ? ticks - myTargetElapsedTicks : myTargetElapsedTicks - ticks;
            if (difference < FIXED_STEP_TOLERANCE_TICKS)
            {
                ticks = myTargetElapsedTicks;
            }
            myLeftOverTicks += ticks;
            while (myTargetElapsedTicks > 0 && myLeftOverTicks >= myTargetElapsedTicks)
            {
                myElapsedTicks = myTargetElapsedTicks;
                myTotalTicks += myTargetElapsedTicks;
                myLeftOverTicks -= myTargetElapsedTicks;
                ++myFrameCount;
                RunUpdateStep(aDeltaTime, aTotalTime);
            }
        }
        else
        {
            myElapsedTicks = ticks;
            myTotalTicks += ticks;
            myLeftOverTicks = 0;
            ++myFrameCount;
            RunUpdateStep(aDeltaTime, aTotalTime);
        }

        if (myFrameCount != lastFrameCount)
        {
            ++myFramesThisSecond;
        }
        if (mySecondCounter >= static_cast<uint64_t>(myFrequency))
        {
            myFramesPerSecond = myFramesThisSecond;
            myFramesThisSecond = 0;
            mySecondCounter %= static_cast<uint64_t>(myFrequency);
        }
    }

    void Timer::RunUpdateStep(float& aDeltaTime, float& aTotalTime)
    {
        const double seconds = static_cast<double>(myElapsedTicks) / static_cast<double>(TICKS_PER_SECOND);
        aDeltaTime = static_cast<float>(seconds);
        aTotalTime += aDeltaTime;
    }
}
