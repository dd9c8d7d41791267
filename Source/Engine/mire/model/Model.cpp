#include "mire/model/Model.h"

#include "mire/core/Assert.h"

namespace Vela
{
    bool Model::Init(const std::vector<MeshData>& someMeshData, const std::string& aPath)
    {
        VELA_ASSERT(someMeshData.size() <= MAX_MESHES_PER_MODEL);
        if (someMeshData.size() > MAX_MESHES_PER_MODEL)
        {
            return false;
        }
        myMeshes = someMeshData;
        myPath = aPath;
        return true;
    }

    bool Model::AddMesh(const MeshData& aMesh, const std::string& aPath)
    {
        VELA_ASSERT(myMeshes.size() < MAX_MESHES_PER_MODEL);
        if (myMeshes.size() >= MAX_MESHES_PER_MODEL)
        {
            return false;
        }
        myMeshes.push_back(aMesh);
        myPath = aPath;
        return true;
    }

    void Model::SetMeshTextures(size_t aMesh, const MeshTextures& someTextures) { SetMeshTextureSlots(myTextures, aMesh, someTextures); }
}
