#pragma once
// Scene nodes and the evaluation of their transforms.
#include "Platform/fbx/FbxAnimation.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace Vela::Fbx
{
    // ---- Nodes -------------------------------------------------------------------------------

    enum class InheritType : int { RrSs = 0, RSrs = 1, Rrs = 2 };

    // A scene node ("Model"). The root node (id 0) is made by the scene.
    class Node : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Node;
        Node() : Object(CLASS) {}

        const NodeAttribute* GetNodeAttribute() const { return myAttribute; }
        const std::string& GetTypeName() const { return myTypeName; }  // the file's subtype ("Mesh", "LimbNode", "Null", ...)
        const Node* GetParent() const { return myParent; }
        int GetChildCount(bool aRecursive = false) const;
        const Node* GetChild(int aIndex) const;  // in connection order; null when out of range
        Node* GetChild(int aIndex);
        const Mesh* GetMesh() const;            // the attribute when it is a mesh, else null
        Mesh* GetMesh();
        const LodGroup* GetLodGroup() const;    // the attribute when it is an LOD group, else null

        // Materials connected to the node, in connection order.
        int GetMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        const Material* GetMaterial(int aIndex) const;  // null when out of range

        // Geometric transform: applies to the node's own geometry only, never to its children.
        Vector4 GetGeometricTranslation() const { return myGeometricTranslation; }
        Vector4 GetGeometricRotation() const { return myGeometricRotation; }  // Euler degrees, XYZ
        Vector4 GetGeometricScaling() const { return myGeometricScaling; }
        AMatrix GetGeometricTransform() const;  // T * R * S of the three above

        RotationOrder GetRotationOrder() const;
        InheritType GetInheritType() const;

        // Transforms at a time, animated from the first stack's base layer, after the scene's unit
        // and axis conversions. Local: T * Roff * Rp * Rpre * R * Rpost^-1 * Rp^-1 * Soff * Sp * S * Sp^-1.
        // Global: combined with the parents' by each node's inherit type. Geometric transforms excluded.
        // Results are kept per thread for the last time asked (without animation, for every time), so
        // sampling frame by frame is cheap;
        // any number of threads may evaluate while nobody changes the scene.
        AMatrix EvaluateLocalTransform(Time aTime = Time(0)) const;
        AMatrix EvaluateGlobalTransform(Time aTime = Time(0)) const;
        // The animated value of a three-number property ("Lcl Translation", ...) at a time, in file
        // units and axes (no conversions applied).
        Vector4 EvaluateProperty(std::string_view aProperty, Time aTime, const Vector4& aDefault = {}) const;
        // False when no curve drives the translation, rotation or scaling of this node or of any of
        // its ancestors: both transforms are then the same at every time.
        bool IsTransformAnimated() const { return myTransformAnimated; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        friend class SystemUnit;
        friend class AxisSystem;
        friend class EvaluationCache;
        std::string myTypeName;
        const NodeAttribute* myAttribute = nullptr;
        Node* myParent = nullptr;
        std::vector<Node*> myChildren;
        std::vector<const Material*> myMaterials;
        Vector4 myGeometricTranslation;
        Vector4 myGeometricRotation;
        Vector4 myGeometricScaling{1.0, 1.0, 1.0};

        // Static transform values, read once from the properties (file units and axes).
        struct TransformValues
        {
            Vector4 translation, rotation, scaling{1.0, 1.0, 1.0};
            Vector4 preRotation, postRotation;
            Vector4 rotationOffset, rotationPivot, scalingOffset, scalingPivot;
            RotationOrder order = RotationOrder::XYZ;
            InheritType inherit = InheritType::RrSs;
            // Derived once: the constant parts of the local transform.
            AMatrix preRotationMatrix, postRotationInverse;
            bool hasPreRotation = false, hasPostRotation = false, hasPivots = false;
        };
        TransformValues myValues;
        // Curve nodes of "Lcl Translation", "Lcl Rotation", "Lcl Scaling" in the first stack's base layer.
        const AnimCurveNode* myCurveNodes[3] = {nullptr, nullptr, nullptr};
        // The channel of each of those curve nodes driving x, y and z (-1: none), found once by name.
        int32_t myCurveChannels[3][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
        // This node's place in a thread's cache of evaluated transforms; numbered by Scene::Touch.
        static constexpr uint32_t NO_EVALUATION_SLOT = UINT32_MAX;
        uint32_t myEvaluationSlot = NO_EVALUATION_SLOT;
        bool myTransformAnimated = true;  // set by Scene::Touch

        AMatrix ComputeLocal(Time aTime, bool aUnitScale = false) const;  // file space; aUnitScale leaves S out
        AMatrix ComputeGlobal(Time aTime) const;  // file space, without the cache
        // File space, by inherit type; aTime is needed only for the parent's scales (Rrs).
        AMatrix CombineWithParent(const AMatrix& aParentGlobal, const AMatrix& aLocal, Time aTime) const;
        Vector4 OwnScale(Time aTime) const;  // the animated "Lcl Scaling"
        // The scale an Rrs child's translation is stretched by: the own scale, times the scale this
        // node received when it is Rrs itself.
        Vector4 ScalePassedOn(Time aTime) const;
        // The global with this node's own scale left out: what an Rrs child hangs from.
        AMatrix GlobalWithoutOwnScale(Time aTime) const;
    };
}
