#pragma once
#include "mire/model/MeshData.h"
#include "mire/model/ModelLimits.h"
#include "mire/model/Skeleton.h"

#include <array>
#include <string>
#include <vector>

namespace Vela
{
    class Texture;

    // Colour, normal, material and effects texture of one mesh; the textures belong to the texture manager.
    using MeshTextures = std::array<const Texture*, TEXTURES_PER_MESH>;
    using ModelTextures = std::array<MeshTextures, MAX_MESHES_PER_MODEL>;

    // Slot writes for the per-instance copies of a model's textures; out-of-range meshes or slots are ignored.
    inline void SetTextureSlot(ModelTextures& someTextures, size_t aMesh, size_t aSlot, const Texture* aTexture)
    {
        if (aMesh < someTextures.size() && aSlot < someTextures[aMesh].size())
        {
            someTextures[aMesh][aSlot] = aTexture;
        }
    }
    inline void SetMeshTextureSlots(ModelTextures& someTextures, size_t aMesh, const MeshTextures& someMeshTextures)
    {
        if (aMesh < someTextures.size())
        {
            someTextures[aMesh] = someMeshTextures;
        }
    }

    // The shared result of loading one model file. Built by the model factory, then only read.
    class Model
    {
    public:
        // Refuses (and keeps nothing of) more meshes than the texture slots can serve.
        bool Init(const std::vector<MeshData>& someMeshData, const std::string& aPath);
        // For the built-in primitives; refused once the model is full.
        bool AddMesh(const MeshData& aMesh, const std::string& aPath);

        void SetSkeleton(const Skeleton& aSkeleton) { mySkeleton = aSkeleton; }
        void SetMeshTextures(size_t aMesh, const MeshTextures& someTextures);

        const Skeleton& GetSkeleton() const { return mySkeleton; }
        const std::vector<MeshData>& GetMeshes() const { return myMeshes; }
        const std::string& GetPath() const { return myPath; }
        const ModelTextures& GetTextures() const { return myTextures; }

    private:
        Skeleton mySkeleton;
        std::vector<MeshData> myMeshes;
        std::string myPath;
        ModelTextures myTextures{};
    };
}
