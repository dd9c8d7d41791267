#pragma once
// Collision of the level's rectangles: copies of the static colliders, pointers to the moving ones,
// a pairwise pass once per frame, movement probes and enemy sight rays. Main thread only.
#include "World/Collider.h"

#include "mire/drawers/LineDrawer.h"
#include "mire/math/Vector.h"

#include <cstdint>
#include <span>
#include <vector>

struct GameContext;

class CollisionManager
{
public:
    CollisionManager(float aSightOccluderRadius, GameContext* aContext);

    // The per-frame pass: every dynamic against every static, then every pair of dynamics.
    void Update();
    // Tests one pair and tells both sides' observers of an overlap. True when the overlap blocks:
    // aForce set, or neither collider is a trigger.
    bool TestPair(Collider& aFirst, Collider& aSecond, bool aForce);
    // Movement probe: does the collider overlap anything that blocks? Grass and dynamics of the
    // probe's own type are skipped. With aHighestTopOut, every collider is tested and the highest top
    // among those that block is written there.
    bool IsOverlappingAny(Collider& aProbe, float* aHighestTopOut = nullptr);
    // Does the collider overlap any collider of exactly this type (triggers count)?
    bool IsOverlappingType(Collider& aProbe, ColliderType aType);
    // Slab test of origin + t * delta, t in [0, 1], against the box at half its half extents.
    bool SegmentHitsBox(Vela::Vector2<float> anOrigin, Vela::Vector2<float> aDelta, const Collider& aBox) const;
    bool SightRayHitsPlayer(Vela::Vector2<float> anOrigin, Vela::Vector2<float> aDelta, const Collider& aPlayerBox, int32_t anOccluderSet) const;
    // Stores the sight occluders around a point (Level statics in range, sight-blocking dynamics)
    // and returns the index of the new set.
    int32_t AddSightOccluders(Vela::Vector2<float> aPoint);

    // Empties the sight-occluder sets; the collider lists are left to Rebuild.
    void Clear();
    // The current level's statics; as dynamics the live level objects that the game gives (its boxes and
    // floors), then the player's.
    void Rebuild(std::span<Collider* const> someLevelDynamics = {});
    void DrawDebug() const;

    void AddDynamic(Collider* aCollider) { myDynamics.push_back(aCollider); }
    void AddStatic(const Collider& aCollider) { myStatics.push_back(aCollider); }

    std::vector<Collider>& GetStatics() { return myStatics; }
    std::vector<Collider*>& GetDynamics() { return myDynamics; }
    const std::vector<std::vector<Collider*>>& GetSightOccluderSets() const { return mySightOccluderSets; }
    const std::vector<Vela::LinePrimitive>& GetDebugLines() const { return myDebugLines; }
    void SetDebugDraw(bool aDebugDraw) { myDebugDraw = aDebugDraw; }

private:
    void AddDebugBox(const Collider& aCollider);

    float mySightOccluderRadius = 1500.0f;
    std::vector<Collider> myStatics;
    std::vector<Collider*> myDynamics;
    std::vector<std::vector<Collider*>> mySightOccluderSets;
    bool myDebugDraw = false;
    std::vector<Vela::LinePrimitive> myDebugLines;
    GameContext* myContext = nullptr;
};
