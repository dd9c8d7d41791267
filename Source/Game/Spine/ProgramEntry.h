#pragma once
// The whole run of the program: settings, engine start, the game and its frame loop, shutdown.
#include "Platform/window/WindowTypes.h"

#include <functional>

class Game;

// False when the settings file could not be read or the engine could not start (the reason is on standard
// error). Exceptions from the settings or level files pass out to the caller.
bool Go();

// The whole program as main runs it: Go, with a failed start or an escaped error turned into one line on
// standard error; the exit status (0, or 1 after such a line).
int RunGame();

// Every window message the engine forwards: the input manager sees it; a destroyed window quits.
Vela::Platform::LResult OnWindowMessage(Vela::Platform::WindowHandle aWindow, Vela::Platform::MessageId aMessage,
                                        Vela::Platform::WParam aWParam, Vela::Platform::LParam aLParam);

// Test-only clock: while installed, every frame gets the fixed step instead of the engine's timer, the
// loop never waits for the display rate, and each frame is shown to the callback after the game drew it
// (before it is presented). The game itself runs without it.
struct FrameTestHook
{
    float fixedDeltaTime = 1.0f / 60.0f;
    std::function<void(Game&)> afterRender;
};
void SetFrameTestHook(const FrameTestHook* aHook);
