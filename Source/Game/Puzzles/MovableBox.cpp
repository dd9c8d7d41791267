#include "Puzzles/MovableBox.h"

#include "Effects/FlipbookEffects.h"
#include "Input/InputMapper.h"
#include "Player/Player.h"
#include "Puzzles/BreakableFloor.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
    constexpr float GRAVITY = 9.82f;
    constexpr float GRAVITY_FACTOR = 100.0f;
    constexpr float HEAVINESS_EASING = 0.1f;
    constexpr float PUSH_PROBE_LIFT = 10.0f;
    constexpr float FOOT_HALF_HEIGHT = 1.0f;
    constexpr float LAND_SOUND_INTERVAL = 0.5f;
    // A held box farther than this from the player's hurt box (edge to edge) is let go. The player grabs
    // from up to a run step away and moves a pull step before the box follows: at frames up to 1/10 s
    // that is 35 + 20 units.
    constexpr float GRAB_REACH = 60.0f;

    using ClipState = Vela::AnimationPlayer::State;
}

MovableBox::MovableBox(GameContext* aContext) : myDust(std::make_unique<FlipbookEffects>()), myContext(aContext) {}

MovableBox::~MovableBox() = default;

void MovableBox::Init()
{
    myAttached = false;
    myHeavyEntered = false;
    myGrounded = true;
    myWasGrounded = true;
    myGravityFactor = GRAVITY_FACTOR;
    myPushDelta = 0.0f;

    const Vela::Vector3<float> translation = myAnimatedModel.GetTransform().GetTranslation();
    myPosition = { translation.x, translation.y, 0.0f };
    PlaceCollider();
    // The world pass culls objects by their static instance: it stands for the skinned one.
    if (!myModelInstance.GetModel() && myAnimatedModel.GetModel())
    {
        myModelInstance.Init(myAnimatedModel.GetModel());
    }
    myModelInstance.SetTransform(myAnimatedModel.GetTransform());
    myCollider.name = Vela::StringRegistry::RegisterOrGetString("Interactable_Box_Snail");
    myCollider.AddObserver(this); // once, however often the level is rebuilt

    myCurrentClip = BoxClip::Idle;
    myAnimatedModel.Update(GetClip(BoxClip::Idle));
    for (Vela::AnimationPlayer& clip : someClips)
    {
        clip.SetState(ClipState::Playing);
    }
    myDust = std::make_unique<FlipbookEffects>();
    mySound = SoundManager::GetInstance().QueueLooping("Snail_Idle", false);
}

void MovableBox::SwitchClip(BoxClip aTarget)
{
    if (aTarget == myCurrentClip)
    {
        return;
    }
    Vela::AnimationPlayer& current = GetClip(myCurrentClip);
    current.SetState(ClipState::Stopped);
    current.SetTime(0.0f);
    myCurrentClip = aTarget;
    GetClip(aTarget).SetState(ClipState::Playing);
}

void MovableBox::RestartSound(const char* aName)
{
    SoundManager& sounds = SoundManager::GetInstance();
    sounds.StopSound(mySound, true);
    mySound = sounds.PlayLoopingSfx(aName);
}

bool MovableBox::IsClipFinished(BoxClip aClip)
{
    // A clip the level did not give has nothing to play and counts as done.
    const Vela::AnimationPlayer& clip = GetClip(aClip);
    return !clip.GetAnimation() || clip.GetState() == ClipState::Finished;
}

void MovableBox::RewindClip(BoxClip aClip)
{
    Vela::AnimationPlayer& clip = GetClip(aClip);
    clip.SetTime(0.0f);
    clip.SetState(ClipState::Playing);
}

void MovableBox::PlaceCollider()
{
    myCollider.x = myPosition.x;
    myCollider.y = myPosition.y + myCollider.halfHeight;
}

void MovableBox::Update(const UpdateContext& aContext)
{
    const float dt = aContext.deltaTime;
    myDust->Update(dt);
    // Eased once per frame, not scaled by dt.
    if (myBoxType == HEAVY && myHeaviness < 1.0f)
        myHeaviness += (1.0f - myHeaviness) * HEAVINESS_EASING;
    else if (myBoxType == LIGHT && myHeaviness > 0.0f)
        myHeaviness -= myHeaviness * HEAVINESS_EASING;
    myPushDelta = 0.0f;

    UpdateGrab(aContext);
    myGrounded = false;
    myVerticalSpeed -= myGravityFactor * GRAVITY * dt;
    ProbeHorizontally();
    ProbeVertically(dt);
    UpdateClipsAfterMove(dt);

    PlaceCollider();
    myAnimatedModel.GetTransform().SetTranslation({ myPosition.x, myPosition.y, 0.0f });
    myModelInstance.SetTransform(myAnimatedModel.GetTransform());
    Vela::AnimationPlayer& clip = GetClip(myCurrentClip);
    if (clip.GetAnimation())
    {
        clip.Update(dt);
        myAnimatedModel.Update(clip);
    }
    myWasGrounded = myGrounded;
    UpdateSoundVolume();
}

void MovableBox::UpdateGrab(const UpdateContext& aContext)
{
    Player* player = myContext ? myContext->player : nullptr;
    if (!myAttached || !player)
    {
        return;
    }
    const bool holding = aContext.inputMapper && aContext.inputMapper->IsDown(InputAction::Click);
    if (myGrounded && IsWithinReach(*player) && holding && player->IsGrounded() && !player->IsCrouching())
    {
        myPushDelta = player->GetHorizontalStep();
        player->SetGrabbedBoxPosition({ myPosition.x, myPosition.y });
        player->SetPushState(myBoxType);
        player->SetGrabbing(true);
        if (myCurrentClip == BoxClip::HeavyIdle || myPushDelta == 0.0f)
        {
            return;
        }
        const bool towardsRight = myPushDelta > 0.0f;
        const BoxClip pushed = towardsRight ? BoxClip::PushedLeft : BoxClip::PushedRight;
        const BoxClip beingPushed = towardsRight ? BoxClip::BeingPushedLeft : BoxClip::BeingPushedRight;
        if (myCurrentClip != pushed && myCurrentClip != beingPushed)
        {
            SwitchClip(pushed);
            if (mySound)
            {
                RestartSound("Snail_Pushing");
                SoundManager::GetInstance().PlayOneShot(towardsRight ? "Snail_PushLeft" : "Snail_PushRight");
            }
        }
        if (myCurrentClip == pushed && GetClip(pushed).GetState() == ClipState::Finished)
        {
            RewindClip(pushed);
            SwitchClip(beingPushed);
        }
        return;
    }
    // Let go: also when the box left the ground or the player, so it never pulls the player along
    // from afar and the player walks at its own speed again.
    myAttached = false;
    player->SetGrabbing(false);
    player->SetPushState(BoxWeight_None);
    if (!myGrounded || myCurrentClip == BoxClip::EnterHeavy || myCurrentClip == BoxClip::Landing)
    {
        return;
    }
    if (myBoxType == HEAVY && myCurrentClip != BoxClip::HeavyIdle)
    {
        SwitchClip(BoxClip::HeavyIdle);
        RestartSound("Snail_IdleShell");
    }
    else if (myBoxType == LIGHT && myCurrentClip != BoxClip::Idle)
    {
        SwitchClip(BoxClip::Idle);
        RestartSound("Snail_Idle");
    }
}

bool MovableBox::IsWithinReach(Player& aPlayer) const
{
    const Collider& hurtBox = aPlayer.GetHurtBox();
    const float gapX = std::fabs(hurtBox.x - myCollider.x) - hurtBox.halfWidth - myCollider.halfWidth;
    const float gapY = std::fabs(hurtBox.y - myCollider.y) - hurtBox.halfHeight - myCollider.halfHeight;
    return gapX <= GRAB_REACH && gapY <= GRAB_REACH;
}

void MovableBox::ProbeHorizontally()
{
    if (!myContext || !myContext->collisionManager)
    {
        return;
    }
    myCollider.x += myPushDelta;
    myCollider.y += PUSH_PROBE_LIFT;
    const bool blocked = myContext->collisionManager->IsOverlappingAny(myCollider);
    myCollider.x -= myPushDelta;
    myCollider.y -= PUSH_PROBE_LIFT;
    if (!blocked)
    {
        myPosition.x += myPushDelta;
    }
}

void MovableBox::ProbeVertically(float aDeltaTime)
{
    const float step = myVerticalSpeed * aDeltaTime;
    // A thin foot reaching half a unit below the box, moved by this frame's fall.
    Collider foot = myCollider;
    foot.halfHeight = FOOT_HALF_HEIGHT;
    foot.y = myCollider.y - (myCollider.halfHeight - 0.5f) + step;
    float top = 0.0f;
    if (myContext && myContext->collisionManager && myContext->collisionManager->IsOverlappingAny(foot, &top))
    {
        // Down onto what it hit, not refused whole: one drop lands once and rests on the top. Never
        // lifted: a top above the box's bottom is something it already stands in.
        myPosition.y = std::min(myPosition.y, std::max(top, myPosition.y + step));
        myVerticalSpeed = 0.0f;
        myGrounded = true;
        return;
    }
    myPosition.y += step;
}

void MovableBox::UpdateClipsAfterMove(float aDeltaTime)
{
    if (!myGrounded)
    {
        SwitchClip(BoxClip::Falling);
        if (mySoundState != BoxSoundState::Falling)
        {
            mySoundState = BoxSoundState::Falling;
            RestartSound("Snail_Drop");
        }
    }
    else if (!myWasGrounded)
    {
        SwitchClip(BoxClip::Landing);
        if (mySoundState != BoxSoundState::Landing)
        {
            mySoundState = BoxSoundState::Landing;
            SoundManager::GetInstance().StopSound(mySound, true);
            myLandSoundTimer -= aDeltaTime;
            if (myLandSoundTimer <= 0.0f)
            {
                myLandSoundTimer = LAND_SOUND_INTERVAL;
                SoundManager::GetInstance().PlayOneShot("Snail_Land");
            }
        }
    }
    if (myBoxType == HEAVY && !myHeavyEntered)
    {
        SwitchClip(BoxClip::EnterHeavy);
        myHeavyEntered = true;
    }
    if (myCurrentClip == BoxClip::EnterHeavy && IsClipFinished(BoxClip::EnterHeavy))
    {
        RewindClip(BoxClip::EnterHeavy);
        SwitchClip(BoxClip::HeavyIdle);
        RestartSound("Snail_IdleShell");
    }
    if (myCurrentClip == BoxClip::Landing && IsClipFinished(BoxClip::Landing))
    {
        RewindClip(BoxClip::Landing);
        if (myBoxType == HEAVY)
        {
            SwitchClip(BoxClip::EnterHeavy);
            myHeavyEntered = true;
            if (IsClipFinished(BoxClip::EnterHeavy))
            {
                SwitchClip(BoxClip::HeavyIdle);
            }
        }
        else
        {
            std::printf("Landing finished, going to idle\n");
            mySoundState = BoxSoundState::Idle;
            SwitchClip(BoxClip::Idle);
            RestartSound("Snail_Idle");
        }
    }
}

void MovableBox::UpdateSoundVolume()
{
    Player* player = myContext ? myContext->player : nullptr;
    if (!player || !mySound.IsPlaying())
    {
        return;
    }
    const Vela::Vector3<float> offset = player->GetPosition() - Vela::Vector3<float>{ myPosition.x, myPosition.y, 0.0f };
    const float ratio = offset.Length() / mySoundRange;
    mySound.SetVolume(std::clamp(1.0f - ratio * ratio, 0.0f, 1.0f));
}

void MovableBox::OnCollision(Vela::Vector2<float>, float, Collider* aSelf, Collider* anOther)
{
    if (!anOther)
    {
        return;
    }
    if (anOther->type == ColliderType::Player)
    {
        if (myGrounded)
        {
            myAttached = true;
        }
        Player* player = myContext ? myContext->player : nullptr;
        if (player && player->IsCarryingOrb() && myBoxType == LIGHT)
        {
            // Until the level is built again: nothing else turns a heavy box light.
            myBoxType = HEAVY;
            myCollider.type = ColliderType::HeavyBox;
        }
    }
    else if (anOther->type == ColliderType::BreakableFloor && aSelf && aSelf->type == ColliderType::HeavyBox)
    {
        SpawnFloorDust(*myDust, myPosition.x, myPosition.y);
    }
}

void MovableBox::Render()
{
    Vela::GraphicsEngine* graphics = Vela::GraphicsServices::GetGraphicsEngine();
    if (myDust && graphics && graphics->GetSpriteDrawer())
    {
        myDust->Render(*graphics->GetSpriteDrawer());
    }
    if (!graphics || !graphics->GetModelDrawer() || !graphics->GetGraphicsStateStack() || !myAnimatedModel.GetModel())
    {
        return;
    }
    if (!myShader.IsLoaded() && !myShaderTried)
    {
        // Shaders are compiled on the render thread, at the first draw.
        myShaderTried = true;
        myShader.Init(VERTEX_SHADER, PIXEL_SHADER);
    }
    Vela::GraphicsStateStack& states = *graphics->GetGraphicsStateStack();
    states.Push();
    states.SetCustomShaderParameters({ myHeaviness, 0.0f, 0.0f, 0.0f });
    if (myShader.IsLoaded())
        graphics->GetModelDrawer()->Draw(myAnimatedModel, myShader);
    else
        graphics->GetModelDrawer()->Draw(myAnimatedModel);
    states.Pop();
}
