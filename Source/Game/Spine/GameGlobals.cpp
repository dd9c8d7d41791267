#include "Spine/GameGlobals.h"

namespace GameGlobals
{
    float renderWidth = 1920.0f;
    float renderHeight = 1080.0f;
    bool isFullscreen = true;
    Vela::InputManager* inputManager = nullptr;
}
