// The level builder's game objects: movable boxes, enemy templates, camera zones, orbs, sockets and exits.
#include "Levels/LevelBuilderProperties.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"

#include <cstdio>
#include <span>

using namespace LevelProperties;
using Vela::DefinitionPropertyEntry;

namespace
{
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

    // What tells the two enemy kinds apart when they are built.
    struct EnemyRecipe
    {
        Vela::StringId kind;
        std::span<const NamedClip> clips;
        std::span<const Vela::StringId> parameters;
        bool readsRotation;
    };

    const EnemyRecipe& GlompRecipe()
    {
        static const auto CLIPS = Intern(GLOMP_CLIPS);
        static const auto PARAMETERS = Intern(GLOMP_PARAMETERS);
        static const EnemyRecipe RECIPE{ Id("glomp"), CLIPS, PARAMETERS, false };
        return RECIPE;
    }

    const EnemyRecipe& EyecornRecipe()
    {
        static const auto CLIPS = Intern(EYECORN_CLIPS);
        static const auto PARAMETERS = Intern(EYECORN_PARAMETERS);
        static const EnemyRecipe RECIPE{ Id("eyecorn"), CLIPS, PARAMETERS, true };
        return RECIPE;
    }

    Vela::Vector2<float> PlanePosition(const Vela::SceneObject& anObject) { return { anObject.translation.x, anObject.translation.y }; }
}

void LevelLoader::BuildMovableBox(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const auto CLIPS = Intern(BOX_CLIPS);
    static const Vela::StringId BOX_TYPE = Id("BoxType");

    BoxRecord box;
    BuildAnimatedModel(someProperties, box, anObject);
    BuildStaticModel(someProperties, box, anObject);
    box.shader.Init(MovableBox::VERTEX_SHADER, MovableBox::PIXEL_SHADER);

    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            box.collider = MakeBoxCollider(entry, box.model, anObject);
            box.collider.type = ColliderType::Box;
            box.collider.blocksSight = true;
        }
        if (const int32_t* boxType = GetNamed<int32_t>(entry, BOX_TYPE))
        {
            // Only 1 is a light box; every other value makes it heavy.
            const bool light = *boxType == MovableBox::LIGHT;
            box.boxType = light ? MovableBox::LIGHT : MovableBox::HEAVY;
            box.collider.type = light ? ColliderType::Box : ColliderType::HeavyBox;
        }
        for (size_t index = 0; index < CLIPS.size(); ++index)
        {
            if (const Vela::AnimationClipValue* clip = GetClip(entry, CLIPS[index].name))
            {
                box.clips[index] = LoadClip(*clip, box, CLIPS[index].loops);
            }
        }
    }
    aLevelData.boxes.push_back(std::move(box));
}

void LevelLoader::BuildEnemy(const PropertyList& someProperties, const Vela::SceneObject& anObject, bool aFlying, LevelData& aLevelData)
{
    const EnemyRecipe& recipe = aFlying ? EyecornRecipe() : GlompRecipe();
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
        if (const float* rotation = recipe.readsRotation ? GetNamed<float>(entry, ROTATION) : nullptr)
        {
            enemy.rotation = *rotation;
        }
        for (const NamedClip& clip : recipe.clips)
        {
            if (const Vela::AnimationClipValue* value = GetClip(entry, clip.name))
            {
                enemy.clips.push_back(LoadClip(*value, enemy, clip.loops));
            }
        }
        for (const Vela::StringId& parameter : recipe.parameters)
        {
            if (const float* value = GetNamed<float>(entry, parameter))
            {
                enemy.parameters.push_back(*value);
            }
        }
    }
    enemy.kind = recipe.kind;

    // The enemies read both lists by position: say so when the definition gave fewer than they read.
    if (enemy.parameters.size() < recipe.parameters.size() || enemy.clips.size() < recipe.clips.size())
    {
        std::printf("Enemy \"%s\" (%s) has %zu of %zu parameters and %zu of %zu clips: missing parameters read 0, missing clips are not played\n",
                    anObject.name.c_str(), recipe.kind.GetString(), enemy.parameters.size(), recipe.parameters.size(), enemy.clips.size(),
                    recipe.clips.size());
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
            zone.SetFovZoom(*value);
        }
        if (const float* value = GetNamed<float>(entry, CAMERA_SPEED))
        {
            zone.SetCameraSpeed(*value);
        }
        if (const float* value = GetNamed<float>(entry, FOV_ZOOM_SPEED))
        {
            zone.SetFovZoomSpeed(*value);
        }
        if (const bool* value = GetNamed<bool>(entry, IS_ROOM))
        {
            zone.SetIsRoom(*value);
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
    Orb& orb = aLevelData.orbs.emplace_back();
    GiveStaticModel(someProperties, orb, anObject);
    for (const DefinitionPropertyEntry& entry : someProperties)
    {
        if (GetBoxCollider(entry))
        {
            orb.SetCollider(MakeBoxCollider(entry, orb.GetModelInstance(), anObject));
        }
    }
}

void LevelLoader::BuildSocket(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    Socket& socket = aLevelData.sockets.emplace_back();
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
}

void LevelLoader::BuildEndTrigger(const PropertyList& someProperties, const Vela::SceneObject& anObject, LevelData& aLevelData)
{
    static const Vela::StringId NEXT_SCENE = Id("Next Scene");

    EndTrigger& trigger = aLevelData.endTriggers.emplace_back();
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
}