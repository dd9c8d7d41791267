#include "Definitions.h"

#include "ModelCatalog.h"

#include <stdexcept>

namespace Levels
{
    namespace
    {
        PropertyDeclaration Fixed(const std::string& aName, const std::string& aType, nlohmann::json aValue)
        {
            return { aName, aType, false, std::move(aValue) };
        }

        PropertyDeclaration PerInstance(const std::string& aName, const std::string& aType, nlohmann::json aValue)
        {
            return { aName, aType, true, std::move(aValue) };
        }

        PropertyDeclaration Model(const char* aPath, const char* aName = "Model")
        {
            return Fixed(aName, "Model", ModelValue(FindModel(aPath)));
        }

        nlohmann::json Box(float aWidth, float aHeight, bool anActive = true)
        {
            return { { "position", { 0.0f, 0.0f } }, { "offsetSize", { aWidth, aHeight } }, { "isActive", anActive } };
        }

        // Clip properties named "Anim_<name>" for the files "<folder>/Anim_<prefix>_<name>.fbx", in the given order.
        void AddClips(Definition& aDefinition, const std::string& aFolder, const std::string& aPrefix, const std::vector<std::string>& someNames)
        {
            for (const std::string& name : someNames)
            {
                aDefinition.myProperties.push_back(Fixed("Anim_" + name, "Animation Clip", ClipValue(aFolder + "/Anim_" + aPrefix + "_" + name + ".fbx")));
            }
        }

        Definition Player()
        {
            Definition player{ "TOB", { Model("models/Player/SK_Player.fbx"), PerInstance("Rotation", "Float", 0.0f) } };
            // In the order of the player's clip slots.
            AddClips(player, "models/Player", "Player",
                     { "Idle", "Jog", "Crouch", "MovingCrouch", "TakeOff", "Fall", "Land", "Push", "Pull", "Interact", "Death", "StepBack",
                       "IdleToCrouch", "CrouchToIdle" });
            return player;
        }

        Definition SnailBox()
        {
            Definition box{ "Interactable_Box_Snail",
                            { Model("models/Snail/SK_SnailBox.fbx"), Fixed("Collider - Box", "Collider - Box", Box(0, 0)), PerInstance("BoxType", "Int", 1) } };
            AddClips(box, "models/Snail", "Snail",
                     { "Idle", "Pushed_Left", "Pushed_Right", "Falling", "Landing", "Enter_Heavy", "Heavy_Idle", "Being_Pushed_Left", "Being_Pushed_Right" });
            return box;
        }

        // The enemies read their clips and parameters by position, in ascending order of the names.
        Definition Glomp()
        {
            Definition glomp{ "SK_Enemy_Test", { Model("models/Glomp/SK_Glomp.fbx"), Fixed("Collider - Box", "Collider - Box", Box(0, 0)) } };
            AddClips(glomp, "models/Glomp", "Glomp", { "Alarmed", "Idle", "Walk" });
            glomp.myProperties.push_back(PerInstance("break time between patrols", "Float", 2.0f));
            glomp.myProperties.push_back(PerInstance("roaming distance", "Float", 600.0f));
            return glomp;
        }

        Definition Eyecorn()
        {
            Definition eyecorn{ "SK_Enemy_flying",
                                { Model("models/Eyecorn/SK_Eyecorn.fbx"), Fixed("Collider - Box", "Collider - Box", Box(0, 0)),
                                  PerInstance("Rotation", "Float", 0.0f) } };
            AddClips(eyecorn, "models/Eyecorn", "Eyecorn", { "Alarmed", "CloseEye", "Idle", "OpenEye" });
            for (const auto& [name, value] : std::vector<std::pair<std::string, float>>{ { "break time between scanning", 1.0f },
                                                                                         { "scanning angle", 40.0f },
                                                                                         { "sight angle", 30.0f },
                                                                                         { "sight distance", 900.0f },
                                                                                         { "time to before killing player", 1.5f },
                                                                                         { "time to do a full scan", 3.0f } })
            {
                eyecorn.myProperties.push_back(PerInstance(name, "Float", value));
            }
            return eyecorn;
        }

        Definition CameraZone()
        {
            // A speed of 0 would freeze the camera: the defaults are the controller's own.
            return { "Template_CameraCollider",
                     { PerInstance("Collider - Box", "Collider - Box", Box(200, 200)), PerInstance("Target Offset", "Float3", { 0.0f, 0.0f, 0.0f }),
                       PerInstance("Fov/Zoom", "Float", 0.0f), PerInstance("Camera Speed", "Float", 0.03f), PerInstance("Fov/Zoom Speed", "Float", 0.03f),
                       PerInstance("Is Room", "Bool", false) } };
        }

        Definition Floor(const char* aName)
        {
            // The intact floor first, the broken one second.
            return { aName,
                     { Model("models/Props/SM_Floor_Intact.fbx"), Model("models/Props/SM_Floor_Broken.fbx", "Broken Model"),
                       Fixed("Collider - Box", "Collider - Box", Box(0, 0)) } };
        }

        std::vector<Definition> MakeDefinitions()
        {
            return {
                Player(),
                SnailBox(),
                Glomp(),
                Eyecorn(),
                CameraZone(),
                { "Orb", { Model("models/Props/SM_Orb.fbx"), Fixed("Collider - Box", "Collider - Box", Box(40, 72)) } },
                { "Socket", { Model("models/Props/SM_Socket.fbx"), Fixed("Collider - Box", "Collider - Box", Box(40, 40)) } },
                // The exit waits for a filled socket.
                { "Template_EndTrigger", { PerInstance("Collider - Box", "Collider - Box", Box(40, 100, false)), PerInstance("Next Scene", "StringId", "") } },
                { "SM_A_RotatingStair", { Model("models/Props/SM_RotatingStair.fbx"), Fixed("Name", "StringId", "Stair"), Fixed("Effect", "Bool", true) } },
                { "CheckPoints", { PerInstance("Collider - Box", "Collider - Box", Box(40, 150)) } },
                { "DeathBox", { PerInstance("Collider - Box", "Collider - Box", Box(100, 100)) } },
                Floor("BreakableFloor"),
                Floor("ScriptedEventFloor"),
                { "SM_EN_Grass_1", { Model("models/Props/SM_Grass.fbx"), Fixed("Collider - Box", "Collider - Box", Box(0, 20)) } },
                // Level geometry: any block model, with a collider fitted to the block.
                { "SM_LevelBlock",
                  { PerInstance("Model", "Model", ModelValue(FindModel("models/Level/SM_Block_100x100.fbx"))),
                    PerInstance("Collider - Box", "Collider - Box", Box(0, 0)) } },
                // Far behind the level, drawn without collision.
                { "SM_Backdrop", { Fixed("Model", "Model", ModelValue(FindModel("models/Level/SM_Backdrop.fbx"), true)) } },
            };
        }
    }

    const std::vector<Definition>& AllDefinitions()
    {
        static const std::vector<Definition> DEFINITIONS = MakeDefinitions();
        return DEFINITIONS;
    }

    const Definition& FindDefinition(const std::string& aName)
    {
        for (const Definition& definition : AllDefinitions())
        {
            if (definition.myName == aName)
            {
                return definition;
            }
        }
        throw std::runtime_error("no definition " + aName);
    }

    nlohmann::json DefinitionFile(const Definition& aDefinition)
    {
        nlohmann::json properties = nlohmann::json::array();
        for (const PropertyDeclaration& property : aDefinition.myProperties)
        {
            properties.push_back({ { "name", property.myName },
                                   { "is-dynamic", false },
                                   { "is-per-instance", property.myIsPerInstance },
                                   { "type", property.myType },
                                   { "value", property.myValue } });
        }
        return { { "parent-object-definition", "" }, { "properties", properties } };
    }
}
