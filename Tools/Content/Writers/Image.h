#pragma once
// An RGBA8 picture (straight alpha, rows top to bottom) with the few drawing operations the
// content tools need: fills, shapes with soft edges, gradients and alpha compositing.
#include <array>
#include <cstdint>
#include <vector>

namespace Vela::Content
{
    using Rgba = std::array<uint8_t, 4>;

    // Linear blend of two colours, t in [0, 1].
    Rgba Mix(const Rgba& aFrom, const Rgba& aTo, float aT);
    Rgba WithAlpha(const Rgba& aColor, uint8_t anAlpha);

    class Image
    {
    public:
        Image() = default;
        Image(uint32_t aWidth, uint32_t aHeight, Rgba aFill = { 0, 0, 0, 0 });

        uint32_t Width() const { return myWidth; }
        uint32_t Height() const { return myHeight; }
        const std::vector<uint8_t>& Pixels() const { return myPixels; }
        Rgba At(uint32_t aX, uint32_t aY) const;
        void Set(uint32_t aX, uint32_t aY, const Rgba& aColor);
        // "Over" compositing of a colour whose alpha is further scaled by aCoverage (0..1).
        void Blend(int aX, int aY, const Rgba& aColor, float aCoverage = 1.0f);

        void Fill(const Rgba& aColor);
        void FillRect(float aLeft, float aTop, float aRight, float aBottom, const Rgba& aColor);
        // A rectangle with rounded corners and an antialiased edge; aBorder > 0 draws only the outline.
        void FillRoundRect(float aLeft, float aTop, float aRight, float aBottom, float aRadius, const Rgba& aColor, float aBorder = 0.0f);
        void FillEllipse(float aCentreX, float aCentreY, float aRadiusX, float aRadiusY, const Rgba& aColor, float aBorder = 0.0f);
        // A soft round spot: full colour in the middle fading to nothing at the radius.
        void FillGlow(float aCentreX, float aCentreY, float aRadius, const Rgba& aColor, float aPower = 1.5f);
        void FillTriangle(std::array<float, 2> aA, std::array<float, 2> aB, std::array<float, 2> aC, const Rgba& aColor);
        void Line(float aX0, float aY0, float aX1, float aY1, float aWidth, const Rgba& aColor);
        void VerticalGradient(float aTop, float aBottom, const Rgba& aFrom, const Rgba& aTo);
        // Draws another image with its top left corner at (aX, aY).
        void Paste(const Image& anImage, int aX, int aY, float anOpacity = 1.0f);
        // The same picture at a smaller size, each output pixel the average of its source box.
        Image Downscaled(uint32_t aWidth, uint32_t aHeight) const;

    private:
        uint32_t myWidth = 0;
        uint32_t myHeight = 0;
        std::vector<uint8_t> myPixels;
    };
}
