#pragma once
// Polygon meshes and their layer elements (per corner, polygon or control point data).
#include "Platform/fbx/FbxObject.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Vela::Fbx
{
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
}
