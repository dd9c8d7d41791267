#include "Platform/fbx/FbxScene.h"

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

        // Any vector perpendicular to aNormal, for corners whose UVs give no direction.
        Vector4 AnyPerpendicular(const Vector4& aNormal)
        {
            const Vector4 axis = std::abs(aNormal.x) < 0.9 ? Vector4(1.0, 0.0, 0.0) : Vector4(0.0, 1.0, 0.0);
            return axis.Cross3(aNormal).Normalized3();
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
        for (int polygon = 0; polygon < GetPolygonCount(); ++polygon)
            if (GetPolygonSize(polygon) != 3)
                return false;
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
        const LayerElementNormal* normals = GetElementNormal(0);

        // Corners that share control point, UV and normal share one smooth tangent frame.
        struct Key
        {
            int controlPoint;
            int uv;
            int normal;  // index into the normals' direct array, -1 for none
        };
        const std::vector<Vector4>& normalValues = normals->GetDirectArray();
        // A corner's normal without w; zero when it has none.
        auto normalOf = [&](const Key& aKey) {
            if (aKey.normal < 0)
                return Vector4();
            const Vector4& normal = normalValues[static_cast<size_t>(aKey.normal)];
            return Vector4(normal.x, normal.y, normal.z, 0.0);
        };
        auto sameKey = [&](const Key& aFirst, const Key& aSecond) {
            if (aFirst.controlPoint != aSecond.controlPoint || aFirst.uv != aSecond.uv)
                return false;
            const Vector4 first = normalOf(aFirst);
            const Vector4 second = normalOf(aSecond);
            return first.x == second.x && first.y == second.y && first.z == second.z;
        };
        struct Frame
        {
            Vector4 tangent;
            Vector4 binormal;
        };
        const size_t cornerCount = myPolygonVertices.size();
        // Each corner's frame, found through an open-addressed table of the distinct keys.
        // Later each corner's result instead, which becomes the tangents' index array.
        std::vector<int> frameOf(cornerCount);
        std::vector<Frame> frames;
        std::vector<Key> frameKeys;  // the key of every frame
        constexpr uint32_t EMPTY = UINT32_MAX;
        // Sized for about one frame per control point; grown (kept at most half full) when there are more.
        size_t capacity = 16;
        while (capacity < std::min(cornerCount, myControlPoints.size()) * 2)
            capacity *= 2;
        std::vector<uint32_t> slots(capacity, EMPTY);
        auto hashOf = [&](const Key& aKey) {
            uint64_t hash = (static_cast<uint64_t>(static_cast<uint32_t>(aKey.controlPoint)) << 32) ^ static_cast<uint32_t>(aKey.uv);
            const Vector4 normal = normalOf(aKey);
            for (double value : {normal.x, normal.y, normal.z})
            {
                const double positiveZero = value + 0.0;  // -0 and +0 are equal keys
                uint64_t bits;
                std::memcpy(&bits, &positiveZero, sizeof(bits));
                hash = (hash ^ bits) * 0x9E3779B97F4A7C15ull;
                hash ^= hash >> 29;
            }
            return hash;
        };
        auto findFrame = [&](const Key& key) -> uint32_t {
            if ((frames.size() + 1) * 2 > capacity)
            {
                capacity *= 2;
                slots.assign(capacity, EMPTY);
                for (uint32_t frame = 0; frame < frames.size(); ++frame)
                {
                    size_t slot = static_cast<size_t>(hashOf(frameKeys[frame])) & (capacity - 1);
                    while (slots[slot] != EMPTY)
                        slot = (slot + 1) & (capacity - 1);
                    slots[slot] = frame;
                }
            }
            size_t slot = static_cast<size_t>(hashOf(key)) & (capacity - 1);
            for (; slots[slot] != EMPTY; slot = (slot + 1) & (capacity - 1))
                if (sameKey(frameKeys[slots[slot]], key))
                    return slots[slot];
            slots[slot] = static_cast<uint32_t>(frames.size());
            frames.emplace_back();
            frameKeys.push_back(key);
            return slots[slot];
        };

        // The corners of one control point mostly share a frame: its latest one is tried first.
        std::vector<uint32_t> recentFrames(myControlPoints.size(), EMPTY);
        auto frameFor = [&](const Key& key) {
            uint32_t* recent = key.controlPoint >= 0 ? &recentFrames[static_cast<size_t>(key.controlPoint)] : nullptr;
            if (recent && *recent != EMPTY && sameKey(frameKeys[*recent], key))
                return *recent;
            const uint32_t frame = findFrame(key);
            if (recent)
                *recent = frame;
            return frame;
        };

        const LayerElementUV& uvElement = *myUVs[static_cast<size_t>(aUvSet)];
        const auto& uvs = uvElement.GetDirectArray();
        // Each corner's control point, -1 when out of range (as GetPolygonVertex reads it).
        auto controlPointOf = [&](size_t aCorner) {
            const int controlPoint = myPolygonVertices[aCorner];
            return controlPoint >= 0 && controlPoint < GetControlPointsCount() ? controlPoint : -1;
        };
        auto positionOf = [&](int aControlPoint) { return aControlPoint >= 0 ? myControlPoints[static_cast<size_t>(aControlPoint)] : Vector4(); };
        std::vector<Key> polygonKeys;  // the keys of the current polygon's corners
        for (int polygon = 0; polygon < GetPolygonCount(); ++polygon)
        {
            const int start = GetPolygonVertexIndex(polygon);
            const int size = GetPolygonSize(polygon);
            polygonKeys.resize(static_cast<size_t>(size));
            for (int corner = 0; corner < size; ++corner)
            {
                const size_t polygonVertex = static_cast<size_t>(start + corner);
                const int controlPoint = controlPointOf(polygonVertex);
                const Key& key = polygonKeys[static_cast<size_t>(corner)] = {
                    controlPoint, uvElement.GetDirectIndex(controlPoint, start + corner, polygon, uvs.size()),
                    normals->GetDirectIndex(controlPoint, start + corner, polygon, normalValues.size())};
                frameOf[polygonVertex] = static_cast<int>(frameFor(key));
            }
            // Each fan triangle adds its UV-space directions to its three corners.
            for (int corner = 1; corner + 1 < size; ++corner)
            {
                const int triangle[3] = {0, corner, corner + 1};
                Vector4 positions[3];
                Vector2 texture[3];
                bool valid = true;
                for (int i = 0; i < 3; ++i)
                {
                    const int uvIndex = polygonKeys[static_cast<size_t>(triangle[i])].uv;
                    valid = valid && uvIndex >= 0;
                    positions[i] = positionOf(polygonKeys[static_cast<size_t>(triangle[i])].controlPoint);
                    if (uvIndex >= 0)
                        texture[i] = uvs[static_cast<size_t>(uvIndex)];
                }
                if (!valid)
                    continue;
                const Vector4 edge1 = positions[1] - positions[0];
                const Vector4 edge2 = positions[2] - positions[0];
                const double du1 = texture[1].x - texture[0].x, dv1 = texture[1].y - texture[0].y;
                const double du2 = texture[2].x - texture[0].x, dv2 = texture[2].y - texture[0].y;
                const double determinant = du1 * dv2 - du2 * dv1;
                if (std::abs(determinant) < 1e-20)
                    continue;
                const double inverse = 1.0 / determinant;
                const Vector4 tangent = (edge1 * dv2 - edge2 * dv1) * inverse;
                const Vector4 binormal = (edge2 * du1 - edge1 * du2) * inverse;
                for (int i = 0; i < 3; ++i)
                {
                    Frame& frame = frames[static_cast<size_t>(frameOf[static_cast<size_t>(start + triangle[i])])];
                    frame.tangent = frame.tangent + tangent;
                    frame.binormal = frame.binormal + binormal;
                }
            }
        }

        // One entry per distinct result, indexed by corner: far less memory than a frame per corner.
        auto tangents = std::make_unique<LayerElementTangent>();
        auto binormals = std::make_unique<LayerElementBinormal>();
        for (LayerElement* element : {static_cast<LayerElement*>(tangents.get()), static_cast<LayerElement*>(binormals.get())})
        {
            element->myMappingMode = MappingMode::ByPolygonVertex;
            element->myReferenceMode = ReferenceMode::IndexToDirect;
        }
        tangents->myValues.reserve(frames.size());
        binormals->myValues.reserve(frames.size());
        std::vector<int> madeWith;  // the normal index each result was made with
        madeWith.reserve(frames.size());
        // The result depends on the frame and the normal's exact bits only: corners repeating both share it.
        std::vector<uint32_t> madeAt(frames.size(), EMPTY);
        auto resultFor = [&](uint32_t aFrame, int aNormal) {
            const Vector4 keyNormal = normalOf({0, 0, aNormal});
            uint32_t& made = madeAt[aFrame];
            const Vector4 madeNormal = made != EMPTY ? normalOf({0, 0, madeWith[made]}) : Vector4();
            if (made != EMPTY && std::memcmp(&madeNormal, &keyNormal, sizeof(Vector4)) == 0)
                return made;
            made = static_cast<uint32_t>(tangents->myValues.size());
            madeWith.push_back(aNormal);
            const Vector4 normal = keyNormal.Normalized3();
            const Frame& frame = frames[aFrame];
            // Gram-Schmidt against the normal; the sign says whether the UVs are mirrored.
            Vector4 tangent = (frame.tangent - normal * normal.Dot3(frame.tangent)).Normalized3();
            if (tangent.Length3() == 0.0)
                tangent = normal.Length3() > 0.0 ? AnyPerpendicular(normal) : Vector4(1.0, 0.0, 0.0);
            const double handedness = normal.Cross3(tangent).Dot3(frame.binormal) < 0.0 ? -1.0 : 1.0;
            const Vector4 binormal = normal.Cross3(tangent) * handedness;
            tangents->myValues.emplace_back(tangent.x, tangent.y, tangent.z, handedness);
            binormals->myValues.emplace_back(binormal.x, binormal.y, binormal.z, 0.0);
            return made;
        };
        for (int polygon = 0; polygon < GetPolygonCount(); ++polygon)
        {
            const int start = GetPolygonVertexIndex(polygon);
            const int size = GetPolygonSize(polygon);
            for (int corner = 0; corner < size; ++corner)
            {
                const size_t polygonVertex = static_cast<size_t>(start + corner);
                const int normal = normals->GetDirectIndex(controlPointOf(polygonVertex), start + corner, polygon, normalValues.size());
                int& result = frameOf[polygonVertex];
                result = static_cast<int>(resultFor(static_cast<uint32_t>(result), normal));
            }
        }
        tangents->myIndices = std::move(frameOf);
        binormals->myIndices = tangents->myIndices;
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
