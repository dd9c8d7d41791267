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
        // Keep the GL library loaded for the whole run: otherwise SDL unloads it with every last GL window,
        // and windows made again later pay for loading it again.
        if (SDL_GL_LoadLibrary(nullptr) != 0)
        {
            printf("No GL library for the video subsystem: %s\n", SDL_GetError());
        }
        return true;
    }
}
