#pragma once
// What the engine asks the operating system about itself and the desktop.
#include <cstdint>
#include <filesystem>

namespace Vela::Platform
{
    // Full path of the running executable; empty when it cannot be had.
    std::filesystem::path GetExecutablePath();

    struct DesktopSize
    {
        uint32_t width = 0;
        uint32_t height = 0;
    };

    // Size of the primary display in pixels. Starts the video subsystem when needed;
    // gives 0 x 0 when no display can be asked.
    DesktopSize GetDesktopSize();
}
