#pragma once
// The one palette of the demo content: models sample it from a small palette texture, the UI art
// and the video draw with the same colours.
#include "Writers/Image.h"

#include <array>
#include <cstddef>

namespace Vela::Content
{
    enum class Shade
    {
        Ink,          // deep plum, text and outlines
        Parchment,
        ParchmentDark,
        Leather,      // book cover
        Gold,
        Teal,
        Night,
        Orange,       // the player's cloak
        Cream,
        Moss,
        Grass,
        GrassDark,
        Purple,       // the Glomp
        PurpleDark,
        EyeRed,
        Stone,
        StoneDark,
        Wood,
        WoodDark,
        GlowYellow,
        GlowCyan,
        White,
        Black,
        ShellPink,
        ShellBrown,
        SnailGreen,
        COUNT
    };

    inline Rgba Color(Shade aShade)
    {
        static constexpr std::array<Rgba, std::size_t(Shade::COUNT)> COLORS = { {
            { 46, 34, 52, 255 },    { 242, 228, 196, 255 }, { 214, 190, 148, 255 }, { 104, 44, 56, 255 },  { 226, 178, 86, 255 },
            { 38, 150, 160, 255 },  { 24, 40, 64, 255 },    { 236, 128, 48, 255 },  { 250, 236, 210, 255 }, { 96, 140, 72, 255 },
            { 126, 184, 84, 255 },  { 70, 118, 60, 255 },   { 136, 88, 176, 255 },  { 84, 52, 116, 255 },   { 214, 58, 72, 255 },
            { 132, 138, 152, 255 }, { 92, 98, 116, 255 },   { 156, 104, 62, 255 },  { 112, 72, 44, 255 },   { 255, 238, 150, 255 },
            { 150, 244, 232, 255 }, { 255, 255, 255, 255 }, { 16, 12, 20, 255 },    { 224, 150, 142, 255 }, { 150, 90, 76, 255 },
            { 168, 200, 120, 255 },
        } };
        return COLORS[std::size_t(aShade)];
    }

    // The palette texture: an 8 x 8 grid of flat cells of this many pixels.
    constexpr int PALETTE_COLUMNS = 8;
    constexpr int PALETTE_CELL = 8;
}
