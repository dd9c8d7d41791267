#pragma once
// SDL's video and event subsystems, started once on first use by whatever needs a display.

namespace Vela::Platform
{
    // Starts SDL video (and events) if not yet running. False, with one line on stdout, when it cannot.
    bool StartVideoSubsystem();
}
