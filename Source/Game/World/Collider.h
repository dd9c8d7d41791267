#pragma once
// An axis-aligned rectangle in the level's 2D plane (x right, y up) with a type and the objects that
// want to hear about its overlaps. Held by value inside game objects and level records.
#include "mire/math/Vector.h"
#include "mire/stringRegistry/StringId.h"

#include <cstdint>
#include <vector>

struct Collider;

// Thirty-two bits wide; the values are fixed (level building and the objects rely on them).
enum class ColliderType : uint32_t
{
    Player = 0,
    Grass = 1,
    EnemyGround = 2,
    Level = 3,
    CameraZone = 4,
    Orb = 5,
    Box = 6,
    HeavyBox = 7,
    DeathBox = 8,
    CheckPoint = 9,
    Trigger = 10,
    BreakableFloor = 11,
    ScriptedEventFloor = 12,
    None = 13,
};

namespace Observers
{
    class ColliderObserver
    {
    public:
        virtual ~ColliderObserver() = default;
        // aSelf is the observed collider, aOther the one it overlapped; aNormal is a unit axis vector
        // pointing from aOther towards aSelf and aDepth the overlap along it.
        virtual void OnCollision(Vela::Vector2<float> aNormal, float aDepth, Collider* aSelf, Collider* aOther) = 0;
    };
}

struct Collider
{
    float x = 0.0f;
    float y = 0.0f;
    Vela::StringId name;
    ColliderType type = ColliderType::None;
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    bool active = true;
    bool isPlayer = false;
    bool isTrigger = false;
    bool blocksSight = false;
    std::vector<Observers::ColliderObserver*> observers; // not owned

    // Centre and half extents in one step; the other fields stay as they are.
    void SetBox(float anX, float aY, float aHalfWidth, float aHalfHeight)
    {
        x = anX;
        y = aY;
        halfWidth = aHalfWidth;
        halfHeight = aHalfHeight;
    }
    // A second registration of the same observer is ignored, so one contact is reported once.
    void AddObserver(Observers::ColliderObserver* anObserver);
    void RemoveObserver(Observers::ColliderObserver* anObserver);
    void NotifyObservers(Vela::Vector2<float> aNormal, float aDepth, Collider* anOther);
};
