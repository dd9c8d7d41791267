#pragma once
// The full-screen fade: a white sprite over the render target whose alpha eases out (reveal) or in
// (cover). Whoever pushes it sets the flags, colour and speed, starts it and pops it once finished.
#include "Screens/State.h"

#include "mire/drawers/SpriteDrawer.h"

#include <cstdint>

class StateStack;
struct GameContext;

class TransitionState : public State
{
public:
    static constexpr const char* TEXTURE = "sprites/UI/T_UI_WhiteTexture.png";
    static constexpr float REVEAL_FINISHED_ALPHA = 0.15f;
    static constexpr float COVER_FINISHED_ALPHA = 0.95f;

    TransitionState(StateStack* aStateStack, GameContext& aContext);

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    // Reveal starts opaque, cover starts clear.
    void StartFade();
    // Alpha is left alone.
    void SetColor(float aRed, float aGreen, float aBlue);
    bool IsFinished() const;

    // Set reveal only or cover only; both are read side by side.
    void SetReveal() { myReveal = 1; myCover = 0; }
    void SetCover() { myReveal = 0; myCover = 1; }

    float GetAlpha() const { return mySprite.myColor.a; }
    const Vela::SpriteInstance& GetSprite() const { return mySprite; }

    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    Vela::SpriteSharedData mySpriteData;
    Vela::SpriteInstance mySprite;
    uint8_t myReveal = 0;
    uint8_t myCover = 0;
    float mySpeed = 2.0f;
};
