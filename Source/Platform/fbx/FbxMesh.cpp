#include "Platform/fbx/FbxScene.h"
#include "Platform/fbx/FbxTangentFrames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Vela::Fbx
{
    namespace
    {
        template <class T>
        const T* ElementAt(const std::vector<std::unique_ptr<T>>& someElements, int aIndex)
        {
            return aIndex >= 0 && aIndex < static_cast<int>(someElements.size()) ? someElements[static_cast<size_t>(aIndex)].get() : nullptr;
        }
    }

    // ---- Layer elements ----

    int LayerElementMaterial::GetMaterialIndex(int aPolygon) const
    {
        size_t entry = 0;
        if (GetMappingMode() == MappingMode::ByPolygon)
        {
            if (aPolygon < 0)
                return -1;
            entry = static_cast<size_t>(aPolygon);
        }
        else if (GetMappingMode() != MappingMode::AllSame)
            return -1;
        const std::vector<int>& indices = GetIndexArray();
        return entry < indices.size() && indices[entry] >= 0 ? indices[entry] : -1;
    }

    // ---- Mesh access ----

    Vector4 Mesh::GetControlPointAt(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetControlPointsCount() ? myControlPoints[static_cast<size_t>(aIndex)] : Vector4();
    }

    int Mesh::GetPolygonSize(int aPolygon) const
    {
        if (aPolygon < 0 || aPolygon >= GetPolygonCount())
            return -1;
        const size_t start = static_cast<size_t>(myPolygonStarts[static_cast<size_t>(aPolygon)]);
        const size_t end = static_cast<size_t>(aPolygon) + 1 < myPolygonStarts.size()
                               ? static_cast<size_t>(myPolygonStarts[static_cast<size_t>(aPolygon) + 1])
                               : myPolygonVertices.size();
        return static_cast<int>(end - start);
    }

    int Mesh::GetPolygonVertexIndex(int aPolygon) const
    {
        return aPolygon >= 0 && aPolygon < GetPolygonCount() ? myPolygonStarts[static_cast<size_t>(aPolygon)] : -1;
    }

    int Mesh::GetPolygonVertex(int aPolygon, int aCorner) const
    {
        const int size = GetPolygonSize(aPolygon);
        if (size < 0 || aCorner < 0 || aCorner >= size)
            return -1;
        const int controlPoint = myPolygonVertices[static_cast<size_t>(myPolygonStarts[static_cast<size_t>(aPolygon)] + aCorner)];
        return controlPoint >= 0 && controlPoint < GetControlPointsCount() ? controlPoint : -1;
    }

    bool Mesh::IsTriangleMesh() const
    {
        const size_t polygonCount = myPolygonStarts.size();
        for (size_t polygon = 0; polygon < polygonCount; ++polygon)
        {
            // As GetPolygonSize counts.
            const size_t end = polygon + 1 < polygonCount ? static_cast<size_t>(myPolygonStarts[polygon + 1]) : myPolygonVertices.size();
            if (static_cast<int>(end - static_cast<size_t>(myPolygonStarts[polygon])) != 3)
                return false;
        }
        return true;
    }

    const LayerElementNormal* Mesh::GetElementNormal(int aIndex) const { return ElementAt(myNormals, aIndex); }
    const LayerElementTangent* Mesh::GetElementTangent(int aIndex) const { return ElementAt(myTangents, aIndex); }
    const LayerElementBinormal* Mesh::GetElementBinormal(int aIndex) const { return ElementAt(myBinormals, aIndex); }
    const LayerElementUV* Mesh::GetElementUV(int aIndex) const { return ElementAt(myUVs, aIndex); }
    const LayerElementVertexColor* Mesh::GetElementVertexColor(int aIndex) const { return ElementAt(myColors, aIndex); }
    const LayerElementMaterial* Mesh::GetElementMaterial(int aIndex) const { return ElementAt(myMaterials, aIndex); }

    int Mesh::GetTextureUVIndex(int aPolygon, int aCorner, int aUvSet) const
    {
        const LayerElementUV* element = GetElementUV(aUvSet);
        const int start = GetPolygonVertexIndex(aPolygon);
        if (!element || start < 0 || aCorner < 0 || aCorner >= GetPolygonSize(aPolygon))
            return -1;
        return element->GetDirectIndex(GetPolygonVertex(aPolygon, aCorner), start + aCorner, aPolygon, element->GetDirectArray().size());
    }

    bool Mesh::GetPolygonVertexUV(int aPolygon, int aCorner, int aUvSet, Vector2& aOut) const
    {
        const int index = GetTextureUVIndex(aPolygon, aCorner, aUvSet);
        if (index < 0)
            return false;
        aOut = myUVs[static_cast<size_t>(aUvSet)]->GetDirectArray()[static_cast<size_t>(index)];
        return true;
    }

    // ---- Generated data ----

    bool Mesh::GenerateNormals(bool aOverwrite)
    {
        if (!myNormals.empty() && !aOverwrite)
            return true;
        // Area-weighted face normals (Newell's method copes with non-planar polygons).
        std::vector<Vector4> sums(myControlPoints.size());
        for (int polygon = 0; polygon < GetPolygonCount(); ++polygon)
        {
            const int size = GetPolygonSize(polygon);
            Vector4 normal;
            for (int corner = 0; corner < size; ++corner)
            {
                const Vector4 current = GetControlPointAt(GetPolygonVertex(polygon, corner));
                const Vector4 next = GetControlPointAt(GetPolygonVertex(polygon, (corner + 1) % size));
                normal.x += (current.y - next.y) * (current.z + next.z);
                normal.y += (current.z - next.z) * (current.x + next.x);
                normal.z += (current.x - next.x) * (current.y + next.y);
            }
            for (int corner = 0; corner < size; ++corner)
            {
                const int controlPoint = GetPolygonVertex(polygon, corner);
                if (controlPoint >= 0)
                    sums[static_cast<size_t>(controlPoint)] = sums[static_cast<size_t>(controlPoint)] + normal;
            }
        }
        auto element = std::make_unique<LayerElementNormal>();
        element->myMappingMode = MappingMode::ByPolygonVertex;
        element->myReferenceMode = ReferenceMode::Direct;
        element->myValues.resize(myPolygonVertices.size());
        for (int polygon = 0; polygon < GetPolygonCount(); ++polygon)
            for (int corner = 0; corner < GetPolygonSize(polygon); ++corner)
            {
                const int controlPoint = GetPolygonVertex(polygon, corner);
                if (controlPoint >= 0)
                    element->myValues[static_cast<size_t>(GetPolygonVertexIndex(polygon) + corner)] =
                        sums[static_cast<size_t>(controlPoint)].Normalized3();
            }
        if (myNormals.empty())
            myNormals.push_back(std::move(element));
        else
            myNormals[0] = std::move(element);
        return true;
    }

    bool Mesh::GenerateTangentsData(int aUvSet, bool aOverwrite, bool /*aIgnoredLegacy*/)
    {
        if (!myTangents.empty() && !myBinormals.empty() && !aOverwrite)
            return true;
        // An edge-only mesh (a curve helper) has nothing to generate, which is not a failure.
        if (GetPolygonCount() == 0)
            return true;
        if (!GetElementUV(aUvSet))
            return false;
        if (myNormals.empty())
            GenerateNormals(false);
        const LayerElementNormal& normals = *GetElementNormal(0);
        const LayerElementUV& uvs = *myUVs[static_cast<size_t>(aUvSet)];
        TangentFrames made = MakeTangentFrames({myPolygonStarts.data(), GetPolygonCount(), myPolygonVertices.data(), GetPolygonVertexCount(),
                                                myControlPoints.data(), GetControlPointsCount(), CornerIndexer(uvs, uvs.GetDirectArray().size()),
                                                uvs.GetDirectArray().data(), CornerIndexer(normals, normals.GetDirectArray().size()),
                                                normals.GetDirectArray().data()});

        // One entry per distinct result, indexed by corner: far less memory than a frame per corner.
        auto tangents = std::make_unique<LayerElementTangent>();
        auto binormals = std::make_unique<LayerElementBinormal>();
        for (LayerElement* element : {static_cast<LayerElement*>(tangents.get()), static_cast<LayerElement*>(binormals.get())})
        {
            element->myMappingMode = MappingMode::ByPolygonVertex;
            element->myReferenceMode = ReferenceMode::IndexToDirect;
        }
        tangents->myValues = std::move(made.tangents);
        binormals->myValues = std::move(made.binormals);
        binormals->myIndices = std::move(made.binormalIndices);
        tangents->myIndices = std::move(made.indices);
        if (myTangents.empty())
            myTangents.push_back(std::move(tangents));
        else
            myTangents[0] = std::move(tangents);
        if (myBinormals.empty())
            myBinormals.push_back(std::move(binormals));
        else
            myBinormals[0] = std::move(binormals);
        return true;
    }
}
