// Turns a loaded scene into level data. Every object is classified by its definition name alone; the
// name decides which record or object it becomes, which properties are read and its collider type.
// The level's plain records are built here, its game objects in LevelBuilderObjects.cpp.
#include "Levels/LevelBuildReport.h"
#include "Levels/LevelBuilderProperties.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"

#include "mire/settings/Settings.h"

#include <string>

using namespace LevelProperties;
using Vela::DefinitionPropertyEntry;

namespace
{
    enum class ObjectKind
    {
        Player,
        MovableBox,
        Glomp,
        Eyecorn,
        CameraZone,
        Orb,
        Socket,
        EndTrigger,
        RotatingStair,
        CheckPoint,
        BreakableFloor,
        ScriptedEventFloor,
        DeathBox,
        Grass,
        Mesh,
    };

    // Definition names in the order they are tried; anything else is a plain mesh.
    constexpr std::pair<const char*, ObjectKind> DEFINITION_KINDS[] = {
        { "TOB", ObjectKind::Player },
        { "Interactable_Box_Snail", ObjectKind::MovableBox },
        { "SK_Enemy_Test", ObjectKind::Glomp },
        { "SK_Enemy_flying", ObjectKind::Eyecorn },
        { "Template_CameraCollider", ObjectKind::CameraZone },
        { "Orb", ObjectKind::Orb },
        { "Socket", ObjectKind::Socket },
        { "Template_EndTrigger", ObjectKind::EndTrigger },
        { "SM_A_RotatingStair", ObjectKind::RotatingStair },
        { "CheckPoints", ObjectKind::CheckPoint },
        { "BreakableFloor", ObjectKind::BreakableFloor },
        { "ScriptedEventFloor", ObjectKind::ScriptedEventFloor },
        { "DeathBox", ObjectKind::DeathBox },
        { "SM_EN_Grass_1", ObjectKind::Grass },
    };

    ObjectKind KindOf(Vela::StringId aDefinition)
    {
        static const std::vector<std::pair<Vela::StringId, ObjectKind>> KINDS = [] {
            std::vector<std::pair<Vela::StringId, ObjectKind>> kinds;
            for (const auto& [name, kind] : DEFINITION_KINDS)
            {
                kinds.emplace_back(Id(name), kind);
            }
            return kinds;
        }();
        for (const auto& [name, kind] : KINDS)
        {
            if (!aDefinition.IsEmpty() && name == aDefinition)
            {
                return kind;
            }
        }
        return ObjectKind::Mesh;
    }

    // Indexed by the player's animation states.
    constexpr ClipSlot PLAYER_CLIPS[PLAYER_CLIP_COUNT] = {
        { "Anim_Idle", true }, { "Anim_Jog", true }, { "Anim_Crouch", true }, { "Anim_MovingCrouch", true },
        { "Anim_TakeOff", true }, { "Anim_Fall", true }, { "Anim_Land", true }, { "Anim_Push", true },
        { "Anim_Pull", true }, { "Anim_Interact", true }, { "Anim_Death", false }, { "Anim_StepBack", false },
        { "Anim_IdleToCrouch", false }, { "Anim_CrouchToIdle", false },
    };
}

void LevelLoader::BuildLevelObjects(const Vela::Scene& aScene, LevelData& aLevelData)
{
    LevelBuildReport report(aScene.name);
    Vela::SceneObjectDefinitionManager definitions;
    definitions.DiscoverFiles(Vela::Settings::GameAssetRoot().string());

    PropertyList properties;
    for (const auto& [id, object] : aScene.objects)
    {
        if (object == nullptr)
        {
            continue;
        }
        // Such an object is still built, with no properties: say why it will lack its model and collider.
        if (!object->definition.IsEmpty())
        {
            const Vela::SceneObjectDefinition* definition = definitions.Find(object->definition);
            if (definition == nullptr)
            {
                LevelBuildReport::Note(*object, "its definition file \"" + std::string(object->definition.GetView()) + ".kvo\" was not found");
            }
            else if (definition->properties.empty())
            {
                LevelBuildReport::Note(*object, "its definition file \"" + definition->relativePath + "\" declares no properties");
            }
        }
        properties.clear();
        Vela::SceneObjectDefinition::MergeOverrides(*object, definitions, properties);
        BuildObject(properties, *object, aLevelData);
    }
}

void LevelLoader::BuildObject(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    switch (KindOf(anObject.definition))
    {
    case ObjectKind::Player:
        BuildPlayer(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::MovableBox:
        BuildMovableBox(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::Glomp:
        BuildEnemy(someProperties, anObject, false, aLevelData);
        break;
    case ObjectKind::Eyecorn:
        BuildEnemy(someProperties, anObject, true, aLevelData);
        break;
    case ObjectKind::CameraZone:
        BuildCameraZone(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::Orb:
        BuildOrb(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::Socket:
        BuildSocket(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::EndTrigger:
        BuildEndTrigger(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::RotatingStair:
        BuildRotatingStair(someProperties, anObject, aLevelData);
        break;
    case ObjectKind::CheckPoint:
        aLevelData.checkPoints.push_back(BuildTriggerZone(someProperties, anObject, ColliderType::CheckPoint));
        break;
    case ObjectKind::DeathBox:
        aLevelData.deathBoxes.push_back(BuildTriggerZone(someProperties, anObject, ColliderType::DeathBox));
        break;
    case ObjectKind::BreakableFloor:
        BuildFloor(someProperties, anObject, ColliderType::BreakableFloor, aLevelData);
        break;
    case ObjectKind::ScriptedEventFloor:
        BuildFloor(someProperties, anObject, ColliderType::ScriptedEventFloor, aLevelData);
        break;
    case ObjectKind::Grass:
        BuildStaticMesh(someProperties, anObject, ColliderType::Grass, aLevelData);
        break;
    case ObjectKind::Mesh:
        BuildStaticMesh(someProperties, anObject, ColliderType::Level, aLevelData);
        break;
    }
}

void LevelLoader::BuildPlayer(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const auto CLIPS = Intern(PLAYER_CLIPS);
    static const Vela::StringId ROTATION = Id("Rotation");

    // A later player object replaces an earlier one whole.
    PlayerTemplate player;
    const bool animated = BuildAnimatedModel(someProperties, player, anObject);
    const bool still = BuildStaticModel(someProperties, player, anObject);
    player.hasModel = animated || still;
    aLevelData.player = std::move(player);

    PlayerTemplate& target = aLevelData.player;
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (const float* rotation = GetNamed<float>(entry, ROTATION))
        {
            target.rotation = *rotation;
        }
        for (size_t index = 0; index < CLIPS.size(); ++index)
        {
            if (const Vela::AnimationClipValue* clip = GetClip(entry, CLIPS[index].name))
            {
                target.clips[index] = LoadClip(*clip, target, CLIPS[index].loops);
            }
        }
    }
}

void LevelLoader::BuildRotatingStair(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const Vela::StringId NAME = Id("Name");
    static const Vela::StringId EFFECT = Id("Effect");

    RotatingStairRecord stair;
    stair.position = anObject.translation;
    if (!BuildStaticModel(someProperties, stair, anObject))
    {
        return;
    }
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (const Vela::StringId* name = GetNamed<Vela::StringId>(entry, NAME))
        {
            stair.name = *name;
        }
        if (const bool* effect = GetNamed<bool>(entry, EFFECT))
        {
            stair.effect = *effect;
        }
    }
    aLevelData.stairs.push_back(std::move(stair));
}

Collider LevelLoader::BuildTriggerZone(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType)
{
    // Without a box property the zone stays a default collider of type None, yet it is still kept.
    Collider zone;
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (const Vela::BoxColliderProperty* box = GetBoxCollider(entry))
        {
            zone.x = box->position.x + anObject.translation.x;
            zone.y = box->position.y + anObject.translation.y;
            zone.halfWidth = box->offsetSize.x * anObject.scale.x;
            zone.halfHeight = box->offsetSize.y * anObject.scale.y;
            zone.type = aType;
            zone.isTrigger = true;
        }
    }
    return zone;
}

void LevelLoader::BuildFloor(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType, LevelData& aLevelData)
{
    FloorRecord floor;
    std::vector<Vela::ModelInstance> instances = BuildModelInstances(someProperties, anObject);
    if (instances.size() > 1)
    {
        floor.model = std::move(instances[0]);
        floor.brokenModel = std::move(instances[1]);
    }
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            floor.collider = std::make_unique<Collider>(MakeBoxCollider(entry, floor.model, anObject));
            floor.collider->active = true;
            floor.collider->type = aType;
        }
    }
    aLevelData.floors.push_back(std::move(floor));
}

void LevelLoader::BuildStaticMesh(const PropertyList& someProperties, const Vela::SceneObject& anObject, ColliderType aType, LevelData& aLevelData)
{
    StaticMeshRecord mesh;
    mesh.position = anObject.translation;
    if (!BuildStaticModel(someProperties, mesh, anObject))
    {
        return;
    }
    mesh.hasCollider = false;
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            mesh.collider = MakeBoxCollider(entry, mesh.model, anObject);
            mesh.collider.type = aType;
            mesh.collider.blocksSight = true;
            mesh.hasCollider = true;
        }
    }
    if (aType == ColliderType::Grass)
    {
        aLevelData.grassMeshes.push_back(std::move(mesh));
    }
    else if (mesh.transparent)
    {
        aLevelData.transparentMeshes.push_back(std::move(mesh));
    }
    else
    {
        aLevelData.opaqueMeshes.push_back(std::move(mesh));
    }
}
