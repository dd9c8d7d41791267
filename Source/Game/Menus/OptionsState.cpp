#include "Menus/OptionsState.h"

#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Spine/GameContext.h"

#include "mire/graphics/GraphicsServices.h"

#include <cstdio>

OptionsState::OptionsState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    const Vela::Vector2<float> centre{ Vela::GraphicsServices::GetRenderWidth() / 2.0f, Vela::GraphicsServices::GetRenderHeight() / 2.0f };
    myBackground = MakeUISprite("Sprites/UI/T_UI_Options_BackgroundBox.png", centre);
    myRegistry.AddButtonScaled("volume", centre, "sprites/UI/T_UI_Main_Volume.png", [] { std::printf("VOLUME\n"); });
}

void OptionsState::Update(const UpdateContext&) {}

void OptionsState::Render(uint32_t aPass)
{
    DrawScreenPass(aPass, myContext->cameraController, [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack&) {
        DrawSingleSprite(aDrawer, myBackground);
        myRegistry.Render(aDrawer);
    });
}

bool OptionsState::OnInput(InputAction anAction, const InputEvent& anEvent)
{
    switch (anAction)
    {
    case InputAction::CloseMenu:
        myStateStack->Pop();
        return true;
    case InputAction::Click:
        myRegistry.OnClick({ anEvent.x, anEvent.y });
        return true;
    default:
        return false;
    }
}
