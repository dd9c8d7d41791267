#include "World/CollisionManager.h"

#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Player/Player.h"
#include "Puzzles/MovableBox.h"
#include "Spine/GameContext.h"

#include "mire/core/Engine.h"
#include "mire/graphics/GraphicsEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
    constexpr float PARALLEL_EPSILON = 1e-8f;
    constexpr float DEBUG_LINE_DEPTH = -1.0f;
    const Vela::Color DEBUG_LINE_COLOR = { 1.0f, 1.0f, 0.0f, 1.0f };

    // Clips [aMin, aMax] of the segment parameter to one axis' slab; false when it leaves no overlap.
    struct SlabRange
    {
        float tFirst;
        float tSecond;
    };

    SlabRange SlabEntryExit(float anOrigin, float aDelta, float aMin, float aMax)
    {
        float first = (aMin - anOrigin) / aDelta;
        float second = (aMax - anOrigin) / aDelta;
        if (first > second)
            std::swap(first, second);
        return { first, second };
    }

    void PrintPoint(const char* aLabel, float anX, float aY)
    {
        printf("%s{ X: %g Y: %g }\n", aLabel, anX, aY);
    }
}

CollisionManager::CollisionManager(float aSightOccluderRadius, GameContext* aContext)
    : mySightOccluderRadius(aSightOccluderRadius), myContext(aContext)
{
}

bool CollisionManager::TestPair(Collider& aFirst, Collider& aSecond, bool aForce)
{
    if (!aFirst.active || !aSecond.active)
        return false;
    const float dx = aFirst.x - aSecond.x;
    const float dy = aFirst.y - aSecond.y;
    const float overlapX = (aFirst.halfWidth + aSecond.halfWidth) - std::fabs(dx);
    const float overlapY = (aFirst.halfHeight + aSecond.halfHeight) - std::fabs(dy);
    if (overlapX <= 0.0f || overlapY <= 0.0f)
        return false;

    Vela::Vector2<float> normal;
    float depth = 0.0f;
    if (overlapY < overlapX)
    {
        normal = { 0.0f, dy > 0.0f ? 1.0f : -1.0f };
        depth = std::fabs(overlapY);
    }
    else
    {
        normal = { dx > 0.0f ? 1.0f : -1.0f, 0.0f };
        depth = std::fabs(overlapX);
    }
    aFirst.NotifyObservers(normal, depth, &aSecond);
    aSecond.NotifyObservers(-normal, depth, &aFirst);
    return aForce || (!aFirst.isTrigger && !aSecond.isTrigger);
}

void CollisionManager::Update()
{
    for (Collider* dynamic : myDynamics)
    {
        for (Collider& staticCollider : myStatics)
        {
            if (dynamic->active && staticCollider.active)
                TestPair(*dynamic, staticCollider, false);
        }
    }
    for (size_t i = 0; i < myDynamics.size(); ++i)
    {
        for (size_t j = i + 1; j < myDynamics.size(); ++j)
        {
            if (myDynamics[i]->active && myDynamics[j]->active)
                TestPair(*myDynamics[i], *myDynamics[j], false);
        }
    }

    myDebugLines.clear();
    if (!myDebugDraw)
        return;
    for (const Collider& staticCollider : myStatics)
    {
        if (staticCollider.active)
            AddDebugBox(staticCollider);
    }
    for (const Collider* dynamic : myDynamics)
    {
        if (dynamic->active)
            AddDebugBox(*dynamic);
    }
}

void CollisionManager::AddDebugBox(const Collider& aCollider)
{
    const float left = aCollider.x - aCollider.halfWidth;
    const float right = aCollider.x + aCollider.halfWidth;
    const float bottom = aCollider.y - aCollider.halfHeight;
    const float top = aCollider.y + aCollider.halfHeight;
    const float z = DEBUG_LINE_DEPTH;
    myDebugLines.push_back({ DEBUG_LINE_COLOR, { right, top, z }, { left, top, z } });
    myDebugLines.push_back({ DEBUG_LINE_COLOR, { right, top, z }, { right, bottom, z } });
    myDebugLines.push_back({ DEBUG_LINE_COLOR, { left, top, z }, { left, bottom, z } });
    myDebugLines.push_back({ DEBUG_LINE_COLOR, { left, bottom, z }, { right, bottom, z } });
}

void CollisionManager::DrawDebug() const
{
    if (myDebugLines.empty())
        return;
    Vela::Engine* engine = Vela::Engine::GetInstance();
    if (!engine || !engine->myGraphicsEngine || !engine->myGraphicsEngine->GetLineDrawer())
        return;
    Vela::LineDrawer* lineDrawer = engine->myGraphicsEngine->GetLineDrawer();
    for (const Vela::LinePrimitive& line : myDebugLines)
        lineDrawer->Draw(line);
}

bool CollisionManager::IsOverlappingAny(Collider& aProbe, float* aHighestTopOut)
{
    bool hit = false;
    const auto blocks = [&](Collider& anOther) {
        if (!TestPair(aProbe, anOther, false))
            return false;
        hit = true;
        if (aHighestTopOut)
        {
            const float top = anOther.y + anOther.halfHeight;
            *aHighestTopOut = std::max(*aHighestTopOut, top);
        }
        // Without the top asked for, the first hit answers.
        return !aHighestTopOut;
    };
    if (aHighestTopOut)
    {
        *aHighestTopOut = -std::numeric_limits<float>::infinity();
    }
    for (Collider& staticCollider : myStatics)
    {
        if (staticCollider.type != ColliderType::Grass && blocks(staticCollider))
            return true;
    }
    for (Collider* dynamic : myDynamics)
    {
        if (dynamic->type != aProbe.type && blocks(*dynamic))
            return true;
    }
    return hit;
}

bool CollisionManager::IsOverlappingType(Collider& aProbe, ColliderType aType)
{
    for (Collider& staticCollider : myStatics)
    {
        if (staticCollider.type == aType && TestPair(aProbe, staticCollider, true))
            return true;
    }
    for (Collider* dynamic : myDynamics)
    {
        if (dynamic->type == aType && TestPair(aProbe, *dynamic, true))
            return true;
    }
    return false;
}

bool CollisionManager::SegmentHitsBox(Vela::Vector2<float> anOrigin, Vela::Vector2<float> aDelta, const Collider& aBox) const
{
    // The sight test uses half of the extent that the overlap test uses.
    const float minX = aBox.x - 0.5f * aBox.halfWidth;
    const float maxX = aBox.x + 0.5f * aBox.halfWidth;
    const float minY = aBox.y - 0.5f * aBox.halfHeight;
    const float maxY = aBox.y + 0.5f * aBox.halfHeight;

    float tMin = 0.0f;
    float tMax = 1.0f;
    if (std::fabs(aDelta.x) < PARALLEL_EPSILON)
    {
        if (anOrigin.x < minX || anOrigin.x > maxX)
            return false;
    }
    else
    {
        const SlabRange range = SlabEntryExit(anOrigin.x, aDelta.x, minX, maxX);
        tMin = std::max(range.tFirst, 0.0f);
        tMax = std::min(range.tSecond, 1.0f);
        if (tMin > tMax)
            return false;
    }

    if (std::fabs(aDelta.y) < PARALLEL_EPSILON)
        return anOrigin.y >= minY && anOrigin.y <= maxY;
    const SlabRange range = SlabEntryExit(anOrigin.y, aDelta.y, minY, maxY);
    return std::max(range.tFirst, tMin) <= std::min(range.tSecond, tMax);
}

bool CollisionManager::SightRayHitsPlayer(Vela::Vector2<float> anOrigin, Vela::Vector2<float> aDelta, const Collider& aPlayerBox,
                                          int32_t anOccluderSet) const
{
    if (!SegmentHitsBox(anOrigin, aDelta, aPlayerBox))
        return false;
    printf("player hit\n");
    PrintPoint("player pos: ", aPlayerBox.x, aPlayerBox.y);

    // A set index that was never handed out has no occluders.
    static const std::vector<Collider*> NO_OCCLUDERS;
    const bool validSet = anOccluderSet >= 0 && static_cast<size_t>(anOccluderSet) < mySightOccluderSets.size();
    const std::vector<Collider*>& occluders = validSet ? mySightOccluderSets[static_cast<size_t>(anOccluderSet)] : NO_OCCLUDERS;
    printf("%zu\n", occluders.size());

    for (const Collider* occluder : occluders)
    {
        if (!SegmentHitsBox(anOrigin, aDelta, *occluder))
            continue;
        bool horizontal = false;
        bool vertical = false;
        if (anOrigin.x >= aPlayerBox.x)
        {
            printf("enemy is right from player\n");
            if (occluder->x >= aPlayerBox.x)
            {
                printf("something is right from player\n");
                horizontal = true;
            }
        }
        else
        {
            printf("enemy is left from player\n");
            if (aPlayerBox.x >= occluder->x)
            {
                printf("something is left from player\n");
                horizontal = true;
            }
        }
        if (anOrigin.y >= aPlayerBox.y)
        {
            printf("enemy is above from player\n");
            if (occluder->y >= aPlayerBox.y)
            {
                printf("something is above from player\n");
                vertical = true;
            }
        }
        else
        {
            printf("enemy is bottom from player\n");
            if (aPlayerBox.y >= occluder->y)
            {
                printf("something is bottom from player\n");
                vertical = true;
            }
        }
        if (horizontal && vertical)
        {
            printf("behind of something\n");
            PrintPoint("pos", occluder->x, occluder->y);
            return false;
        }
    }
    printf("player is detected\n");
    return true;
}

int32_t CollisionManager::AddSightOccluders(Vela::Vector2<float> aPoint)
{
    std::vector<Collider*> occluders;
    for (Collider& staticCollider : myStatics)
    {
        const float dx = staticCollider.x - aPoint.x;
        const float dy = staticCollider.y - aPoint.y;
        if (staticCollider.type == ColliderType::Level && std::sqrt(dx * dx + dy * dy) <= mySightOccluderRadius)
            occluders.push_back(&staticCollider);
    }
    for (Collider* dynamic : myDynamics)
    {
        if (dynamic->blocksSight)
            occluders.push_back(dynamic);
    }
    mySightOccluderSets.push_back(std::move(occluders));
    return static_cast<int32_t>(mySightOccluderSets.size() - 1);
}

void CollisionManager::Clear()
{
    for (std::vector<Collider*>& occluders : mySightOccluderSets)
        occluders.clear();
    mySightOccluderSets.clear();
}

void CollisionManager::Rebuild(std::span<Collider* const> someLevelDynamics)
{
    myStatics.clear();
    myDynamics.clear();
    LevelData* level = myContext && myContext->levelLoader ? myContext->levelLoader->GetCurrentLevel() : nullptr;
    if (level)
    {
        for (const StaticMeshRecord& mesh : level->opaqueMeshes)
            myStatics.push_back(mesh.collider);
        for (const StaticMeshRecord& grass : level->grassMeshes)
        {
            if (grass.collider.type == ColliderType::Grass)
                myStatics.push_back(grass.collider);
        }
        myStatics.insert(myStatics.end(), level->deathBoxes.begin(), level->deathBoxes.end());
        myStatics.insert(myStatics.end(), level->checkPoints.begin(), level->checkPoints.end());
    }
    myDynamics.insert(myDynamics.end(), someLevelDynamics.begin(), someLevelDynamics.end());
    if (myContext && myContext->player)
    {
        myDynamics.push_back(&myContext->player->GetHurtBox());
        myDynamics.push_back(&myContext->player->GetGroundCollider());
    }
}
