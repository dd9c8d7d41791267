#pragma once
// Three logos fading in and out over a background at start-up.
#include "Menus/UIElement.h"
#include "Screens/State.h"

class StateStack;
struct GameContext;

class LogoState : public State
{
public:
    static constexpr int32_t LAST_PHASE = 5;

    LogoState(StateStack* aStateStack, GameContext& aContext);

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    int32_t GetPhase() const { return myPhase; }
    const UISprite& GetCurrentLogo() const { return *myCurrentLogo; }

private:
    void GoToMainMenu();

    float myFirstAlpha = 0.0f;
    float myThirdAlpha = 0.0f;
    float mySecondAlpha = 0.0f;
    int32_t myPhase = 0;
    UISprite myFirstLogo;
    UISprite myThirdLogo;
    UISprite mySecondLogo;
    UISprite myBackground;
    UISprite* myCurrentLogo = nullptr;
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
};
