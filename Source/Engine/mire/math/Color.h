#pragma once
#include <cmath>

namespace Vela
{
    // An sRGB-encoded colour with straight alpha, each channel 0..1.
    struct Color
    {
        float r = 0.0f;
        float g = 0.0f;
        float b = 0.0f;
        float a = 1.0f;

        constexpr Color() = default;
        constexpr Color(float aR, float aG, float aB, float aA = 1.0f) : r(aR), g(aG), b(aB), a(aA) {}
        constexpr bool operator==(const Color&) const = default;

        // The GPU works in linear light: red, green and blue are decoded from sRGB, alpha is left alone.
        Color AsLinear() const { return { ToLinear(r), ToLinear(g), ToLinear(b), a }; }

    private:
        static float ToLinear(float aChannel)
        {
            return aChannel >= 0.04045f ? std::pow((aChannel + 0.055f) / 1.055f, 2.4f) : aChannel / 12.92f;
        }
    };
}
