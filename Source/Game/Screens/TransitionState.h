#pragma once
// The full-screen fade: a white sprite over the render target whose alpha eases out (reveal) or in
// (cover). Whoever pushes it starts a cover or a reveal on it and pops it once finished.
#include "Screens/State.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/math/Vector.h"

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

    // Cover only, from clear towards opaque aColor.
    void Cover(const Vela::Vector3<float>& aColor, float aSpeed);
    // Reveal only, from opaque; the colour stays as it is.
    void Reveal(float aSpeed);

    // Reveal starts opaque, cover starts clear.
    void StartFade();
    // Alpha is left alone.
    void SetColor(float aRed, float aGreen, float aBlue);
    bool IsFinished() const;

    // Set reveal only or cover only, without restarting; both are read side by side.
    void SetReveal() { myReveal = 1; myCover = 0; }
    void SetCover() { myReveal = 0; myCover = 1; }
    // Neither flag: the overlay stands still and reports finished.
    void ClearFlags() { myReveal = 0; myCover = 0; }
    void SetSpeed(float aSpeed) { mySpeed = aSpeed; }

    bool IsRevealing() const { return myReveal != 0; }
    bool IsCovering() const { return myCover != 0; }
    float GetSpeed() const { return mySpeed; }
    float GetAlpha() const { return mySprite.myColor.a; }
    const Vela::SpriteInstance& GetSprite() const { return mySprite; }

private:
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    Vela::SpriteSharedData mySpriteData;
    Vela::SpriteInstance mySprite;
    uint8_t myReveal = 0;
    uint8_t myCover = 0;
    float mySpeed = 2.0f;
};
