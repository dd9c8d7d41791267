#include "mire/property/JsonReading.h"
#include "mire/property/PooledPropertyValues.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <nlohmann/json.hpp>

namespace Vela
{
    template <> const PropertyType<SceneModelValue> PropertyType<SceneModelValue>::ourInstance{ "Model" };
    template <> const PropertyType<SceneSpriteValue> PropertyType<SceneSpriteValue>::ourInstance{ "Sprite" };
    template <> const PropertyType<SceneReferenceValue> PropertyType<SceneReferenceValue>::ourInstance{ "Scene" };
    template <> const PropertyType<AnimationClipValue> PropertyType<AnimationClipValue>::ourInstance{ "Animation Clip" };

    namespace impl
    {
        void AnchorPooledPropertyTypes() {}
    }

    namespace
    {
        StringId Intern(const nlohmann::json& aJson)
        {
            return StringRegistry::RegisterOrGetString(aJson.get<std::string>());
        }

        // A fresh slot holding the default value replaces whatever the value referred to.
        template <typename T>
        T& StartFreshObject(CopyOnWriteWrapper<T>& aValue)
        {
            aValue = CopyOnWriteWrapper<T>(T{});
            return aValue.MakeUnique();
        }

        StringId ReadPathValue(const nlohmann::json& aJson, const char* aKey)
        {
            return StringRegistry::RegisterOrGetString(aJson.value(aKey, std::string()));
        }

        nlohmann::json ToArray(const Vector2<float>& aValue) { return { aValue.x, aValue.y }; }
    }

    void ReadPropertyValue(AnimationClipValue& aValue, const nlohmann::json& aJson)
    {
        AnimationClipReference& clip = StartFreshObject(aValue);
        clip.clipPath = ReadPathValue(aJson, "clip_path");
    }

    void ReadPropertyValue(SceneReferenceValue& aValue, const nlohmann::json& aJson)
    {
        SceneReference& scene = StartFreshObject(aValue);
        scene.scenePath = ReadPathValue(aJson, "scene_path");
    }

    void ReadPropertyValue(SceneModelValue& aValue, const nlohmann::json& aJson)
    {
        SceneModel& model = StartFreshObject(aValue);
        model.path = ReadPathValue(aJson, "path");
        const auto textures = aJson.find("textures");
        if (textures != aJson.end())
        {
            // An array of meshes, each an array of texture names (or null).
            JsonReading::RequireArray(*textures);
            int mesh = 0;
            for (const nlohmann::json& meshEntry : *textures)
            {
                if (mesh >= MAX_SCENE_MODEL_MESHES)
                {
                    break;
                }
                // A null mesh entry is a mesh without names.
                if (!meshEntry.is_null())
                {
                    JsonReading::RequireArray(meshEntry);
                }
                int slot = 0;
                for (const nlohmann::json& slotEntry : meshEntry)
                {
                    if (slot >= SCENE_MODEL_TEXTURE_SLOTS)
                    {
                        break;
                    }
                    model.textures[mesh][slot] = Intern(slotEntry);
                    ++slot;
                }
                ++mesh;
            }
        }
        const auto transparent = aJson.find("TransparentFlag");
        if (transparent != aJson.end())
        {
            model.TransparentFlag = transparent->get<bool>();
        }
    }

    void ReadPropertyValue(SceneSpriteValue& aValue, const nlohmann::json& aJson)
    {
        SceneSprite& sprite = StartFreshObject(aValue);
        if (!aJson.is_object())
        {
            return;
        }
        const auto texturePath = aJson.find("texturePath");
        if (texturePath != aJson.end())
        {
            sprite.textures[0] = Intern(*texturePath);
        }
        const auto textures = aJson.find("textures");
        if (textures != aJson.end())
        {
            int slot = 0;
            for (const nlohmann::json& entry : *textures)
            {
                if (slot >= SCENE_SPRITE_TEXTURE_SLOTS)
                {
                    break;
                }
                sprite.textures[slot] = Intern(entry);
                ++slot;
            }
        }
        const auto pivot = aJson.find("pivot");
        if (pivot != aJson.end())
        {
            sprite.pivot.x = JsonReading::Element(*pivot, 0).get<float>();
            sprite.pivot.y = JsonReading::Element(*pivot, 1).get<float>();
        }
        const auto size = aJson.find("size");
        if (size != aJson.end())
        {
            sprite.size.x = JsonReading::Element(*size, 0).get<float>();
            sprite.size.y = JsonReading::Element(*size, 1).get<float>();
        }
    }

    void WritePropertyValue(const AnimationClipValue& aValue, nlohmann::json& aJson)
    {
        aJson["clip_path"] = aValue->clipPath.GetString();
    }

    void WritePropertyValue(const SceneReferenceValue& aValue, nlohmann::json& aJson)
    {
        aJson["scene_path"] = aValue->scenePath.GetString();
    }

    void WritePropertyValue(const SceneModelValue& aValue, nlohmann::json& aJson)
    {
        const SceneModel& model = *aValue;
        aJson["path"] = model.path.GetString();
        nlohmann::json meshes = nlohmann::json::array();
        for (const auto& meshTextures : model.textures)
        {
            nlohmann::json slots = nlohmann::json::array();
            for (const StringId& texture : meshTextures)
            {
                slots.push_back(texture.GetString());
            }
            meshes.push_back(std::move(slots));
        }
        aJson["textures"] = std::move(meshes);
        aJson["TransparentFlag"] = model.TransparentFlag;
    }

    void WritePropertyValue(const SceneSpriteValue& aValue, nlohmann::json& aJson)
    {
        const SceneSprite& sprite = *aValue;
        nlohmann::json textures = nlohmann::json::array();
        for (const StringId& texture : sprite.textures)
        {
            textures.push_back(texture.GetString());
        }
        aJson["textures"] = std::move(textures);
        aJson["pivot"] = ToArray(sprite.pivot);
        aJson["size"] = ToArray(sprite.size);
    }
}
