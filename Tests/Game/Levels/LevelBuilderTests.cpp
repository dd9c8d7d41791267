// Building a level from a fixture scene written like the level files: one object of every definition
// plus cases that exercise rotation, transparency and box kinds, on the headless engine.
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Spine/GameContext.h"

#include "Support/GameTestSupport.h"

#include "mire/model/ModelFactory.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    constexpr const char* FIRST_LEVEL = "levels/Main Levels/Level 0 Tutorial";

    // A level mesh with its own collider size term (5, 7), offset (1, 2) and the given placement.
    FixtureObject PlacedMesh(Vela::Vector3<float> aRotation, Vela::Vector3<float> aScale, bool aTransparent = false)
    {
        FixtureObject mesh;
        mesh.definition = "SM_Level_Mesh";
        mesh.translation = { 100.0f, 50.0f, 0.0f };
        mesh.rotation = aRotation;
        mesh.scale = aScale;
        mesh.properties = { FixtureProperty("Model", "Model", FixtureModel(FIXTURE_MODEL, aTransparent)),
                            FixtureProperty("Collider", "Collider - Box", FixtureBox({ 1, 2 }, { 5, 7 })) };
        return mesh;
    }

    FixtureObject BoxOfType(int aBoxType)
    {
        FixtureObject box;
        box.definition = "Interactable_Box_Snail";
        box.properties = { FixtureProperty("BoxType", "Int", aBoxType) };
        return box;
    }

    // Finds the record whose collider has these half extents; null when there is none.
    const StaticMeshRecord* WithHalfExtents(const std::vector<StaticMeshRecord>& someMeshes, float aHalfWidth, float aHalfHeight)
    {
        for (const StaticMeshRecord& mesh : someMeshes)
        {
            if (std::abs(mesh.collider.halfWidth - aHalfWidth) < 1e-3f && std::abs(mesh.collider.halfHeight - aHalfHeight) < 1e-3f)
            {
                return &mesh;
            }
        }
        return nullptr;
    }

    class LevelBuilderTest : public testing::Test
    {
    protected:
        void SetUp() override
        {
            // The builder's tests build one level of chosen objects; level 1 is not there.
            LevelLoader::SetMainLevelCheckForTesting(false);
            ASSERT_TRUE(myEngine.IsStarted());
            std::shared_ptr<Vela::Model> cube = Vela::ModelFactory::GetInstance().GetModel(FIXTURE_MODEL);
            ASSERT_NE(cube, nullptr);
            myExtents = cube->GetMeshes().front().myBounds.myHalfExtents;
            myCentre = cube->GetMeshes().front().myBounds.myCentre;
        }

        void TearDown() override { LevelLoader::SetMainLevelCheckForTesting(true); }

        // Builds FIRST_LEVEL through the loader, which loads it at construction.
        LevelData& Build(const std::vector<FixtureObject>& someObjects)
        {
            WriteFixtureLevel(myRoot.Path(), FIRST_LEVEL, someObjects);
            myLoader = std::make_unique<LevelLoader>(&myContext, nullptr);
            LevelData* level = myLoader->FindLevel("level_0"_sid);
            EXPECT_NE(level, nullptr);
            return *level;
        }

        TempDirectory myRoot;
        bool myFixtureWritten = (WriteEveryKindDefinitions(myRoot.Path()), PlaceFixtureModel(myRoot.Path()), true);
        HeadlessGameEngine myEngine{ myRoot.Path() };
        GameContext myContext;
        std::unique_ptr<LevelLoader> myLoader;
        Vela::Vector3<float> myExtents;
        Vela::Vector3<float> myCentre;
    };
}

TEST_F(LevelBuilderTest, OneObjectOfEveryDefinitionFillsEveryListWithItsColliderType)
{
    std::vector<FixtureObject> objects = EveryKindObjects();
    objects.push_back(PlacedMesh({ 0, 0, 0 }, { 1, 1, 1 }, true));
    objects.push_back(BoxOfType(0));
    objects.push_back(BoxOfType(3));
    FixtureObject unknown; // no definition and no model: dropped
    unknown.definition = "NoSuchDefinition";
    objects.push_back(unknown);
    LevelData& level = Build(objects);

    EXPECT_EQ(level.opaqueMeshes.size(), 1u);
    EXPECT_EQ(level.transparentMeshes.size(), 1u);
    EXPECT_EQ(level.grassMeshes.size(), 1u);
    EXPECT_EQ(level.stairs.size(), 1u);
    EXPECT_EQ(level.floors.size(), 2u);
    EXPECT_EQ(level.enemyTemplates.size(), 2u);
    EXPECT_EQ(level.boxes.size(), 3u);
    EXPECT_EQ(level.cameraColliders.size(), 1u);
    EXPECT_EQ(level.orbs.size(), 1u);
    EXPECT_EQ(level.sockets.size(), 1u);
    EXPECT_EQ(level.endTriggers.size(), 1u);
    EXPECT_EQ(level.deathBoxes.size(), 1u);
    EXPECT_EQ(level.checkPoints.size(), 1u);

    // Meshes: level geometry blocks sight; a transparent model goes to its own list, collider and all.
    EXPECT_EQ(level.opaqueMeshes[0].collider.type, ColliderType::Level);
    EXPECT_TRUE(level.opaqueMeshes[0].collider.blocksSight);
    EXPECT_TRUE(level.opaqueMeshes[0].hasCollider);
    EXPECT_NE(level.opaqueMeshes[0].model.GetModel(), nullptr);
    EXPECT_TRUE(level.transparentMeshes[0].transparent);
    EXPECT_TRUE(level.transparentMeshes[0].hasCollider);
    EXPECT_EQ(level.grassMeshes[0].collider.type, ColliderType::Grass);
    EXPECT_EQ(level.stairs[0].name, "Stair"_sid);
    EXPECT_TRUE(level.stairs[0].effect);

    // Floors own heap colliders; the second model is the broken floor.
    for (const FloorRecord& floor : level.floors)
    {
        ASSERT_NE(floor.collider, nullptr);
        EXPECT_TRUE(floor.collider->type == ColliderType::BreakableFloor || floor.collider->type == ColliderType::ScriptedEventFloor);
        EXPECT_NE(floor.brokenModel.GetModel(), nullptr);
    }
    EXPECT_NE(level.floors[0].collider->type, level.floors[1].collider->type);

    // Boxes: 1 is light, any other value heavy.
    int light = 0;
    int heavy = 0;
    for (const BoxRecord& box : level.boxes)
    {
        const bool isLight = box.boxType == 1;
        EXPECT_EQ(box.collider.type, isLight ? ColliderType::Box : ColliderType::HeavyBox);
        EXPECT_TRUE(box.collider.blocksSight);
        (isLight ? light : heavy) += 1;
    }
    EXPECT_EQ(light, 1);
    EXPECT_EQ(heavy, 2);

    EXPECT_EQ(level.cameraColliders[0].GetCollider().type, ColliderType::CameraZone);
    EXPECT_TRUE(level.cameraColliders[0].GetCollider().isTrigger);
    EXPECT_FLOAT_EQ(level.cameraColliders[0].GetOffset().z, -900.0f);
    EXPECT_EQ(level.orbs[0].GetCollider().type, ColliderType::Orb);
    EXPECT_EQ(level.sockets[0].GetCollider().type, ColliderType::Trigger);
    EXPECT_EQ(level.endTriggers[0].GetCollider().type, ColliderType::Trigger);
    EXPECT_EQ(level.endTriggers[0].GetNextScene(), "level_1"_sid);
    EXPECT_EQ(level.deathBoxes[0].type, ColliderType::DeathBox);
    EXPECT_TRUE(level.deathBoxes[0].isTrigger);
    EXPECT_EQ(level.checkPoints[0].type, ColliderType::CheckPoint);
    EXPECT_TRUE(level.checkPoints[0].isTrigger);

    // Enemies keep their parameters and clips in the definition's (name) order.
    for (EnemyTemplate& enemy : level.enemyTemplates)
    {
        EXPECT_EQ(enemy.collider.type, ColliderType::Level);
        if (enemy.kind == "glomp"_sid)
        {
            EXPECT_EQ(enemy.parameters, (std::vector<float>{ 2.0f, 300.0f }));
            ASSERT_EQ(enemy.clips.size(), 3u);
            EXPECT_FALSE(enemy.clips[0].IsLooping()) << "Anim_Alarmed";
            EXPECT_TRUE(enemy.clips[2].IsLooping()) << "Anim_Walk";
        }
        else
        {
            EXPECT_EQ(enemy.kind, "eyecorn"_sid);
            EXPECT_EQ(enemy.parameters, (std::vector<float>{ 1.0f, 45.0f, 20.0f, 800.0f, 1.5f, 4.0f }));
            EXPECT_EQ(enemy.clips.size(), 4u);
        }
    }

    // The player's clips sit at their fixed indices with their loop flags.
    EXPECT_NE(level.player.model.GetModel(), nullptr);
    EXPECT_TRUE(level.player.clips[PLAYER_CLIP_IDLE].IsLooping());
    EXPECT_FALSE(level.player.clips[PLAYER_CLIP_DEATH].IsLooping());
}

TEST_F(LevelBuilderTest, QuarterTurnsSwapTheColliderExtentsAndTheTransformFollowsThePlacement)
{
    const Vela::Vector3<float> scale{ 2.0f, 3.0f, 4.0f };
    LevelData& level = Build({ PlacedMesh({ 0, 0, 90 }, scale), PlacedMesh({ 0, 0, -90 }, scale), PlacedMesh({ 0, 0, 180 }, scale),
                               PlacedMesh({ 90, 0, 0 }, scale) });
    ASSERT_EQ(level.opaqueMeshes.size(), 4u);

    // By hand: width = ex * sx, height = ey * sy, depth = ez * sz, plus the size term (5, 7).
    const float width = myExtents.x * scale.x;
    const float height = myExtents.y * scale.y;
    const float depth = myExtents.z * scale.z;
    int swapped = 0;
    for (const StaticMeshRecord& mesh : level.opaqueMeshes)
    {
        swapped += WithHalfExtents({ mesh }, height + 5.0f, width + 7.0f) != nullptr;
    }
    EXPECT_EQ(swapped, 2) << "a quarter turn either way about z swaps width and height";
    const StaticMeshRecord* halfTurn = WithHalfExtents(level.opaqueMeshes, width + 5.0f, height + 7.0f);
    ASSERT_NE(halfTurn, nullptr) << "a half turn keeps them";
    EXPECT_NE(WithHalfExtents(level.opaqueMeshes, width + 5.0f, depth + 7.0f), nullptr) << "a quarter turn about x shows the depth";

    // Centre: the model's centre plus the placement plus the offset.
    EXPECT_FLOAT_EQ(halfTurn->collider.x, myCentre.x + 100.0f + 1.0f);
    EXPECT_FLOAT_EQ(halfTurn->collider.y, myCentre.y + 50.0f + 2.0f);
    EXPECT_EQ(halfTurn->collider.name, "Collider"_sid);

    // A quarter turn about z turns the x axis into y, scaled by the x scale; the translation is row 4.
    for (const StaticMeshRecord& mesh : level.opaqueMeshes)
    {
        if (WithHalfExtents({ mesh }, height + 5.0f, width + 7.0f) == nullptr)
        {
            continue;
        }
        const Vela::Matrix4x4<float>& transform = mesh.model.GetTransform();
        EXPECT_NEAR(transform(1, 1), 0.0f, 1e-5f);
        EXPECT_NEAR(std::abs(transform(1, 2)), 2.0f, 1e-5f);
        EXPECT_NEAR(std::abs(transform(2, 1)), 3.0f, 1e-5f);
        EXPECT_FLOAT_EQ(transform(4, 1), 100.0f);
        EXPECT_FLOAT_EQ(transform(4, 2), 50.0f);
    }
}

TEST_F(LevelBuilderTest, TriggerZonesAreSizedByTheirPropertyAndScaleAndAnInactiveExitStartsDisarmed)
{
    FixtureObject checkPoint;
    checkPoint.definition = "CheckPoints";
    checkPoint.translation = { 10.0f, 20.0f, 0.0f };
    checkPoint.scale = { 2.0f, 3.0f, 1.0f };
    checkPoint.properties = { FixtureProperty("Collider", "Collider - Box", FixtureBox({ 1, 2 }, { 5, 7 }, false)) };
    FixtureObject exit;
    exit.definition = "Template_EndTrigger";
    exit.translation = { 10.0f, 20.0f, 0.0f };
    exit.scale = { 2.0f, 3.0f, 1.0f };
    exit.properties = { FixtureProperty("Collider", "Collider - Box", FixtureBox({ 1, 2 }, { 5, 7 }, false)) };
    LevelData& level = Build({ checkPoint, exit });

    ASSERT_EQ(level.checkPoints.size(), 1u);
    const Collider& zone = level.checkPoints[0];
    EXPECT_FLOAT_EQ(zone.x, 11.0f);
    EXPECT_FLOAT_EQ(zone.y, 22.0f);
    EXPECT_FLOAT_EQ(zone.halfWidth, 10.0f);
    EXPECT_FLOAT_EQ(zone.halfHeight, 21.0f);
    EXPECT_TRUE(zone.active) << "a check point ignores the property's active flag";

    // The exit is placed as authored: its size is the property's, centred on the object.
    ASSERT_EQ(level.endTriggers.size(), 1u);
    const Collider& trigger = level.endTriggers[0].GetCollider();
    EXPECT_FLOAT_EQ(trigger.x, 10.0f);
    EXPECT_FLOAT_EQ(trigger.halfWidth, 5.0f);
    EXPECT_FLOAT_EQ(trigger.halfHeight, 7.0f);
    EXPECT_FALSE(trigger.active);
}

TEST_F(LevelBuilderTest, AnEnemyMissingParametersAndClipsIsNamedAndReadsZeroAndNoClip)
{
    FixtureObject glomp;
    glomp.definition = "SK_Enemy_Test";
    glomp.name = "Lazy Glomp";
    LevelData* level = nullptr;
    {
        // This level's glomp definition declares one parameter and no clips.
        WriteFixtureDefinition(myRoot.Path(), "SK_Enemy_Test", { FixtureProperty("roaming distance", "Float", 250.0f) });
        testing::internal::CaptureStdout();
        level = &Build({ glomp });
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find("Lazy Glomp"), std::string::npos) << output;
    }
    ASSERT_EQ(level->enemyTemplates.size(), 1u);
    EnemyTemplate& enemy = level->enemyTemplates[0];
    EXPECT_FLOAT_EQ(enemy.GetParameter(0), 250.0f);
    EXPECT_FLOAT_EQ(enemy.GetParameter(1), 0.0f);
    EXPECT_EQ(enemy.GetClip(0), nullptr);
}

TEST_F(LevelBuilderTest, TheWorkerBuildsTheSameLevelAsTheMainThread)
{
    WriteFixtureLevel(myRoot.Path(), "levels/Main Levels/Level 2", EveryKindObjects());
    LevelData& first = Build(EveryKindObjects());
    myLoader->WaitUntilReady();
    ASSERT_TRUE(myLoader->IsReady());
    LevelData* worker = myLoader->FindLevel("level_2"_sid);
    ASSERT_NE(worker, nullptr);

    const auto counts = [](const LevelData& aLevel) {
        return std::vector<size_t>{ aLevel.opaqueMeshes.size(), aLevel.transparentMeshes.size(), aLevel.grassMeshes.size(), aLevel.stairs.size(),
                                    aLevel.floors.size(), aLevel.enemyTemplates.size(), aLevel.boxes.size(), aLevel.cameraColliders.size(),
                                    aLevel.orbs.size(), aLevel.sockets.size(), aLevel.endTriggers.size(), aLevel.deathBoxes.size(),
                                    aLevel.checkPoints.size() };
    };
    EXPECT_EQ(counts(*worker), counts(first));
    ASSERT_EQ(worker->opaqueMeshes.size(), 1u);
    EXPECT_EQ(worker->opaqueMeshes[0].model.GetModel(), first.opaqueMeshes[0].model.GetModel()) << "both threads share the cached model";
    EXPECT_FLOAT_EQ(worker->opaqueMeshes[0].collider.halfWidth, first.opaqueMeshes[0].collider.halfWidth);
}
