#pragma once
// The few values the whole game process shares: the render size the menus lay themselves out in,
// the fullscreen flag the options toggle, and the input manager the window callback feeds.
namespace Vela
{
    class InputManager;
}

namespace GameGlobals
{
    // 1920 x 1080 until the game copies the engine's render size in.
    extern float renderWidth;
    extern float renderHeight;
    // True at start (the game switches to fullscreen); inverted by either menu's fullscreen toggle.
    extern bool isFullscreen;
    // Null until the program entry creates the input manager; never reset.
    extern Vela::InputManager* inputManager;
}
