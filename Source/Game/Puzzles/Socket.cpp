#include "Puzzles/Socket.h"

#include "Effects/FlipbookPresets.h"
#include "Puzzles/Orb.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"

void Socket::Init()
{
    const Vela::Vector3<float> translation = myModelInstance.GetTransform().GetTranslation();
    myPosition = { translation.x, translation.y, 0.0f };
}

void Socket::SetCollider(const Collider& aDescription)
{
    myCollider = aDescription;
    myCollider.isTrigger = true;
    myCollider.active = true;
    myCollider.type = ColliderType::Trigger;
}

void Socket::OnCollision(Vela::Vector2<float>, float, Collider*, Collider* anOther)
{
    if (!anOther || anOther->type != ColliderType::Orb || myFilled)
    {
        return;
    }
    myFilled = true;
    myCollider.active = false;
    SoundManager::GetInstance().PlayOneShot("Orb_Insert");
    if (myOrb)
    {
        myOrb->GetCollider().active = false;
        myOrb->SetInRange(false);
    }
    if (myTarget)
    {
        myTarget->active = true; // the exit is armed
    }
}

void Socket::Update(const UpdateContext& aContext)
{
    myEffects.Update(aContext.deltaTime);
    if (!myFilled || mySeated || !myOrb)
    {
        return;
    }
    // Runs after the orbs' own update, so it overrides a carried orb's movement.
    const Vela::Vector3<float> centre{ myCollider.x, myCollider.y, myModelInstance.GetTransform().GetTranslation().z };
    const Vela::Vector3<float> orb = myOrb->GetPosition();
    const Vela::Vector3<float> pulled = orb + (centre - orb) * PULL_EASING;
    myOrb->SetPosition(pulled);
    const Vela::Vector3<float> remainder = centre - pulled;
    if (Vela::Vector3<float>{ -1.0f, -1.0f, -1.0f } < remainder && remainder < Vela::Vector3<float>{ 1.0f, 1.0f, 1.0f })
    {
        mySeated = true;
        SoundManager::GetInstance().PlayOneShot("Orb_Insert");
        myEffects.Spawn(FlipbookPresets::ORB_PULSE, { myCollider.x, myCollider.y }, { 350.0f, 350.0f });
    }
}

void Socket::Render()
{
    RenderModel();
}
