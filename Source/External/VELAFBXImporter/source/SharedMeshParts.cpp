// Geometry shared by several mesh nodes (instances) is extracted once and copied for the others.
#include "ImporterInternal.h"

#include <algorithm>

namespace VelaFBX
{
    SharedMeshParts::SharedMeshParts(const std::vector<Vela::Fbx::Node*>& someMeshNodes, MeshScratch& aScratch) : myScratch(aScratch)
    {
        for (const Vela::Fbx::Node* node : someMeshNodes)
            if (const Vela::Fbx::Mesh* mesh = node->GetMesh())
            {
                ++myUsers[mesh].total;
                ++myUsers[mesh].left;
            }
    }

    void SharedMeshParts::Extract(const Vela::Fbx::Scene* aScene, const Vela::Fbx::Node* aNode, Skeleton& aSkeleton,
                                  std::vector<ImportedMesh>& someOut, bool aDeduplicate)
    {
        const Vela::Fbx::Mesh* mesh = aNode->GetMesh();
        const auto users = myUsers.find(mesh);
        if (!mesh || users == myUsers.end() || users->second.total < 2)
        {
            ExtractMesh(aScene, aNode, aSkeleton, someOut, aDeduplicate, myScratch);
            return;
        }
        // Parts and their materials belong to the node, so the node's material list is part of the key.
        Key key{mesh, {}};
        for (int m = 0; m < aNode->GetMaterialCount(); ++m)
            key.materials.push_back(aNode->GetMaterial(m));
        auto found = myParts.find(key);
        if (found == myParts.end())
        {
            std::vector<ImportedMesh> parts;
            ExtractMesh(aScene, aNode, aSkeleton, parts, aDeduplicate, myScratch);
            found = myParts.emplace(std::move(key), std::move(parts)).first;
        }
        // The mesh's last user takes the parts themselves: nobody needs them afterwards (should one
        // come after all, it finds no entry and extracts its own).
        const bool last = --users->second.left <= 0;
        someOut.reserve(someOut.size() + found->second.size());
        for (ImportedMesh& part : found->second)
        {
            if (last)
                someOut.push_back(std::move(part));
            else
                someOut.push_back(part);
            someOut.back().name = aNode->GetName();
        }
        if (last)
            myParts.erase(found);
    }
}
