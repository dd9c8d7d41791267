#pragma once
// Watches one floor record's collider: a heavy box breaks the floor, and a scripted-event floor also
// breaks under the player. Made by the game's level build, one per floor record.
#include "World/Collider.h"

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
    ~BreakableFloor() override;
    BreakableFloor(BreakableFloor&& anOther) noexcept;
    BreakableFloor& operator=(BreakableFloor&& anOther) noexcept;
    BreakableFloor(const BreakableFloor&) = delete;
    BreakableFloor& operator=(const BreakableFloor&) = delete;

    void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* anOther) override;

    // Registers this floor on its record's collider (once); nothing for a record without one.
    void Register();

    Collider* GetCollider() const { return myCollider; }
    // The intact model until the floor breaks, then the broken one.
    Vela::ModelInstance* GetShownModel() const { return myShownModel; }
    bool IsBroken() const;

private:
    void Unregister();

    FloorRecord* myRecord = nullptr;
    Vela::ModelInstance* myBrokenModel = nullptr;
    Collider* myCollider = nullptr;
    Vela::ModelInstance* myShownModel = nullptr;
};
