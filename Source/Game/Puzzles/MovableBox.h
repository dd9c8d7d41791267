#pragma once
// A snail-shell box the player grabs and pushes or pulls along the ground. It falls under gravity and
// lands; a light box (type 1) touched by a player carrying the orb becomes heavy (type 2) until the
// level is built again, and a heavy box breaks the breakable floors it rests on. The game builds one
// from each of the level's box records at every level build, in place: never copied or moved, since
// the collision manager and the box's collider point at it.
#include "Player/GameObject.h"
#include "Puzzles/BoxWeight.h"
#include "Sound/SoundManager.h"
#include "World/Collider.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/graphics/ModelShader.h"
#include "mire/math/Vector.h"
#include "mire/model/AnimatedModelInstance.h"

#include <array>
#include <cstdint>
#include <memory>

class FlipbookEffects;
class Player;
struct GameContext;

enum class BoxClip : uint32_t
{
    Idle = 0,
    PushedLeft,
    PushedRight,
    Falling,
    Landing,
    EnterHeavy,
    HeavyIdle,
    BeingPushedLeft,
    BeingPushedRight,
    Count
};
constexpr uint32_t BOX_CLIP_COUNT = static_cast<uint32_t>(BoxClip::Count);

// Numbered as the box's sounds always were; 1 is not used.
enum class BoxSoundState : int32_t
{
    Idle = 0,
    Falling = 2,
    Landing = 3,
};

class MovableBox : public GameObject
{
public:
    static constexpr BoxWeight LIGHT = BoxWeight_Light;
    static constexpr BoxWeight HEAVY = BoxWeight_Heavy;
    static constexpr const char* VERTEX_SHADER = "shaders/SH_Snail_Skinned_VS";
    static constexpr const char* PIXEL_SHADER = "shaders/SH_Snail_PS";

    explicit MovableBox(GameContext* aContext = nullptr);
    ~MovableBox() override;
    MovableBox(const MovableBox&) = delete;
    MovableBox& operator=(const MovableBox&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    // The box body; GameObject's collider.
    BoxWeight GetBoxType() const { return myBoxType; }
    void SetBoxType(BoxWeight aBoxType) { myBoxType = aBoxType; }
    Vela::AnimatedModelInstance& GetAnimatedModel() { return myAnimatedModel; }
    Vela::ModelShader& GetShader() { return myShader; }
    std::array<Vela::AnimationPlayer, BOX_CLIP_COUNT>& GetClips() { return someClips; }
    Vela::AnimationPlayer& GetClip(BoxClip aClip) { return someClips[static_cast<uint32_t>(aClip)]; }
    bool IsAttached() const { return myAttached; }
    bool IsGrounded() const { return myGrounded; }
    float GetHeaviness() const { return myHeaviness; }
    void SetGravityFactor(float aFactor) { myGravityFactor = aFactor; }
    const SoundHandle& GetSound() const { return mySound; }
    FlipbookEffects* GetDust() const { return myDust.get(); }

private:
    void SwitchClip(BoxClip aTarget);
    void RestartSound(const char* aName);
    void UpdateGrab(const UpdateContext& aContext);
    // The player's hurt box is within the grab reach of the box.
    bool IsWithinReach(Player& aPlayer) const;
    void ProbeHorizontally();
    void ProbeVertically(float aDeltaTime);
    void UpdateClipsAfterMove(float aDeltaTime);
    void UpdateSoundVolume();
    bool IsClipFinished(BoxClip aClip);
    void RewindClip(BoxClip aClip);
    void PlaceCollider();

    BoxClip myCurrentClip = BoxClip::Idle;
    std::array<Vela::AnimationPlayer, BOX_CLIP_COUNT> someClips{};
    Vela::ModelShader myShader;
    bool myShaderTried = false; // compiled on the render thread at the first draw unless the level did
    bool myAttached = false;
    bool myGrounded = true;
    bool myWasGrounded = true;
    bool myHeavyEntered = false;
    float myPushDelta = 0.0f;
    float myGravityFactor = 100.0f;
    float myHeaviness = 0.0f;
    float myLandSoundTimer = 0.5f;
    float mySoundRange = 1000.0f;
    BoxSoundState mySoundState = BoxSoundState::Idle;
    float myVerticalSpeed = 0.0f;
    Vela::AnimatedModelInstance myAnimatedModel;
    std::unique_ptr<FlipbookEffects> myDust;
    GameContext* myContext = nullptr;
    BoxWeight myBoxType = LIGHT;
    SoundHandle mySound;
};
