// Geometry shared by several mesh nodes (instances) is extracted once and copied for the others.
#include "ImporterInternal.h"

#include "Platform/fbx/FbxParallel.h"

#include <algorithm>

namespace VelaFBX
{
    SharedMeshParts::SharedMeshParts(const std::vector<Vela::Fbx::Node*>& someMeshNodes, MeshScratch& aScratch) : myScratch(aScratch)
    {
        for (const Vela::Fbx::Node* node : someMeshNodes)
            if (const Vela::Fbx::Mesh* mesh = node->GetMesh())
            {
                ++myUsers[mesh];
                ++myKeyUsers[KeyOf(node)];
            }
    }

    SharedMeshParts::Key SharedMeshParts::KeyOf(const Vela::Fbx::Node* aNode)
    {
        // Parts and their materials belong to the node, so the node's material list is part of the key.
        Key key{aNode->GetMesh(), {}};
        for (int m = 0; m < aNode->GetMaterialCount(); ++m)
            key.materials.push_back(aNode->GetMaterial(m));
        return key;
    }

    void SharedMeshParts::Extract(const Vela::Fbx::Scene* aScene, const Vela::Fbx::Node* aNode, Skeleton& aSkeleton,
                                  std::vector<ImportedMesh>& someOut, bool aDeduplicate)
    {
        const Vela::Fbx::Mesh* mesh = aNode->GetMesh();
        const auto users = myUsers.find(mesh);
        if (!mesh || users == myUsers.end() || users->second < 2)
        {
            ExtractMesh(aScene, aNode, aSkeleton, someOut, aDeduplicate, myScratch);
            return;
        }
        Key key = KeyOf(aNode);
        auto found = myParts.find(key);
        if (found == myParts.end())
        {
            const auto keyUsers = myKeyUsers.find(key);
            const size_t expectedUsers = keyUsers == myKeyUsers.end() ? 0 : static_cast<size_t>(keyUsers->second);
            found = myParts.emplace(std::move(key), Shared()).first;
            Shared& shared = found->second;
            ExtractMesh(aScene, aNode, aSkeleton, shared.parts, aDeduplicate, myScratch);
            shared.copies.resize(expectedUsers);
            Vela::Fbx::ParallelFor(expectedUsers, 1, [&shared](size_t aBegin, size_t aEnd) {
                for (size_t i = aBegin; i < aEnd; ++i)
                    shared.copies[i] = shared.parts;
            });
        }
        Shared& shared = found->second;
        std::vector<ImportedMesh> parts;
        if (!shared.copies.empty())
        {
            parts = std::move(shared.copies.back());
            shared.copies.pop_back();
        }
        else
            parts = shared.parts;
        someOut.reserve(someOut.size() + parts.size());
        for (ImportedMesh& part : parts)
        {
            part.name = aNode->GetName();
            someOut.push_back(std::move(part));
        }
    }
}
