// The collision lists rebuilt from the current level record, in their order.
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Player/Player.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{
    Collider Typed(float anX, ColliderType aType)
    {
        Collider collider;
        collider.SetBox(anX, 0.0f, 1.0f, 1.0f);
        collider.type = aType;
        return collider;
    }
}

TEST(CollisionRebuildTest, StaticsAndDynamicsComeFromTheCurrentLevelInOrder)
{
    VelaTest::TempDirectory root;
    root.Write("game/levels/Main Levels/Level 0 Tutorial/.leveldata", "");
    Vela::Settings::SetAssetRootsForTesting(root.Path() / "engine", root.Path() / "game", root.Path() / "cooked");

    GameContext context;
    CollisionManager manager(1500.0f, &context);
    context.collisionManager = &manager;
    // The test places its colliders by hand in an empty level.
    LevelLoader::SetMainLevelCheckForTesting(false);
    LevelLoader loader(&context, nullptr);
    LevelLoader::SetMainLevelCheckForTesting(true);
    context.levelLoader = &loader;
    loader.SetCurrentLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
    LevelData* level = loader.GetCurrentLevel();
    ASSERT_NE(level, nullptr);

    const auto mesh = [](float anX, ColliderType aType) {
        StaticMeshRecord record;
        record.collider = Typed(anX, aType);
        return record;
    };
    level->opaqueMeshes.push_back(mesh(1.0f, ColliderType::Level));
    level->opaqueMeshes.push_back(mesh(2.0f, ColliderType::None)); // whatever its type
    level->grassMeshes.push_back(mesh(3.0f, ColliderType::Level)); // not grass: left out
    level->grassMeshes.push_back(mesh(4.0f, ColliderType::Grass));
    level->transparentMeshes.push_back(mesh(5.0f, ColliderType::Level)); // never collides
    level->deathBoxes.push_back(Typed(6.0f, ColliderType::DeathBox));
    level->checkPoints.push_back(Typed(7.0f, ColliderType::CheckPoint));
    level->floors.emplace_back().collider = std::make_unique<Collider>(Typed(8.0f, ColliderType::BreakableFloor));
    Collider box = Typed(9.0f, ColliderType::Box);
    Collider floor = Typed(10.0f, ColliderType::BreakableFloor);
    Player player(context, nullptr);
    context.player = &player;

    // The level's records give no dynamics: the live objects' colliders come from the game.
    const std::vector<Collider*> live{ &box, &floor };
    manager.Rebuild(live);
    std::vector<float> staticXs;
    for (const Collider& collider : manager.GetStatics())
        staticXs.push_back(collider.x);
    EXPECT_EQ(staticXs, (std::vector<float>{ 1.0f, 2.0f, 4.0f, 6.0f, 7.0f }));
    EXPECT_EQ(manager.GetDynamics(), (std::vector<Collider*>{ &box, &floor, &player.GetHurtBox(), &player.GetGroundCollider() }));
    context.player = nullptr;
    Vela::Settings::SetAssetRootsForTesting({}, {}, {});
}
