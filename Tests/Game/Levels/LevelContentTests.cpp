// The level lint: every game level is loaded through the real level loader and builder from the
// generated game asset root, and checked against the rules that keep it playable and against its own
// readable layout.
#include "LevelContentTable.h"

#include "Support/GameTestSupport.h"

#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Spine/Game.h"

#include "mire/model/ModelFactory.h"
#include "mire/property/PooledPropertyValues.h"
#include "mire/scene/Scene.h"
#include "mire/scene/SceneObjectDefinition.h"
#include "mire/scene/SceneSerialize.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "mire/texture/TextureManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using LevelContent::Rect;

namespace
{
    constexpr float PLAYER_HEIGHT = 96.0f;
    constexpr float SIGHT_OCCLUDER_RADIUS = 1500.0f;
    constexpr size_t GLOMP_PARAMETERS = 2, GLOMP_CLIPS = 3, EYECORN_PARAMETERS = 6, EYECORN_CLIPS = 4;

    class LevelContentTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            if (!std::filesystem::exists(LevelContent::GameRoot() / "models/Player/SK_Player.fbx"))
            {
                return;
            }
            ourGame = new VelaTest::HeadlessGame(LevelContent::GameRoot());
            ASSERT_TRUE(ourGame->IsStarted());
            // The worker publishes the levels after level_0 and level_1.
            ourGame->GetGame().GetLevelLoader().WaitUntilReady();
            ASSERT_TRUE(ourGame->RunFrame());
        }
        static void TearDownTestSuite()
        {
            delete ourGame;
            ourGame = nullptr;
        }

        void SetUp() override
        {
            if (ourGame == nullptr)
            {
                GTEST_SKIP() << "the demo content pack is not in " << LevelContent::GameRoot();
            }
        }

        static LevelLoader& Loader() { return ourGame->GetGame().GetLevelLoader(); }
        static inline VelaTest::HeadlessGame* ourGame = nullptr;
    };

    bool Loads(const char* aTexture)
    {
        const Vela::Texture* texture = Vela::Engine::GetInstance()->myTextureManager->LoadTexture(aTexture, Vela::TextureSrgbMode::ForceSrgb);
        return texture != nullptr && !texture->IsPlaceholder();
    }

    // A model value: the file resolves and loads, and every mesh has all four textures, each loading.
    void ExpectModelLoads(const Vela::SceneModel& aModel, const std::string& anObject)
    {
        SCOPED_TRACE(anObject + " model " + aModel.path.GetString());
        ASSERT_FALSE(Vela::Settings::ResolveAssetPath(aModel.path.GetView()).empty());
        const std::shared_ptr<Vela::Model> model = Vela::ModelFactory::GetInstance().GetModel(aModel.path.GetString());
        ASSERT_TRUE(model);
        for (size_t mesh = 0; mesh < model->GetMeshes().size(); ++mesh)
        {
            for (size_t slot = 0; slot < 4; ++slot)
            {
                EXPECT_TRUE(Loads(aModel.textures[mesh][slot].GetString())) << "mesh " << mesh << " slot " << slot << ": " << aModel.textures[mesh][slot].GetString();
            }
            // Shaders are named in pairs or not at all.
            EXPECT_EQ(aModel.textures[mesh][4].IsEmpty(), aModel.textures[mesh][5].IsEmpty());
        }
    }

    float Distance(float anX, float aY, const Collider& aCollider) { return std::hypot(aCollider.x - anX, aCollider.y - aY); }
}

// Every object names a definition, sets only properties that it declares per-instance with the same
// type, and every model, texture and clip it ends up with resolves and loads.
TEST_F(LevelContentTest, EveryObjectMatchesItsDefinitionAndEveryAssetLoads)
{
    Vela::SceneObjectDefinitionManager definitions;
    definitions.DiscoverFiles(LevelContent::GameRoot().string());
    std::vector<Vela::DefinitionPropertyEntry> merged;
    for (const LevelContent::LevelEntry& level : LevelContent::LEVELS)
    {
        SCOPED_TRACE(level.myKey);
        Vela::Scene scene;
        Vela::LoadScene(level.myScenePath, scene);
        EXPECT_GT(scene.objects.size(), 10u);
        for (const auto& [id, object] : scene.objects)
        {
            EXPECT_NE(id, 0u) << object->name << ": its file name is no UUID";
            const Vela::SceneObjectDefinition* definition = definitions.Find(object->definition);
            ASSERT_NE(definition, nullptr) << object->name;
            for (const Vela::ScenePropertyEntry& property : object->properties)
            {
                const auto declared = std::find_if(definition->properties.begin(), definition->properties.end(),
                                                   [&](const Vela::DefinitionPropertyEntry& anEntry) { return anEntry.name == property.name; });
                ASSERT_NE(declared, definition->properties.end()) << object->name << " sets undeclared " << property.name.GetString();
                EXPECT_EQ(declared->type, property.type) << object->name << " " << property.name.GetString();
                EXPECT_TRUE(declared->flags & Vela::IsPerInstance) << object->name << " " << property.name.GetString();
            }
            merged.clear();
            Vela::SceneObjectDefinition::MergeOverrides(*object, definitions, merged);
            for (const Vela::DefinitionPropertyEntry& entry : merged)
            {
                if (const Vela::SceneModelValue* model = entry.value.Get<Vela::SceneModelValue>())
                {
                    ExpectModelLoads(model->Get(), object->name);
                }
                if (const Vela::AnimationClipValue* clip = entry.value.Get<Vela::AnimationClipValue>())
                {
                    EXPECT_FALSE(Vela::Settings::ResolveAssetPath((*clip)->clipPath.GetView()).empty()) << (*clip)->clipPath.GetString();
                }
            }
        }
    }
}

// What the builder made: the player with its clips, exactly one orb, socket and exit, check points,
// enemies with all their parameters and clips, boxes and floors complete.
TEST_F(LevelContentTest, EveryLevelBuildsWithAllItsPieces)
{
    for (const LevelContent::LevelEntry& level : LevelContent::LEVELS)
    {
        SCOPED_TRACE(level.myKey);
        const nlohmann::json layout = LevelContent::ReadLayout(level.myKey);
        LevelData* data = Loader().FindLevel(Vela::StringRegistry::RegisterOrGetString(level.myKey));
        ASSERT_NE(data, nullptr);

        ASSERT_TRUE(data->player.animatedModel.GetModel());
        for (const Vela::AnimationPlayer& clip : data->player.clips)
        {
            EXPECT_TRUE(clip.GetAnimation());
        }
        ASSERT_EQ(data->orbs.size(), 1u);
        ASSERT_EQ(data->sockets.size(), 1u);
        ASSERT_EQ(data->endTriggers.size(), 1u);
        EXPECT_TRUE(data->orbs[0].GetModelInstance().GetModel());
        EXPECT_TRUE(data->sockets[0].GetModelInstance().GetModel());
        // The exit waits for the socket and leads on.
        EXPECT_FALSE(data->endTriggers[0].GetCollider().active);
        EXPECT_STREQ(data->endTriggers[0].GetNextScene().GetString(), layout["next"].get<std::string>().c_str());
        ASSERT_EQ(data->stairs.size(), 1u);
        EXPECT_STREQ(data->stairs[0].name.GetString(), "Stair");
        EXPECT_TRUE(data->stairs[0].effect);
        EXPECT_GE(data->checkPoints.size(), 1u);
        EXPECT_EQ(data->checkPoints.size(), layout["checkpoints"].size());
        EXPECT_EQ(data->deathBoxes.size(), layout.value("deathBoxes", nlohmann::json::array()).size());

        for (const EnemyTemplate& enemy : data->enemyTemplates)
        {
            const bool glomp = std::string(enemy.kind.GetString()) == "glomp";
            EXPECT_EQ(enemy.parameters.size(), glomp ? GLOMP_PARAMETERS : EYECORN_PARAMETERS) << enemy.kind.GetString();
            ASSERT_EQ(enemy.clips.size(), glomp ? GLOMP_CLIPS : EYECORN_CLIPS) << enemy.kind.GetString();
            for (const Vela::AnimationPlayer& clip : enemy.clips)
            {
                EXPECT_TRUE(clip.GetAnimation());
            }
        }
        for (const BoxRecord& box : data->boxes)
        {
            EXPECT_TRUE(box.animatedModel.GetModel());
            for (const Vela::AnimationPlayer& clip : box.clips)
            {
                EXPECT_TRUE(clip.GetAnimation());
            }
        }
        for (const FloorRecord& floor : data->floors)
        {
            EXPECT_TRUE(floor.collider && floor.model.GetModel() && floor.brokenModel.GetModel());
        }
        for (const StaticMeshRecord& grass : data->grassMeshes)
        {
            EXPECT_TRUE(grass.hasCollider);
            EXPECT_EQ(grass.collider.type, ColliderType::Grass);
        }
    }
}

// The colliders fit the layout, and the layout keeps the rules that stop a level from trapping the
// player: respawn points just above a floor, a lose zone under every pit, patrols over open floor,
// pillars near every Eyecorn, and no room inside a zone that changes the field of view.
TEST_F(LevelContentTest, EveryLevelKeepsItsLayoutAndThePlayerCannotBeTrapped)
{
    for (const LevelContent::LevelEntry& level : LevelContent::LEVELS)
    {
        SCOPED_TRACE(level.myKey);
        const nlohmann::json layout = LevelContent::ReadLayout(level.myKey);
        LevelData* data = Loader().FindLevel(Vela::StringRegistry::RegisterOrGetString(level.myKey));
        ASSERT_NE(data, nullptr);

        std::vector<Rect> blocks;
        for (const nlohmann::json& block : layout["blocks"])
        {
            blocks.push_back(LevelContent::ToRect(block));
        }
        // Each block is solid exactly where the layout draws it.
        ASSERT_EQ(data->opaqueMeshes.size(), blocks.size());
        for (const StaticMeshRecord& mesh : data->opaqueMeshes)
        {
            EXPECT_EQ(mesh.collider.type, ColliderType::Level);
            const bool matches = std::any_of(blocks.begin(), blocks.end(), [&](const Rect& aBlock) {
                return std::fabs(mesh.collider.x - (aBlock.x0 + aBlock.x1) * 0.5f) < 0.5f && std::fabs(mesh.collider.y - (aBlock.y0 + aBlock.y1) * 0.5f) < 0.5f &&
                       std::fabs(mesh.collider.halfWidth * 2.0f - (aBlock.x1 - aBlock.x0)) < 0.5f &&
                       std::fabs(mesh.collider.halfHeight * 2.0f - (aBlock.y1 - aBlock.y0)) < 0.5f;
            });
            EXPECT_TRUE(matches) << "collider at " << mesh.collider.x << ", " << mesh.collider.y;
        }
        auto solidAt = [&](float anX, float aY) { return std::any_of(blocks.begin(), blocks.end(), [&](const Rect& aBlock) { return aBlock.Contains(anX, aY); }); };

        // A respawn point stands just above a block's top, in the open.
        for (const Collider& point : data->checkPoints)
        {
            EXPECT_EQ(point.type, ColliderType::CheckPoint);
            EXPECT_FALSE(solidAt(point.x, point.y)) << "check point at " << point.x << ", " << point.y;
            EXPECT_TRUE(solidAt(point.x, point.y - 5.0f)) << "check point at " << point.x << ", " << point.y;
            EXPECT_FALSE(solidAt(point.x, point.y + PLAYER_HEIGHT)) << "check point at " << point.x << ", " << point.y;
        }

        // A column with no ground at all is a pit: something must catch a player who falls down it.
        const float left = blocks.front().x1, right = std::max_element(blocks.begin(), blocks.end(), [](const Rect& a, const Rect& b) { return a.x0 < b.x0; })->x0;
        for (float x = left + 5.0f; x < right; x += 10.0f)
        {
            const bool ground = std::any_of(blocks.begin(), blocks.end(), [&](const Rect& aBlock) { return x > aBlock.x0 && x < aBlock.x1; });
            const bool caught = std::any_of(data->deathBoxes.begin(), data->deathBoxes.end(),
                                            [&](const Collider& aBox) { return std::fabs(aBox.x - x) < aBox.halfWidth && aBox.type == ColliderType::DeathBox; });
            EXPECT_TRUE(ground || caught) << "an open pit at x " << x;
        }

        // Camera zones: never frozen, and no room inside a zone that sets the field of view.
        for (const CameraCollider& zone : data->cameraColliders)
        {
            EXPECT_GT(zone.GetCameraSpeed(), 0.0f);
            if (!zone.IsRoom())
            {
                continue;
            }
            for (const CameraCollider& outer : data->cameraColliders)
            {
                const Collider& room = zone.GetCollider();
                const Collider& other = outer.GetCollider();
                const bool inside = std::fabs(room.x - other.x) < other.halfWidth && std::fabs(room.y - other.y) < other.halfHeight;
                EXPECT_FALSE(!outer.IsRoom() && outer.GetFovZoom() != 0.0f && inside) << "a room inside a field-of-view zone";
            }
        }

        // A Glomp walks its patrol on floor, through no wall; an Eyecorn has pillars taller than the
        // player within the reach of its sight occluders.
        for (const nlohmann::json& glomp : layout.value("glomps", nlohmann::json::array()))
        {
            const float x = glomp["at"][0].get<float>(), y = glomp["at"][1].get<float>(), roam = glomp["roam"].get<float>();
            for (float step = -60.0f; step <= roam + 60.0f; step += 10.0f)
            {
                EXPECT_TRUE(solidAt(x + step, y - 1.0f)) << "no floor under the patrol at " << x + step;
                EXPECT_FALSE(solidAt(x + step, y + 60.0f)) << "a wall in the patrol at " << x + step;
            }
        }
        for (const nlohmann::json& eyecorn : layout.value("eyecorns", nlohmann::json::array()))
        {
            const float x = eyecorn["at"][0].get<float>(), y = eyecorn["at"][1].get<float>();
            const size_t pillars = std::count_if(data->opaqueMeshes.begin(), data->opaqueMeshes.end(), [&](const StaticMeshRecord& aMesh) {
                return aMesh.collider.halfHeight * 2.0f > PLAYER_HEIGHT && aMesh.collider.halfWidth <= 100.0f && Distance(x, y, aMesh.collider) <= SIGHT_OCCLUDER_RADIUS;
            });
            EXPECT_GE(pillars, 2u);
        }
    }
}
