#pragma once
// The play screen: owns the player, runs it and the level's movable boxes while on top, draws the
// player in the world pass and opens the pause menu.
#include "Player/Player.h"
#include "Screens/State.h"

#include "mire/drawers/SpriteDrawer.h"

class StateStack;
struct GameContext;

class GameState : public State
{
public:
    static constexpr float BOX_GRAVITY_FACTOR = 100.0f;

    GameState(StateStack* aStateStack, GameContext& aContext);

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

private:
    // Kept at its defaults; the play screen draws no sprite of its own.
    Vela::SpriteInstance mySprite;
    GameContext* myContext = nullptr;
    Player myPlayer;
    StateStack* myStateStack = nullptr;
    float myBoxGravityFactor = BOX_GRAVITY_FACTOR;
};
