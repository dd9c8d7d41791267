// Turns a loaded scene into level data. Every object is classified by its definition name alone; the
// name decides which record or object it becomes, which properties are read and its collider type.
#include "LevelBuilderProperties.h"
#include "LevelData.h"
#include "LevelLoader.h"

#include "mire/settings/Settings.h"

#include <cstdio>
#include <iterator>
#include <span>

using LevelProperties::GetBoxCollider;
using LevelProperties::GetClip;
using LevelProperties::GetNamed;
using Vela::DefinitionPropertyEntry;

namespace
{
    Vela::StringId Id(const char* aText) { return Vela::StringRegistry::RegisterOrGetString(aText); }

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

    struct ClipSlot
    {
        const char* name;
        bool loops;
    };

    // Indexed by the player's animation states.
    constexpr ClipSlot PLAYER_CLIPS[PLAYER_CLIP_COUNT] = {
        { "Anim_Idle", true }, { "Anim_Jog", true }, { "Anim_Crouch", true }, { "Anim_MovingCrouch", true },
        { "Anim_TakeOff", true }, { "Anim_Fall", true }, { "Anim_Land", true }, { "Anim_Push", true },
        { "Anim_Pull", true }, { "Anim_Interact", true }, { "Anim_Death", false }, { "Anim_StepBack", false },
        { "Anim_IdleToCrouch", false }, { "Anim_CrouchToIdle", false },
    };

    constexpr ClipSlot BOX_CLIPS[BOX_CLIP_COUNT] = {
        { "Anim_Idle", true }, { "Anim_Pushed_Left", false }, { "Anim_Pushed_Right", false },
        { "Anim_Falling", false }, { "Anim_Landing", false }, { "Anim_Enter_Heavy", false },
        { "Anim_Heavy_Idle", true }, { "Anim_Being_Pushed_Left", true }, { "Anim_Being_Pushed_Right", true },
    };

    // Enemy clips and parameters are appended in the definition's order, which lists them by name.
    constexpr ClipSlot GLOMP_CLIPS[] = { { "Anim_Alarmed", false }, { "Anim_Idle", true }, { "Anim_Walk", true } };
    constexpr ClipSlot EYECORN_CLIPS[] = { { "Anim_Alarmed", true }, { "Anim_Idle", true }, { "Anim_OpenEye", true }, { "Anim_CloseEye", true } };
    constexpr const char* GLOMP_PARAMETERS[] = { "break time between patrols", "roaming distance" };
    constexpr const char* EYECORN_PARAMETERS[] = { "scanning angle", "sight angle", "sight distance", "break time between scanning",
                                                    "time to before killing player", "time to do a full scan" };

    struct NamedClip
    {
        Vela::StringId name;
        bool loops;
    };

    template <size_t COUNT>
    std::array<NamedClip, COUNT> Intern(const ClipSlot (&someSlots)[COUNT])
    {
        std::array<NamedClip, COUNT> clips{};
        for (size_t index = 0; index < COUNT; ++index)
        {
            clips[index] = { Id(someSlots[index].name), someSlots[index].loops };
        }
        return clips;
    }

    template <size_t COUNT>
    std::array<Vela::StringId, COUNT> Intern(const char* const (&someNames)[COUNT])
    {
        std::array<Vela::StringId, COUNT> names{};
        for (size_t index = 0; index < COUNT; ++index)
        {
            names[index] = Id(someNames[index]);
        }
        return names;
    }

}

// What tells the two enemy kinds apart when they are built.
struct LevelEnemyRecipe
{
    Vela::StringId kind;
    std::span<const NamedClip> clips;
    std::span<const Vela::StringId> parameters;
    bool readsRotation;
};

namespace
{

    const LevelEnemyRecipe& GlompRecipe()
    {
        static const auto CLIPS = Intern(GLOMP_CLIPS);
        static const auto PARAMETERS = Intern(GLOMP_PARAMETERS);
        static const LevelEnemyRecipe RECIPE{ Id("glomp"), CLIPS, PARAMETERS, false };
        return RECIPE;
    }

    const LevelEnemyRecipe& EyecornRecipe()
    {
        static const auto CLIPS = Intern(EYECORN_CLIPS);
        static const auto PARAMETERS = Intern(EYECORN_PARAMETERS);
        static const LevelEnemyRecipe RECIPE{ Id("eyecorn"), CLIPS, PARAMETERS, true };
        return RECIPE;
    }

    Vela::Vector2<float> PlanePosition(const Vela::SceneObject& anObject) { return { anObject.translation.x, anObject.translation.y }; }
}

void LevelLoader::BuildLevelObjects(const Vela::Scene& aScene, LevelData& aLevelData)
{
    Vela::SceneObjectDefinitionManager definitions;
    definitions.DiscoverFiles(Vela::Settings::GameAssetRoot().string());

    PropertyList properties;
    for (const auto& [id, object] : aScene.objects)
    {
        if (object == nullptr)
        {
            continue;
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
        BuildEnemy(someProperties, anObject, GlompRecipe(), aLevelData);
        break;
    case ObjectKind::Eyecorn:
        BuildEnemy(someProperties, anObject, EyecornRecipe(), aLevelData);
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
    BuildAnimatedModel(someProperties, player, anObject);
    BuildStaticModel(someProperties, player, anObject);
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

void LevelLoader::BuildMovableBox(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const auto CLIPS = Intern(BOX_CLIPS);
    static const Vela::StringId BOX_TYPE = Id("BoxType");

    MovableBox box(myContext);
    ModelInstanceRecord scratch;
    BuildAnimatedModel(someProperties, scratch, anObject);
    BuildStaticModel(someProperties, scratch, anObject);
    box.GetAnimatedModel() = scratch.animatedModel;
    box.GetShader().Init(MovableBox::VERTEX_SHADER, MovableBox::PIXEL_SHADER);

    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            Collider& collider = box.GetCollider();
            collider = MakeBoxCollider(entry, scratch.model, anObject);
            collider.type = ColliderType::Box;
            collider.blocksSight = true;
        }
        if (const int32_t* boxType = GetNamed<int32_t>(entry, BOX_TYPE))
        {
            // Only 1 is a light box; every other value makes it heavy.
            const bool light = *boxType == MovableBox::LIGHT;
            box.SetBoxType(light ? MovableBox::LIGHT : MovableBox::HEAVY);
            box.GetCollider().type = light ? ColliderType::Box : ColliderType::HeavyBox;
        }
        for (size_t index = 0; index < CLIPS.size(); ++index)
        {
            if (const Vela::AnimationClipValue* clip = GetClip(entry, CLIPS[index].name))
            {
                box.GetClips()[index] = LoadClip(*clip, scratch, CLIPS[index].loops);
            }
        }
    }
    aLevelData.movableBoxes.push_back(std::move(box));
}

void LevelLoader::BuildEnemy(const PropertyList& someProperties, const Vela::SceneObject& anObject, const LevelEnemyRecipe& aRecipe, LevelData& aLevelData)
{
    static const Vela::StringId ROTATION = Id("Rotation");

    EnemyTemplate enemy;
    BuildAnimatedModel(someProperties, enemy, anObject);
    BuildStaticModel(someProperties, enemy, anObject);
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            enemy.collider = MakeBoxCollider(entry, enemy.model, anObject);
            enemy.collider.type = ColliderType::Level;
        }
        if (const float* rotation = aRecipe.readsRotation ? GetNamed<float>(entry, ROTATION) : nullptr)
        {
            enemy.rotation = *rotation;
        }
        for (const NamedClip& clip : aRecipe.clips)
        {
            if (const Vela::AnimationClipValue* value = GetClip(entry, clip.name))
            {
                enemy.clips.push_back(LoadClip(*value, enemy, clip.loops));
            }
        }
        for (const Vela::StringId& parameter : aRecipe.parameters)
        {
            if (const float* value = GetNamed<float>(entry, parameter))
            {
                enemy.parameters.push_back(*value);
            }
        }
    }
    enemy.kind = aRecipe.kind;

    // The enemies read both lists by position: say so when the definition gave fewer than they read.
    if (enemy.parameters.size() < aRecipe.parameters.size() || enemy.clips.size() < aRecipe.clips.size())
    {
        std::printf("Enemy \"%s\" (%s) has %zu of %zu parameters and %zu of %zu clips: missing parameters read 0, missing clips are not played\n",
                    anObject.name.c_str(), aRecipe.kind.GetString(), enemy.parameters.size(), aRecipe.parameters.size(), enemy.clips.size(),
                    aRecipe.clips.size());
    }
    aLevelData.enemyTemplates.push_back(std::move(enemy));
}

void LevelLoader::BuildCameraZone(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const Vela::StringId TARGET_OFFSET = Id("Target Offset");
    static const Vela::StringId FOV_ZOOM = Id("Fov/Zoom");
    static const Vela::StringId CAMERA_SPEED = Id("Camera Speed");
    static const Vela::StringId FOV_ZOOM_SPEED = Id("Fov/Zoom Speed");
    static const Vela::StringId IS_ROOM = Id("Is Room");

    CameraCollider zone;
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (const Vela::BoxColliderProperty* box = GetBoxCollider(entry))
        {
            // The zone is placed as authored: its size is the property's, without scale or offset.
            zone.Init(box->offsetSize, PlanePosition(anObject));
        }
        if (const Vela::Vector3<float>* offset = GetNamed<Vela::Vector3<float>>(entry, TARGET_OFFSET))
        {
            zone.SetPosition(*offset);
        }
        if (const float* value = GetNamed<float>(entry, FOV_ZOOM))
        {
            zone.myFovZoom = *value;
        }
        if (const float* value = GetNamed<float>(entry, CAMERA_SPEED))
        {
            zone.myCameraSpeed = *value;
        }
        if (const float* value = GetNamed<float>(entry, FOV_ZOOM_SPEED))
        {
            zone.myFovZoomSpeed = *value;
        }
        if (const bool* value = GetNamed<bool>(entry, IS_ROOM))
        {
            zone.myIsRoom = *value;
        }
    }
    aLevelData.cameraColliders.push_back(std::move(zone));
}

void LevelLoader::GiveStaticModel(const PropertyList& someProperties, GameObject& anObjectToGive, const Vela::SceneObject& anObject)
{
    ModelInstanceRecord scratch;
    BuildStaticModel(someProperties, scratch, anObject);
    anObjectToGive.GetModelInstance() = scratch.model;
}

void LevelLoader::BuildOrb(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    Orb orb;
    GiveStaticModel(someProperties, orb, anObject);
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            orb.SetCollider(MakeBoxCollider(entry, orb.GetModelInstance(), anObject));
        }
    }
    aLevelData.orbs.push_back(std::move(orb));
}

void LevelLoader::BuildSocket(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    Socket socket;
    GiveStaticModel(someProperties, socket, anObject);
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            const Collider collider = MakeBoxCollider(entry, socket.GetModelInstance(), anObject);
            socket.Init();
            socket.SetCollider(collider);
        }
    }
    aLevelData.sockets.push_back(std::move(socket));
}

void LevelLoader::BuildEndTrigger(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const Vela::StringId NEXT_SCENE = Id("Next Scene");

    EndTrigger trigger;
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (const Vela::BoxColliderProperty* box = GetBoxCollider(entry))
        {
            trigger.Init(box->offsetSize, PlanePosition(anObject));
            // An exit authored inactive waits for a filled socket to arm it.
            if (!box->isActive)
            {
                trigger.GetCollider().active = false;
            }
        }
        if (const Vela::StringId* nextScene = GetNamed<Vela::StringId>(entry, NEXT_SCENE))
        {
            trigger.SetNextScene(*nextScene);
        }
    }
    aLevelData.endTriggers.push_back(std::move(trigger));
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
