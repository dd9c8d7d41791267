#pragma once
#include "mire/animation/AnimationPlayer.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/Model.h"
#include "mire/model/ModelCacheKeys.h"
#include "mire/model/ModelFactoryServices.h"
#include "mire/model/ModelInstance.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Vela
{
    // Loads model files and animation clips once, caches them by path (clips by path and model), and hands
    // out instances and players built on them. Safe to use from the level worker and the main thread at once:
    // one lock guards the caches, loads run outside it and the first result inserted wins.
    class ModelFactory
    {
    public:
        // The process-wide factory, created on first use.
        static ModelFactory& GetInstance();
        // Deletes the process-wide factory if there is one (engine shutdown, before the device goes).
        static void DestroyInstance();
        // Services used by factories created from now on.
        static void SetServices(ModelFactoryServices someServices);

        ModelFactory();
        ~ModelFactory();
        ModelFactory(const ModelFactory&) = delete;
        ModelFactory& operator=(const ModelFactory&) = delete;

        // Empty when the file cannot be found or imported; a failure is not cached.
        std::shared_ptr<Model> GetModel(const std::string& aPath);
        std::shared_ptr<Model> LoadModel(const std::string& aPath);
        ModelInstance GetModelInstance(const std::string& aPath);
        // Has a model only when the model has joints.
        AnimatedModelInstance GetAnimatedModelInstance(const std::string& aPath);
        // A player without a clip when the clip or the model cannot be had.
        AnimationPlayer GetAnimationPlayer(const std::string& aClipPath, std::shared_ptr<Model> aModel);
        std::shared_ptr<Animation> GetAnimation(const std::string& aResolvedPath, std::shared_ptr<Model> aModel);

        void LoadMaterialTextures(const std::string& aModelPath, Model& aModel);
        const Texture* LoadColorTexture(const std::string& aBasePath, const std::string& aMaterialPath);
        const Texture* LoadNormalTexture(const std::string& aBasePath, const std::string& aMaterialPath);
        const Texture* LoadMaterialTexture(const std::string& aBasePath, const std::string& aMaterialPath);
        const Texture* LoadEffectsTexture(const std::string& aBasePath, const std::string& aMaterialPath);

        static MeshBounds ComputeBoundingBox(const std::vector<ModelVertex>& someVertices);

        bool CreateCubeModel();
        bool CreatePlaneModel();

        // Drops the cached model, and the clips converted for it, so that the next request reloads the file; holders
        // keep the old model and the clips they hold.
        void OnModelFileChanged(const std::string& aPath);
        // Clips in the cache (one per clip file and model).
        size_t GetCachedAnimationCount();

    private:
        bool CreateMeshBuffers(MeshData& aMesh);
        bool CreatePrimitiveModel(const char* aName, std::vector<ModelVertex> someVertices, std::vector<uint32_t> someIndices);
        // The first of somePaths that loads, else the shared default texture.
        const Texture* LoadFirstFound(std::initializer_list<std::string> somePaths, const char* aDefaultPath, TextureSrgbMode aMode);
        std::shared_ptr<Model> InsertModel(const std::string& aPath, std::shared_ptr<Model> aModel);

        ModelFactoryServices myServices;
        std::mutex myCacheMutex;
        std::unordered_set<std::string, impl::PathHash> myWatchedPaths;
        std::unordered_map<std::string, std::shared_ptr<Model>, impl::PathHash> myModels;
        std::unordered_map<impl::AnimationKey, impl::AnimationCacheEntry, impl::AnimationKeyHash> myAnimations;
    };
}
