#pragma once
// The main window's icon: the game's "GameIcon.png" (found through the asset lookup) when it is a good PNG of at
// most 256 x 256 pixels, else a built-in default drawn here.
#include "mire/loaders/PngLoader.h"

namespace Vela
{
    constexpr const char* WINDOW_ICON_FILE = "GameIcon.png";
    constexpr uint32_t DEFAULT_WINDOW_ICON_SIZE = 64;

    // A 64 x 64 round badge in the default clear colour with a light rim, transparent outside.
    RgbaImage MakeDefaultWindowIcon();

    // The game's icon, or the default when the file is missing, cannot be decoded or is too large (one line on stdout
    // says why, except for a missing file).
    RgbaImage LoadWindowIcon();
}
