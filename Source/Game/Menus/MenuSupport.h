#pragma once
// What the menu screens share: the frame of their screen-space draws, the fullscreen toggle and
// wrapping selection indexes.
#include <cstdint>

namespace Vela
{
    class GraphicsStateStack;
    class SpriteDrawer;
}

class CameraController;
class UIButton;

// Inverts the process-wide fullscreen flag and switches the window to it; returns the new flag.
bool ToggleFullscreen();
// Whether the window is fullscreen now (false without a window).
bool IsWindowFullscreen();

// Confirm runs a selected button only while it is shown and has a callback.
bool IsShownButton(const UIButton* aButton);

// aValue modulo aCount, with a negative result taken as the last index.
inline int32_t WrapIndex(int32_t aValue, int32_t aCount)
{
    const int32_t wrapped = aValue % aCount;
    return wrapped < 0 ? aCount - 1 : wrapped;
}

// A pushed render state with the orthographic camera and depth-stencil state 3, popped again when
// the scope ends.
class MenuRenderScope
{
public:
    explicit MenuRenderScope(CameraController* aCameraController);
    ~MenuRenderScope();
    MenuRenderScope(const MenuRenderScope&) = delete;
    MenuRenderScope& operator=(const MenuRenderScope&) = delete;

    // False without a running graphics engine: nothing may be drawn.
    explicit operator bool() const { return mySpriteDrawer && myStateStack; }
    Vela::SpriteDrawer& GetSpriteDrawer() const { return *mySpriteDrawer; }
    Vela::GraphicsStateStack& GetStateStack() const { return *myStateStack; }

private:
    Vela::SpriteDrawer* mySpriteDrawer = nullptr;
    Vela::GraphicsStateStack* myStateStack = nullptr;
};

// Screens draw in the screen-space pass (1) only, inside the menus' render frame.
template <typename Draw>
void DrawScreenPass(uint32_t aPass, CameraController* aCameraController, Draw&& aDraw)
{
    if (aPass != 1)
        return;
    MenuRenderScope scope(aCameraController);
    if (scope)
        aDraw(scope.GetSpriteDrawer(), scope.GetStateStack());
}
