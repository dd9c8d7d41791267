#pragma once
// One screen of the game (logo, menus, play, fade, ending). The eight screens are built once by the
// state stack and shown by pushing their id; only the top one is updated and given input, every
// stacked one is drawn, bottom to top.
#include "Input/InputAction.h"
#include "Menus/UIElementRegistry.h"

#include <cstdint>

struct UpdateContext;

// Also the index into the stack's table of screens.
enum class StateId : int32_t
{
    MainMenu = 0,
    InGameMenu = 1,
    Game = 2,
    Options = 3,
    Transition = 4,
    Ending = 5,
    Logo = 6,
    Opening = 7,
};

constexpr int32_t STATE_COUNT = 8;

class State
{
public:
    State() = default;
    virtual ~State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Per frame, top screen only.
    virtual void Update(const UpdateContext& aContext) = 0;
    // Pass 0 draws into the 3D world, pass 1 on the screen over it.
    virtual void Render(uint32_t aPass) = 0;
    virtual void OnExit() {}
    virtual void OnEnter() {}
    // True when the action is consumed.
    virtual bool OnInput(InputAction anAction, const InputEvent& anEvent) = 0;

    UIElementRegistry& GetRegistry() { return myRegistry; }

protected:
    // The screen's named buttons and sliders; the stack refreshes the top screen's sliders every frame.
    UIElementRegistry myRegistry;
};
