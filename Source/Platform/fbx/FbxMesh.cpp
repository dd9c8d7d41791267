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

        // A layer element's GetDirectIndex with its mode and arrays held apart from the element: the
        // per-corner loops write int arrays, which would otherwise make every call re-read them.
        class CornerIndexer
        {
        public:
            CornerIndexer(const LayerElement& aElement, size_t aDirectCount)
                : myMode(aElement.GetMappingMode()), myIndexed(aElement.GetReferenceMode() != ReferenceMode::Direct),
                  myIndices(aElement.GetIndexArray().data()), myIndexCount(aElement.GetIndexArray().size()), myDirectCount(aDirectCount)
            {
            }

            int operator()(int aControlPoint, int aPolygonVertex, int aPolygon) const
            {
                int index = -1;
                switch (myMode)
                {
                case MappingMode::ByControlPoint: index = aControlPoint; break;
                case MappingMode::ByPolygonVertex: index = aPolygonVertex; break;
                case MappingMode::ByPolygon: index = aPolygon; break;
                case MappingMode::AllSame: index = 0; break;
                default: return -1;
                }
                if (index < 0)
                    return -1;
                if (myIndexed)
                {
                    if (static_cast<size_t>(index) >= myIndexCount)
                        return -1;
                    index = myIndices[index];
                    if (index < 0)
                        return -1;
                }
                return static_cast<size_t>(index) < myDirectCount ? index : -1;
            }

        private:
            MappingMode myMode;
            bool myIndexed;
            const int* myIndices;
            size_t myIndexCount;
            size_t myDirectCount;
        };

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
        const LayerElementUV& uvElement = *myUVs[static_cast<size_t>(aUvSet)];
        const Vector4* normalValues = normals.GetDirectArray().data();
        const Vector2* uvs = uvElement.GetDirectArray().data();
        const CornerIndexer normalOfCorner(normals, normals.GetDirectArray().size());
        const CornerIndexer uvOfCorner(uvElement, uvElement.GetDirectArray().size());

        const int* polygonStarts = myPolygonStarts.data();
        const int* cornerPoints = myPolygonVertices.data();
        const Vector4* points = myControlPoints.data();
        const int polygonCount = GetPolygonCount();
        const int pointCount = GetControlPointsCount();
        const size_t cornerCount = myPolygonVertices.size();
        // Each corner's control point, -1 when out of range (as GetPolygonVertex reads it).
        auto controlPointOf = [&](int aCorner) {
            const int controlPoint = cornerPoints[aCorner];
            return controlPoint >= 0 && controlPoint < pointCount ? controlPoint : -1;
        };
        auto polygonEnd = [&](int aPolygon) { return aPolygon + 1 < polygonCount ? polygonStarts[aPolygon + 1] : static_cast<int>(cornerCount); };

        // Corners that share control point, UV and normal share one smooth tangent frame.
        struct Key
        {
            int controlPoint;
            int uv;
            int normal;  // index into the normals' direct array, -1 for none
        };
        // A corner's normal without w; zero when it has none.
        auto normalOf = [&](int aNormal) {
            if (aNormal < 0)
                return Vector4();
            const Vector4& normal = normalValues[aNormal];
            return Vector4(normal.x, normal.y, normal.z, 0.0);
        };
        // Normals compare by value (-0 equals +0, NaN equals nothing).
        auto sameKey = [&](const Key& aFirst, const Key& aSecond) {
            if (aFirst.controlPoint != aSecond.controlPoint || aFirst.uv != aSecond.uv)
                return false;
            const Vector4 first = normalOf(aFirst.normal);
            const Vector4 second = normalOf(aSecond.normal);
            return first.x == second.x && first.y == second.y && first.z == second.z;
        };
        // Sums of the UV-space directions; w is never read, so it is not summed.
        struct Frame
        {
            double tangent[3] = {0.0, 0.0, 0.0};
            double binormal[3] = {0.0, 0.0, 0.0};
        };
        // Each corner's frame; later each corner's result instead, which becomes the tangents' index array.
        std::vector<int> frameOf(cornerCount);
        std::vector<Frame> frames;
        // The key of every frame, with the control point's next older frame and how many it has up to this one.
        struct FrameKey
        {
            Key key;
            uint32_t older;
            uint32_t depth;
        };
        std::vector<FrameKey> frameKeys;
        constexpr uint32_t EMPTY = UINT32_MAX;
        frames.reserve(std::min(cornerCount, myControlPoints.size()));
        frameKeys.reserve(std::min(cornerCount, myControlPoints.size()));

        // A control point's frames are found by walking its few frames, newest first. Control points
        // with many (and corners naming none) go through an open-addressed table of their keys instead,
        // made only when needed and kept at most half full.
        constexpr uint32_t MOST_WALKED = 8;
        std::vector<uint32_t> newestFrame(myControlPoints.size(), EMPTY);
        std::vector<uint32_t> slots;
        std::vector<uint32_t> hashed;  // the frames in the table
        auto hashOf = [&](const Key& aKey) {
            uint64_t hash = (static_cast<uint64_t>(static_cast<uint32_t>(aKey.controlPoint)) << 32) ^ static_cast<uint32_t>(aKey.uv);
            const Vector4 normal = normalOf(aKey.normal);
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
        auto place = [&](uint32_t aFrame) {
            const size_t mask = slots.size() - 1;
            size_t slot = static_cast<size_t>(hashOf(frameKeys[aFrame].key)) & mask;
            while (slots[slot] != EMPTY)
                slot = (slot + 1) & mask;
            slots[slot] = aFrame;
        };
        auto addToTable = [&](uint32_t aFrame) {
            if ((hashed.size() + 1) * 2 > slots.size())
            {
                slots.assign(std::max<size_t>(16, slots.size() * 2), EMPTY);
                for (uint32_t frame : hashed)
                    place(frame);
            }
            hashed.push_back(aFrame);
            place(aFrame);
        };
        auto newFrame = [&](const Key& aKey, uint32_t aOlder, uint32_t aDepth) {
            frames.emplace_back();
            frameKeys.push_back({aKey, aOlder, aDepth});
            return static_cast<uint32_t>(frames.size() - 1);
        };
        auto findInTable = [&](const Key& aKey) {
            if (slots.empty())
                return EMPTY;
            const size_t mask = slots.size() - 1;
            for (size_t slot = static_cast<size_t>(hashOf(aKey)) & mask; slots[slot] != EMPTY; slot = (slot + 1) & mask)
                if (sameKey(frameKeys[slots[slot]].key, aKey))
                    return slots[slot];
            return EMPTY;
        };
        auto frameFor = [&](const Key& aKey) {
            if (aKey.controlPoint < 0)
            {
                uint32_t frame = findInTable(aKey);
                if (frame == EMPTY)
                {
                    frame = newFrame(aKey, EMPTY, 1);
                    addToTable(frame);
                }
                return frame;
            }
            uint32_t& newest = newestFrame[static_cast<size_t>(aKey.controlPoint)];
            const uint32_t depth = newest == EMPTY ? 0 : frameKeys[newest].depth;
            if (depth <= MOST_WALKED)
            {
                for (uint32_t frame = newest; frame != EMPTY; frame = frameKeys[frame].older)
                    if (sameKey(frameKeys[frame].key, aKey))
                        return frame;
            }
            else if (const uint32_t frame = findInTable(aKey); frame != EMPTY)
                return frame;
            const uint32_t frame = newFrame(aKey, newest, depth + 1);
            newest = frame;
            if (depth + 1 == MOST_WALKED + 1)
            {
                // From now on this control point is looked up in the table, which needs all its frames.
                for (uint32_t older = frame; older != EMPTY; older = frameKeys[older].older)
                    addToTable(older);
            }
            else if (depth + 1 > MOST_WALKED + 1)
                addToTable(frame);
            return frame;
        };

        auto positionOf = [&](int aControlPoint) { return aControlPoint >= 0 ? points[aControlPoint] : Vector4(); };
        // Adds one fan triangle's UV-space directions to its three corners' frames.
        auto addTriangle = [&](const Key* someKeys, const int* someCorners) {
            Vector4 positions[3];
            Vector2 texture[3];
            for (int i = 0; i < 3; ++i)
            {
                if (someKeys[i].uv < 0)
                    return;
                positions[i] = positionOf(someKeys[i].controlPoint);
                texture[i] = uvs[someKeys[i].uv];
            }
            const Vector4 edge1 = positions[1] - positions[0];
            const Vector4 edge2 = positions[2] - positions[0];
            const double du1 = texture[1].x - texture[0].x, dv1 = texture[1].y - texture[0].y;
            const double du2 = texture[2].x - texture[0].x, dv2 = texture[2].y - texture[0].y;
            const double determinant = du1 * dv2 - du2 * dv1;
            if (std::abs(determinant) < 1e-20)
                return;
            const double inverse = 1.0 / determinant;
            const Vector4 tangent = (edge1 * dv2 - edge2 * dv1) * inverse;
            const Vector4 binormal = (edge2 * du1 - edge1 * du2) * inverse;
            for (int i = 0; i < 3; ++i)
            {
                Frame& frame = frames[static_cast<size_t>(frameOf[static_cast<size_t>(someCorners[i])])];
                frame.tangent[0] += tangent.x;
                frame.tangent[1] += tangent.y;
                frame.tangent[2] += tangent.z;
                frame.binormal[0] += binormal.x;
                frame.binormal[1] += binormal.y;
                frame.binormal[2] += binormal.z;
            }
        };
        std::vector<Key> polygonKeys;  // the keys of the current polygon's corners
        for (int polygon = 0; polygon < polygonCount; ++polygon)
        {
            const int start = polygonStarts[polygon];
            const int size = polygonEnd(polygon) - start;
            if (size <= 0)
                continue;
            polygonKeys.resize(static_cast<size_t>(size));
            for (int corner = 0; corner < size; ++corner)
            {
                const int controlPoint = controlPointOf(start + corner);
                const Key& key = polygonKeys[static_cast<size_t>(corner)] = {
                    controlPoint, uvOfCorner(controlPoint, start + corner, polygon), normalOfCorner(controlPoint, start + corner, polygon)};
                frameOf[static_cast<size_t>(start + corner)] = static_cast<int>(frameFor(key));
            }
            // Each fan triangle adds its UV-space directions to its three corners.
            for (int corner = 1; corner + 1 < size; ++corner)
            {
                const Key keys[3] = {polygonKeys[0], polygonKeys[static_cast<size_t>(corner)], polygonKeys[static_cast<size_t>(corner) + 1]};
                const int corners[3] = {start, start + corner, start + corner + 1};
                addTriangle(keys, corners);
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
            uint32_t& made = madeAt[aFrame];
            if (made != EMPTY && madeWith[made] == aNormal)
                return made;
            const Vector4 keyNormal = normalOf(aNormal);
            const Vector4 madeNormal = made != EMPTY ? normalOf(madeWith[made]) : Vector4();
            if (made != EMPTY && std::memcmp(&madeNormal, &keyNormal, sizeof(Vector4)) == 0)
                return made;
            made = static_cast<uint32_t>(tangents->myValues.size());
            madeWith.push_back(aNormal);
            const Vector4 normal = keyNormal.Normalized3();
            const Frame& frame = frames[aFrame];
            const Vector4 frameTangent(frame.tangent[0], frame.tangent[1], frame.tangent[2]);
            const Vector4 frameBinormal(frame.binormal[0], frame.binormal[1], frame.binormal[2]);
            // Gram-Schmidt against the normal; the sign says whether the UVs are mirrored.
            Vector4 tangent = (frameTangent - normal * normal.Dot3(frameTangent)).Normalized3();
            if (tangent.Length3() == 0.0)
                tangent = normal.Length3() > 0.0 ? AnyPerpendicular(normal) : Vector4(1.0, 0.0, 0.0);
            const double handedness = normal.Cross3(tangent).Dot3(frameBinormal) < 0.0 ? -1.0 : 1.0;
            const Vector4 binormal = normal.Cross3(tangent) * handedness;
            tangents->myValues.emplace_back(tangent.x, tangent.y, tangent.z, handedness);
            binormals->myValues.emplace_back(binormal.x, binormal.y, binormal.z, 0.0);
            return made;
        };
        for (int polygon = 0; polygon < polygonCount; ++polygon)
        {
            const int start = polygonStarts[polygon];
            const int end = polygonEnd(polygon);
            for (int corner = start; corner < end; ++corner)
            {
                const int normal = normalOfCorner(controlPointOf(corner), corner, polygon);
                int& result = frameOf[static_cast<size_t>(corner)];
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
