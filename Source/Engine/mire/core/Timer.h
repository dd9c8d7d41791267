#pragma once
// The frame timer: measures each step with the high-resolution counter, caps a step at 0.1 s, and
// optionally snaps steps to a fixed sixtieth of a second. Times inside are 100-ns ticks.
#include <cstdint>

namespace Vela
{
    class Timer
    {
    public:
        static constexpr uint64_t TICKS_PER_SECOND = 10'000'000;
        static constexpr uint64_t DEFAULT_TARGET_ELAPSED_TICKS = TICKS_PER_SECOND / 60;
        // A measured fixed step this close to the target counts as exactly the target.
        static constexpr uint64_t FIXED_STEP_TOLERANCE_TICKS = 2500;

        // Reads the counter's frequency and its current value.
        Timer();
        // For tests: a counter of this frequency that stands at aStartCounter.
        Timer(int64_t aFrequency, int64_t aStartCounter);

        // Measures the step since the last tick (or construction) and runs the update step: aDeltaTime gets
        // the step in seconds, aTotalTime accumulates it.
        void Tick(float& aDeltaTime, float& aTotalTime);
        // The same with a counter value given by the caller.
        void TickAt(int64_t aCounter, float& aDeltaTime, float& aTotalTime);

        void SetFixedTimeStep(bool aFixed) { myIsFixedTimeStep = aFixed; }
        void SetTargetElapsedTicks(uint64_t aTicks) { myTargetElapsedTicks = aTicks; }

        uint64_t GetElapsedTicks() const { return myElapsedTicks; }
        uint64_t GetTotalTicks() const { return myTotalTicks; }
        uint32_t GetFrameCount() const { return myFrameCount; }
        uint32_t GetFramesPerSecond() const { return myFramesPerSecond; }

    private:
        void RunUpdateStep(float& aDeltaTime, float& aTotalTime);

        int64_t myFrequency = 1;
        int64_t myLastCounter = 0;
        uint64_t myMaxDelta = 0;
        uint64_t myElapsedTicks = 0;
        uint64_t myTotalTicks = 0;
        uint64_t myLeftOverTicks = 0;
        uint32_t myFrameCount = 0;
        uint32_t myFramesPerSecond = 0;
        uint32_t myFramesThisSecond = 0;
        uint64_t mySecondCounter = 0;
        bool myIsFixedTimeStep = false;
        uint64_t myTargetElapsedTicks = DEFAULT_TARGET_ELAPSED_TICKS;
    };
}
