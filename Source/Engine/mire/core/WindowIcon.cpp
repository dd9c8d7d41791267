#include "mire/core/WindowIcon.h"

#include "mire/settings/Settings.h"
#include "Platform/window/NativeWindow.h"

#include <cmath>
#include <cstdio>

namespace Vela
{
    RgbaImage MakeDefaultWindowIcon()
    {
        RgbaImage icon;
        icon.myWidth = DEFAULT_WINDOW_ICON_SIZE;
        icon.myHeight = DEFAULT_WINDOW_ICON_SIZE;
        icon.myIsSrgb = true;
        icon.myPixels.assign(size_t(DEFAULT_WINDOW_ICON_SIZE) * DEFAULT_WINDOW_ICON_SIZE * 4, 0);
        const float centre = DEFAULT_WINDOW_ICON_SIZE * 0.5f;
        const float radius = centre - 2.0f;
        for (uint32_t row = 0; row < DEFAULT_WINDOW_ICON_SIZE; ++row)
        {
            for (uint32_t column = 0; column < DEFAULT_WINDOW_ICON_SIZE; ++column)
            {
                const float dx = static_cast<float>(column) + 0.5f - centre;
                const float dy = static_cast<float>(row) + 0.5f - centre;
                const float distance = std::sqrt(dx * dx + dy * dy);
                if (distance > radius)
                {
                    continue;
                }
                uint8_t* pixel = &icon.myPixels[(size_t(row) * DEFAULT_WINDOW_ICON_SIZE + column) * 4];
                const bool rim = distance > radius - 5.0f;
                // The default clear colour (3, 153, 176) inside a pale rim.
                pixel[0] = rim ? 230 : 3;
                pixel[1] = rim ? 245 : 153;
                pixel[2] = rim ? 250 : 176;
                pixel[3] = 255;
            }
        }
        return icon;
    }

    RgbaImage LoadWindowIcon()
    {
        const std::string file = Settings::ResolveAssetPath(WINDOW_ICON_FILE);
        if (file.empty())
        {
            return MakeDefaultWindowIcon();
        }
        RgbaImage icon;
        std::string error;
        if (!LoadPngImage(file, TextureSrgbMode::AsStored, icon, error))
        {
            printf("Window icon %s not used: %s\n", file.c_str(), error.c_str());
            return MakeDefaultWindowIcon();
        }
        if (icon.myWidth == 0 || icon.myHeight == 0 || icon.myWidth > Platform::MAX_WINDOW_ICON_SIZE ||
            icon.myHeight > Platform::MAX_WINDOW_ICON_SIZE)
        {
            printf("Window icon %s not used: %u x %u pixels, at most %u on a side\n", file.c_str(), icon.myWidth, icon.myHeight,
                   Platform::MAX_WINDOW_ICON_SIZE);
            return MakeDefaultWindowIcon();
        }
        return icon;
    }
}
