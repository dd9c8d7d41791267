// The level builder's model steps: models and their textures and shaders from a "Model" property,
// the placement matrix, and box colliders fitted around a model's bounds.
#include "Levels/LevelBuildReport.h"
#include "Levels/LevelBuilderProperties.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"

#include "mire/core/Engine.h"
#include "mire/math/Quaternion.h"
#include "mire/model/ModelFactory.h"
#include "mire/settings/Settings.h"
#include "mire/texture/TextureManager.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace
{
    // Shader names in the data carry a five-character extension (".hlsl") that the lookup does not use.
    constexpr size_t SHADER_EXTENSION_LENGTH = 5;

    const Vela::SceneModel* FindModelProperty(const LevelLoader::PropertyList& someProperties)
    {
        for (const Vela::DefinitionPropertyEntry& entry : someProperties)
        {
            if (entry.type == &Vela::PropertyType<Vela::SceneModelValue>::ourInstance)
            {
                const Vela::SceneModelValue* value = entry.value.Get<Vela::SceneModelValue>();
                return value ? &value->Get() : nullptr;
            }
        }
        return nullptr;
    }

    // The path of a model that exists on disk, or empty; a named model that is not there is reported.
    std::string ResolvedModelPath(const Vela::SceneModel& aModel, const Vela::SceneObject& anObject)
    {
        if (aModel.path.IsEmpty())
        {
            return {};
        }
        if (Vela::Settings::ResolveAssetPath(aModel.path.GetView()).empty())
        {
            LevelBuildReport::Note(anObject, "its model file \"" + std::string(aModel.path.GetView()) + "\" was not found");
            return {};
        }
        return std::string(aModel.path.GetView());
    }

    // Each mesh's colour, normal, material and effects textures from the scene's slots; an unset slot
    // asks for the empty path, which the texture manager answers with its placeholder.
    template <typename Instance>
    void ApplySceneTextures(Instance& anInstance, const Vela::SceneModel& aSceneModel)
    {
        Vela::Engine* engine = Vela::Engine::GetInstance();
        const std::shared_ptr<Vela::Model> model = anInstance.GetModel();
        if (engine == nullptr || engine->myTextureManager == nullptr || model == nullptr)
        {
            return;
        }
        const size_t meshCount = std::min<size_t>(model->GetMeshes().size(), Vela::MAX_SCENE_MODEL_MESHES);
        for (size_t mesh = 0; mesh < meshCount; ++mesh)
        {
            Vela::MeshTextures textures{};
            for (size_t slot = 0; slot < textures.size(); ++slot)
            {
                textures[slot] = engine->myTextureManager->GetTexture(aSceneModel.textures[mesh][slot].GetString(), Vela::TextureSrgbMode::ForceSrgb);
            }
            anInstance.SetMeshTextures(mesh, textures);
        }
    }

    std::string WithoutExtension(Vela::StringId aName)
    {
        const std::string_view name = aName.GetView();
        return std::string(name.substr(0, name.size() - std::min(name.size(), SHADER_EXTENSION_LENGTH)));
    }

    // The record's own shader pair when the scene names both shaders of the first mesh.
    void InitOwnShader(ModelInstanceRecord& aRecord, const Vela::SceneModel& aSceneModel)
    {
        const Vela::StringId vertexShader = aSceneModel.textures[0][4];
        const Vela::StringId pixelShader = aSceneModel.textures[0][5];
        if (vertexShader.IsEmpty() || pixelShader.IsEmpty())
        {
            return;
        }
        aRecord.hasOwnShader = aRecord.shader.Init(WithoutExtension(vertexShader).c_str(), WithoutExtension(pixelShader).c_str());
    }

    // The steps that the static and the animated model share: false when the object has no model
    // property or its model file does not exist; true with the instance untouched when the factory
    // cannot make the model.
    template <typename Instance, typename MakeInstance>
    bool BuildRecordModel(const LevelLoader::PropertyList& someProperties, ModelInstanceRecord& aRecord, Instance& anInstance,
                          const Vela::SceneObject& anObject, const Vela::Matrix4x4<float>& aTransform, bool aReadsTransparency,
                          MakeInstance&& aMakeInstance)
    {
        const Vela::SceneModel* sceneModel = FindModelProperty(someProperties);
        if (sceneModel == nullptr)
        {
            return false;
        }
        if (aReadsTransparency)
        {
            aRecord.transparent = sceneModel->TransparentFlag;
        }
        const std::string path = ResolvedModelPath(*sceneModel, anObject);
        if (path.empty())
        {
            return false;
        }
        if (Vela::ModelFactory::GetInstance().GetModel(path) == nullptr)
        {
            return true;
        }
        anInstance = aMakeInstance(path);
        anInstance.SetTransform(aTransform);
        ApplySceneTextures(anInstance, *sceneModel);
        InitOwnShader(aRecord, *sceneModel);
        return true;
    }

    // A quarter turn about an axis swaps the two extents that it exchanges; the count ignores direction.
    bool IsOddQuarterTurn(float anAngle)
    {
        const long quarters = std::labs(static_cast<long>(std::trunc(anAngle)) / 90);
        return quarters % 2 == 1;
    }
}

bool LevelLoader::BuildStaticModel(const PropertyList& someProperties, ModelInstanceRecord& aRecord, const Vela::SceneObject& anObject)
{
    return BuildRecordModel(someProperties, aRecord, aRecord.model, anObject, MakeTransform(anObject), true,
                            [](const std::string& aPath) { return Vela::ModelFactory::GetInstance().GetModelInstance(aPath); });
}

bool LevelLoader::BuildAnimatedModel(const PropertyList& someProperties, ModelInstanceRecord& aRecord, const Vela::SceneObject& anObject)
{
    return BuildRecordModel(someProperties, aRecord, aRecord.animatedModel, anObject, MakeTransform(anObject), false,
                            [](const std::string& aPath) { return Vela::ModelFactory::GetInstance().GetAnimatedModelInstance(aPath); });
}

std::vector<Vela::ModelInstance> LevelLoader::BuildModelInstances(const PropertyList& someProperties, const Vela::SceneObject& anObject)
{
    std::vector<Vela::ModelInstance> instances;
    Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
    for (const Vela::DefinitionPropertyEntry& entry : someProperties)
    {
        const Vela::SceneModelValue* value = entry.type == &Vela::PropertyType<Vela::SceneModelValue>::ourInstance ? entry.value.Get<Vela::SceneModelValue>() : nullptr;
        if (value == nullptr)
        {
            continue;
        }
        const std::string path = ResolvedModelPath(value->Get(), anObject);
        if (path.empty() || factory.GetModel(path) == nullptr)
        {
            continue;
        }
        Vela::ModelInstance instance = factory.GetModelInstance(path);
        instance.SetTransform(MakeTransform(anObject));
        ApplySceneTextures(instance, value->Get());
        instances.push_back(std::move(instance));
    }
    return instances;
}

Collider LevelLoader::MakeBoxCollider(const Vela::DefinitionPropertyEntry& aProperty, const Vela::ModelInstance& aHolder, const Vela::SceneObject& anObject)
{
    // A holder without a model (or a model without meshes) has no bounds: the collider is then the
    // property's own size around the object.
    Vela::MeshBounds bounds;
    if (const std::shared_ptr<Vela::Model> model = aHolder.GetModel(); model && !model->GetMeshes().empty())
    {
        bounds = model->GetMeshes().front().myBounds;
    }
    float width = bounds.myHalfExtents.x * anObject.scale.x;
    float height = bounds.myHalfExtents.y * anObject.scale.y;
    float depth = bounds.myHalfExtents.z * anObject.scale.z;
    if (IsOddQuarterTurn(anObject.rotation.x))
    {
        std::swap(height, depth);
    }
    if (IsOddQuarterTurn(anObject.rotation.y))
    {
        width = depth;
    }
    if (IsOddQuarterTurn(anObject.rotation.z))
    {
        std::swap(width, height);
    }

    Vela::BoxColliderProperty box;
    if (const Vela::BoxColliderProperty* value = aProperty.value.Get<Vela::BoxColliderProperty>())
    {
        box = *value;
    }
    static const Vela::StringId COLLIDER_NAME = Vela::StringRegistry::RegisterOrGetString("Collider");
    Collider collider;
    collider.name = COLLIDER_NAME;
    collider.type = ColliderType::Level;
    collider.halfWidth = width + box.offsetSize.x;
    collider.halfHeight = height + box.offsetSize.y;
    collider.active = box.isActive;
    collider.blocksSight = false;
    collider.x = bounds.myCentre.x + anObject.translation.x + box.position.x;
    collider.y = bounds.myCentre.y + anObject.translation.y + box.position.y;
    return collider;
}

Vela::Matrix4x4<float> LevelLoader::MakeTransform(const Vela::SceneObject& anObject)
{
    constexpr float HALF_DEGREE_IN_RADIANS = 0.017453292f * 0.5f;
    const float hx = anObject.rotation.x * HALF_DEGREE_IN_RADIANS;
    const float hy = anObject.rotation.y * HALF_DEGREE_IN_RADIANS;
    const float hz = anObject.rotation.z * HALF_DEGREE_IN_RADIANS;
    const float cx = std::cos(hx), sx = std::sin(hx);
    const float cy = std::cos(hy), sy = std::sin(hy);
    const float cz = std::cos(hz), sz = std::sin(hz);
    const Vela::Quaternion rotation(cy * cx * cz + sy * sx * sz, sx * cy * cz - sy * cx * sz, sx * cy * sz + sy * cx * cz, cy * cx * sz - sy * sx * cz);

    Vela::Matrix4x4<float> transform = rotation.ToMatrix();
    transform.SetTranslation(anObject.translation);
    const float scale[3] = { anObject.scale.x, anObject.scale.y, anObject.scale.z };
    for (int row = 1; row <= 3; ++row)
    {
        for (int column = 1; column <= 4; ++column)
        {
            transform(row, column) *= scale[row - 1];
        }
    }
    return transform;
}

Vela::AnimationPlayer LevelLoader::LoadClip(const Vela::AnimationClipValue& aClip, const ModelInstanceRecord& aRecord, bool aLoop)
{
    Vela::AnimationPlayer player = Vela::ModelFactory::GetInstance().GetAnimationPlayer(aClip->clipPath.GetString(), aRecord.animatedModel.GetModel());
    player.SetLooping(aLoop);
    return player;
}
