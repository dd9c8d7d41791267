#pragma once
// The scene layer of our FBX reader: objects and connections of a parsed file, node transform
// evaluation, and the scene operations the import library needs (unit and axis conversion,
// triangulation, tangent generation). Nothing here trusts the file: every index is checked and a
// bad one gives an empty/neutral result (null, -1, zero vector), never a read outside an array.
#include "Platform/fbx/FbxDocument.h"
#include "Platform/fbx/FbxMath.h"
#include "Platform/fbx/FbxTime.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vela::Fbx
{
    class Manager;
    class Scene;
    class Node;
    class Mesh;
    class LodGroup;
    class Material;

    // Class tags, for GetSrcObject<T>() style queries. Derived classes match their bases.
    enum class ObjectClass : int
    {
        Object,
        Scene,
        Node,
        NodeAttribute, NullAttribute, Skeleton, Geometry, Mesh, LodGroup,
        Material,
        Texture, FileTexture, LayeredTexture,
        Video,
        Deformer, Skin, Cluster,
        AnimStack, AnimLayer, AnimCurveNode, AnimCurve,
        Pose,
    };
    bool IsClassDerivedFrom(ObjectClass aClass, ObjectClass aBase);

    class Object;

    // One named property of an object ("Properties70" P entry), falling back to the object type's
    // template from Definitions. Also carries the objects connected to it by "OP" links, in file order.
    class ObjectProperty
    {
    public:
        const std::string& GetName() const { return myName; }
        const std::string& GetTypeName() const { return myTypeName; }  // e.g. "Lcl Translation", "double"
        bool HasValue() const { return !myNumbers.empty() || !myText.empty(); }
        double GetDouble(size_t aIndex = 0, double aDefault = 0.0) const;  // the value's number aIndex
        int64_t GetInt(size_t aIndex = 0, int64_t aDefault = 0) const;
        Vector4 GetVector(const Vector4& aDefault = {}) const;            // first three numbers
        const std::string& GetString() const { return myText; }
        size_t GetNumberCount() const { return myNumbers.size(); }

        int GetSrcObjectCount() const { return static_cast<int>(mySources.size()); }
        const Object* GetSrcObject(int aIndex) const;                   // null when out of range
        template <class T> int GetSrcObjectCount() const;               // sources of class T (or derived)
        template <class T> const T* GetSrcObject(int aIndex = 0) const; // the aIndex-th source of class T, or null

    private:
        friend class SceneBuilder;
        friend class Object;
        std::string myName;
        std::string myTypeName;
        std::vector<double> myNumbers;
        std::string myText;
        std::vector<const Object*> mySources;
    };

    // Base of everything in a scene.
    class Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Object;

        Object(const Object&) = delete;
        Object& operator=(const Object&) = delete;
        virtual ~Object();

        uint64_t GetUniqueID() const { return myId; }           // the file's object id
        const std::string& GetName() const { return myName; }   // class prefix removed, ':' namespaces kept
        ObjectClass GetClass() const { return myClass; }
        bool Is(ObjectClass aBase) const { return IsClassDerivedFrom(myClass, aBase); }
        template <class T> const T* As() const { return Is(T::CLASS) ? static_cast<const T*>(this) : nullptr; }
        template <class T> T* As() { return Is(T::CLASS) ? static_cast<T*>(this) : nullptr; }
        Scene* GetScene() const { return myScene; }

        // Objects connected to this one ("OO" links where this is the parent), in file order.
        // For the scene itself: every object of the scene, in file order.
        int GetSrcObjectCount() const { return static_cast<int>(mySources.size()); }
        const Object* GetSrcObject(int aIndex) const;
        template <class T> int GetSrcObjectCount() const;
        template <class T> const T* GetSrcObject(int aIndex = 0) const;
        // Objects this one is connected to ("OO" and "OP" links where this is the child), in file order.
        int GetDstObjectCount() const { return static_cast<int>(myDestinations.size()); }
        const Object* GetDstObject(int aIndex) const;

        // The property of that name: the object's own, else the template default, else one made
        // for "OP" links only. Null when none exists. Case-sensitive unless aCaseSensitive is false.
        const ObjectProperty* FindProperty(std::string_view aName, bool aCaseSensitive = true) const;
        int GetPropertyCount() const { return static_cast<int>(myProperties.size()); }
        const ObjectProperty& GetPropertyAt(int aIndex) const;  // own properties first, then template-only ones

    protected:
        Object(ObjectClass aClass);

    private:
        friend class SceneBuilder;
        friend class Scene;
        ObjectClass myClass;
        uint64_t myId = 0;
        std::string myName;
        Scene* myScene = nullptr;
        std::vector<const Object*> mySources;
        std::vector<const Object*> myDestinations;
        std::vector<ObjectProperty> myProperties;
    };

    // ---- Node attributes -------------------------------------------------------------------

    // Numbering used by the import ("null (1)", "skeleton (3)", "mesh (4)", "LOD group (18)").
    enum class AttributeType : int
    {
        Unknown = 0, Null = 1, Marker = 2, Skeleton = 3, Mesh = 4, Nurbs = 5, Patch = 6, Camera = 7,
        CameraStereo = 8, CameraSwitcher = 9, Light = 10, OpticalReference = 11, OpticalMarker = 12,
        NurbsCurve = 13, TrimNurbsSurface = 14, Boundary = 15, NurbsSurface = 16, Shape = 17,
        LodGroup = 18, SubDiv = 19, CachedEffect = 20, Line = 21,
    };

    class NodeAttribute : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::NodeAttribute;
        AttributeType GetAttributeType() const { return myAttributeType; }
        const std::string& GetTypeName() const { return myTypeName; }  // the file's subtype ("LimbNode", "Camera", ...)
        const Node* GetNode() const;                                    // first node using it, or null

    protected:
        NodeAttribute(ObjectClass aClass, AttributeType aType) : Object(aClass), myAttributeType(aType) {}

    private:
        friend class SceneBuilder;
        AttributeType myAttributeType;
        std::string myTypeName;
    };

    class NullAttribute : public NodeAttribute
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::NullAttribute;
        NullAttribute() : NodeAttribute(CLASS, AttributeType::Null) {}
    };

    class Skeleton : public NodeAttribute
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Skeleton;
        enum class SkeletonType { Root, Limb, LimbNode, Effector };
        Skeleton() : NodeAttribute(CLASS, AttributeType::Skeleton) {}
        SkeletonType GetSkeletonType() const { return mySkeletonType; }

    private:
        friend class SceneBuilder;
        SkeletonType mySkeletonType = SkeletonType::LimbNode;
    };

    class LodGroup : public NodeAttribute
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::LodGroup;
        LodGroup() : NodeAttribute(CLASS, AttributeType::LodGroup) {}
        // Thresholds "Thresholds|Level0", "Thresholds|Level1", ... in level order, as stored (no unit conversion).
        int GetNumThresholds() const { return static_cast<int>(myThresholds.size()); }
        // False (aOut untouched) when aIndex is out of range.
        bool GetThreshold(int aIndex, double& aOut) const;
        bool GetThresholdsUsedAsPercentage() const { return myThresholdsAsPercentage; }

    private:
        friend class SceneBuilder;
        std::vector<double> myThresholds;
        bool myThresholdsAsPercentage = false;
    };

    // ---- Deformers ---------------------------------------------------------------------------

    class Cluster : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Cluster;
        Cluster() : Object(CLASS) {}
        const Node* GetLink() const { return myLink; }  // the bone; null when the file links none
        // Indices and weights have the same count (the shorter array of the file decides). Indices are
        // as stored: they may be negative or beyond the control points of a damaged file; check them.
        int GetControlPointIndicesCount() const { return static_cast<int>(myIndices.size()); }
        const int* GetControlPointIndices() const { return myIndices.data(); }
        const double* GetControlPointWeights() const { return myWeights.data(); }
        // "Transform" (the mesh's global transform at binding) and "TransformLink" (the bone's);
        // identity when absent. Returns aOut.
        AMatrix& GetTransformMatrix(AMatrix& aOut) const { aOut = myTransform; return aOut; }
        AMatrix& GetTransformLinkMatrix(AMatrix& aOut) const { aOut = myTransformLink; return aOut; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        friend class SystemUnit;
        friend class AxisSystem;
        const Node* myLink = nullptr;
        std::vector<int> myIndices;
        std::vector<double> myWeights;
        AMatrix myTransform;
        AMatrix myTransformLink;
    };

    enum class DeformerType { Unknown, Skin, BlendShape, VertexCache };

    class Deformer : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Deformer;
        DeformerType GetDeformerType() const { return myDeformerType; }

    protected:
        Deformer(ObjectClass aClass, DeformerType aType) : Object(aClass), myDeformerType(aType) {}

    private:
        DeformerType myDeformerType;
    };

    class Skin : public Deformer
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Skin;
        Skin() : Deformer(CLASS, DeformerType::Skin) {}
        int GetClusterCount() const { return static_cast<int>(myClusters.size()); }
        const Cluster* GetCluster(int aIndex) const;  // null when out of range

    private:
        friend class SceneBuilder;
        std::vector<const Cluster*> myClusters;
    };

    // ---- Geometry ----------------------------------------------------------------------------

    enum class MappingMode { None, ByControlPoint, ByPolygonVertex, ByPolygon, ByEdge, AllSame };
    enum class ReferenceMode { Direct, Index, IndexToDirect };  // Index reads as IndexToDirect

    class LayerElement
    {
    public:
        virtual ~LayerElement() = default;
        const std::string& GetName() const { return myName; }
        MappingMode GetMappingMode() const { return myMappingMode; }
        ReferenceMode GetReferenceMode() const { return myReferenceMode; }
        const std::vector<int>& GetIndexArray() const { return myIndices; }

        // The direct-array index of one corner: by its control point, polygon-vertex (corner) number,
        // polygon, or entry 0 for AllSame; through the index array when indexed. -1 when the mode
        // does not map (ByEdge, None), the index is -1 or anything is out of range.
        // aDirectCount is the direct array's length (for the material element: pass INT32_MAX).
        int GetDirectIndex(int aControlPoint, int aPolygonVertex, int aPolygon, size_t aDirectCount) const;

    protected:
        friend class SceneBuilder;
        friend class Mesh;
        friend class GeometryConverter;
        friend class AxisSystem;
        std::string myName;
        MappingMode myMappingMode = MappingMode::None;
        ReferenceMode myReferenceMode = ReferenceMode::Direct;
        std::vector<int> myIndices;
    };

    // The direct-array index a layer gives one corner: its control point, polygon vertex or polygon
    // (or 0 for all-same) by the mapping, then through the index array when the layer has one; -1 for
    // none. Inline: it runs for every corner of every layer.
    inline int MapLayerIndex(MappingMode aMode, bool aIndexed, const int* someIndices, size_t aIndexCount, size_t aDirectCount,
                             int aControlPoint, int aPolygonVertex, int aPolygon)
    {
        int index = -1;
        switch (aMode)
        {
        case MappingMode::ByControlPoint: index = aControlPoint; break;
        case MappingMode::ByPolygonVertex: index = aPolygonVertex; break;
        case MappingMode::ByPolygon: index = aPolygon; break;
        case MappingMode::AllSame: index = 0; break;
        default: return -1;
        }
        if (index < 0)
            return -1;
        if (aIndexed)
        {
            if (static_cast<size_t>(index) >= aIndexCount)
                return -1;
            index = someIndices[index];
            if (index < 0)
                return -1;
        }
        return static_cast<size_t>(index) < aDirectCount ? index : -1;
    }

    inline int LayerElement::GetDirectIndex(int aControlPoint, int aPolygonVertex, int aPolygon, size_t aDirectCount) const
    {
        return MapLayerIndex(myMappingMode, myReferenceMode != ReferenceMode::Direct, myIndices.data(), myIndices.size(), aDirectCount,
                             aControlPoint, aPolygonVertex, aPolygon);
    }

    template <class T>
    class LayerElementOf : public LayerElement
    {
    public:
        const std::vector<T>& GetDirectArray() const { return myValues; }
        // The value of one corner (see GetDirectIndex); false (aOut untouched) when unmapped.
        bool GetValue(int aControlPoint, int aPolygonVertex, int aPolygon, T& aOut) const
        {
            const int index = GetDirectIndex(aControlPoint, aPolygonVertex, aPolygon, myValues.size());
            if (index < 0)
                return false;
            aOut = myValues[static_cast<size_t>(index)];
            return true;
        }

    private:
        friend class SceneBuilder;
        friend class Mesh;
        friend class GeometryConverter;
        friend class AxisSystem;
        std::vector<T> myValues;
    };

    using LayerElementNormal = LayerElementOf<Vector4>;     // w = 0
    using LayerElementTangent = LayerElementOf<Vector4>;    // w = handedness sign when the file gives one, else 0
    using LayerElementBinormal = LayerElementOf<Vector4>;
    using LayerElementUV = LayerElementOf<Vector2>;
    using LayerElementVertexColor = LayerElementOf<Color>;

    // Per-polygon materials: only an index array ("Materials"), whose values index the node's own
    // material list. Use GetDirectIndex(cp, pv, polygon, INT32_MAX) or GetMaterialIndex.
    class LayerElementMaterial : public LayerElement
    {
    public:
        // The node-material index of polygon aPolygon: entry 0 for AllSame, entry aPolygon for
        // ByPolygon; -1 for anything else or out of range.
        int GetMaterialIndex(int aPolygon) const;
    };

    class Geometry : public NodeAttribute
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Geometry;
        // Deformers connected to this geometry, in file order; aType Unknown counts every kind.
        int GetDeformerCount(DeformerType aType = DeformerType::Unknown) const;
        const Deformer* GetDeformer(int aIndex, DeformerType aType = DeformerType::Unknown) const;

    protected:
        Geometry(ObjectClass aClass, AttributeType aType) : NodeAttribute(aClass, aType) {}

    private:
        friend class SceneBuilder;
        std::vector<const Deformer*> myDeformers;
    };

    class Mesh : public Geometry
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Mesh;
        Mesh() : Geometry(CLASS, AttributeType::Mesh) {}

        int GetControlPointsCount() const { return static_cast<int>(myControlPoints.size()); }
        Vector4 GetControlPointAt(int aIndex) const;  // w as stored (0 for files); zero vector when out of range
        const std::vector<Vector4>& GetControlPoints() const { return myControlPoints; }

        // Polygons from "PolygonVertexIndex" (the negative end marker already decoded). A corner whose
        // stored control point is out of range reads as -1 (and its position as the zero vector), so
        // per-corner and per-polygon layer data stay aligned with the file.
        int GetPolygonCount() const { return static_cast<int>(myPolygonStarts.size()); }
        int GetPolygonSize(int aPolygon) const;                  // -1 when out of range
        int GetPolygonVertexIndex(int aPolygon) const;           // first corner number of the polygon, -1 when out of range
        int GetPolygonVertex(int aPolygon, int aCorner) const;   // control point of a corner, -1 when out of range
        int GetPolygonVertexCount() const { return static_cast<int>(myPolygonVertices.size()); }
        const std::vector<int>& GetPolygonVertices() const { return myPolygonVertices; }
        const std::vector<int>& GetPolygonStarts() const { return myPolygonStarts; }  // first corner of every polygon
        bool IsTriangleMesh() const;

        int GetElementNormalCount() const { return static_cast<int>(myNormals.size()); }
        const LayerElementNormal* GetElementNormal(int aIndex = 0) const;      // null when out of range
        int GetElementTangentCount() const { return static_cast<int>(myTangents.size()); }
        const LayerElementTangent* GetElementTangent(int aIndex = 0) const;
        int GetElementBinormalCount() const { return static_cast<int>(myBinormals.size()); }
        const LayerElementBinormal* GetElementBinormal(int aIndex = 0) const;
        int GetElementUVCount() const { return static_cast<int>(myUVs.size()); }
        const LayerElementUV* GetElementUV(int aIndex = 0) const;
        int GetUVLayerCount() const { return GetElementUVCount(); }
        int GetElementVertexColorCount() const { return static_cast<int>(myColors.size()); }
        const LayerElementVertexColor* GetElementVertexColor(int aIndex = 0) const;
        int GetElementMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        const LayerElementMaterial* GetElementMaterial(int aIndex = 0) const;

        // Direct index of the UV of one corner in UV set aUvSet, resolved with that set's own
        // mapping and reference mode; -1 when unmapped or out of range.
        int GetTextureUVIndex(int aPolygon, int aCorner, int aUvSet = 0) const;
        // The UV of one corner in set aUvSet; false (aOut untouched) when unmapped.
        bool GetPolygonVertexUV(int aPolygon, int aCorner, int aUvSet, Vector2& aOut) const;

        // Smooth per-control-point normals (area-weighted face normals), by-polygon-vertex, direct.
        // Does nothing and returns true when normals exist and aOverwrite is false.
        bool GenerateNormals(bool aOverwrite = false);
        // Tangents and binormals from UV set aUvSet and the normals (smooth normals are generated
        // first when the mesh has none), by polygon vertex, direct. Keeps existing ones unless
        // aOverwrite. True with nothing done for a mesh without polygons; false (nothing changed)
        // when the mesh has no such UV set.
        bool GenerateTangentsData(int aUvSet = 0, bool aOverwrite = false, bool aIgnoredLegacy = false);

    private:
        // Layer data mapped by polygon vertex follows the new corners (new corner i came from old
        // corner someCornerSources[i]); data mapped by polygon follows somePolygonSources when given.
        void RemapCornerData(const std::vector<int>& someCornerSources, const std::vector<int>* somePolygonSources);
        // Reverses the corner order of every polygon, with its corner data.
        void ReverseCornerOrder();

        friend class SceneBuilder;
        friend class Scene;
        friend class GeometryConverter;
        friend class AxisSystem;
        std::vector<Vector4> myControlPoints;
        std::vector<int> myPolygonVertices;  // control point of every corner
        std::vector<int> myPolygonStarts;    // first corner of every polygon
        std::vector<std::unique_ptr<LayerElementNormal>> myNormals;
        std::vector<std::unique_ptr<LayerElementTangent>> myTangents;
        std::vector<std::unique_ptr<LayerElementBinormal>> myBinormals;
        std::vector<std::unique_ptr<LayerElementUV>> myUVs;
        std::vector<std::unique_ptr<LayerElementVertexColor>> myColors;
        std::vector<std::unique_ptr<LayerElementMaterial>> myMaterials;
    };

    // ---- Materials and textures --------------------------------------------------------------

    class Texture : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Texture;

    protected:
        Texture(ObjectClass aClass) : Object(aClass) {}
    };

    // A "Texture" object of the file.
    class FileTexture : public Texture
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::FileTexture;
        FileTexture() : Texture(CLASS) {}
        const std::string& GetFileName() const { return myFileName; }            // "FileName", as stored
        const std::string& GetRelativeFileName() const { return myRelativeFileName; }  // "RelativeFilename"

    private:
        friend class SceneBuilder;
        std::string myFileName;
        std::string myRelativeFileName;
    };

    // A "LayeredTexture" object: a stack of textures (its layers are its sources).
    class LayeredTexture : public Texture
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::LayeredTexture;
        LayeredTexture() : Texture(CLASS) {}
    };

    class Video : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Video;
        Video() : Object(CLASS) {}
    };

    // A surface material. Textures hang on its properties: FindProperty(DIFFUSE)->GetSrcObject<Texture>().
    class Material : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::Material;
        Material() : Object(CLASS) {}
        static constexpr const char* EMISSIVE = "EmissiveColor";
        static constexpr const char* AMBIENT = "AmbientColor";
        static constexpr const char* DIFFUSE = "DiffuseColor";
        static constexpr const char* SPECULAR = "SpecularColor";
        static constexpr const char* SHININESS = "ShininessExponent";
        static constexpr const char* BUMP = "Bump";
        static constexpr const char* NORMAL_MAP = "NormalMap";
        static constexpr const char* TRANSPARENT_COLOR = "TransparentColor";
        static constexpr const char* REFLECTION = "ReflectionColor";
        static constexpr const char* DISPLACEMENT_COLOR = "DisplacementColor";
        static constexpr const char* VECTOR_DISPLACEMENT_COLOR = "VectorDisplacementColor";
        const std::string& GetShadingModel() const { return myShadingModel; }

    private:
        friend class SceneBuilder;
        std::string myShadingModel;
    };

    // ---- Animation ---------------------------------------------------------------------------

    enum class Interpolation { Constant, Linear, Cubic };

    class AnimCurve : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimCurve;
        AnimCurve() : Object(CLASS) {}

        int KeyGetCount() const { return static_cast<int>(myKeys.size()); }
        Time KeyGetTime(int aIndex) const;             // 0 when out of range
        double KeyGetValue(int aIndex) const;          // 0 when out of range
        Interpolation KeyGetInterpolation(int aIndex) const;
        double GetDefaultValue() const { return myDefault; }
        // Value at a time: between keys by the left key's interpolation (constant: left value, or the
        // right one for "constant next"; linear; cubic: Bezier from the stored slopes and weights);
        // before the first key and after the last by the curve's pre- and post-extrapolation.
        // "Default" when there are no keys.
        double Evaluate(Time aTime) const;

        // How a curve goes on outside its keys ("Pre-Extrapolation", "Post-Extrapolation": "Type" C, R, M
        // or K, "Repetition"): holding the end key, repeating the keyed span, repeating it mirrored
        // back and forth, or carrying on along the end key's slope. A repetition count of 0 or less
        // repeats without end; after a limited count the value of the last repetition's end holds.
        enum class Extrapolation { Constant, Repetition, MirrorRepetition, KeepSlope };
        struct ExtrapolationMode
        {
            Extrapolation type = Extrapolation::Constant;
            int64_t repetitions = 0;
        };
        const ExtrapolationMode& GetPreExtrapolation() const { return myPreExtrapolation; }
        const ExtrapolationMode& GetPostExtrapolation() const { return myPostExtrapolation; }

        struct Key
        {
            int64_t time = 0;
            double value = 0.0;
            Interpolation interpolation = Interpolation::Cubic;
            bool constantNext = false;
            double rightSlope = 0.0, nextLeftSlope = 0.0;        // value per second
            double rightWeight = 1.0 / 3.0, nextLeftWeight = 1.0 / 3.0;
        };
        const std::vector<Key>& GetKeys() const { return myKeys; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        std::vector<Key> myKeys;  // sorted by time
        double myDefault = 0.0;
        ExtrapolationMode myPreExtrapolation;
        ExtrapolationMode myPostExtrapolation;

        double EvaluateInside(int64_t aTime) const;       // aTime within the keyed span
        double Extrapolate(int64_t aTime, bool aBefore) const;
        double EndSlope(bool aBefore) const;              // value per second at the first or last key
    };

    // Animates one property (e.g. "Lcl Translation"); channels "d|X", "d|Y", "d|Z" (or one, "d|...").
    class AnimCurveNode : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimCurveNode;
        AnimCurveNode() : Object(CLASS) {}
        int GetChannelsCount() const { return static_cast<int>(myChannels.size()); }
        const std::string& GetChannelName(int aChannel) const;  // "" when out of range
        const AnimCurve* GetCurve(int aChannel) const;          // null when the channel has no curve
        double GetChannelValue(int aChannel) const;             // the channel's static value ("d|X")
        const Object* GetTargetObject() const { return myTarget; }  // the animated object, or null
        const std::string& GetTargetProperty() const { return myTargetProperty; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        struct Channel
        {
            std::string name;
            double value = 0.0;
            const AnimCurve* curve = nullptr;
        };
        std::vector<Channel> myChannels;
        const Object* myTarget = nullptr;
        std::string myTargetProperty;
    };

    class AnimLayer : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimLayer;
        AnimLayer() : Object(CLASS) {}
        int GetCurveNodeCount() const { return static_cast<int>(myCurveNodes.size()); }
        const AnimCurveNode* GetCurveNode(int aIndex) const;
        // The curve node animating aProperty of aObject in this layer, or null.
        const AnimCurveNode* FindCurveNode(const Object* aObject, std::string_view aProperty) const;

    private:
        friend class SceneBuilder;
        std::vector<const AnimCurveNode*> myCurveNodes;
        std::unordered_map<const Object*, std::vector<const AnimCurveNode*>> myByTarget;
    };

    class AnimStack : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimStack;
        AnimStack() : Object(CLASS) {}
        int GetLayerCount() const { return static_cast<int>(myLayers.size()); }
        const AnimLayer* GetLayer(int aIndex = 0) const;  // layer 0 is the base layer
        bool HasLocalTimeSpan() const { return myHasLocalSpan; }  // "LocalStart"/"LocalStop" present
        TimeSpan GetLocalTimeSpan() const { return myLocalSpan; }

    private:
        friend class SceneBuilder;
        std::vector<const AnimLayer*> myLayers;
        bool myHasLocalSpan = false;
        TimeSpan myLocalSpan;
    };

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

    // ---- Settings and conversions ------------------------------------------------------------

    // A length unit, as centimetres per unit ("UnitScaleFactor": 1 = cm, 100 = m).
    // Options of a unit conversion, in the order the import passes them. Only the cluster option
    // changes anything here (cluster matrices are scaled when it is on).
    struct UnitConversionOptions
    {
        bool convertScaleInheritanceNodes = false;
        bool convertLimits = true;
        bool convertClusters = true;
        bool convertLightIntensity = true;
        bool convertPhotometricProperties = true;
        bool convertCameraClipPlanes = true;
    };

    class SystemUnit
    {
    public:
        using ConversionOptions = UnitConversionOptions;
        static const SystemUnit CENTIMETRE;
        static const SystemUnit METRE;

        explicit SystemUnit(double aCentimetresPerUnit = 1.0) : myScale(aCentimetresPerUnit) {}
        double GetScaleFactor() const { return myScale; }
        bool operator==(const SystemUnit& aOther) const;  // equal within 1e-9 relative
        bool operator!=(const SystemUnit& aOther) const { return !(*this == aOther); }
        // Converts the scene into this unit: every translation-like quantity (node translations,
        // offsets, pivots, geometric translations, translation curves, cluster matrix translations)
        // is multiplied by scene unit / this unit; control points are left as they are. The scene's
        // system unit is this one afterwards.
        void ConvertScene(Scene* aScene, const UnitConversionOptions& aOptions = UnitConversionOptions()) const;

    private:
        double myScale;
    };

    // An axis system: which file axis is up, which is front (towards the viewer), which is the
    // remaining "coord" axis, each with a sign (0 = X, 1 = Y, 2 = Z).
    class AxisSystem
    {
    public:
        // Numbered as the import expects (DirectX = 5).
        enum class Preset { MayaZUp = 0, MayaYUp = 1, Max = 2, MotionBuilder = 3, OpenGL = 4, DirectX = 5, Lightwave = 6 };

        AxisSystem();  // Y up, right-handed (OpenGL / Maya Y-up)
        explicit AxisSystem(Preset aPreset);
        AxisSystem(int aUpAxis, int aUpSign, int aFrontAxis, int aFrontSign, int aCoordAxis, int aCoordSign);

        int GetUpAxis(int& aSign) const { aSign = myUpSign; return myUpAxis; }
        int GetFrontAxis(int& aSign) const { aSign = myFrontSign; return myFrontAxis; }
        int GetCoordAxis(int& aSign) const { aSign = myCoordSign; return myCoordAxis; }
        bool IsRightHanded() const;
        bool operator==(const AxisSystem& aOther) const = default;

        // The change of basis from aFrom to this system: file vector v becomes M.MultR(v).
        // Up goes to up, front to front, coord to coord; a change of handedness mirrors.
        AMatrix GetConversionFrom(const AxisSystem& aFrom) const;
        // Converts the whole scene into this system, deep: node transforms (evaluated), animation,
        // cluster matrices, geometric transforms, and every mesh's control points, normals, tangents
        // and binormals, by the one change of basis above. When the change mirrors, every polygon's
        // corner order is reversed with its corner data, so faces keep winding the same way around
        // their normals. The scene's axis system is this one afterwards.
        void DeepConvertScene(Scene* aScene) const;

    private:
        int myUpAxis = 1, myUpSign = 1, myFrontAxis = 2, myFrontSign = 1, myCoordAxis = 0, myCoordSign = 1;
    };

    class GlobalSettings
    {
    public:
        const AxisSystem& GetAxisSystem() const { return myAxisSystem; }
        const SystemUnit& GetSystemUnit() const { return myUnit; }
        const SystemUnit& GetOriginalSystemUnit() const { return myOriginalUnit; }
        TimeMode GetTimeMode() const { return myTimeMode; }
        double GetCustomFrameRate() const { return myCustomFrameRate; }
        double GetFrameRate() const { return Time::GetFrameRate(myTimeMode, myCustomFrameRate); }
        TimeSpan GetTimelineDefaultTimeSpan() const { return myTimeSpan; }  // "TimeSpanStart"/"TimeSpanStop"

    private:
        friend class SceneBuilder;
        friend class Scene;
        friend class SystemUnit;
        friend class AxisSystem;
        AxisSystem myAxisSystem;
        SystemUnit myUnit;
        SystemUnit myOriginalUnit;
        TimeMode myTimeMode = TimeMode::Default;
        double myCustomFrameRate = 0.0;
        TimeSpan myTimeSpan;
    };

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

    // ---- Import ------------------------------------------------------------------------------

    class Status
    {
    public:
        enum class Code { Success = 0, Failure, InvalidFile, InvalidFileVersion, InvalidParameter };
        Code GetCode() const { return myCode; }
        bool Error() const { return myCode != Code::Success; }
        const std::string& GetErrorString() const { return myText; }  // "" on success
        void Set(Code aCode, std::string aText) { myCode = aCode; myText = std::move(aText); }
        void Clear() { myCode = Code::Success; myText.clear(); }

    private:
        Code myCode = Code::Success;
        std::string myText;
    };

    // Import options by path name (e.g. "Import|AdvOptGrp|FileFormat|Fbx|Texture"); kept, not interpreted.
    class IoSettings
    {
    public:
        static IoSettings* Create(Manager* aManager, std::string_view aName);
        void SetBoolProp(std::string_view aName, bool aValue);
        bool GetBoolProp(std::string_view aName, bool aDefault) const;
        void Destroy();

    private:
        friend class Manager;
        IoSettings() = default;
        Manager* myManager = nullptr;
        std::unordered_map<std::string, bool> myValues;
    };

    class Importer
    {
    public:
        static Importer* Create(Manager* aManager, std::string_view aName);
        void Destroy();

        // Reads and parses the file. False with the reason in GetStatus() for a missing/unreadable
        // file, a file that is not FBX 7.x, or a damaged one. aFormat is ignored (-1: detect).
        bool Initialize(std::string_view aPath, int aFormat = -1, IoSettings* aSettings = nullptr);
        bool IsFBX() const { return myIsFbx; }
        void GetFileVersion(int& aMajor, int& aMinor, int& aRevision) const;
        // Builds the scene from the initialised file (replacing what aScene held). False with a
        // status when nothing was initialised or the file's object graph is unusable.
        bool Import(Scene* aScene, bool aNonBlocking = false);
        // Animation stacks in the file (valid after Initialize).
        int GetAnimStackCount() const { return myAnimStackCount; }
        const Status& GetStatus() const { return myStatus; }
        Status& GetStatus() { return myStatus; }

    private:
        friend class Manager;
        Importer() = default;
        Manager* myManager = nullptr;
        Status myStatus;
        Document myDocument;
        bool myIsInitialised = false;
        bool myIsFbx = false;
        int myAnimStackCount = 0;
    };

    // Owns everything made through it; Destroy() disposes of all of it.
    class Manager
    {
    public:
        static Manager* Create();
        void Destroy();

    private:
        friend class Scene;
        friend class Importer;
        friend class IoSettings;
        Manager() = default;
        ~Manager();
        void Release(const void* aObject);
        std::mutex myMutex;
        std::vector<std::unique_ptr<Scene>> myScenes;
        std::vector<std::unique_ptr<Importer>> myImporters;
        std::vector<std::unique_ptr<IoSettings>> mySettings;
    };

    // Polygon operations on whole scenes.
    class GeometryConverter
    {
    public:
        explicit GeometryConverter(Manager* aManager) : myManager(aManager) {}
        // Triangulates every mesh of the scene. Always succeeds: convex polygons as fans, others by
        // ear clipping, whatever their size (a self-intersecting remainder is finished as a fan). Every layer element mapped by polygon vertex or by
        // polygon (and every index array) is carried over to the new corners and triangles, so
        // per-corner data and per-polygon materials stay with their triangles. Polygons with fewer
        // than three corners are dropped. aReplace and aLegacy are accepted for the call's shape.
        bool Triangulate(Scene* aScene, bool aReplace = true, bool aLegacy = false);
        bool Triangulate(Mesh* aMesh);

    private:
        Manager* myManager;
    };

    // ---- Template definitions ----------------------------------------------------------------

    template <class T>
    int ObjectProperty::GetSrcObjectCount() const
    {
        int count = 0;
        for (const Object* source : mySources)
            count += source->Is(T::CLASS) ? 1 : 0;
        return count;
    }

    template <class T>
    const T* ObjectProperty::GetSrcObject(int aIndex) const
    {
        for (const Object* source : mySources)
            if (source->Is(T::CLASS) && aIndex-- == 0)
                return static_cast<const T*>(source);
        return nullptr;
    }

    template <class T>
    int Object::GetSrcObjectCount() const
    {
        int count = 0;
        for (const Object* source : mySources)
            count += source->Is(T::CLASS) ? 1 : 0;
        return count;
    }

    template <class T>
    const T* Object::GetSrcObject(int aIndex) const
    {
        for (const Object* source : mySources)
            if (source->Is(T::CLASS) && aIndex-- == 0)
                return static_cast<const T*>(source);
        return nullptr;
    }
}
