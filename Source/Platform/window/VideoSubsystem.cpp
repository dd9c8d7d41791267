#include "Platform/window/VideoSubsystem.h"

#include <SDL2/SDL.h>
#include <cstdio>

namespace Vela::Platform
{
    bool StartVideoSubsystem()
    {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        {
            return true;
        }
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        {
            printf("Could not start the video subsystem: %s\n", SDL_GetError());
            return false;
        }
        return true;
    }
}
