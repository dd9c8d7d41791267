#include "Platform/system/SystemInfo.h"

#include "Platform/window/VideoSubsystem.h"

#include <SDL2/SDL.h>

namespace Vela::Platform
{
    DesktopSize GetDesktopSize()
    {
        if (!StartVideoSubsystem())
        {
            return {};
        }
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0)
        {
            return {};
        }
        return { static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h) };
    }
}
