#pragma once
// A small stand-alone options screen with one button.
#include "Menus/UIElement.h"
#include "Screens/State.h"

class StateStack;
struct GameContext;

class OptionsState : public State
{
public:
    OptionsState(StateStack* aStateStack, GameContext& aContext);

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

private:
    UISprite myBackground;
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
};
