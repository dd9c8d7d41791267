#pragma once
// One live floor, made by the game's level build from a floor record: it watches its own copy of the
// record's collider, so a heavy box breaking it (or the player a scripted-event floor) leaves the
// record whole for the next build. Never copied or moved: its collider points at it, so floors are
// built in place where they stay.
#include "World/Collider.h"

#include <memory>

namespace Vela
{
    class ModelInstance;
}
class FlipbookEffects;
struct FloorRecord;

// Three dust clouds rising where a floor gives way (under a heavy box, or a scripted floor under the player).
void SpawnFloorDust(FlipbookEffects& someEffects, float anX, float aY);

class BreakableFloor : public Observers::ColliderObserver
{
public:
    explicit BreakableFloor(FloorRecord* aRecord);
    BreakableFloor(const BreakableFloor&) = delete;
    BreakableFloor& operator=(const BreakableFloor&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;

    // Registers this floor on its collider (once); nothing for a record without one.
    void Register();

    // The live collider; null for a record without one.
    Collider* GetCollider() const { return myCollider.get(); }
    // The intact model until the floor breaks, then the broken one.
    Vela::ModelInstance* GetShownModel() const { return myShownModel; }
    bool IsBroken() const;

private:
    FloorRecord* myRecord = nullptr;
    Vela::ModelInstance* myBrokenModel = nullptr;
    std::unique_ptr<Collider> myCollider;
    Vela::ModelInstance* myShownModel = nullptr;
};
