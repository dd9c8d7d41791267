#pragma once
// What the engine asks the operating system about the desktop (the executable's own path is in
// "Platform/process/ExecutablePath.h").
#include <cstdint>

namespace Vela::Platform
{
    struct DesktopSize
    {
        uint32_t width = 0;
        uint32_t height = 0;
    };

    // Size of the primary display in pixels. Starts the video subsystem when needed;
    // gives 0 x 0 when no display can be asked.
    DesktopSize GetDesktopSize();
}
