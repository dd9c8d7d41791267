#include "Image.h"

#include <algorithm>
#include <cmath>

namespace Vela::Content
{
    namespace
    {
        float Clamp01(float aValue) { return std::clamp(aValue, 0.0f, 1.0f); }

        // Coverage of a pixel by a shape whose signed distance (negative inside) is aDistance.
        float EdgeCoverage(float aDistance) { return Clamp01(0.5f - aDistance); }

        float RoundRectDistance(float aX, float aY, float aLeft, float aTop, float aRight, float aBottom, float aRadius)
        {
            const float centreX = (aLeft + aRight) * 0.5f, centreY = (aTop + aBottom) * 0.5f;
            const float halfX = (aRight - aLeft) * 0.5f - aRadius, halfY = (aBottom - aTop) * 0.5f - aRadius;
            const float dx = std::abs(aX - centreX) - halfX, dy = std::abs(aY - centreY) - halfY;
            const float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
            return outside + std::min(std::max(dx, dy), 0.0f) - aRadius;
        }
    }

    Rgba Mix(const Rgba& aFrom, const Rgba& aTo, float aT)
    {
        Rgba result;
        for (size_t i = 0; i < 4; ++i)
            result[i] = uint8_t(std::lround(aFrom[i] + (aTo[i] - aFrom[i]) * Clamp01(aT)));
        return result;
    }

    Rgba WithAlpha(const Rgba& aColor, uint8_t anAlpha) { return { aColor[0], aColor[1], aColor[2], anAlpha }; }

    Image::Image(uint32_t aWidth, uint32_t aHeight, Rgba aFill)
        : myWidth(aWidth), myHeight(aHeight), myPixels(size_t(aWidth) * aHeight * 4)
    {
        Fill(aFill);
    }

    Rgba Image::At(uint32_t aX, uint32_t aY) const
    {
        const size_t index = (size_t(aY) * myWidth + aX) * 4;
        return { myPixels[index], myPixels[index + 1], myPixels[index + 2], myPixels[index + 3] };
    }

    void Image::Set(uint32_t aX, uint32_t aY, const Rgba& aColor)
    {
        const size_t index = (size_t(aY) * myWidth + aX) * 4;
        std::copy(aColor.begin(), aColor.end(), myPixels.begin() + long(index));
    }

    void Image::Blend(int aX, int aY, const Rgba& aColor, float aCoverage)
    {
        if (aX < 0 || aY < 0 || aX >= int(myWidth) || aY >= int(myHeight))
            return;
        const float alpha = aColor[3] / 255.0f * Clamp01(aCoverage);
        if (alpha <= 0.0f)
            return;
        const Rgba below = At(uint32_t(aX), uint32_t(aY));
        const float belowAlpha = below[3] / 255.0f;
        const float outAlpha = alpha + belowAlpha * (1.0f - alpha);
        Rgba result;
        for (size_t i = 0; i < 3; ++i)
        {
            const float value = (aColor[i] * alpha + below[i] * belowAlpha * (1.0f - alpha)) / std::max(outAlpha, 1e-6f);
            result[i] = uint8_t(std::lround(std::clamp(value, 0.0f, 255.0f)));
        }
        result[3] = uint8_t(std::lround(outAlpha * 255.0f));
        Set(uint32_t(aX), uint32_t(aY), result);
    }

    void Image::Fill(const Rgba& aColor)
    {
        for (size_t i = 0; i < myPixels.size(); i += 4)
            std::copy(aColor.begin(), aColor.end(), myPixels.begin() + long(i));
    }

    void Image::FillRect(float aLeft, float aTop, float aRight, float aBottom, const Rgba& aColor)
    {
        FillRoundRect(aLeft, aTop, aRight, aBottom, 0.0f, aColor);
    }

    void Image::FillRoundRect(float aLeft, float aTop, float aRight, float aBottom, float aRadius, const Rgba& aColor, float aBorder)
    {
        const int x0 = std::max(0, int(std::floor(aLeft)) - 1), x1 = std::min(int(myWidth), int(std::ceil(aRight)) + 1);
        const int y0 = std::max(0, int(std::floor(aTop)) - 1), y1 = std::min(int(myHeight), int(std::ceil(aBottom)) + 1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const float distance = RoundRectDistance(x + 0.5f, y + 0.5f, aLeft, aTop, aRight, aBottom, aRadius);
                const float coverage = aBorder > 0.0f ? EdgeCoverage(std::abs(distance + aBorder * 0.5f) - aBorder * 0.5f) : EdgeCoverage(distance);
                Blend(x, y, aColor, coverage);
            }
    }

    void Image::FillEllipse(float aCentreX, float aCentreY, float aRadiusX, float aRadiusY, const Rgba& aColor, float aBorder)
    {
        const int x0 = std::max(0, int(aCentreX - aRadiusX) - 2), x1 = std::min(int(myWidth), int(aCentreX + aRadiusX) + 2);
        const int y0 = std::max(0, int(aCentreY - aRadiusY) - 2), y1 = std::min(int(myHeight), int(aCentreY + aRadiusY) + 2);
        const float scale = std::min(aRadiusX, aRadiusY);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const float dx = (x + 0.5f - aCentreX) / aRadiusX, dy = (y + 0.5f - aCentreY) / aRadiusY;
                const float distance = (std::sqrt(dx * dx + dy * dy) - 1.0f) * scale;
                const float coverage = aBorder > 0.0f ? EdgeCoverage(std::abs(distance + aBorder * 0.5f) - aBorder * 0.5f) : EdgeCoverage(distance);
                Blend(x, y, aColor, coverage);
            }
    }

    void Image::FillGlow(float aCentreX, float aCentreY, float aRadius, const Rgba& aColor, float aPower)
    {
        const int x0 = std::max(0, int(aCentreX - aRadius) - 1), x1 = std::min(int(myWidth), int(aCentreX + aRadius) + 1);
        const int y0 = std::max(0, int(aCentreY - aRadius) - 1), y1 = std::min(int(myHeight), int(aCentreY + aRadius) + 1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const float distance = std::hypot(x + 0.5f - aCentreX, y + 0.5f - aCentreY) / aRadius;
                if (distance < 1.0f)
                    Blend(x, y, aColor, std::pow(1.0f - distance, aPower));
            }
    }

    void Image::FillTriangle(std::array<float, 2> aA, std::array<float, 2> aB, std::array<float, 2> aC, const Rgba& aColor)
    {
        const float left = std::min({ aA[0], aB[0], aC[0] }), right = std::max({ aA[0], aB[0], aC[0] });
        const float top = std::min({ aA[1], aB[1], aC[1] }), bottom = std::max({ aA[1], aB[1], aC[1] });
        auto edge = [](std::array<float, 2> aP, std::array<float, 2> aQ, float aX, float aY) {
            const float length = std::max(std::hypot(aQ[0] - aP[0], aQ[1] - aP[1]), 1e-6f);
            return ((aQ[0] - aP[0]) * (aY - aP[1]) - (aQ[1] - aP[1]) * (aX - aP[0])) / length;
        };
        const float orientation = edge(aA, aB, aC[0], aC[1]) > 0.0f ? 1.0f : -1.0f;
        for (int y = std::max(0, int(top) - 1); y < std::min(int(myHeight), int(bottom) + 2); ++y)
            for (int x = std::max(0, int(left) - 1); x < std::min(int(myWidth), int(right) + 2); ++x)
            {
                const float px = x + 0.5f, py = y + 0.5f;
                const float inside = std::min({ edge(aA, aB, px, py), edge(aB, aC, px, py), edge(aC, aA, px, py) }, [&](float a, float b) {
                    return a * orientation < b * orientation;
                }) * orientation;
                Blend(x, y, aColor, EdgeCoverage(-inside));
            }
    }

    void Image::Line(float aX0, float aY0, float aX1, float aY1, float aWidth, const Rgba& aColor)
    {
        const float dx = aX1 - aX0, dy = aY1 - aY0;
        const float lengthSquared = std::max(dx * dx + dy * dy, 1e-6f);
        const int x0 = std::max(0, int(std::min(aX0, aX1) - aWidth) - 1), x1 = std::min(int(myWidth), int(std::max(aX0, aX1) + aWidth) + 2);
        const int y0 = std::max(0, int(std::min(aY0, aY1) - aWidth) - 1), y1 = std::min(int(myHeight), int(std::max(aY0, aY1) + aWidth) + 2);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const float px = x + 0.5f - aX0, py = y + 0.5f - aY0;
                const float t = std::clamp((px * dx + py * dy) / lengthSquared, 0.0f, 1.0f);
                const float distance = std::hypot(px - t * dx, py - t * dy) - aWidth * 0.5f;
                Blend(x, y, aColor, EdgeCoverage(distance));
            }
    }

    void Image::VerticalGradient(float aTop, float aBottom, const Rgba& aFrom, const Rgba& aTo)
    {
        for (uint32_t y = 0; y < myHeight; ++y)
        {
            const Rgba color = Mix(aFrom, aTo, (y + 0.5f - aTop) / std::max(aBottom - aTop, 1.0f));
            for (uint32_t x = 0; x < myWidth; ++x)
                Set(x, y, color);
        }
    }

    void Image::Paste(const Image& anImage, int aX, int aY, float anOpacity)
    {
        for (uint32_t y = 0; y < anImage.Height(); ++y)
            for (uint32_t x = 0; x < anImage.Width(); ++x)
                Blend(aX + int(x), aY + int(y), anImage.At(x, y), anOpacity);
    }

    Image Image::Downscaled(uint32_t aWidth, uint32_t aHeight) const
    {
        Image result(aWidth, aHeight);
        for (uint32_t y = 0; y < aHeight; ++y)
            for (uint32_t x = 0; x < aWidth; ++x)
            {
                const uint32_t sx0 = x * myWidth / aWidth, sx1 = std::max(sx0 + 1, (x + 1) * myWidth / aWidth);
                const uint32_t sy0 = y * myHeight / aHeight, sy1 = std::max(sy0 + 1, (y + 1) * myHeight / aHeight);
                // Colours are averaged weighted by alpha so transparent pixels do not darken edges.
                double sums[4] = {};
                for (uint32_t sy = sy0; sy < sy1; ++sy)
                    for (uint32_t sx = sx0; sx < sx1; ++sx)
                    {
                        const Rgba pixel = At(sx, sy);
                        for (size_t i = 0; i < 3; ++i)
                            sums[i] += pixel[i] * double(pixel[3]);
                        sums[3] += pixel[3];
                    }
                const double count = double(sx1 - sx0) * (sy1 - sy0);
                Rgba out{};
                for (size_t i = 0; i < 3; ++i)
                    out[i] = sums[3] > 0.0 ? uint8_t(std::lround(sums[i] / sums[3])) : 0;
                out[3] = uint8_t(std::lround(sums[3] / count));
                result.Set(x, y, out);
            }
        return result;
    }
}
