#pragma once
#include "mire/math/Vector.h"
#include "mire/property/CopyOnWriteWrapper.h"
#include "mire/property/PropertyType.h"
#include "mire/stringRegistry/StringId.h"

#include <functional>
#include <span>
#include <string_view>
#include <nlohmann/json_fwd.hpp>

namespace Vela
{
    constexpr int MAX_SCENE_MODEL_MESHES = 4;
    constexpr int SCENE_MODEL_TEXTURE_SLOTS = 6;
    constexpr int SCENE_SPRITE_TEXTURE_SLOTS = 4;

    // A model file with, per mesh, the paths of its textures and shaders in the slot order
    // Color, Normal, Material, Effects, Shader_VS, Shader_PS.
    struct SceneModel
    {
        StringId path;
        StringId textures[MAX_SCENE_MODEL_MESHES][SCENE_MODEL_TEXTURE_SLOTS];
        bool TransparentFlag = false;
    };

    // Sprite textures in the slot order Color, Normal, Material, Effects.
    struct SceneSprite
    {
        StringId textures[SCENE_SPRITE_TEXTURE_SLOTS];
        Vector2<float> size{ 100.0f, 100.0f };
        Vector2<float> pivot{ 0.5f, 0.5f };
    };

    struct SceneReference
    {
        StringId scenePath;
    };

    struct AnimationClipReference
    {
        StringId clipPath;
    };

    using SceneModelValue = CopyOnWriteWrapper<SceneModel>;
    using SceneSpriteValue = CopyOnWriteWrapper<SceneSprite>;
    using SceneReferenceValue = CopyOnWriteWrapper<SceneReference>;
    using AnimationClipValue = CopyOnWriteWrapper<AnimationClipReference>;

    // Every read gives the value a fresh pooled object of its own, even when the JSON matches the default.
    void ReadPropertyValue(SceneModelValue& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(SceneSpriteValue& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(SceneReferenceValue& aValue, const nlohmann::json& aJson);
    void ReadPropertyValue(AnimationClipValue& aValue, const nlohmann::json& aJson);

    void WritePropertyValue(const SceneModelValue& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const SceneSpriteValue& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const SceneReferenceValue& aValue, nlohmann::json& aJson);
    void WritePropertyValue(const AnimationClipValue& aValue, nlohmann::json& aJson);

    bool DrawPropertyValueEditor(SceneModelValue& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(SceneSpriteValue& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(SceneReferenceValue& aValue, const char* aLabel, const char* aTooltip);
    bool DrawPropertyValueEditor(AnimationClipValue& aValue, const char* aLabel, const char* aTooltip);

    // The "Textures" tree of the "Model" editor for a loaded model with these mesh names (at most
    // MAX_SCENE_MODEL_MESHES are shown). True when a texture or shader path changed.
    bool DrawSceneModelTextureRows(SceneModel& aModel, std::span<const std::string_view> someMeshNames);

    // An editing tool may install this to let the editors take the asset browser's current selection.
    using AssetBrowserHook = std::function<void(StringId& aOutSelection)>;
    void SetAssetBrowserHook(AssetBrowserHook aHook);

    template <> const PropertyType<SceneModelValue> PropertyType<SceneModelValue>::ourInstance;
    template <> const PropertyType<SceneSpriteValue> PropertyType<SceneSpriteValue>::ourInstance;
    template <> const PropertyType<SceneReferenceValue> PropertyType<SceneReferenceValue>::ourInstance;
    template <> const PropertyType<AnimationClipValue> PropertyType<AnimationClipValue>::ourInstance;
}
