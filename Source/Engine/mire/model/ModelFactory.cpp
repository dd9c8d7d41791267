#include "mire/model/ModelFactory.h"

#include "mire/core/Assert.h"
#include "mire/model/ModelImport.h"
#include "mire/model/ModelPrimitives.h"
#include "mire/settings/Settings.h"

#include "VelaFBXImporter.h"

#include <atomic>
#include <cfloat>
#include <cstdio>
#include <exception>

namespace Vela
{
    namespace
    {
        std::atomic<ModelFactory*> ourInstance{ nullptr };
        std::mutex ourInstanceMutex;

        ModelFactoryServices& NextServices()
        {
            static ModelFactoryServices services = GetEngineModelFactoryServices();
            return services;
        }

        constexpr size_t INITIAL_BUCKETS = 8;
    }

    ModelFactory& ModelFactory::GetInstance()
    {
        if (ModelFactory* existing = ourInstance.load(std::memory_order_acquire))
        {
            return *existing;
        }
        std::lock_guard lock(ourInstanceMutex);
        if (ModelFactory* existing = ourInstance.load(std::memory_order_acquire))
        {
            return *existing;
        }
        // The constructor publishes itself.
        return *new ModelFactory();
    }

    void ModelFactory::DestroyInstance()
    {
        std::lock_guard lock(ourInstanceMutex);
        delete ourInstance.load(std::memory_order_acquire);
    }

    void ModelFactory::SetServices(ModelFactoryServices someServices)
    {
        std::lock_guard lock(ourInstanceMutex);
        NextServices() = std::move(someServices);
    }

    ModelFactory::ModelFactory()
        : myServices(NextServices())
        , myWatchedPaths(INITIAL_BUCKETS)
        , myModels(INITIAL_BUCKETS)
        , myAnimations(INITIAL_BUCKETS)
    {
        myWatchedPaths.max_load_factor(1.0f);
        myModels.max_load_factor(1.0f);
        myAnimations.max_load_factor(1.0f);
        VelaFBX::InitImporter();
        if (CreateCubeModel())
        {
            CreatePlaneModel();
        }
        ourInstance.store(this, std::memory_order_release);
    }

    ModelFactory::~ModelFactory()
    {
        ModelFactory* self = this;
        ourInstance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
        VelaFBX::UninitImporter();
    }

    std::shared_ptr<Model> ModelFactory::GetModel(const std::string& aPath)
    {
        {
            std::lock_guard lock(myCacheMutex);
            const auto found = myModels.find(aPath);
            if (found != myModels.end())
            {
                return found->second;
            }
        }
        return LoadModel(aPath);
    }

    std::shared_ptr<Model> ModelFactory::InsertModel(const std::string& aPath, std::shared_ptr<Model> aModel)
    {
        std::lock_guard lock(myCacheMutex);
        // Another thread may have loaded the same path meanwhile: the first one cached wins.
        return myModels.try_emplace(aPath, std::move(aModel)).first->second;
    }

    std::shared_ptr<Model> ModelFactory::LoadModel(const std::string& aPath)
    {
        const std::string resolved = Settings::ResolveAssetPath(aPath);
        if (resolved.empty())
        {
            return {};
        }

        bool firstRequest = false;
        {
            std::lock_guard lock(myCacheMutex);
            firstRequest = myWatchedPaths.insert(aPath).second;
        }
        if (firstRequest && myServices.myWatchFile)
        {
            // Looked up at call time: the watcher may outlive this factory.
            myServices.myWatchFile(resolved, [aPath]() {
                if (ModelFactory* factory = ourInstance.load(std::memory_order_acquire))
                {
                    factory->OnModelFileChanged(aPath);
                }
            });
        }

        VelaFBX::ImportedModel imported;
        try
        {
            if (!VelaFBX::LoadModel(resolved, imported, false, true))
            {
                printf("[ModelFactory] Could not load model %s: %s\n", resolved.c_str(), VelaFBX::GetLastError().c_str());
                return {};
            }
        }
        catch (const std::exception& error)
        {
            printf("[ModelFactory] Could not load model %s: %s\n", resolved.c_str(), error.what());
            return {};
        }

        // Refused before anything is written: poses, skinning and texture slots have fixed sizes.
        VELA_ASSERT(MAX_ANIMATION_BONES >= imported.skeleton.bones.size() && "More joints in animation than defined in EngingeDefines.h");
        if (imported.skeleton.bones.size() > MAX_ANIMATION_BONES)
        {
            printf("[ModelFactory] Refused model %s: %zu bones, at most %u are supported\n", resolved.c_str(), imported.skeleton.bones.size(),
                   MAX_ANIMATION_BONES);
            return {};
        }
        if (imported.meshes.size() > MAX_MESHES_PER_MODEL)
        {
            printf("[ModelFactory] Refused model %s: %zu meshes, at most %u are supported\n", resolved.c_str(), imported.meshes.size(),
                   MAX_MESHES_PER_MODEL);
            return {};
        }

        Skeleton skeleton;
        impl::BuildSkeleton(imported.skeleton, skeleton);

        std::vector<MeshData> meshes;
        meshes.reserve(imported.meshes.size());
        for (const VelaFBX::ImportedMesh& importedMesh : imported.meshes)
        {
            MeshData mesh = impl::ConvertMesh(importedMesh, imported.materials);
            if (!CreateMeshBuffers(mesh))
            {
                printf("[ModelFactory] Could not create the buffers of mesh %s in %s\n", mesh.myName.c_str(), resolved.c_str());
                return {};
            }
            meshes.push_back(std::move(mesh));
        }

        auto model = std::make_shared<Model>();
        if (!model->Init(meshes, resolved))
        {
            return {};
        }
        if (skeleton.GetJointCount() > 0)
        {
            model->SetSkeleton(skeleton);
        }
        // The texture lookup roots every name under the asset roots: it takes the requested, root-relative path.
        LoadMaterialTextures(aPath, *model);
        return InsertModel(aPath, std::move(model));
    }

    bool ModelFactory::CreateMeshBuffers(MeshData& aMesh)
    {
        Gfx::Device* device = myServices.myGetDevice ? myServices.myGetDevice() : nullptr;
        if (!device)
        {
            return false;
        }
        aMesh.myVertexCount = static_cast<uint32_t>(aMesh.myVertices.size());
        aMesh.myIndexCount = static_cast<uint32_t>(aMesh.myIndices.size());
        aMesh.myStride = MODEL_VERTEX_STRIDE;
        aMesh.myOffset = 0;

        Gfx::BufferDesc vertexDesc;
        vertexDesc.byteWidth = aMesh.myVertexCount * MODEL_VERTEX_STRIDE;
        vertexDesc.usage = Gfx::Usage::IMMUTABLE;
        vertexDesc.bindFlags = Gfx::BIND_VERTEX_BUFFER;
        Gfx::SubresourceData vertexData;
        vertexData.sysMem = aMesh.myVertices.data();
        if (Gfx::Failed(device->CreateBuffer(&vertexDesc, &vertexData, aMesh.myVertexBuffer.ReleaseAndGetAddressOf())))
        {
            return false;
        }

        Gfx::BufferDesc indexDesc;
        indexDesc.byteWidth = aMesh.myIndexCount * static_cast<uint32_t>(sizeof(uint32_t));
        indexDesc.usage = Gfx::Usage::IMMUTABLE;
        indexDesc.bindFlags = Gfx::BIND_INDEX_BUFFER;
        Gfx::SubresourceData indexData;
        indexData.sysMem = aMesh.myIndices.data();
        if (Gfx::Failed(device->CreateBuffer(&indexDesc, &indexData, aMesh.myIndexBuffer.ReleaseAndGetAddressOf())))
        {
            aMesh.myVertexBuffer.Reset();
            return false;
        }
        return true;
    }

    ModelInstance ModelFactory::GetModelInstance(const std::string& aPath)
    {
        ModelInstance instance;
        if (std::shared_ptr<Model> model = GetModel(aPath))
        {
            instance.Init(std::move(model));
        }
        return instance;
    }

    AnimatedModelInstance ModelFactory::GetAnimatedModelInstance(const std::string& aPath)
    {
        AnimatedModelInstance instance;
        std::shared_ptr<Model> model = GetModel(aPath);
        if (model && model->GetSkeleton().GetJointCount() > 0)
        {
            instance.Init(std::move(model));
        }
        return instance;
    }

    AnimationPlayer ModelFactory::GetAnimationPlayer(const std::string& aClipPath, std::shared_ptr<Model> aModel)
    {
        AnimationPlayer player;
        const std::string resolved = Settings::ResolveAssetPath(aClipPath);
        if (resolved.empty())
        {
            return player;
        }
        if (std::shared_ptr<Animation> animation = GetAnimation(resolved, std::move(aModel)))
        {
            player.SetAnimation(std::move(animation));
        }
        return player;
    }

    std::shared_ptr<Animation> ModelFactory::GetAnimation(const std::string& aResolvedPath, std::shared_ptr<Model> aModel)
    {
        // No model (its load failed): there is no skeleton to convert the clip against.
        if (!aModel)
        {
            return {};
        }
        const impl::AnimationKey key{ aResolvedPath, aModel.get() };
        {
            std::lock_guard lock(myCacheMutex);
            const auto found = myAnimations.find(key);
            if (found != myAnimations.end() && found->second.myModel.lock() == aModel)
            {
                return found->second.myAnimation;
            }
        }

        VelaFBX::ImportedAnimation imported;
        try
        {
            if (!VelaFBX::LoadAnimation(aResolvedPath, imported))
            {
                printf("[ModelFactory] Could not load animation %s: %s\n", aResolvedPath.c_str(), VelaFBX::GetLastError().c_str());
                return {};
            }
        }
        catch (const std::exception& error)
        {
            printf("[ModelFactory] Could not load animation %s: %s\n", aResolvedPath.c_str(), error.what());
            return {};
        }

        auto animation = std::make_shared<Animation>();
        impl::ConvertAnimation(imported, aModel->GetSkeleton(), *animation);

        std::lock_guard lock(myCacheMutex);
        impl::AnimationCacheEntry& entry = myAnimations[key];
        if (entry.myAnimation && entry.myModel.lock() == aModel)
        {
            return entry.myAnimation;
        }
        // Empty, or left by a model that is gone and whose address the given one now reuses.
        entry.myModel = aModel;
        entry.myAnimation = animation;
        return animation;
    }

    MeshBounds ModelFactory::ComputeBoundingBox(const std::vector<ModelVertex>& someVertices)
    {
        Vector3<float> minimum{ FLT_MAX, FLT_MAX, FLT_MAX };
        Vector3<float> maximum{ -FLT_MAX, -FLT_MAX, -FLT_MAX };
        for (const ModelVertex& vertex : someVertices)
        {
            minimum.x = std::min(minimum.x, vertex.myPosition[0]);
            minimum.y = std::min(minimum.y, vertex.myPosition[1]);
            minimum.z = std::min(minimum.z, vertex.myPosition[2]);
            maximum.x = std::max(maximum.x, vertex.myPosition[0]);
            maximum.y = std::max(maximum.y, vertex.myPosition[1]);
            maximum.z = std::max(maximum.z, vertex.myPosition[2]);
        }
        MeshBounds bounds;
        if (someVertices.empty())
        {
            // Nothing to enclose: a point at the origin rather than infinite extents.
            return bounds;
        }
        bounds.myHalfExtents = (maximum - minimum) * 0.5f;
        bounds.myCentre = (maximum + minimum) * 0.5f;
        bounds.myRadius = bounds.myHalfExtents.Length();
        return bounds;
    }

    void ModelFactory::OnModelFileChanged(const std::string& aPath)
    {
        std::lock_guard lock(myCacheMutex);
        const auto found = myModels.find(aPath);
        if (found == myModels.end())
        {
            return;
        }
        const Model* dropped = found->second.get();
        myModels.erase(found);
        // The clips converted for the dropped model go with it (as do those of models already gone); a holder of the old
        // model that asks again gets its clip converted anew.
        std::erase_if(myAnimations, [dropped](const auto& anEntry) {
            return anEntry.first.myModel == dropped || anEntry.second.myModel.expired();
        });
    }

    size_t ModelFactory::GetCachedAnimationCount()
    {
        std::lock_guard lock(myCacheMutex);
        return myAnimations.size();
    }

    bool ModelFactory::CreatePrimitiveModel(const char* aName, std::vector<ModelVertex> someVertices, std::vector<uint32_t> someIndices)
    {
        MeshData mesh;
        mesh.myName = aName;
        mesh.myVertices = std::move(someVertices);
        mesh.myIndices = std::move(someIndices);
        if (!CreateMeshBuffers(mesh))
        {
            printf("[ModelFactory] Could not create the buffers of the primitive %s\n", aName);
            return false;
        }
        mesh.myBounds = ComputeBoundingBox(mesh.myVertices);
        auto model = std::make_shared<Model>();
        model->AddMesh(mesh, aName);
        LoadMaterialTextures("", *model);
        InsertModel(aName, std::move(model));
        return true;
    }

    bool ModelFactory::CreateCubeModel()
    {
        PrimitiveGeometry cube = BuildCubeGeometry();
        return CreatePrimitiveModel("Cube", std::move(cube.myVertices), std::move(cube.myIndices));
    }

    bool ModelFactory::CreatePlaneModel()
    {
        PrimitiveGeometry plane = BuildPlaneGeometry();
        return CreatePrimitiveModel("Plane", std::move(plane.myVertices), std::move(plane.myIndices));
    }
}
