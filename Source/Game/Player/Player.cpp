#include "Player/Player.h"

#include "Camera/CameraController.h"
#include "Effects/FlipbookEffects.h"
#include "Effects/FlipbookPresets.h"
#include "Input/InputMapper.h"
#include "Levels/LevelData.h"
#include "Puzzles/BreakableFloor.h"
#include "Screens/StateStack.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/animation/Pose.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/math/MathFunctions.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cmath>

static_assert(ANIM_STATE_COUNT == PLAYER_CLIP_COUNT, "one animation state per player clip");

namespace
{

    constexpr float DUST_BURST_SECONDS = 0.2f;
    constexpr float DUST_BURST_INTERVAL = 0.02f;
    constexpr float STEP_POOF_INTERVAL = 0.07f;
    constexpr float CROUCH_STEP_POOF_INTERVAL = 0.25f;
    constexpr float SWEAT_INTERVAL = 0.5f;
    constexpr float DEATH_FADE_SPEED = 6.0f;
    constexpr float MOVE_THRESHOLD = 0.001f;
    // The engine's frame timer caps a step at this many seconds.
    constexpr float MAX_FRAME_SECONDS = 0.1f;

    bool IsPushing(BoxWeight aPushState) { return aPushState == BoxWeight_Light || aPushState == BoxWeight_Heavy; }
}

Player::Player(GameContext& aContext, StateStack* aStack)
    : myEffects(std::make_unique<FlipbookEffects>()), myStack(aStack), myContext(&aContext)
{
}

Player::~Player() = default;

float Player::ReadStandingHeight() const
{
    // The first mesh's half height: the model stands with its feet at the origin.
    std::shared_ptr<Vela::Model> model = myAnimatedModel.GetModel() ? myAnimatedModel.GetModel() : myModelInstance.GetModel();
    if (!model || model->GetMeshes().empty())
    {
        return 0.0f;
    }
    return model->GetMeshes().front().myBounds.myHalfExtents.y;
}

void Player::Init()
{
    myCrouching = false;
    myJumping = false;
    myLocked = false;
    myMovedThisFrame = false;
    myFacingRight = true;
    myVerticalVelocity = 0.0f;
    myJumpTimer = 0.0f;
    myStandingHeight = ReadStandingHeight();
    myCrouchHeight = myStandingHeight - CROUCH_HURT_HALF_HEIGHT;
    myColliderHeight = myStandingHeight;
    myStandingHurtSize = { HURT_HALF_WIDTH, STANDING_HURT_HALF_HEIGHT };
    myCrouchHurtSize = { HURT_HALF_WIDTH, CROUCH_HURT_HALF_HEIGHT };
    myHardLandingPending = false;

    myHurtBox.name = Vela::StringRegistry::RegisterOrGetString("HurtBox");
    myHurtBox.type = ColliderType::Player;
    myHurtBox.halfWidth = myStandingHurtSize.x;
    myHurtBox.halfHeight = myStandingHurtSize.y;
    myHurtBox.isPlayer = true;
    myGroundCollider.name = Vela::StringRegistry::RegisterOrGetString("GroundCollider");
    myGroundCollider.type = ColliderType::Player;
    myGroundCollider.halfWidth = HURT_HALF_WIDTH;
    // A refused fall leaves the hurt box resting anywhere up to one gravity step above the floor, with the
    // feet up to that much above its top; a flat line at the feet would then often miss the floor and the
    // player could not jump. The ground probe reaches one step (at the longest frame) above and below.
    myGroundCollider.halfHeight = GRAVITY_FACTOR * GRAVITY * MAX_FRAME_SECONDS;
    PlaceColliders();

    if (myContext->collisionManager)
    {
        myContext->collisionManager->AddDynamic(&myGroundCollider);
        myContext->collisionManager->AddDynamic(&myHurtBox);
    }
    myHurtBox.AddObserver(this);
    myEffects = std::make_unique<FlipbookEffects>();
}

void Player::SpawnFromLevel(const PlayerTemplate& aTemplate, PlayerAnimationSet& someClips)
{
    (void)someClips; // bound by BindAnimationSet, which the level selection calls next
    myModelInstance = aTemplate.model;
    myAnimatedModel = Vela::AnimatedModelInstance();
    std::shared_ptr<Vela::Model> model = aTemplate.animatedModel.GetModel() ? aTemplate.animatedModel.GetModel() : aTemplate.model.GetModel();
    if (model)
    {
        myAnimatedModel.Init(model);
    }
    const Vela::Vector3<float> spawn = myModelInstance.GetTransform().GetTranslation();
    myPosition = spawn;
    // A death before the first check point of this level returns the player here.
    myRespawnPoint = { spawn.x, spawn.y };
    mySpotted = false;
    PlaceColliders();
    myAnimatedModel.SetTransform(myModelInstance.GetTransform());
}

void Player::BindAnimationSet(PlayerAnimationSet& someClips)
{
    myAnimStateMachine.Bind(&someClips, &myAnimatedModel);
}

void Player::Respawn()
{
    myPosition = { myRespawnPoint.x, myRespawnPoint.y, 0.0f };
    myModelInstance.GetTransform().SetTranslation(myPosition);
    myAnimatedModel.SetTransform(myModelInstance.GetTransform());
    PlaceColliders();
    // The Glomp that caught the player is reset to its spawn; it no longer sees the player.
    mySpotted = false;
    if (myContext->cameraController)
    {
        myContext->cameraController->SetTarget(&myModelInstance.GetTransform());
    }
}

bool Player::ProbeMove(Vela::Vector2<float> anOffset, Collider& aCollider)
{
    if (!myContext->collisionManager)
    {
        return false;
    }
    aCollider.x += anOffset.x;
    aCollider.y += anOffset.y;
    const bool blocked = myContext->collisionManager->IsOverlappingAny(aCollider);
    aCollider.x -= anOffset.x;
    aCollider.y -= anOffset.y;
    return blocked;
}

void Player::FallStep(float aDeltaTime)
{
    myVerticalVelocity -= GRAVITY_FACTOR * GRAVITY * aDeltaTime;
    myVerticalStep = myVerticalVelocity;
    if (ProbeMove({ 0.0f, myVerticalVelocity }, myHurtBox))
    {
        if (myVerticalVelocity <= HARD_LANDING_VELOCITY)
        {
            myHardLandingPending = true;
        }
        myVerticalVelocity = 0.0f;
        return;
    }
    myGrounded = false;
    myPosition.y += myVerticalVelocity;
    myHurtBox.y = myPosition.y + myColliderHeight;
}

void Player::OnCollision(Vela::Vector2<float>, float, Collider* aSelf, Collider* anOther)
{
    if (!anOther)
    {
        return;
    }
    switch (anOther->type)
    {
    case ColliderType::CheckPoint:
        myRespawnPoint = { anOther->x, anOther->y };
        break;
    case ColliderType::DeathBox:
        if (myStack && myStack->TopId() != static_cast<int>(StateId::Transition))
        {
            Die();
        }
        break;
    case ColliderType::ScriptedEventFloor:
        if (aSelf && aSelf->type == ColliderType::Player)
        {
            SpawnFloorDust(*myEffects, myPosition.x, myPosition.y);
        }
        break;
    default:
        break;
    }
}

void Player::Die()
{
    myLocked = true;
    myAnimFlags.dead = true;
    SoundManager::GetInstance().PlayOneShot("Player_Lose");
    myAnimatedModel.SetPose(Vela::Pose());
    myStack->Push(StateId::Transition);
    if (auto* fade = dynamic_cast<TransitionState*>(myStack->GetState(StateId::Transition)))
    {
        fade->Cover({ 0.0f, 0.0f, 0.0f }, DEATH_FADE_SPEED);
    }
}

void Player::Update(const UpdateContext& aContext)
{
    const float dt = aContext.deltaTime;
    myEffects->Update(dt);
    if (!myLocked)
    {
        myHorizontalStep = 0.0f;
        myVerticalStep = 0.0f;
        const bool dead = myAnimFlags.dead;
        myAnimFlags = AnimFlags();
        myAnimFlags.dead = dead;

        ReadHorizontalInput(aContext, dt);
        if (aContext.inputMapper && aContext.inputMapper->IsPressed(InputAction::Jump) && myGrounded && !myCrouching)
        {
            StartJump();
        }
        UpdateDustBurst(dt);
        UpdateVerticalMotion(dt);
        UpdateCrouch(aContext);
        myHidden = !mySpotted && myCrouching && myContext->collisionManager &&
                   myContext->collisionManager->IsOverlappingType(myHurtBox, ColliderType::Grass);
        MoveHorizontally();
        MoveVertically();
        SpawnStepPoof(dt);
        SpawnHardLanding();
        SpawnSweat(dt);
        const Vela::Vector2<float> size = myCrouching ? myCrouchHurtSize : myStandingHurtSize;
        myHurtBox.halfWidth = size.x;
        myHurtBox.halfHeight = size.y;
        myColliderHeight = myCrouching ? myCrouchHeight : myStandingHeight;
    }

    myModelInstance.GetTransform().SetTranslation(myPosition);
    PlaceColliders();
    myMovedThisFrame = false;
    myFacingRight = myLookDirection[0] > 0;

    UpdateFacingAndFlags();
    myAnimatedModel.SetTransform(myModelInstance.GetTransform());
    RunAnimation(dt);
}

void Player::ReadHorizontalInput(const UpdateContext& aContext, float aDeltaTime)
{
    if (!aContext.inputMapper)
    {
        return;
    }
    const bool left = aContext.inputMapper->IsDown(InputAction::MoveLeft);
    const bool right = !left && aContext.inputMapper->IsDown(InputAction::MoveRight);
    if (!left && !right)
    {
        return;
    }
    float speed = RUN_SPEED;
    if (myCrouching)
        speed = CROUCH_SPEED;
    else if (myPushState == BoxWeight_Light)
        speed = PUSH_SPEED;
    else if (myPushState == BoxWeight_Heavy)
        speed = PUSH_SPEED_HEAVY;
    const int32_t direction = left ? -1 : 1;
    myHorizontalStep = static_cast<float>(direction) * speed * aDeltaTime;
    myLookDirection = { direction, 0 };
    // A held box writes it again every frame.
    myPushState = BoxWeight_None;
}

void Player::StartJump()
{
    myJumping = true;
    myAnimFlags.jumpStarted = true;
    myJumpTimer = 0.0f;
    myVerticalVelocity = 0.0f;
    myGrounded = false;
    myDustBurstActive = true;
    SpawnPoof({ myPosition.x, myPosition.y + 15.0f }, 100.0f, { 0.0f, 100.0f });
}

void Player::UpdateDustBurst(float aDeltaTime)
{
    if (!myDustBurstActive)
    {
        return;
    }
    myDustBurstElapsed += aDeltaTime;
    if (myDustBurstCountdown <= 0.0f)
    {
        const float offsetX = (NextDustSize(myDustIndex) - 0.5f) * 20.0f;
        const float offsetY = (NextDustSize(myDustIndex) - 0.5f) * 20.0f;
        const float size = (1.0f - myDustBurstElapsed / DUST_BURST_SECONDS) * 70.0f;
        SpawnPoof({ myPosition.x + offsetX, myPosition.y + offsetY + 15.0f }, size, { 0.0f, -50.0f });
        myDustBurstCountdown = DUST_BURST_INTERVAL;
    }
    myDustBurstCountdown -= aDeltaTime;
    if (myDustBurstElapsed > DUST_BURST_SECONDS)
    {
        myDustBurstActive = false;
        myDustBurstElapsed = 0.0f;
    }
}

void Player::UpdateVerticalMotion(float aDeltaTime)
{
    if (myJumping)
    {
        myJumpTimer += aDeltaTime;
        const float t = std::clamp(myJumpTimer / JUMP_DURATION, 0.0f, 1.0f);
        const float height = (1.0f - std::pow(1.0f - t, JUMP_EXPONENT)) * JUMP_HEIGHT;
        myVerticalStep = height - myVerticalVelocity;
        myVerticalVelocity = height;
        if (myJumpTimer >= JUMP_DURATION)
        {
            myJumping = false;
            myVerticalVelocity = 0.0f;
        }
        return;
    }
    // A displacement per frame: gravity adds to it each frame and it is applied without dt.
    myVerticalVelocity -= GRAVITY_FACTOR * GRAVITY * aDeltaTime;
    myVerticalStep = myVerticalVelocity;
}

void Player::UpdateCrouch(const UpdateContext& aContext)
{
    if (aContext.inputMapper && aContext.inputMapper->IsDown(InputAction::Crouch) && myGrounded)
    {
        myCrouching = true;
        return;
    }
    if (!myCrouching || !myContext->collisionManager)
    {
        return;
    }
    // Stand up only where the standing hurt box fits.
    Collider standing = myHurtBox;
    standing.halfWidth = myStandingHurtSize.x;
    standing.halfHeight = myStandingHurtSize.y;
    standing.x = myPosition.x;
    standing.y = myPosition.y + myStandingHeight;
    if (!myContext->collisionManager->IsOverlappingAny(standing))
    {
        myCrouching = false;
    }
}

void Player::MoveHorizontally()
{
    if (ProbeMove({ myHorizontalStep, 0.0f }, myHurtBox))
    {
        return; // refused whole, no sliding
    }
    myPosition.x += myHorizontalStep;
    myHurtBox.x = myPosition.x;
    myAnimFlags.speed = std::fabs(myHorizontalStep);
    if (myHorizontalStep > MOVE_THRESHOLD || myHorizontalStep < -MOVE_THRESHOLD)
    {
        myMovedThisFrame = true;
    }
}

void Player::MoveVertically()
{
    if (ProbeMove({ 0.0f, myVerticalStep }, myHurtBox))
    {
        // A landing, or a ceiling during a jump.
        if (myVerticalVelocity <= HARD_LANDING_VELOCITY)
        {
            myHardLandingPending = true;
        }
        myVerticalVelocity = 0.0f;
        myJumping = false;
        myJumpTimer = 0.0f;
        return;
    }
    myPosition.y += myVerticalStep;
    myHurtBox.y = myPosition.y + myColliderHeight;
    myGrounded = false;
}

void Player::SpawnStepPoof(float aDeltaTime)
{
    myStepPoofCountdown -= aDeltaTime;
    if (!myMovedThisFrame || !myGrounded || !(myStepPoofCountdown < 0.0f))
    {
        return;
    }
    const float size = NextDustSize(myDustIndex) * 50.0f;
    SpawnPoof({ myPosition.x, myPosition.y + 7.0f }, size, { 0.0f, 10.0f });
    myStepPoofCountdown = myCrouching ? CROUCH_STEP_POOF_INTERVAL : STEP_POOF_INTERVAL;
}

void Player::SpawnHardLanding()
{
    if (!myHardLandingPending || !myGrounded)
    {
        return;
    }
    myEffects->Spawn(FlipbookPresets::LANDING_POOF, { myPosition.x, myPosition.y + 15.0f }, { 250.0f, 250.0f });
    myHardLandingPending = false;
}

void Player::SpawnSweat(float aDeltaTime)
{
    if (mySweatCountdown < 0.0f && IsPushing(myPushState))
    {
        myEffects->Spawn(FlipbookPresets::SWEAT, { myPosition.x, myPosition.y + 70.0f }, { 150.0f, 150.0f }, { myVerticalStep, 0.0f });
        mySweatCountdown = SWEAT_INTERVAL;
    }
    mySweatCountdown -= aDeltaTime;
}

void Player::PlaceColliders()
{
    myGroundCollider.x = myPosition.x;
    myGroundCollider.y = myPosition.y;
    myHurtBox.x = myPosition.x;
    myHurtBox.y = myPosition.y + myColliderHeight;
}

void Player::UpdateFacingAndFlags()
{
    if (!myLocked)
    {
        if (myGrabbing)
        {
            const int32_t towardsBox = myGrabbedBoxPosition.x >= myPosition.x ? 1 : -1;
            if (myLookDirection[0] == towardsBox && myLookDirection[1] == 0)
                myAnimFlags.pushing = true;
            else
                myAnimFlags.pulling = true;
        }
        else
        {
            const float yaw = myLookDirection[0] < 1 ? 180.0f : 0.0f;
            Vela::RotationFromEulerDegrees(myModelInstance.GetTransform(), { 0.0f, yaw, 0.0f });
        }
    }
    myPreviousLookDirection = myLookDirection;
    myAnimFlags.grounded = myGrounded;
    myAnimFlags.crouching = myCrouching;
    myAnimFlags.reserved = false;
    if (myLocked)
    {
        myAnimFlags.grounded = true;
        myAnimFlags.crouching = false;
        myAnimFlags.pushing = false;
        myAnimFlags.pulling = false;
        myAnimFlags.jumpStarted = false;
    }
}

void Player::RunAnimation(float aDeltaTime)
{
    if (!myAnimStateMachine.CanRun())
    {
        return;
    }
    myAnimStateMachine.Update(myAnimFlags, aDeltaTime);
    // The state may have switched clips: pose the model from the current clip without advancing it.
    Vela::AnimationPlayer* clip = myAnimStateMachine.GetCurrentState()->GetClip();
    if (clip && clip->GetAnimation())
    {
        clip->SamplePose();
        myAnimatedModel.Update(*clip);
    }
}

void Player::Render()
{
    Vela::GraphicsEngine* graphics = Vela::GraphicsServices::GetGraphicsEngine();
    if (graphics && graphics->GetModelDrawer() && myAnimatedModel.GetModel())
    {
        myAnimatedModel.SetTransform(myModelInstance.GetTransform());
        graphics->GetModelDrawer()->Draw(myAnimatedModel);
    }
}

void Player::SpawnPoof(Vela::Vector2<float> aPosition, float aSize, Vela::Vector2<float> aVelocity)
{
    myEffects->Spawn(FlipbookPresets::MOVEMENT_POOF, aPosition, { aSize, aSize }, aVelocity);
}
