#pragma once
// FBX time: 46,186,158,000 ticks per second, with frame arithmetic for every time mode.
#include <cstdint>
#include <string>

namespace Vela::Fbx
{
    // The file's time modes, numbered as "TimeMode" in GlobalSettings.
    enum class TimeMode : int
    {
        Default = 0,        // 30 fps
        Frames120 = 1,
        Frames100 = 2,
        Frames60 = 3,
        Frames50 = 4,
        Frames48 = 5,
        Frames30 = 6,
        Frames30Drop = 7,   // 30 frames per second (drop-frame time code)
        NtscDropFrame = 8,  // 29.97
        NtscFullFrame = 9,  // 29.97
        Pal = 10,           // 25
        Frames24 = 11,
        Frames1000 = 12,
        FilmFullFrame = 13, // 23.976
        Custom = 14,        // GlobalSettings::GetCustomFrameRate()
        Frames96 = 15,
        Frames72 = 16,
        Frames59_94 = 17,
        Frames119_88 = 18,
    };

    class Time
    {
    public:
        static constexpr int64_t TICKS_PER_SECOND = 46186158000LL;

        constexpr Time(int64_t aTicks = 0) : myTicks(aTicks) {}

        int64_t Get() const { return myTicks; }
        void Set(int64_t aTicks) { myTicks = aTicks; }
        double GetSecondDouble() const;
        void SetSecondDouble(double aSeconds);

        // Frames per second of a mode. Custom uses aCustomFrameRate (a rate <= 0 there gives 30).
        static double GetFrameRate(TimeMode aMode, double aCustomFrameRate = 0.0);

        // This time becomes the start of frame aFrame. GetFrameCount gives back aFrame for it:
        // the whole frames from time 0 to this time, rounded down (negative times count down).
        // Fractional rates (29.97, 23.976, ...) are computed exactly, without accumulating error.
        void SetFrame(int64_t aFrame, TimeMode aMode, double aCustomFrameRate = 0.0);
        int64_t GetFrameCount(TimeMode aMode, double aCustomFrameRate = 0.0) const;

        Time operator+(const Time& aOther) const { return Time(myTicks + aOther.myTicks); }
        Time operator-(const Time& aOther) const { return Time(myTicks - aOther.myTicks); }
        auto operator<=>(const Time& aOther) const = default;

    private:
        int64_t myTicks;
    };

    struct TimeSpan
    {
        Time start;
        Time stop;

        Time GetStart() const { return start; }
        Time GetStop() const { return stop; }
        Time GetDuration() const { return stop - start; }
    };

    // One take of the file ("Takes" section), or a fallback made for an animation stack.
    struct TakeInfo
    {
        std::string name;
        TimeSpan localTimeSpan;
        TimeSpan referenceTimeSpan;
    };
}
