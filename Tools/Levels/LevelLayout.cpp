#include "LevelLayout.h"

#include "Definitions.h"
#include "ModelCatalog.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace Levels
{
    namespace
    {
        // Feet of a respawned player stand this far above the floor, so the point is never inside it.
        constexpr float CHECK_POINT_LIFT = 2.0f;
        constexpr float CHECK_POINT_HALF_WIDTH = 40.0f;
        constexpr float CHECK_POINT_HALF_HEIGHT = 160.0f;
        // The orb hovers at chest height; its collider reaches down to the floor it rests on.
        constexpr float ORB_HOVER = 101.0f;
        constexpr float EXIT_HALF_WIDTH = 40.0f;
        constexpr float EXIT_HALF_HEIGHT = 100.0f;
        constexpr float STAIR_DEPTH = 120.0f;
        constexpr float BACKDROP_DEPTH = 900.0f;

        struct Rect
        {
            float x0, y0, x1, y1;
            float CentreX() const { return (x0 + x1) * 0.5f; }
            float CentreY() const { return (y0 + y1) * 0.5f; }
            float HalfWidth() const { return (x1 - x0) * 0.5f; }
            float HalfHeight() const { return (y1 - y0) * 0.5f; }
        };

        Rect ReadRect(const nlohmann::json& aJson)
        {
            const Rect rect{ aJson.at(0).get<float>(), aJson.at(1).get<float>(), aJson.at(2).get<float>(), aJson.at(3).get<float>() };
            if (!(rect.x1 > rect.x0 && rect.y1 > rect.y0))
            {
                throw std::runtime_error("a rectangle must be [left, bottom, right, top]: " + aJson.dump());
            }
            return rect;
        }

        std::array<float, 2> ReadPoint(const nlohmann::json& aJson) { return { aJson.at(0).get<float>(), aJson.at(1).get<float>() }; }

        nlohmann::json BoxValue(float anOffsetX, float anOffsetY, float aWidth, float aHeight, bool anActive = true)
        {
            return { { "position", { anOffsetX, anOffsetY } }, { "offsetSize", { aWidth, aHeight } }, { "isActive", anActive } };
        }

        class Builder
        {
        public:
            explicit Builder(ExpandedLevel& aLevel) : myLevel(aLevel) {}

            PlacedObject& Add(const std::string& aDefinition, float anX, float aY, float aZ = 0.0f)
            {
                FindDefinition(aDefinition);
                PlacedObject& object = myLevel.myObjects.emplace_back();
                object.myName = aDefinition + " " + std::to_string(myLevel.myObjects.size());
                object.myDefinition = aDefinition;
                object.myTranslation = { anX, aY, aZ };
                return object;
            }

            // Only what the definition declares per-instance, with its type, reaches the builder.
            void Set(PlacedObject& anObject, const std::string& aName, const std::string& aType, nlohmann::json aValue)
            {
                for (const PropertyDeclaration& property : FindDefinition(anObject.myDefinition).myProperties)
                {
                    if (property.myName == aName && property.myType == aType && property.myIsPerInstance)
                    {
                        anObject.myProperties.push_back({ { "name", aName }, { "type", aType }, { "value", std::move(aValue) } });
                        return;
                    }
                }
                throw std::runtime_error(myLevel.myKey + ": " + anObject.myDefinition + " declares no per-instance " + aType + " \"" + aName + "\"");
            }

        private:
            ExpandedLevel& myLevel;
        };

        // The block whose proportions are nearest the rectangle's, so that scaling distorts its stones least.
        const ModelInfo& BlockFor(const Rect& aRect)
        {
            const ModelInfo* best = nullptr;
            float bestError = std::numeric_limits<float>::max();
            for (const ModelInfo& block : BlockModels())
            {
                const float error = std::fabs(std::log((aRect.HalfWidth() / aRect.HalfHeight()) / (block.myWidth / block.myHeight)));
                if (error < bestError)
                {
                    bestError = error;
                    best = &block;
                }
            }
            return *best;
        }

        void AddBlock(Builder& aBuilder, const Rect& aRect)
        {
            const ModelInfo& model = BlockFor(aRect);
            PlacedObject& block = aBuilder.Add("SM_LevelBlock", aRect.CentreX(), aRect.CentreY());
            const float scaleX = aRect.HalfWidth() * 2.0f / model.myWidth;
            const float scaleY = aRect.HalfHeight() * 2.0f / model.myHeight;
            block.myScale = { scaleX, scaleY, 1.0f };
            aBuilder.Set(block, "Model", "Model", ModelValue(model));
            // The builder fits the collider around the first mesh (the stone without its moss, centre
            // unscaled): offset and size terms widen it to exactly the block's rectangle.
            aBuilder.Set(block, "Collider - Box", "Collider - Box",
                         BoxValue(0.0f, -model.myFirstMeshCentreY, aRect.HalfWidth() - model.myFirstMeshHalfWidth * scaleX,
                                  aRect.HalfHeight() - model.myFirstMeshHalfHeight * scaleY));
        }

        PlacedObject& AddZone(Builder& aBuilder, const std::string& aDefinition, const Rect& aRect)
        {
            PlacedObject& zone = aBuilder.Add(aDefinition, aRect.CentreX(), aRect.CentreY());
            aBuilder.Set(zone, "Collider - Box", "Collider - Box", BoxValue(0.0f, 0.0f, aRect.HalfWidth(), aRect.HalfHeight()));
            return zone;
        }

        void AddCameraZone(Builder& aBuilder, const nlohmann::json& aZone, bool aRoom)
        {
            const Rect rect = ReadRect(aZone.at("rect"));
            PlacedObject& zone = AddZone(aBuilder, "Template_CameraCollider", rect);
            aBuilder.Set(zone, "Fov/Zoom", "Float", aZone.at("fov").get<float>());
            aBuilder.Set(zone, "Camera Speed", "Float", aZone.value("speed", 0.04f));
            aBuilder.Set(zone, "Fov/Zoom Speed", "Float", aZone.value("speed", 0.04f));
            aBuilder.Set(zone, "Is Room", "Bool", aRoom);
            if (aRoom)
            {
                // The room holds the camera on its own centre, or on the authored point.
                const std::array<float, 2> target = aZone.contains("target") ? ReadPoint(aZone.at("target")) : std::array{ rect.CentreX(), rect.CentreY() };
                aBuilder.Set(zone, "Target Offset", "Float3", { target[0] - rect.CentreX(), target[1] - rect.CentreY(), 0.0f });
            }
        }

        template <typename Function>
        void ForEach(const nlohmann::json& aLayout, const char* aKey, Function aFunction)
        {
            if (const auto found = aLayout.find(aKey); found != aLayout.end())
            {
                for (const nlohmann::json& entry : *found)
                {
                    aFunction(entry);
                }
            }
        }

        void ExpandInto(const nlohmann::json& aLayout, ExpandedLevel& aLevel)
        {
            Builder builder(aLevel);
            const std::array<float, 2> spawn = ReadPoint(aLayout.at("player"));
            builder.Add("TOB", spawn[0], spawn[1]);

            ForEach(aLayout, "blocks", [&](const nlohmann::json& aRect) { AddBlock(builder, ReadRect(aRect)); });
            ForEach(aLayout, "backdrops", [&](const nlohmann::json& anEntry) {
                PlacedObject& backdrop = builder.Add("SM_Backdrop", anEntry.at(0).get<float>(), anEntry.at(1).get<float>(), BACKDROP_DEPTH);
                const float scale = anEntry.at(2).get<float>();
                backdrop.myScale = { scale, scale, 1.0f };
            });
            ForEach(aLayout, "checkpoints", [&](const nlohmann::json& aPoint) {
                const std::array<float, 2> feet = ReadPoint(aPoint);
                AddZone(builder, "CheckPoints",
                        { feet[0] - CHECK_POINT_HALF_WIDTH, feet[1] + CHECK_POINT_LIFT - CHECK_POINT_HALF_HEIGHT, feet[0] + CHECK_POINT_HALF_WIDTH,
                          feet[1] + CHECK_POINT_LIFT + CHECK_POINT_HALF_HEIGHT });
            });
            ForEach(aLayout, "deathBoxes", [&](const nlohmann::json& aRect) { AddZone(builder, "DeathBox", ReadRect(aRect)); });
            ForEach(aLayout, "cameras", [&](const nlohmann::json& aZone) { AddCameraZone(builder, aZone, false); });
            ForEach(aLayout, "rooms", [&](const nlohmann::json& aZone) { AddCameraZone(builder, aZone, true); });
            ForEach(aLayout, "boxes", [&](const nlohmann::json& aBox) {
                const std::array<float, 2> feet = ReadPoint(aBox.at("at"));
                PlacedObject& box = builder.Add("Interactable_Box_Snail", feet[0], feet[1]);
                builder.Set(box, "BoxType", "Int", aBox.value("heavy", false) ? 2 : 1);
            });
            ForEach(aLayout, "floors", [&](const nlohmann::json& aFloor) {
                // Placed by the floor's top, where feet and boxes rest.
                const std::array<float, 2> top = ReadPoint(aFloor.at("at"));
                const ModelInfo& intact = FindModel("models/Props/SM_Floor_Intact.fbx");
                builder.Add(aFloor.value("scripted", false) ? "ScriptedEventFloor" : "BreakableFloor", top[0], top[1] - intact.myFirstMeshHalfHeight);
            });
            ForEach(aLayout, "grass", [&](const nlohmann::json& aPoint) {
                const std::array<float, 2> base = ReadPoint(aPoint);
                builder.Add("SM_EN_Grass_1", base[0], base[1]);
            });
            ForEach(aLayout, "glomps", [&](const nlohmann::json& aGlomp) {
                const std::array<float, 2> feet = ReadPoint(aGlomp.at("at"));
                PlacedObject& glomp = builder.Add("SK_Enemy_Test", feet[0], feet[1]);
                builder.Set(glomp, "break time between patrols", "Float", aGlomp.at("pause").get<float>());
                builder.Set(glomp, "roaming distance", "Float", aGlomp.at("roam").get<float>());
            });
            ForEach(aLayout, "eyecorns", [&](const nlohmann::json& anEyecorn) {
                const std::array<float, 2> eye = ReadPoint(anEyecorn.at("at"));
                PlacedObject& eyecorn = builder.Add("SK_Enemy_flying", eye[0], eye[1]);
                builder.Set(eyecorn, "break time between scanning", "Float", anEyecorn.at("pause").get<float>());
                builder.Set(eyecorn, "scanning angle", "Float", anEyecorn.at("scan").get<float>());
                builder.Set(eyecorn, "sight angle", "Float", anEyecorn.at("sight").get<float>());
                builder.Set(eyecorn, "sight distance", "Float", anEyecorn.at("distance").get<float>());
                builder.Set(eyecorn, "time to before killing player", "Float", anEyecorn.at("kill").get<float>());
                builder.Set(eyecorn, "time to do a full scan", "Float", anEyecorn.at("sweep").get<float>());
            });

            const std::array<float, 2> orb = ReadPoint(aLayout.at("orb"));
            builder.Add("Orb", orb[0], orb[1] + ORB_HOVER);
            const std::array<float, 2> socket = ReadPoint(aLayout.at("socket"));
            builder.Add("Socket", socket[0], socket[1]);

            const std::array<float, 2> exit = ReadPoint(aLayout.at("exit"));
            PlacedObject& trigger = builder.Add("Template_EndTrigger", exit[0], exit[1] + EXIT_HALF_HEIGHT);
            builder.Set(trigger, "Collider - Box", "Collider - Box", BoxValue(0.0f, 0.0f, EXIT_HALF_WIDTH, EXIT_HALF_HEIGHT, false));
            builder.Set(trigger, "Next Scene", "StringId", aLayout.at("next").get<std::string>());
            builder.Add("SM_A_RotatingStair", exit[0], exit[1], STAIR_DEPTH);
        }
    }

    ExpandedLevel ExpandLevel(const nlohmann::json& aLayout)
    {
        ExpandedLevel level;
        level.myKey = aLayout.value("key", std::string("(no key)"));
        try
        {
            level.myScene = aLayout.at("scene").get<std::string>();
            ExpandInto(aLayout, level);
        }
        catch (const nlohmann::json::exception& anError)
        {
            throw std::runtime_error(level.myKey + ": " + anError.what());
        }
        return level;
    }
}
