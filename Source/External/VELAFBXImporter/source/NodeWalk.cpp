// The walk over the scene's nodes that builds the skeleton, its event markers and sockets,
// and the searches for mesh and LOD group nodes.
#include "ImporterInternal.h"

namespace VelaFBX
{
    namespace
    {
        using Vela::Fbx::AttributeType;
        using Vela::Fbx::Node;

        // Real scenes are a few dozen levels deep; a damaged one must not exhaust the stack.
        constexpr int MAX_NODE_DEPTH = 1000;

        bool EndsWith(const std::string& aText, std::string_view aEnding)
        {
            return aText.size() >= aEnding.size() && aText.compare(aText.size() - aEnding.size(), aEnding.size(), aEnding) == 0;
        }

        AttributeType TypeOf(const Node* aNode)
        {
            const Vela::Fbx::NodeAttribute* attribute = aNode->GetNodeAttribute();
            return attribute ? attribute->GetAttributeType() : AttributeType::Unknown;
        }

        void WalkNode(const Node* aNode, Skeleton& aSkeleton, std::vector<Bone>& someEvents, std::vector<Socket>& someSockets,
                      int32_t aParentIndex, int aDepth)
        {
            if (aDepth > MAX_NODE_DEPTH)
                ThrowImportError("The scene's nodes are nested too deeply [" + aNode->GetName() + "]");

            int32_t childParent = aParentIndex;
            const std::string& nodeName = aNode->GetName();
            const AttributeType type = TypeOf(aNode);
            if (type == AttributeType::Skeleton)
            {
                std::string name = StripNamespace(nodeName);
                if (aSkeleton.boneIndices.contains(name))
                    ThrowImportError("Found more than one bone with the same name [" + nodeName + "]");
                const auto index = static_cast<int32_t>(aSkeleton.bones.size());
                Bone& bone = aSkeleton.bones.emplace_back();
                bone.parent = aParentIndex;
                bone.nodeName = nodeName;
                bone.name = name;
                aSkeleton.boneIndices.emplace(std::move(name), static_cast<uint64_t>(index));
                if (aParentIndex >= 0)
                    aSkeleton.bones[static_cast<size_t>(aParentIndex)].children.push_back(static_cast<uint32_t>(index));
                childParent = index;
            }
            else if (type == AttributeType::Null)
            {
                if (EndsWith(nodeName, "_evt") || EndsWith(nodeName, "_event"))
                {
                    Bone& marker = someEvents.emplace_back();
                    marker.parent = aParentIndex;
                    marker.nodeName = nodeName;
                }
                else if (EndsWith(nodeName, "_skt") || EndsWith(nodeName, "_socket"))
                {
                    Socket& socket = someSockets.emplace_back();
                    ConvertMatrix(aNode->EvaluateGlobalTransform(Vela::Fbx::Time(0)), socket.matrix);
                    socket.parent = aParentIndex;
                    socket.nodeName = nodeName;
                }
            }

            for (int i = 0; i < aNode->GetChildCount(false); ++i)
            {
                if (const Node* child = aNode->GetChild(i))
                    WalkNode(child, aSkeleton, someEvents, someSockets, childParent, aDepth + 1);
            }
        }

        void FindMeshNodesBelow(Node* aNode, std::vector<Node*>& someNodes, int aDepth)
        {
            if (aDepth > MAX_NODE_DEPTH)
                return;
            for (int i = 0; i < aNode->GetChildCount(false); ++i)
            {
                Node* child = aNode->GetChild(i);
                if (!child)
                    continue;
                if (TypeOf(child) == AttributeType::Mesh)
                    someNodes.push_back(child);
                FindMeshNodesBelow(child, someNodes, aDepth + 1);
            }
        }

        void FindLodGroupNodesBelow(Node* aNode, std::vector<Node*>& someNodes, int aDepth)
        {
            if (aDepth > MAX_NODE_DEPTH)
                return;
            for (int i = 0; i < aNode->GetChildCount(false); ++i)
            {
                Node* child = aNode->GetChild(i);
                if (!child)
                    continue;
                if (TypeOf(child) == AttributeType::LodGroup)
                    someNodes.push_back(child);
                else
                    FindLodGroupNodesBelow(child, someNodes, aDepth + 1);
            }
        }
    }

    bool GatherBones(const Node* aNode, Skeleton& aSkeleton, std::vector<Bone>& someEvents, std::vector<Socket>& someSockets,
                     int32_t aParentIndex)
    {
        WalkNode(aNode, aSkeleton, someEvents, someSockets, aParentIndex, 0);
        return !aSkeleton.bones.empty();
    }

    uint32_t FindMeshNodes(Node* aNode, std::vector<Node*>& someNodes)
    {
        FindMeshNodesBelow(aNode, someNodes, 0);
        return static_cast<uint32_t>(someNodes.size());
    }

    int32_t FindLodGroupNodes(Node* aNode, std::vector<Node*>& someNodes)
    {
        FindLodGroupNodesBelow(aNode, someNodes, 0);
        return static_cast<int32_t>(someNodes.size());
    }
}
