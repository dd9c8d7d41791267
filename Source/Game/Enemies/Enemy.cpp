#include "Enemies/Enemy.h"

#include "Player/AnimStateMachine.h"
#include "Player/Player.h"
#include "Screens/StateStack.h"
#include "Screens/TransitionState.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/audio/AudioOut.h"
#include "mire/core/Engine.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Vela::Literals;

Enemy::Enemy(Player* aPlayer, StateStack* aStateStack, GameContext* aContext)
    : myContext(aContext)
    , myPlayer(aPlayer)
    , myStateStack(aStateStack)
{
}

void Enemy::Init()
{
    myGravityFactor = 40.0f;
    myPosition = myModelInstance.GetTransform().GetTranslation();
    myAnimatedModel.GetTransform().SetTranslation(myPosition);
}

void Enemy::Update(const UpdateContext&) {}

void Enemy::Render()
{
    if (myAnimatedModel.GetModel())
    {
        Vela::ModelDrawer& drawer = *Vela::Engine::GetInstance()->myGraphicsEngine->GetModelDrawer();
        drawer.Draw(myAnimatedModel, *drawer.GetAnimatedShader());
    }
}

void Enemy::InitEnemyBox(const Collider& aCollider)
{
    myEnemyBox = std::make_unique<Collider>(aCollider);
    myEnemyBox->observers.clear();
    myEnemyBox->halfWidth = 0.0f;
    myEnemyBox->halfHeight = 0.0f;
    if (const std::shared_ptr<Vela::Model> model = myModelInstance.GetModel(); model && !model->GetMeshes().empty())
    {
        const Vela::MeshData& mesh = model->GetMeshes().front();
        myEnemyBox->halfWidth = 0.7f * mesh.myBounds.myHalfExtents.x;
        myEnemyBox->halfHeight = 0.7f * mesh.myBounds.myHalfExtents.y;
    }
    myEnemyBox->isPlayer = false;
    const Vela::Vector3<float> translation = myModelInstance.GetTransform().GetTranslation();
    myEnemyBox->x = translation.x;
    myEnemyBox->y = myEnemyBox->halfHeight + translation.y + BOX_LIFT;
    myEnemyBox->name = "EnemyBox"_sid;
    myEnemyBox->type = ColliderType::EnemyGround;
}

void Enemy::TakeClips(const std::vector<Vela::AnimationPlayer>& someTemplateClips)
{
    someOwnClips = someTemplateClips;
    someClips.clear();
    for (Vela::AnimationPlayer& clip : someOwnClips)
    {
        someClips.push_back(&clip);
    }
}

void Enemy::PlaceColliderBox()
{
    myModelInstance.GetTransform().SetTranslation(myPosition);
    if (myEnemyBox)
    {
        myEnemyBox->x = myPosition.x;
        myEnemyBox->y = myEnemyBox->halfHeight + myPosition.y + BOX_LIFT;
    }
    myAnimatedModel.GetTransform().SetTranslation(myPosition);
}

float Enemy::GetDistanceAttenuation(const Vela::Vector3<float>& aFirst, const Vela::Vector3<float>& aSecond) const
{
    const float distance = Vela::Vector2<float>{ aFirst.x - aSecond.x, aFirst.y - aSecond.y }.Length();
    if (distance >= myHearingRange)
    {
        return 0.0f;
    }
    return std::clamp(1.0f - distance / myHearingRange, 0.0f, 1.0f);
}

float Enemy::GetPan() const
{
    if (!myPlayer || !(myHearingRange > 0.0f))
    {
        return 0.0f;
    }
    return std::clamp((myPosition.x - myPlayer->GetPosition().x) / myHearingRange, -1.0f, 1.0f);
}

void Enemy::PlaceSound(const SoundHandle& aSound, float aVolume) const
{
    if (!aSound.IsPlaying())
    {
        return;
    }
    // The slot's own channel: the shared sound's last channel may be another enemy's.
    if (Vela::AudioOut* output = Vela::AudioOut::GetInstance())
    {
        output->SetPan(&aSound.GetSlot()->channel, GetPan());
    }
    aSound.SetVolume(aVolume);
}

void Enemy::RestartLooping(SoundHandle& aSound, const char* aName)
{
    SoundManager& sounds = SoundManager::GetInstance();
    sounds.StopSound(aSound, true);
    aSound = sounds.PlayLoopingSfx(aName);
}

void Enemy::KillPlayer()
{
    if (!myPlayer)
    {
        return;
    }
    myPlayer->SetLocked(true);
    myPlayer->GetAnimFlags().dead = true;
    myPlayer->GetAnimFlags().speed = 0.0f;
    SoundManager::GetInstance().PlayOneShot("Player_Lose");
    myPlayer->GetAnimatedModel().SetPose(Vela::AnimationPlayer().GetPose());
}

bool Enemy::IsPlayerDeathFinished() const
{
    if (!myPlayer)
    {
        return true;
    }
    const Vela::AnimationPlayer* clip = myPlayer->GetAnimStateMachine().GetState(AnimStateId::Death).GetClip();
    return !clip || !clip->GetAnimation() || clip->GetState() == Vela::AnimationPlayer::State::Finished;
}

void Enemy::StartKillFade()
{
    if (!myStateStack)
    {
        return;
    }
    myStateStack->Push(StateId::Transition);
    TransitionState& fade = static_cast<TransitionState&>(*myStateStack->GetState(StateId::Transition));
    fade.Cover({ 0.0f, 0.0f, 0.0f }, KILL_FADE_SPEED);
}

Vela::AnimationPlayer* Enemy::GetClip(int32_t anIndex) const
{
    return anIndex >= 0 && static_cast<size_t>(anIndex) < someClips.size() ? someClips[static_cast<size_t>(anIndex)] : nullptr;
}

void Enemy::AnimateClip(int32_t anIndex, float aDeltaTime)
{
    Vela::AnimationPlayer* clip = GetClip(anIndex);
    if (!clip || !clip->GetAnimation())
    {
        return;
    }
    if (clip->GetState() != Vela::AnimationPlayer::State::Playing && clip->GetState() != Vela::AnimationPlayer::State::Finished)
    {
        clip->SetState(Vela::AnimationPlayer::State::Playing);
    }
    clip->Update(aDeltaTime);
    myAnimatedModel.SetPose(clip->GetPose());
}

float Enemy::DistanceToPlayer() const
{
    return myPlayer ? (myPlayer->GetPosition() - myPosition).Length() : std::numeric_limits<float>::max();
}
