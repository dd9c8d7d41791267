#pragma once
// The scene layer of our FBX reader: objects and connections of a parsed file, node transform
// evaluation, and the scene operations the import library needs (unit and axis conversion,
// triangulation, tangent generation). Nothing here trusts the file: every index is checked and a
// bad one gives an empty/neutral result (null, -1, zero vector), never a read outside an array.
#include "Platform/fbx/FbxConversion.h"
#include "Platform/fbx/FbxMesh.h"
#include "Platform/fbx/FbxNode.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vela::Fbx
{
    // ---- Scene -------------------------------------------------------------------------------

    class Scene : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Scene;

        // Made through a manager, which owns it until Destroy() or the manager's own Destroy().
        static Scene* Create(Manager* aManager, std::string_view aName);
        void Destroy();

        const Node* GetRootNode() const { return myRoot; }
        Node* GetRootNode() { return myRoot; }
        const GlobalSettings& GetGlobalSettings() const { return mySettings; }

        // Every node but the root, in file order.
        int GetNodeCount() const { return static_cast<int>(myNodes.size()); }
        const Node* GetNode(int aIndex) const;
        // The first node (file order) with exactly this full name, or null. Hashed: cheap per call.
        const Node* FindNodeByName(std::string_view aName) const;

        // The scene's materials, in file order.
        int GetMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        const Material* GetMaterial(int aIndex) const;  // null when out of range
        int GetMaterialIndex(const Material* aMaterial) const;  // -1 when not a material of the scene
        // Materials are connected to nodes when the scene is read; kept for the import's call order.
        void ConnectMaterials() {}

        int GetAnimStackCount() const { return static_cast<int>(myAnimStacks.size()); }
        const AnimStack* GetAnimStack(int aIndex = 0) const;  // null when out of range

        // Take info by take or stack name: the file's "Takes" entry of that name; else, for an
        // animation stack of that name, its "LocalStart"/"LocalStop", else the global time span.
        // Null only when no take and no stack has that name.
        const TakeInfo* GetTakeInfo(std::string_view aName) const;
        int GetTakeCount() const { return static_cast<int>(myTakes.size()); }
        const TakeInfo* GetTake(int aIndex) const;

        // The total change of basis and unit applied by conversions so far (file space -> scene space).
        const AMatrix& GetConversion() const { return myConversion; }

        ~Scene() override;

    private:
        friend class SceneBuilder;
        friend class Manager;
        friend class SystemUnit;
        friend class AxisSystem;
        friend class GeometryConverter;
        friend class Node;
        friend class EvaluationCache;
        Scene();

        Manager* myManager = nullptr;
        std::vector<std::unique_ptr<Object>> myObjects;  // owns everything, root node first
        std::vector<std::unique_ptr<const std::vector<ObjectProperty>>> myTemplates;  // shared property defaults per object type
        // The file's bytes, which property names and texts view, and copies of the few texts from elsewhere.
        std::shared_ptr<const std::byte[]> myFileBytes;
        size_t myFileSize = 0;
        std::deque<std::string> myKeptTexts;
        Node* myRoot = nullptr;
        std::vector<const Node*> myNodes;
        std::unordered_map<std::string_view, const Node*> myNodesByName;
        std::vector<const Material*> myMaterials;
        std::vector<const AnimStack*> myAnimStacks;
        std::vector<TakeInfo> myTakes;
        mutable std::vector<std::unique_ptr<TakeInfo>> myFallbackTakes;
        mutable std::mutex myFallbackMutex;
        GlobalSettings mySettings;
        AMatrix myConversion;         // applied to evaluated transforms: C * M * C^-1
        AMatrix myInverseConversion;
        // Changes whenever transforms may change (load, conversions), so cached transforms expire.
        uint64_t myGeneration = 0;
        uint32_t myEvaluationSlots = 0;  // nodes numbered for the evaluation cache, root included
        // Starts a new generation and numbers the nodes present for the evaluation cache.
        void Touch();
        // Extends each node's IsTransformAnimated to its descendants (someNodes by slot).
        void MarkAnimatedDescendants(const std::vector<Node*>& someNodes);
    };
}

// Users of the scene layer get the import and triangulation steps with it.
#include "Platform/fbx/FbxImport.h"
#include "Platform/fbx/FbxTriangulate.h"
