// The frame timer over a synthetic counter: the 0.1 s cap, the fixed step, frames per second.
#include "mire/core/Timer.h"

#include <gtest/gtest.h>

using namespace Vela;

namespace
{
    constexpr int64_t FREQUENCY = 1'000'000'000; // a nanosecond counter
}

TEST(TimerTest, StepIsMeasuredInSecondsAndAccumulated)
{
    Timer timer(FREQUENCY, 0);
    float delta = 0.0f;
    float total = 0.0f;
    timer.TickAt(FREQUENCY / 50, delta, total);
    EXPECT_FLOAT_EQ(delta, 0.02f);
    timer.TickAt(FREQUENCY / 50 + FREQUENCY / 100, delta, total);
    EXPECT_FLOAT_EQ(delta, 0.01f);
    EXPECT_FLOAT_EQ(total, 0.03f);
    EXPECT_EQ(timer.GetFrameCount(), 2u);
}

TEST(TimerTest, LongFrameCountsForAtMostATenthOfASecond)
{
    Timer timer(FREQUENCY, 0);
    float delta = 0.0f;
    float total = 0.0f;
    timer.TickAt(5 * FREQUENCY, delta, total);
    EXPECT_FLOAT_EQ(delta, 0.1f);
    EXPECT_FLOAT_EQ(total, 0.1f);

    // A counter that goes backwards counts as no time.
    timer.TickAt(FREQUENCY, delta, total);
    EXPECT_FLOAT_EQ(delta, 0.0f);

    // A huge frequency cannot overflow the tick conversion.
    Timer fast(INT64_MAX / 2, 0);
    fast.TickAt(INT64_MAX / 2, delta, total);
    EXPECT_NEAR(delta, 0.1f, 1e-6f);
}

TEST(TimerTest, FixedStepSnapsNearTargetAndRunsWholeSteps)
{
    Timer timer(FREQUENCY, 0);
    timer.SetFixedTimeStep(true);
    float delta = 0.0f;
    float total = 0.0f;
    const int64_t target = FREQUENCY / 60;

    // 0.2 ms off the target: counts as exactly the target.
    timer.TickAt(target + FREQUENCY / 5000, delta, total);
    EXPECT_EQ(timer.GetElapsedTicks(), Timer::DEFAULT_TARGET_ELAPSED_TICKS);
    EXPECT_EQ(timer.GetFrameCount(), 1u);

    // Half a step runs nothing; the next half completes one.
    int64_t now = target + FREQUENCY / 5000;
    now += target / 2;
    timer.TickAt(now, delta, total);
    EXPECT_EQ(timer.GetFrameCount(), 1u);
    now += target / 2 + 1000;
    timer.TickAt(now, delta, total);
    EXPECT_EQ(timer.GetFrameCount(), 2u);

    // A 0.1 s frame (after the cap) runs several whole steps.
    timer.TickAt(now + FREQUENCY, delta, total);
    EXPECT_EQ(timer.GetFrameCount(), 8u);
    EXPECT_NEAR(delta, 1.0f / 60.0f, 1e-6f);
}
