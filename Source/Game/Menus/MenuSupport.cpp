#include "Menus/MenuSupport.h"

#include "Camera/CameraController.h"
#include "Menus/UIElement.h"
#include "Spine/GameGlobals.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"

namespace
{
    constexpr int32_t UI_DEPTH_STENCIL_STATE = 3;
}

bool ToggleFullscreen()
{
    GameGlobals::isFullscreen = !GameGlobals::isFullscreen;
    Vela::Engine* engine = Vela::Engine::GetInstance();
    if (engine && engine->myWindow)
        engine->myWindow->SetFullscreen(GameGlobals::isFullscreen);
    return GameGlobals::isFullscreen;
}

bool IsWindowFullscreen()
{
    const Vela::Engine* engine = Vela::Engine::GetInstance();
    return engine && engine->myWindow && engine->myWindow->IsFullscreen();
}

bool IsShownButton(const UIButton* aButton)
{
    return aButton && !aButton->IsHidden() && aButton->myCallback;
}

MenuRenderScope::MenuRenderScope(CameraController* aCameraController)
{
    Vela::GraphicsEngine* graphicsEngine = Vela::GraphicsServices::GetGraphicsEngine();
    if (!graphicsEngine || !graphicsEngine->GetSpriteDrawer() || !graphicsEngine->GetSpriteDrawer()->IsLoaded() || !graphicsEngine->GetGraphicsStateStack())
        return;
    mySpriteDrawer = graphicsEngine->GetSpriteDrawer();
    myStateStack = graphicsEngine->GetGraphicsStateStack();
    myStateStack->Push();
    if (aCameraController)
        myStateStack->SetCamera(aCameraController->GetOrthographicCamera());
    myStateStack->SetDepthStencilState(UI_DEPTH_STENCIL_STATE);
}

MenuRenderScope::~MenuRenderScope()
{
    if (myStateStack)
        myStateStack->Pop();
}
