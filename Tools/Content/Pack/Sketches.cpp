#include "Sketches.h"

#include "Palette.h"

namespace Vela::Content
{
    using enum Shade;

    void Player(Image& anImage, float aX, float aFeetY, float aScale)
    {
        anImage.FillEllipse(aX, aFeetY - 40 * aScale, 18 * aScale, 24 * aScale, Color(Orange));
        anImage.FillRect(aX - 13 * aScale, aFeetY - 66 * aScale, aX + 13 * aScale, aFeetY - 58 * aScale, Color(Teal));
        anImage.FillEllipse(aX, aFeetY - 80 * aScale, 17 * aScale, 18 * aScale, Color(Cream));
        anImage.FillEllipse(aX - 4 * aScale, aFeetY - 88 * aScale, 17 * aScale, 11 * aScale, Color(Orange));
        anImage.FillEllipse(aX + 9 * aScale, aFeetY - 80 * aScale, 2.5f * aScale, 4 * aScale, Color(Ink));
        anImage.FillRect(aX - 8 * aScale, aFeetY - 18 * aScale, aX - 2 * aScale, aFeetY, Color(Night));
        anImage.FillRect(aX + 2 * aScale, aFeetY - 18 * aScale, aX + 8 * aScale, aFeetY, Color(Night));
    }

    void Orb(Image& anImage, float aX, float aY, float aRadius)
    {
        anImage.FillGlow(aX, aY, aRadius * 2.4f, WithAlpha(Color(GlowCyan), 200));
        anImage.FillEllipse(aX, aY, aRadius, aRadius, Color(GlowYellow));
    }

    void Glomp(Image& anImage, float aX, float aFeetY, float aScale)
    {
        anImage.FillEllipse(aX, aFeetY - 60 * aScale, 46 * aScale, 42 * aScale, Color(Purple));
        anImage.FillEllipse(aX - 10 * aScale, aFeetY - 104 * aScale, 6 * aScale, 14 * aScale, Color(PurpleDark));
        anImage.FillEllipse(aX + 12 * aScale, aFeetY - 104 * aScale, 6 * aScale, 14 * aScale, Color(PurpleDark));
        anImage.FillEllipse(aX + 14 * aScale, aFeetY - 76 * aScale, 14 * aScale, 15 * aScale, Color(Cream));
        anImage.FillEllipse(aX + 20 * aScale, aFeetY - 76 * aScale, 6 * aScale, 8 * aScale, Color(EyeRed));
        anImage.FillRect(aX - 12 * aScale, aFeetY - 48 * aScale, aX + 32 * aScale, aFeetY - 42 * aScale, Color(Ink));
    }
}
