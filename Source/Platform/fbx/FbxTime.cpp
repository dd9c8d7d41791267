#include "Platform/fbx/FbxTime.h"

#include <cmath>
#include <limits>

namespace Vela::Fbx
{
    namespace
    {
        // A frame rate as an exact fraction, so 29.97 (30000/1001) frames never drift.
        struct Rate
        {
            int64_t numerator;
            int64_t denominator;
        };

        Rate GetRate(TimeMode aMode, double aCustomFrameRate)
        {
            switch (aMode)
            {
            case TimeMode::Frames120: return {120, 1};
            case TimeMode::Frames100: return {100, 1};
            case TimeMode::Frames60: return {60, 1};
            case TimeMode::Frames50: return {50, 1};
            case TimeMode::Frames48: return {48, 1};
            case TimeMode::Frames30:
            case TimeMode::Frames30Drop: return {30, 1};
            case TimeMode::NtscDropFrame:
            case TimeMode::NtscFullFrame: return {30000, 1001};
            case TimeMode::Pal: return {25, 1};
            case TimeMode::Frames24: return {24, 1};
            case TimeMode::Frames1000: return {1000, 1};
            case TimeMode::FilmFullFrame: return {24000, 1001};
            case TimeMode::Frames96: return {96, 1};
            case TimeMode::Frames72: return {72, 1};
            case TimeMode::Frames59_94: return {60000, 1001};
            case TimeMode::Frames119_88: return {120000, 1001};
            case TimeMode::Custom:
                // Bounded so the exact arithmetic below cannot overflow.
                if (std::isfinite(aCustomFrameRate) && aCustomFrameRate > 1e-6 && aCustomFrameRate < 1e7)
                {
                    const int64_t numerator = std::llround(aCustomFrameRate * 1000000.0);
                    if (numerator > 0)
                        return {numerator, 1000000};
                }
                return {30, 1};
            case TimeMode::Default:
            default: return {30, 1};
            }
        }

        __int128 FloorDivide(__int128 aValue, __int128 aDivisor)
        {
            __int128 quotient = aValue / aDivisor;
            if ((aValue % aDivisor != 0) && ((aValue < 0) != (aDivisor < 0)))
                --quotient;
            return quotient;
        }

        int64_t Saturate(__int128 aValue)
        {
            if (aValue > std::numeric_limits<int64_t>::max())
                return std::numeric_limits<int64_t>::max();
            if (aValue < std::numeric_limits<int64_t>::min())
                return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(aValue);
        }
    }

    double Time::GetSecondDouble() const { return static_cast<double>(myTicks) / static_cast<double>(TICKS_PER_SECOND); }

    void Time::SetSecondDouble(double aSeconds)
    {
        const double ticks = aSeconds * static_cast<double>(TICKS_PER_SECOND);
        if (!std::isfinite(ticks))
        {
            myTicks = 0;
            return;
        }
        if (ticks >= 9.2e18)
            myTicks = std::numeric_limits<int64_t>::max();
        else if (ticks <= -9.2e18)
            myTicks = std::numeric_limits<int64_t>::min();
        else
            myTicks = std::llround(ticks);
    }

    double Time::GetFrameRate(TimeMode aMode, double aCustomFrameRate)
    {
        const Rate rate = GetRate(aMode, aCustomFrameRate);
        return static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator);
    }

    void Time::SetFrame(int64_t aFrame, TimeMode aMode, double aCustomFrameRate)
    {
        // Rounded up, so that GetFrameCount gives aFrame back.
        const Rate rate = GetRate(aMode, aCustomFrameRate);
        const __int128 scaled = static_cast<__int128>(aFrame) * TICKS_PER_SECOND * rate.denominator;
        myTicks = Saturate(-FloorDivide(-scaled, rate.numerator));
    }

    int64_t Time::GetFrameCount(TimeMode aMode, double aCustomFrameRate) const
    {
        const Rate rate = GetRate(aMode, aCustomFrameRate);
        const __int128 scaled = static_cast<__int128>(myTicks) * rate.numerator;
        return Saturate(FloorDivide(scaled, static_cast<__int128>(TICKS_PER_SECOND) * rate.denominator));
    }
}
