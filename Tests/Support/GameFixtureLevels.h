#pragma once
// Fixture levels for game tests and benchmarks, written as the level files are: a scene folder of
// UUID-named JSON object files plus ".kvo" definitions under a game asset root, so that levels are
// built through the real scene loader and level builder. Needs only the standard library and the
// JSON library, so benchmarks can use it too.
#include "mire/math/Vector.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace VelaTest
{
    // One {"name", "type", "value"} property element, as scene objects and definitions write them.
    inline nlohmann::json FixtureProperty(const std::string& aName, const std::string& aType, const nlohmann::json& aValue)
    {
        return { { "name", aName }, { "type", aType }, { "value", aValue } };
    }

    // A "Model" property value naming a model file, optionally transparent.
    inline nlohmann::json FixtureModel(const std::string& aPath, bool aTransparent = false)
    {
        return { { "path", aPath }, { "TransparentFlag", aTransparent } };
    }

    // A "Collider - Box" property value: the offset from the object and the size term.
    inline nlohmann::json FixtureBox(Vela::Vector2<float> anOffset, Vela::Vector2<float> aSize, bool anActive = true)
    {
        return { { "position", { anOffset.x, anOffset.y } }, { "offsetSize", { aSize.x, aSize.y } }, { "isActive", anActive } };
    }

    // One placed object of a fixture level.
    struct FixtureObject
    {
        std::string definition;                              // the ".kvo" stem; empty for none
        std::vector<nlohmann::json> properties; // FixtureProperty elements
        Vela::Vector3<float> translation{ 0.0f, 0.0f, 0.0f };
        Vela::Vector3<float> rotation{ 0.0f, 0.0f, 0.0f }; // degrees
        Vela::Vector3<float> scale{ 1.0f, 1.0f, 1.0f };
        std::string name = "Fixture Object";
    };

    // A file name in the UUID form that scene files use, distinct for every index.
    inline std::string FixtureUuid(size_t anIndex)
    {
        char text[64];
        std::snprintf(text, sizeof(text), "00000000-0000-4000-8000-%012zx", anIndex + 1);
        return text;
    }

    inline void WriteFixtureFile(const std::filesystem::path& aPath, const std::string& aContent)
    {
        std::filesystem::create_directories(aPath.parent_path());
        std::ofstream(aPath, std::ios::binary) << aContent;
    }

    // Writes "definitions/<aName>.kvo" under aRoot declaring someProperties (FixtureProperty elements whose
    // values are the defaults), each overridable per placed object, in the order given.
    inline void WriteFixtureDefinition(const std::filesystem::path& aRoot, const std::string& aName, const std::vector<nlohmann::json>& someProperties)
    {
        nlohmann::json declared = nlohmann::json::array();
        for (const nlohmann::json& property : someProperties)
        {
            nlohmann::json entry = property;
            entry["is-dynamic"] = false;
            entry["is-per-instance"] = true;
            declared.push_back(entry);
        }
        WriteFixtureFile(aRoot / "definitions" / (aName + ".kvo"), nlohmann::json{ { "parent-object-definition", "" }, { "properties", declared } }.dump(2));
    }

    // Writes the scene "<aScenePath>.leveldata" under aRoot with one object file per element.
    inline void WriteFixtureLevel(const std::filesystem::path& aRoot, const std::string& aScenePath, const std::vector<FixtureObject>& someObjects)
    {
        std::filesystem::create_directories(aRoot / (aScenePath + ".leveldata"));
        for (size_t index = 0; index < someObjects.size(); ++index)
        {
            const FixtureObject& object = someObjects[index];
            nlohmann::json document = {
                { "name", object.name },
                { "translation", { object.translation.x, object.translation.y, object.translation.z } },
                { "rotation", { object.rotation.x, object.rotation.y, object.rotation.z } },
                { "scale", { object.scale.x, object.scale.y, object.scale.z } },
                { "properties", nlohmann::json(object.properties) },
            };
            if (!object.definition.empty())
            {
                document["object-definition"] = object.definition;
            }
            WriteFixtureFile(aRoot / (aScenePath + ".leveldata") / FixtureUuid(index), document.dump(2));
        }
    }

    // The model every fixture object uses: a shared FBX cube, copied into the root under this path.
    constexpr const char* FIXTURE_MODEL = "models/FixtureCube.fbx";
    inline void PlaceFixtureModel(const std::filesystem::path& aRoot)
    {
        std::filesystem::create_directories(aRoot / "models");
        std::filesystem::copy_file(std::filesystem::path(VELA_FIXTURES_DIR) / "fbx/maya_cube_7500_binary.fbx", aRoot / FIXTURE_MODEL,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // The definitions of every kind of object that the level builder knows, declaring the properties it
    // reads (enemy clips and parameters in ascending name order, as the enemies read them), plus
    // "SM_Level_Mesh", which the builder does not know and so makes a plain mesh.
    inline void WriteEveryKindDefinitions(const std::filesystem::path& aRoot)
    {
        const nlohmann::json model = FixtureProperty("Model", "Model", FixtureModel(FIXTURE_MODEL));
        const nlohmann::json box = FixtureProperty("Collider", "Collider - Box", FixtureBox({ 0, 0 }, { 0, 0 }));
        const auto clip = [](const char* aName) { return FixtureProperty(aName, "Animation Clip", { { "clip_path", "" } }); };
        const auto number = [](const char* aName, float aValue) { return FixtureProperty(aName, "Float", aValue); };

        WriteFixtureDefinition(aRoot, "TOB", { model, number("Rotation", 0), clip("Anim_Idle"), clip("Anim_Death") });
        WriteFixtureDefinition(aRoot, "Interactable_Box_Snail", { model, box, FixtureProperty("BoxType", "Int", 1), clip("Anim_Idle") });
        WriteFixtureDefinition(aRoot, "SK_Enemy_Test", { model, box, clip("Anim_Alarmed"), clip("Anim_Idle"), clip("Anim_Walk"),
                                                         number("break time between patrols", 2), number("roaming distance", 300) });
        WriteFixtureDefinition(aRoot, "SK_Enemy_flying",
                               { model, box, number("Rotation", 0), clip("Anim_Alarmed"), clip("Anim_CloseEye"), clip("Anim_Idle"), clip("Anim_OpenEye"),
                                 number("break time between scanning", 1), number("scanning angle", 45), number("sight angle", 20),
                                 number("sight distance", 800), number("time to before killing player", 1.5f), number("time to do a full scan", 4) });
        WriteFixtureDefinition(aRoot, "Template_CameraCollider",
                               { box, FixtureProperty("Target Offset", "Float3", { 0, 0, -900 }), number("Fov/Zoom", 0), number("Camera Speed", 0.03f),
                                 number("Fov/Zoom Speed", 0.03f), FixtureProperty("Is Room", "Bool", false) });
        WriteFixtureDefinition(aRoot, "Orb", { model, box });
        WriteFixtureDefinition(aRoot, "Socket", { model, box });
        WriteFixtureDefinition(aRoot, "Template_EndTrigger", { box, FixtureProperty("Next Scene", "StringId", "level_1") });
        WriteFixtureDefinition(aRoot, "SM_A_RotatingStair", { model, FixtureProperty("Name", "StringId", "Stair"), FixtureProperty("Effect", "Bool", true) });
        WriteFixtureDefinition(aRoot, "CheckPoints", { box });
        WriteFixtureDefinition(aRoot, "DeathBox", { box });
        const std::vector<nlohmann::json> floor = { model, FixtureProperty("Broken Model", "Model", FixtureModel(FIXTURE_MODEL)), box };
        WriteFixtureDefinition(aRoot, "BreakableFloor", floor);
        WriteFixtureDefinition(aRoot, "ScriptedEventFloor", floor);
        WriteFixtureDefinition(aRoot, "SM_EN_Grass_1", { model, box });
        WriteFixtureDefinition(aRoot, "SM_Level_Mesh", { model, box });
    }

    // One object of every definition of WriteEveryKindDefinitions, side by side along x (the player
    // first), each with the definition's default values; with aSets above 1 that row again and again,
    // each 300 units above the last.
    inline std::vector<FixtureObject> EveryKindObjects(int aSets = 1)
    {
        const char* definitions[] = { "TOB", "Interactable_Box_Snail", "SK_Enemy_Test", "SK_Enemy_flying", "Template_CameraCollider", "Orb", "Socket",
                                      "Template_EndTrigger", "SM_A_RotatingStair", "CheckPoints", "DeathBox", "BreakableFloor", "ScriptedEventFloor",
                                      "SM_EN_Grass_1", "SM_Level_Mesh" };
        std::vector<FixtureObject> objects;
        for (int set = 0; set < aSets; ++set)
        {
            float x = 0.0f;
            for (const char* definition : definitions)
            {
                FixtureObject object;
                object.definition = definition;
                object.name = definition;
                object.translation = { x, 300.0f * static_cast<float>(set), 0.0f };
                objects.push_back(object);
                x += 400.0f;
            }
        }
        return objects;
    }

    // A whole fixture level at aScenePath: the model, every definition and aSets rows of one object of each.
    inline void WriteEveryKindLevel(const std::filesystem::path& aRoot, const std::string& aScenePath, int aSets = 1)
    {
        PlaceFixtureModel(aRoot);
        WriteEveryKindDefinitions(aRoot);
        WriteFixtureLevel(aRoot, aScenePath, EveryKindObjects(aSets));
    }
    // An object of aDefinition placed at aPosition, with per-object Float values for some of its properties.
    inline FixtureObject Placed(const char* aDefinition, Vela::Vector3<float> aPosition, Vela::Vector3<float> aScale = { 1, 1, 1 },
                                const std::vector<std::pair<const char*, float>>& someNumbers = {})
    {
        FixtureObject object;
        object.definition = aDefinition;
        object.name = aDefinition;
        object.translation = aPosition;
        object.scale = aScale;
        for (const auto& [name, value] : someNumbers)
            object.properties.push_back(FixtureProperty(name, "Float", value));
        return object;
    }

    // A floor of fixture cubes whose top is at y = 0 from x = -2000 to 2000.
    inline FixtureObject Floor() { return Placed("SM_Level_Mesh", { 0, -100, 0 }, { 4000, 200, 200 }); }

    // A trigger zone (death box, check point, exit) with its box collider.
    inline FixtureObject Zone(const char* aDefinition, Vela::Vector2<float> aCentre, Vela::Vector2<float> aHalfSize, bool anActive = true)
    {
        FixtureObject zone = Placed(aDefinition, { aCentre.x, aCentre.y, 0 });
        zone.properties.push_back(FixtureProperty("Collider", "Collider - Box", FixtureBox({ 0, 0 }, aHalfSize, anActive)));
        return zone;
    }

    // An exit narrow enough that the walk to its centre starts only 30 units away.
    inline FixtureObject Exit(Vela::Vector2<float> aCentre, const char* aNextScene, bool anActive = true)
    {
        FixtureObject exit = Zone("Template_EndTrigger", aCentre, { 5, 100 }, anActive);
        exit.properties.push_back(FixtureProperty("Next Scene", "StringId", aNextScene));
        return exit;
    }
}
