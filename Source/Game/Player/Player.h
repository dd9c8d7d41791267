#pragma once
// The character the user controls: walks and runs, jumps on a fixed height curve, falls, crouches
// (hiding in grass), pushes and pulls boxes, dies on death volumes and respawns at the last check
// point. Embedded in the game screen; main thread only.
#include "Player/AnimFlags.h"
#include "Player/AnimStateMachine.h"
#include "Player/GameObject.h"
#include "Puzzles/BoxWeight.h"
#include "World/Collider.h"

#include "mire/math/Vector.h"
#include "mire/model/AnimatedModelInstance.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class FlipbookEffects;
class StateStack;
struct GameContext;
struct PlayerTemplate;

// The fixed cycle of dust sizes (0 to 1) every walker's dust draws from, so runs repeat exactly.
inline constexpr std::array<float, 12> DUST_SIZES{ 0.21f, 0.25f, 0.67f, 0.32f, 0.95f, 0.85f, 0.70f, 0.31f, 0.67f, 0.24f, 0.05f, 0.99f };

// Steps anIndex to the next entry of DUST_SIZES and returns it.
inline float NextDustSize(int32_t& anIndex)
{
    anIndex = (anIndex + 1) % static_cast<int32_t>(DUST_SIZES.size());
    return DUST_SIZES[static_cast<size_t>(anIndex)];
}

class Player : public GameObject
{
public:
    static constexpr float STANDING_HURT_HALF_HEIGHT = 47.8f;
    static constexpr float CROUCH_HURT_HALF_HEIGHT = 23.9f;
    static constexpr float HURT_HALF_WIDTH = 25.0f;
    static constexpr float HARD_LANDING_VELOCITY = -10.0f;
    static constexpr float GRAVITY = 9.82f;

    // Tuning: how the player moves, set here and nowhere else.
    static constexpr float RUN_SPEED = 350.0f;        // units per second
    static constexpr float CROUCH_SPEED = 125.0f;     // units per second
    static constexpr float PUSH_SPEED = 200.0f;       // units per second, holding a light box
    static constexpr float PUSH_SPEED_HEAVY = 100.0f; // units per second, holding a heavy box
    static constexpr float GRAVITY_FACTOR = 3.5f;     // the fall's pull, in GRAVITY
    static constexpr float JUMP_HEIGHT = 260.0f;      // the top of the jump's curve
    static constexpr float JUMP_DURATION = 0.5f;      // seconds to reach it
    static constexpr float JUMP_EXPONENT = 2.0f;      // the curve's ease-out

    Player(GameContext& aContext, StateStack* aStack);
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;
    void Init() override;
    void Update(const UpdateContext& aContext) override;
    void Render() override;

    // Takes the level's model and spawn point; the respawn point starts at the spawn.
    void SpawnFromLevel(const PlayerTemplate& aTemplate, PlayerAnimationSet& someClips);
    void BindAnimationSet(PlayerAnimationSet& someClips);
    void Respawn();
    // Would aCollider moved by anOffset overlap anything blocking? The collider is left where it was.
    bool ProbeMove(Vela::Vector2<float> anOffset, Collider& aCollider);
    // One gravity step while the exit walks the player out.
    void FallStep(float aDeltaTime);

    // Written by the game screen from its ground probe.
    bool IsGrounded() const { return myGrounded; }
    void SetGrounded(bool aGrounded) { myGrounded = aGrounded; }
    void SetHurtBoxBlocked(bool aBlocked) { myHurtBoxBlocked = aBlocked; }
    bool IsCrouching() const { return myCrouching; }
    bool IsJumping() const { return myJumping; }
    // Written by a held movable box.
    bool IsGrabbing() const { return myGrabbing; }
    void SetGrabbing(bool aGrabbing) { myGrabbing = aGrabbing; }
    void SetGrabbedBoxPosition(Vela::Vector2<float> aPosition) { myGrabbedBoxPosition = aPosition; }
    BoxWeight GetPushState() const { return myPushState; }
    void SetPushState(BoxWeight aPushState) { myPushState = aPushState; }
    // Written by an orb.
    bool IsCarryingOrb() const { return myCarryingOrb; }
    void SetCarryingOrb(bool aCarrying) { myCarryingOrb = aCarrying; }
    // Written by the game (level start, end of a fade) and by a death.
    bool IsLocked() const { return myLocked; }
    void SetLocked(bool aLocked) { myLocked = aLocked; }
    // Written by an enemy that has seen the player; read by the sight cones through IsHidden.
    bool IsSpotted() const { return mySpotted; }
    void SetSpotted(bool aSpotted) { mySpotted = aSpotted; }
    bool IsHidden() const { return myHidden; }
    bool IsFacingRight() const { return myFacingRight; }

    void SetPosition(const Vela::Vector3<float>& aPosition) { myPosition = aPosition; }
    float GetHorizontalStep() const { return myHorizontalStep; }
    void SetVerticalVelocity(float aVelocity) { myVerticalVelocity = aVelocity; }

    AnimFlags& GetAnimFlags() { return myAnimFlags; }
    AnimStateMachine& GetAnimStateMachine() { return myAnimStateMachine; }
    Vela::AnimatedModelInstance& GetAnimatedModel() { return myAnimatedModel; }
    // The camera follows this matrix's translation.
    Vela::Matrix4x4<float>& GetModelTransform() { return myModelInstance.GetTransform(); }
    FlipbookEffects& GetEffects() { return *myEffects; }
    Collider& GetHurtBox() { return myHurtBox; }
    Collider& GetGroundCollider() { return myGroundCollider; }

private:
    void ReadHorizontalInput(const UpdateContext& aContext, float aDeltaTime);
    void StartJump();
    void UpdateDustBurst(float aDeltaTime);
    void UpdateVerticalMotion(float aDeltaTime);
    void UpdateCrouch(const UpdateContext& aContext);
    void MoveHorizontally();
    void MoveVertically();
    void SpawnStepPoof(float aDeltaTime);
    void SpawnHardLanding();
    void SpawnSweat(float aDeltaTime);
    void PlaceColliders();
    void UpdateFacingAndFlags();
    void RunAnimation(float aDeltaTime);
    void Die();
    void SpawnPoof(Vela::Vector2<float> aPosition, float aSize, Vela::Vector2<float> aVelocity);
    float ReadStandingHeight() const;

    bool myGrounded = false;
    bool myHurtBoxBlocked = false;
    bool myCrouching = false;
    bool myJumping = false;
    bool myGrabbing = false;
    Vela::Vector2<float> myGrabbedBoxPosition{ 0.0f, 0.0f };
    bool myCarryingOrb = false;
    bool myLocked = false;
    bool myMovedThisFrame = false;
    bool myHidden = false;
    bool myFacingRight = true;
    bool mySpotted = false;
    BoxWeight myPushState = BoxWeight_None;
    std::unique_ptr<FlipbookEffects> myEffects;
    float myVerticalVelocity = 0.0f;
    float myJumpTimer = 0.0f;
    StateStack* myStack = nullptr;
    GameContext* myContext = nullptr;
    AnimStateMachine myAnimStateMachine;
    Vela::AnimatedModelInstance myAnimatedModel;
    AnimFlags myAnimFlags;
    float myHorizontalStep = 0.0f;
    float myVerticalStep = 0.0f;
    Vela::Vector2<float> myRespawnPoint{ 0.0f, 0.0f };
    float myColliderHeight = 0.0f;
    float myStandingHeight = 0.0f;
    float myCrouchHeight = 0.0f;
    Vela::Vector2<float> myStandingHurtSize{ HURT_HALF_WIDTH, STANDING_HURT_HALF_HEIGHT };
    Vela::Vector2<float> myCrouchHurtSize{ HURT_HALF_WIDTH, CROUCH_HURT_HALF_HEIGHT };
    Collider myHurtBox;
    Collider myGroundCollider;
    std::array<int32_t, 2> myLookDirection{ 1, 0 };
    std::array<int32_t, 2> myPreviousLookDirection{ 1, 0 };
    int32_t myDustIndex = 0;
    bool myHardLandingPending = false;
    bool myDustBurstActive = false;
    float myDustBurstElapsed = 0.0f;
    float myDustBurstCountdown = 0.0f;
    float myStepPoofCountdown = 0.0f;
    float mySweatCountdown = 0.0f;
};
