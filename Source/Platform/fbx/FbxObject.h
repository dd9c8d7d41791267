#pragma once
// Objects of a parsed FBX file and their connections: properties, node attributes, deformers,
// materials and textures.
#include "Platform/fbx/FbxDocument.h"
#include "Platform/fbx/FbxMath.h"
#include "Platform/fbx/FbxTime.h"

#include <array>
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
        // Names and text view the file's bytes (or the scene's own copies), which the scene keeps.
        std::string_view GetName() const { return myName; }
        std::string_view GetTypeName() const { return myTypeName; }  // e.g. "Lcl Translation", "double"
        bool HasValue() const { return !myNumbers.empty() || !myText.empty(); }
        double GetDouble(size_t aIndex = 0, double aDefault = 0.0) const;  // the value's number aIndex
        int64_t GetInt(size_t aIndex = 0, int64_t aDefault = 0) const;
        Vector4 GetVector(const Vector4& aDefault = {}) const;            // first three numbers
        std::string_view GetString() const { return myText; }
        size_t GetNumberCount() const { return myNumbers.size(); }

        int GetSrcObjectCount() const { return static_cast<int>(mySources.size()); }
        const Object* GetSrcObject(int aIndex) const;                   // null when out of range
        template <class T> int GetSrcObjectCount() const;               // sources of class T (or derived)
        template <class T> const T* GetSrcObject(int aIndex = 0) const; // the aIndex-th source of class T, or null

    private:
        friend class SceneBuilder;
        friend class Object;

        // A value's numbers: up to four (every scalar, vector and colour) held in place, more on the heap,
        // which spares an allocation for nearly every property of a file.
        class Numbers
        {
        public:
            size_t size() const { return myCount; }
            bool empty() const { return myCount == 0; }
            double operator[](size_t aIndex) const { return myCount > IN_PLACE ? mySpilled[aIndex] : myInPlace[aIndex]; }
            void push_back(double aValue)
            {
                if (myCount < IN_PLACE)
                    myInPlace[myCount] = aValue;
                else
                {
                    if (myCount == IN_PLACE)
                        mySpilled.assign(myInPlace.begin(), myInPlace.end());
                    mySpilled.push_back(aValue);
                }
                ++myCount;
            }

        private:
            static constexpr size_t IN_PLACE = 4;
            std::array<double, IN_PLACE> myInPlace{};
            std::vector<double> mySpilled;  // all of them, once there are more than IN_PLACE
            size_t myCount = 0;
        };

        std::string_view myName;
        std::string_view myTypeName;
        Numbers myNumbers;
        std::string_view myText;
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
        int GetPropertyCount() const;
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
        // The type's defaults, owned by the scene and shared by all objects of the type; its entries count
        // where myProperties has none of that name. Null once copied into myProperties.
        const std::vector<ObjectProperty>* myTemplate = nullptr;

        bool HasOwnProperty(std::string_view aName) const;
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

    // ---- Template definitions ----------------------------------------------------------------

    // Of someSources, how many are of class T, and the aIndex-th of those (null past the last).
    template <class T>
    int CountSourcesOf(const std::vector<const Object*>& someSources)
    {
        int count = 0;
        for (const Object* source : someSources)
            count += source->Is(T::CLASS) ? 1 : 0;
        return count;
    }

    template <class T>
    const T* FindSourceOf(const std::vector<const Object*>& someSources, int aIndex)
    {
        for (const Object* source : someSources)
            if (source->Is(T::CLASS) && aIndex-- == 0)
                return static_cast<const T*>(source);
        return nullptr;
    }

    template <class T>
    int ObjectProperty::GetSrcObjectCount() const { return CountSourcesOf<T>(mySources); }

    template <class T>
    const T* ObjectProperty::GetSrcObject(int aIndex) const { return FindSourceOf<T>(mySources, aIndex); }

    template <class T>
    int Object::GetSrcObjectCount() const { return CountSourcesOf<T>(mySources); }

    template <class T>
    const T* Object::GetSrcObject(int aIndex) const { return FindSourceOf<T>(mySources, aIndex); }
}
