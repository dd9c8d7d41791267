#pragma once
// A glowing, humming ball the player picks up with Interact, carries and drops; dropped, it falls
// until it lands on level geometry or a box. Never copied or moved: its collider and the live hum
// point at it, so orbs are built in place where they stay.
#include "Player/GameObject.h"
#include "Sound/SoundManager.h"

#include "mire/drawers/SpriteDrawer.h"
#include "mire/math/Vector.h"

#include <cstdint>

namespace Vela
{
    class InputManager;
    class Texture;
}
class Player;
struct GameContext;

class Orb : public GameObject
{
public:
    static constexpr const char* GLOW_TEXTURE = "visual effects/textures/T_flipbook_orb_glow.DDS";
    static constexpr float CARRY_HEIGHT = 140.0f;
    static constexpr float CARRY_EASING = 0.01f;

    Orb() = default;
    Orb(Player* aPlayer, GameContext* aContext, Vela::InputManager* anInputManager);
    ~Orb() override;
    Orb(const Orb&) = delete;
    Orb& operator=(const Orb&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    void SetCollider(const Collider& aDescription);
    void SetPosition(const Vela::Vector3<float>& aPosition);
    void PlayLevelHum();
    void UpdatePickup(const UpdateContext& aContext);

    void SetPlayer(Player* aPlayer) { myPlayer = aPlayer; }
    void SetContext(GameContext* aContext) { myContext = aContext; }
    void SetInRange(bool anInRange) { myInRange = anInRange; }
    bool IsInRange() const { return myInRange; }
    bool IsCarried() const { return myCarried; }
    bool HasLanded() const { return myLanded; }
    const SoundHandle& GetHum() const { return myHum; }
    // Drawn by the game's world pass.
    const Vela::SpriteSharedData& GetSpriteData() const { return mySpriteData; }
    const Vela::SpriteInstance& GetSprite() const { return mySprite; }

private:
    void AdvanceGlow();
    void PickUp();
    void Drop();
    void Move();
    void UpdateHumVolume();

    GameContext* myContext = nullptr;
    Vela::InputManager* myInputManager = nullptr;
    Vela::SpriteSharedData mySpriteData;
    Vela::SpriteInstance mySprite;
    // The glow flipbook, re-armed when its loops are used up.
    const Vela::Texture* myGlowTexture = nullptr;
    int32_t myGlowColumns = 8;
    int32_t myGlowRows = 8;
    int32_t myGlowLoops = 1;
    int32_t myGlowLoopCount = 0;
    int32_t myGlowFrameCount = 64;
    int32_t myGlowFrame = 0;
    float myGlowFrameTimer = 0.0f;
    float myGlowFramesPerSecond = 30.0f;
    Vela::Vector2<float> myGlowVelocity{ 0.0f, 0.0f };
    bool myGlowAlive = false;
    bool myGlowArmed = false; // the sprite's size and place are set once per arming
    Player* myPlayer = nullptr;
    bool myInRange = false; // the player's centre was inside the orb's rectangle in this frame's contacts
    bool myCarried = false;
    bool myLanded = false;
    float myFallSpeed = 0.0f;
    float myGravityFactor = 0.0f;
    float myDeltaTime = 0.0f;
    float myHearingRange = 1000.0f;
    float myHumVolume = 2.9f;
    SoundHandle myHum;
};
