// LoadModel: open, convert, triangulate, then walk the nodes into skeleton, meshes and LOD groups.
#include "ImporterInternal.h"
#include "VelaFBXImporter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace VelaFBX
{
    namespace
    {
        using namespace Vela::Fbx;

        std::string SkeletonName(const Skeleton& aSkeleton, const std::string& aPath)
        {
            const std::string& firstNodeName = aSkeleton.bones.front().nodeName;
            const size_t colon = firstNodeName.find(':');
            if (colon != std::string::npos)
                return firstNodeName.substr(0, colon);
            // No namespace: the file name without its four-character extension.
            std::string name = aPath;
            std::replace(name.begin(), name.end(), '/', '\\');
            const size_t backslash = name.rfind('\\');
            if (backslash != std::string::npos)
                name = name.substr(backslash + 1);
            if (name.size() >= 4)
                name.resize(name.size() - 4);
            return name;
        }

        // Tangent frames for every mesh; a mesh without UVs cannot be drawn by the engine at all.
        void PrepareTangents(const std::vector<Node*>& someMeshNodes, bool aForceTangents, const Importer& aImporter)
        {
            for (Node* node : someMeshNodes)
            {
                Mesh* mesh = node->GetMesh();
                if (!mesh)
                    continue;
                if (mesh->GetUVLayerCount() == 0)
                    ThrowImportError("Cannot load FBX file! No UV layers are present in the file.");
                const bool hasTangentFrame = mesh->GetElementBinormalCount() != 0 && mesh->GetElementTangentCount() != 0;
                if (hasTangentFrame && !aForceTangents)
                {
                    // Kept tangents still need normals to go with them.
                    if (mesh->GetElementNormalCount() == 0)
                        mesh->GenerateNormals(false);
                    continue;
                }
                if (!mesh->GenerateTangentsData(0, aForceTangents, false))
                    ThrowImportError("Failed to generate Tangent/BiNormal data for the mesh " + mesh->GetName() +
                                     "! FBX Error was: " + aImporter.GetStatus().GetErrorString());
            }
        }

        // Level c > 0 uses threshold c - 1; a group that lists too few reuses its last one (or 0).
        float LodThreshold(const LodGroup* aGroup, int aChild)
        {
            if (aChild == 0 || !aGroup)
                return 0.0f;
            double value = 0.0;
            if (!aGroup->GetThreshold(aChild - 1, value) && aGroup->GetNumThresholds() > 0)
                aGroup->GetThreshold(aGroup->GetNumThresholds() - 1, value);
            return static_cast<float>(value);
        }

        void RemoveNode(std::vector<Node*>& someNodes, const Node* aNode)
        {
            const uint64_t id = aNode->GetUniqueID();
            someNodes.erase(std::remove_if(someNodes.begin(), someNodes.end(), [id](const Node* aOther) { return aOther->GetUniqueID() == id; }),
                            someNodes.end());
        }
    }

    bool LoadModel(const std::string& aPath, ImportedModel& aOut, bool aForceTangents, bool aDeduplicate)
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);
        // A large import's scratch is freed once the import ends, however it ends. (The pages stay
        // with the heap for the next import: handing them to the system costs every later import
        // its page faults; UninitImporter does that.)
        struct ScratchTrim
        {
            MeshScratch& scratch;
            ~ScratchTrim() { scratch.Trim(); }
        } scratchTrim{state.meshScratch};

        ImportSession session(state);
        if (!session.Open(state, aPath, "Failed to create the FBX Importer! Did you call InitImporter()?"))
        {
            return false;
        }
        Importer& importer = *session.importer;
        Scene& scene = *session.scene;
        if (!importer.Import(&scene, false))
            return !importer.GetStatus().Error();

        if (scene.GetGlobalSettings().GetSystemUnit() != SystemUnit::CENTIMETRE)
        {
            SystemUnit::CENTIMETRE.ConvertScene(&scene, UnitConversionOptions());
            if (scene.GetGlobalSettings().GetSystemUnit() != SystemUnit::CENTIMETRE)
                std::printf("Assertion failed: scene.GetGlobalSettings().GetSystemUnit() == SystemUnit::CENTIMETRE (%s:%d)\n", __FILE__, __LINE__);
        }
        scene.ConnectMaterials();
        if (!state.geometryConverter->Triangulate(&scene, true, true))
            state.geometryConverter->Triangulate(&scene, true, false);

        std::vector<Material> materials(static_cast<size_t>(scene.GetMaterialCount()));
        for (size_t i = 0; i < materials.size(); ++i)
            ReadMaterial(scene.GetMaterial(static_cast<int>(i)), materials[i]);

        Node* root = scene.GetRootNode();
        std::vector<Node*> meshNodes;
        std::vector<Node*> lodNodes;
        if (root)
        {
            FindMeshNodes(root, meshNodes);
            FindLodGroupNodes(root, lodNodes);
        }
        PrepareTangents(meshNodes, aForceTangents, importer);

        state.targetAxisSystem.DeepConvertScene(&scene);

        Skeleton skeleton;
        std::vector<Bone> events;
        std::vector<Socket> sockets;
        if (root && GatherBones(root, skeleton, events, sockets, -1))
            skeleton.name = SkeletonName(skeleton, aPath);
        // Props without bones carry sockets too.
        for (const Socket& socket : sockets)
            skeleton.sockets[socket.nodeName] = socket;

        BoundingBox bounds;
        SharedMeshParts shared(meshNodes, state.meshScratch);
        std::vector<std::vector<LodLevel>> lodGroups;
        for (Node* groupNode : lodNodes)
        {
            std::vector<LodLevel>& group = lodGroups.emplace_back();
            const LodGroup* lodGroup = groupNode->GetLodGroup();
            for (int c = 0; c < groupNode->GetChildCount(false); ++c)
            {
                Node* child = groupNode->GetChild(c);
                LodLevel level;
                level.level = static_cast<uint32_t>(c);
                level.threshold = LodThreshold(lodGroup, c);
                std::vector<Node*> levelMeshNodes;
                if (child)
                    FindMeshNodes(child, levelMeshNodes);
                for (Node* meshNode : levelMeshNodes)
                {
                    RemoveNode(meshNodes, meshNode);
                    const size_t firstPart = level.meshes.size();
                    shared.Extract(&scene, meshNode, skeleton, level.meshes, aDeduplicate);
                    for (size_t i = firstPart; i < level.meshes.size(); ++i)
                        bounds = CombineBounds(bounds, level.meshes[i].bounds);
                }
                group.push_back(std::move(level));
            }
        }

        std::vector<ImportedMesh> meshes;
        for (Node* meshNode : meshNodes)
        {
            const size_t firstPart = meshes.size();
            shared.Extract(&scene, meshNode, skeleton, meshes, aDeduplicate);
            for (size_t i = firstPart; i < meshes.size(); ++i)
                bounds = CombineBounds(bounds, meshes[i].bounds);
        }

        if (!meshes.empty() || !lodGroups.empty())
        {
            aOut.name = aPath;
            aOut.meshes = std::move(meshes);
            aOut.lodGroups = std::move(lodGroups);
            aOut.skeleton = std::move(skeleton);
            aOut.materials = std::move(materials);
            aOut.bounds = bounds;
            aOut.box = MakeMinMaxBox(bounds.centre, bounds.halfExtents);
        }
        return !importer.GetStatus().Error();
    }
}
