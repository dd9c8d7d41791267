#include "Puzzles/Orb.h"

#include "Input/InputMapper.h"
#include "Levels/LevelLoader.h"
#include "Player/Player.h"
#include "Spine/GameContext.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/Texture.h"
#include "mire/texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    constexpr float GRAVITY_FACTOR = 3.0f;
    constexpr float GRAVITY_PER_FRAME = 0.0982f;
    constexpr float DROP_FALL_SPEED = 2.0f;
    constexpr float GLOW_SPRITE_SIZE = 150.0f;

    // The hum of each level's orb; levels without one have no hum.
    const char* HumOfLevel(const char* aLevelKey)
    {
        if (!std::strcmp(aLevelKey, "level_0") || !std::strcmp(aLevelKey, "level_3") || !std::strcmp(aLevelKey, "level_4"))
            return "Orb_034";
        if (!std::strcmp(aLevelKey, "level_1"))
            return "Orb_1";
        if (!std::strcmp(aLevelKey, "level_2"))
            return "Orb_2";
        return nullptr;
    }
}

Orb::Orb(Player* aPlayer, GameContext* aContext, Vela::InputManager* anInputManager)
    : myContext(aContext), myInputManager(anInputManager), myPlayer(aPlayer)
{
    mySprite.myPivot = { 0.5f, 0.5f };
    mySprite.mySize = { 1.0f, 1.0f };
}

Orb::~Orb()
{
    SoundManager::GetInstance().StopSound(myHum, true);
}

void Orb::SetCollider(const Collider& aDescription)
{
    myCollider = aDescription;
    myCollider.active = true;
    myCollider.isTrigger = true;
    const Vela::Vector3<float> translation = myModelInstance.GetTransform().GetTranslation();
    myCollider.x = translation.x;
    myCollider.y = translation.y;
    myCollider.type = ColliderType::Orb;
}

void Orb::SetPosition(const Vela::Vector3<float>& aPosition)
{
    myPosition = aPosition;
    myCollider.x = aPosition.x;
    myCollider.y = aPosition.y;
    myModelInstance.GetTransform().SetTranslation(aPosition);
}

void Orb::Init()
{
    myGravityFactor = GRAVITY_FACTOR;
    const Vela::Vector3<float> translation = myModelInstance.GetTransform().GetTranslation();
    myPosition = { translation.x, translation.y, 0.0f };

    Vela::TextureManager* textures = Vela::GraphicsServices::GetTextureManager();
    myGlowTexture = textures ? textures->GetTexture(GLOW_TEXTURE, Vela::TextureSrgbMode::ForceSrgb) : nullptr;
    myGlowColumns = 8;
    myGlowRows = 8;
    myGlowFrameCount = 64;
    myGlowFramesPerSecond = 30.0f;
    myGlowLoops = 1;
    myGlowLoopCount = 0;
    myGlowFrame = 0;
    myGlowFrameTimer = 0.0f;
    myGlowVelocity = { 0.0f, 0.0f };
    myGlowAlive = true;
    myGlowArmed = false;
    mySpriteData.myColorTexture = myGlowTexture;
    if (myGlowTexture)
    {
        mySprite.mySize = { static_cast<float>(myGlowTexture->GetWidth()), static_cast<float>(myGlowTexture->GetHeight()) };
    }
    mySprite.myUVOffset = { 0.0f, 0.0f };
    mySprite.myUVScale = { 1.0f / static_cast<float>(myGlowColumns), 1.0f / static_cast<float>(myGlowRows) };

    PlayLevelHum();
}

void Orb::PlayLevelHum()
{
    if (!myContext || !myContext->levelLoader)
    {
        return;
    }
    if (const char* hum = HumOfLevel(myContext->levelLoader->GetCurrentLevelKey().GetString()))
    {
        myHum = SoundManager::GetInstance().PlayLoopingSfx(hum);
    }
}

void Orb::OnCollision(Vela::Vector2<float>, float, Collider*, Collider* anOther)
{
    if (!anOther)
    {
        return;
    }
    if (anOther->isPlayer && myCollider.active)
    {
        myInRange = std::abs(anOther->x - myPosition.x) <= myCollider.halfWidth && std::abs(anOther->y - myPosition.y) <= myCollider.halfHeight;
        if (!myInRange)
        {
            return;
        }
    }
    const bool onBox = anOther->type == ColliderType::Box || anOther->type == ColliderType::HeavyBox;
    if (anOther->type == ColliderType::Level || (onBox && !myCarried))
    {
        myLanded = true;
    }
}

void Orb::Update(const UpdateContext& aContext)
{
    myDeltaTime = aContext.deltaTime;
    mySprite.myPosition = { myCollider.x, myCollider.y };
    AdvanceGlow();
    if (!myGlowArmed)
    {
        myGlowArmed = true;
        mySprite.mySize = { GLOW_SPRITE_SIZE, GLOW_SPRITE_SIZE };
        mySprite.myPosition = { myCollider.x, myCollider.y };
    }
    UpdatePickup(aContext);
    UpdateHumVolume();
    // In range only for the contacts of the frame: the player's probes and the collision pass come
    // before the orbs' update, so each frame's contacts set it afresh and a player who left is out of range.
    myInRange = false;
}

void Orb::AdvanceGlow()
{
    if (myGlowFramesPerSecond <= 0.0f || myGlowColumns <= 0 || myGlowRows <= 0)
    {
        return;
    }
    myGlowFrameTimer += myDeltaTime;
    if (myGlowFrameTimer >= 1.0f / myGlowFramesPerSecond)
    {
        ++myGlowFrame;
        myGlowFrameTimer = 0.0f;
        if (myGlowFrame >= myGlowFrameCount)
        {
            myGlowFrame = 0;
            if (myGlowLoops > 0 && ++myGlowLoopCount >= myGlowLoops)
            {
                // The glow never ends: re-armed where a plain flipbook would be removed.
                myGlowLoopCount = 0;
                myGlowArmed = false;
                return;
            }
        }
    }
    mySprite.myPosition += myGlowVelocity * myDeltaTime;
    const float columns = static_cast<float>(myGlowColumns);
    const float rows = static_cast<float>(myGlowRows);
    mySprite.myUVOffset = { static_cast<float>(myGlowFrame % myGlowColumns) / columns, static_cast<float>(myGlowFrame / myGlowColumns) / rows };
    mySprite.myUVScale = { 1.0f / columns, 1.0f / rows };
}

void Orb::UpdatePickup(const UpdateContext& aContext)
{
    const bool interact = aContext.inputMapper && aContext.inputMapper->IsPressed(InputAction::Interact);
    if (interact && myInRange && !myCarried)
        PickUp();
    else if (interact && myCarried)
        Drop();
    Move();
    myCollider.x = myPosition.x;
    myCollider.y = myPosition.y;
    // The model follows the position in depth too: the play plane, or the socket's depth once pulled in.
    myModelInstance.GetTransform().SetTranslation(myPosition);
}

void Orb::PickUp()
{
    SoundManager& sounds = SoundManager::GetInstance();
    myCarried = true;
    sounds.PlayOneShot("Orb_PickUp");
    sounds.PlayOneShot("Orb_PickUp_Fadeout");
    sounds.StopSound(myHum, true);
    myHum = sounds.PlayLoopingSfx("Orb_AfterPickup");
    myCollider.active = false;
    if (myPlayer)
    {
        myPlayer->SetCarryingOrb(true);
    }
}

void Orb::Drop()
{
    myCollider.active = true;
    myCarried = false;
    if (myPlayer)
    {
        myPlayer->SetCarryingOrb(false);
    }
    SoundManager::GetInstance().StopSound(myHum, true);
    PlayLevelHum();
    myFallSpeed = DROP_FALL_SPEED;
    myLanded = false;
}

void Orb::Move()
{
    if (myCarried)
    {
        // Eased once per frame, not scaled by dt.
        if (myPlayer)
        {
            const Vela::Vector3<float> target = myPlayer->GetPosition();
            myPosition.x += (target.x - myPosition.x) * CARRY_EASING;
            myPosition.y += (target.y + CARRY_HEIGHT - myPosition.y) * CARRY_EASING;
        }
    }
    else if (myLanded)
    {
        myFallSpeed = 0.0f;
    }
    else if (myCollider.active)
    {
        myFallSpeed += myGravityFactor * GRAVITY_PER_FRAME * myDeltaTime;
        myPosition.y -= myFallSpeed;
    }
}

void Orb::UpdateHumVolume()
{
    if (!myPlayer || !myHum.IsActive())
    {
        return;
    }
    const float ratio = (myPlayer->GetPosition() - myPosition).Length() / myHearingRange;
    myHumVolume = std::clamp(1.0f - ratio * ratio, 0.0f, 1.0f);
    myHum.SetVolume(myHumVolume);
}

void Orb::Render()
{
    RenderModel();
}
