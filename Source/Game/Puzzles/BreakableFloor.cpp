#include "Puzzles/BreakableFloor.h"

#include "Effects/FlipbookEffects.h"
#include "Effects/FlipbookPresets.h"
#include "Levels/LevelData.h"
#include "Sound/SoundManager.h"

#include <cstdio>

void SpawnFloorDust(FlipbookEffects& someEffects, float anX, float aY)
{
    using FlipbookPresets::FLOOR_DUST;
    someEffects.Spawn(FLOOR_DUST, { anX, aY + 15.0f }, { 400.0f, 400.0f }, { 0.0f, 50.0f });
    someEffects.Spawn(FLOOR_DUST, { anX + 50.0f, aY + 65.0f }, { 400.0f, 400.0f }, { -0.2f, 50.0f });
    someEffects.Spawn(FLOOR_DUST, { anX - 30.0f, aY + 35.0f }, { 350.0f, 350.0f }, { 30.0f, 30.0f });
}

BreakableFloor::BreakableFloor(FloorRecord* aRecord)
    : myRecord(aRecord),
      myBrokenModel(aRecord ? &aRecord->brokenModel : nullptr),
      myShownModel(aRecord ? &aRecord->model : nullptr)
{
    if (aRecord && aRecord->collider)
    {
        myCollider = std::make_unique<Collider>(*aRecord->collider);
        myCollider->observers.clear();
    }
}

void BreakableFloor::Register()
{
    if (myCollider)
    {
        myCollider->AddObserver(this);
    }
}

bool BreakableFloor::IsBroken() const
{
    return myShownModel && myShownModel == myBrokenModel;
}

void BreakableFloor::OnCollision(Vela::Vector2<float>, float, Collider* aSelf, Collider* anOther)
{
    if (!aSelf || !anOther)
    {
        return;
    }
    const bool heavyBox = anOther->type == ColliderType::HeavyBox;
    const bool playerOnScriptedFloor = aSelf->type == ColliderType::ScriptedEventFloor && anOther->type == ColliderType::Player;
    if (!heavyBox && !playerOnScriptedFloor)
    {
        return;
    }
    std::printf("Collided");
    std::fflush(stdout);
    myShownModel = myBrokenModel;
    SoundManager::GetInstance().PlayOneShot("Bridge_Crash");
    // It no longer carries anything and is not tested again.
    aSelf->active = false;
}
