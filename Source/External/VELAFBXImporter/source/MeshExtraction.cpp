// One mesh node into its material parts: skin influences, vertex assembly, de-duplication and bounds.
#include "ImporterInternal.h"

#include <cstring>
#include <limits>
#include <algorithm>

namespace VelaFBX
{
    namespace
    {
        using namespace Vela::Fbx;

        // The first four influences of one control point, in the order the clusters list them;
        // later ones are dropped, as the vertex has four slots.
        struct Influences
        {
            uint32_t boneIndices[4] = {};
            float weights[4] = {};
            int count = 0;
        };
        // Indexed by control point; indices outside the mesh are never read, so they are not kept.
        using InfluenceTable = std::vector<Influences>;

        void GatherInfluences(const Node* aNode, const Mesh* aMesh, Skeleton& aSkeleton, InfluenceTable& someInfluences)
        {
            const AMatrix geometric(aNode->GetGeometricTranslation(), aNode->GetGeometricRotation(), aNode->GetGeometricScaling());
            const int skinCount = aMesh->GetDeformerCount(DeformerType::Skin);
            for (int d = 0; d < skinCount; ++d)
            {
                const Deformer* deformer = aMesh->GetDeformer(d, DeformerType::Skin);
                const Skin* skin = deformer ? deformer->As<Skin>() : nullptr;
                if (!skin)
                    continue;
                for (int c = 0; c < skin->GetClusterCount(); ++c)
                {
                    const Cluster* cluster = skin->GetCluster(c);
                    // A cluster bound to no bone moves nothing.
                    if (!cluster || !cluster->GetLink())
                        continue;
                    AMatrix transform, transformLink;
                    cluster->GetTransformMatrix(transform);
                    cluster->GetTransformLinkMatrix(transformLink);
                    const AMatrix bind = (transformLink.Inverse() * transform * geometric).Transpose();

                    // A link that is not a known bone acts on bone 0.
                    const uint64_t boneIndex = aSkeleton.boneIndices[StripNamespace(cluster->GetLink()->GetName())];
                    if (boneIndex < aSkeleton.bones.size())
                        ConvertMatrix(bind, aSkeleton.bones[boneIndex].matrix);

                    const int count = cluster->GetControlPointIndicesCount();
                    const int* indices = cluster->GetControlPointIndices();
                    const double* weights = cluster->GetControlPointWeights();
                    for (int k = 0; k < count; ++k)
                    {
                        if (indices[k] < 0 || static_cast<size_t>(indices[k]) >= someInfluences.size())
                            continue;
                        Influences& slots = someInfluences[static_cast<size_t>(indices[k])];
                        if (slots.count == 4)
                            continue;
                        slots.boneIndices[slots.count] = static_cast<uint32_t>(boneIndex);
                        slots.weights[slots.count] = static_cast<float>(weights[k]);
                        ++slots.count;
                    }
                }
            }
        }

        // The node material slot of a polygon. Unmapped, or beyond the node's materials, reads as the
        // first slot, like a mesh without the element, so no geometry is lost.
        int PolygonMaterialSlot(const Node* aNode, const Mesh* aMesh, int aPolygon)
        {
            const LayerElementMaterial* element = aMesh->GetElementMaterial(0);
            if (!element)
                return 0;
            const int index = element->GetMaterialIndex(aPolygon);
            return index < 0 || index >= aNode->GetMaterialCount() ? 0 : index;
        }

        // The direct-array index a by-control-point or by-polygon-vertex layer gives one corner; -1
        // for none (other mappings are not read per vertex).
        template <class T>
        int VertexLayerIndex(const LayerElementOf<T>* aElement, int aControlPoint, int aPolygonVertex)
        {
            if (!aElement)
                return -1;
            const MappingMode mapping = aElement->GetMappingMode();
            if (mapping != MappingMode::ByControlPoint && mapping != MappingMode::ByPolygonVertex)
                return -1;
            return aElement->GetDirectIndex(aControlPoint, aPolygonVertex, -1, aElement->GetDirectArray().size());
        }

        // Everything a corner's vertex is read from besides its control point: corners of one control
        // point with equal sources make equal vertices.
        struct CornerSources
        {
            int uvs[4] = {-1, -1, -1, -1};
            int normal = -1;
            int tangent = -1;
            int binormal = -1;
            int colors[4] = {-1, -1, -1, -1};
            bool operator==(const CornerSources& aOther) const = default;
        };

        void StoreDirection(const LayerElementOf<Vector4>* aElement, int aIndex, float aOut[3])
        {
            if (aIndex < 0)
                return;
            const Vector4& value = aElement->GetDirectArray()[static_cast<size_t>(aIndex)];
            aOut[0] = static_cast<float>(value.x);
            aOut[1] = static_cast<float>(value.y);
            aOut[2] = static_cast<float>(value.z);
        }

        struct RunningBox
        {
            float minimum[3] = {};
            float maximum[3] = {};

            void Widen(const float aPosition[4])
            {
                for (int axis = 0; axis < 3; ++axis)
                {
                    minimum[axis] = std::min(minimum[axis], aPosition[axis]);
                    maximum[axis] = std::max(maximum[axis], aPosition[axis]);
                }
            }

            BoundingBox ToBounds() const
            {
                BoundingBox bounds;
                for (int axis = 0; axis < 3; ++axis)
                {
                    bounds.halfExtents[axis] = (maximum[axis] - minimum[axis]) * 0.5f;
                    bounds.centre[axis] = (maximum[axis] + minimum[axis]) * 0.5f;
                }
                bounds.largestHalfExtent = std::max(bounds.halfExtents[0], std::max(bounds.halfExtents[1], bounds.halfExtents[2]));
                return bounds;
            }
        };
    }

    bool ExtractMesh(const Scene* aScene, const Node* aNode, Skeleton& aSkeleton, std::vector<ImportedMesh>& someOut,
                     bool aDeduplicate)
    {
        const Mesh* mesh = aNode->GetMesh();
        if (!mesh)
            return true;
        const int materialCount = aNode->GetMaterialCount();
        someOut.reserve(someOut.size() + static_cast<size_t>(std::max(materialCount, 1)));

        InfluenceTable influences;
        if (!aSkeleton.bones.empty())
        {
            influences.resize(static_cast<size_t>(mesh->GetControlPointsCount()));
            GatherInfluences(aNode, mesh, aSkeleton, influences);
        }

        const int polygonCount = mesh->GetPolygonCount();
        const int uvSetCount = std::min(mesh->GetElementUVCount(), 4);
        const int colorSetCount = std::min(mesh->GetElementVertexColorCount(), 4);
        const LayerElementNormal* normals = mesh->GetElementNormal(0);
        const LayerElementTangent* tangents = mesh->GetElementTangent(0);
        const LayerElementBinormal* binormals = mesh->GetElementBinormal(0);
        const LayerElementUV* uvSets[4] = {};
        const LayerElementVertexColor* colorSets[4] = {};
        for (int set = 0; set < uvSetCount; ++set)
            uvSets[set] = mesh->GetElementUV(set);
        for (int set = 0; set < colorSetCount; ++set)
            colorSets[set] = mesh->GetElementVertexColor(set);
        const std::vector<Vector4>& controlPoints = mesh->GetControlPoints();
        const std::vector<int>& cornerControlPoints = mesh->GetPolygonVertices();

        // Shared by all parts of the node, so every part's box spans the whole node.
        RunningBox box;
        VertexDeduplicator seen;
        constexpr uint32_t NO_INDEX = UINT32_MAX;
        struct LatestCorner
        {
            CornerSources sources;
            uint32_t index = NO_INDEX;
        };
        std::vector<LatestCorner> latestCorners;  // by control point, within the current part

        // Each polygon's material, looked up once; parts then reserve exactly their own share.
        std::vector<const Vela::Fbx::Material*> polygonMaterials;
        if (materialCount > 0)
        {
            polygonMaterials.resize(static_cast<size_t>(polygonCount));
            for (int p = 0; p < polygonCount; ++p)
                polygonMaterials[static_cast<size_t>(p)] = aNode->GetMaterial(PolygonMaterialSlot(aNode, mesh, p));
        }

        const int partCount = std::max(materialCount, 1);
        for (int m = 0; m < partCount; ++m)
        {
            ImportedMesh part;
            part.name = aNode->GetName();
            const Vela::Fbx::Material* partMaterial = materialCount > 0 ? aNode->GetMaterial(m) : nullptr;
            const int sceneIndex = partMaterial ? aScene->GetMaterialIndex(partMaterial) : -1;
            part.materialIndex = sceneIndex < 0 ? 0 : static_cast<uint64_t>(sceneIndex);
            const size_t partPolygons = materialCount > 0 ? static_cast<size_t>(std::count(polygonMaterials.begin(), polygonMaterials.end(), partMaterial))
                                                          : static_cast<size_t>(polygonCount);
            part.vertices.reserve(partPolygons * 3);
            part.indices.reserve(partPolygons * 3);
            if (aDeduplicate)
            {
                seen.Reset(partPolygons * 3, controlPoints.size());
                latestCorners.assign(controlPoints.size(), LatestCorner());
            }

            for (int p = 0; p < polygonCount; ++p)
            {
                if (mesh->GetPolygonSize(p) < 3)
                    continue;
                if (materialCount > 0 && polygonMaterials[static_cast<size_t>(p)] != partMaterial)
                    continue;
                const int firstCorner = mesh->GetPolygonVertexIndex(p);
                for (int k = 0; k < 3; ++k)
                {
                    const int polygonVertex = firstCorner + k;
                    // Corners naming no control point of the mesh are left out.
                    const int controlPoint = cornerControlPoints[static_cast<size_t>(polygonVertex)];
                    if (controlPoint < 0 || static_cast<size_t>(controlPoint) >= controlPoints.size())
                        continue;
                    CornerSources sources;
                    for (int set = 0; set < uvSetCount; ++set)
                        sources.uvs[set] = uvSets[set]->GetDirectIndex(controlPoint, polygonVertex, p, uvSets[set]->GetDirectArray().size());
                    sources.normal = VertexLayerIndex(normals, controlPoint, polygonVertex);
                    sources.tangent = VertexLayerIndex(tangents, controlPoint, polygonVertex);
                    sources.binormal = VertexLayerIndex(binormals, controlPoint, polygonVertex);
                    for (int set = 0; set < colorSetCount; ++set)
                        sources.colors[set] = VertexLayerIndex(colorSets[set], controlPoint, polygonVertex);
                    // A corner repeating its control point's latest sources repeats its vertex and index.
                    LatestCorner* latest = aDeduplicate ? &latestCorners[static_cast<size_t>(controlPoint)] : nullptr;
                    if (latest && latest->index != NO_INDEX && latest->sources == sources)
                    {
                        part.indices.push_back(latest->index);
                        continue;
                    }

                    Vertex vertex;
                    const Vector4& position = controlPoints[static_cast<size_t>(controlPoint)];
                    vertex.position[0] = static_cast<float>(position.x);
                    vertex.position[1] = static_cast<float>(position.y);
                    vertex.position[2] = static_cast<float>(position.z);
                    vertex.position[3] = static_cast<float>(position.w);

                    for (int set = 0; set < uvSetCount; ++set)
                        if (sources.uvs[set] >= 0)
                        {
                            const Vector2& uv = uvSets[set]->GetDirectArray()[static_cast<size_t>(sources.uvs[set])];
                            vertex.uvs[set][0] = static_cast<float>(uv.x);
                            vertex.uvs[set][1] = static_cast<float>(1.0 - uv.y);
                        }

                    StoreDirection(normals, sources.normal, vertex.normal);
                    StoreDirection(tangents, sources.tangent, vertex.tangent);
                    StoreDirection(binormals, sources.binormal, vertex.binormal);

                    for (int set = 0; set < colorSetCount; ++set)
                    {
                        const Color color = sources.colors[set] >= 0 ? colorSets[set]->GetDirectArray()[static_cast<size_t>(sources.colors[set])] : Color();
                        vertex.colors[set][0] = static_cast<float>(color.r);
                        vertex.colors[set][1] = static_cast<float>(color.g);
                        vertex.colors[set][2] = static_cast<float>(color.b);
                        vertex.colors[set][3] = static_cast<float>(color.a);
                    }

                    // Weights as stored; no renormalisation.
                    if (static_cast<size_t>(controlPoint) < influences.size())
                    {
                        const Influences& slots = influences[static_cast<size_t>(controlPoint)];
                        for (int slot = 0; slot < slots.count; ++slot)
                        {
                            vertex.boneIndices[slot] = slots.boneIndices[slot];
                            vertex.boneWeights[slot] = slots.weights[slot];
                        }
                    }

                    box.Widen(vertex.position);

                    if (!aDeduplicate)
                    {
                        part.indices.push_back(static_cast<uint32_t>(part.vertices.size()));
                        part.vertices.push_back(vertex);
                        continue;
                    }
                    const uint32_t index = seen.Add(vertex, static_cast<uint32_t>(controlPoint), part.vertices);
                    part.indices.push_back(index);
                    *latest = {sources, index};
                }
            }

            if (part.vertices.empty())
                continue;
            part.bounds = box.ToBounds();
            part.box = MakeMinMaxBox(part.bounds.centre, part.bounds.halfExtents);
            someOut.push_back(std::move(part));
        }
        return true;
    }
}
