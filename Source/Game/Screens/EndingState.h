#pragma once
// The book's closing pages after the last level, then back to the title menu.
#include "Menus/UIElement.h"
#include "Screens/State.h"

class StateStack;
struct GameContext;

class EndingState : public State
{
public:
    EndingState(StateStack* aStateStack, GameContext& aContext);

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    void Reset();

    int32_t GetPhase() const { return myPhase; }
    const UISprite& GetPage() const { return myPage; }

private:
    void ReturnToMainMenu();

    UISprite myBackground;
    UISprite myPage;
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    int32_t myPhase = 0;
    float myTimer = 0.0f;
};
