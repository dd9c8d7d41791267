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

        void ReadColor(const LayerElementVertexColor* aElement, int aControlPoint, int aPolygonVertex, float aOut[4])
        {
            Color color;
            const MappingMode mapping = aElement->GetMappingMode();
            if (mapping == MappingMode::ByControlPoint || mapping == MappingMode::ByPolygonVertex)
                aElement->GetValue(aControlPoint, aPolygonVertex, -1, color);
            aOut[0] = static_cast<float>(color.r);
            aOut[1] = static_cast<float>(color.g);
            aOut[2] = static_cast<float>(color.b);
            aOut[3] = static_cast<float>(color.a);
        }

        void StoreDirection(const Vector4& aValue, float aOut[3])
        {
            aOut[0] = static_cast<float>(aValue.x);
            aOut[1] = static_cast<float>(aValue.y);
            aOut[2] = static_cast<float>(aValue.z);
        }

        void GetLayerElementValue(const LayerElementOf<Vector4>* aElement, uint32_t aControlPoint, uint32_t aPolygonVertex,
                                  Vector4& aValue)
        {
            if (!aElement)
                return;
            const MappingMode mapping = aElement->GetMappingMode();
            if (mapping != MappingMode::ByControlPoint && mapping != MappingMode::ByPolygonVertex)
                return;
            Vector4 read;
            if (!aElement->GetValue(static_cast<int>(aControlPoint), static_cast<int>(aPolygonVertex), -1, read))
                return;
            aValue.x = read.x;
            aValue.y = read.y;
            aValue.z = read.z;
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
                seen.Reset(partPolygons * 3, controlPoints.size());

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
                    Vertex vertex;

                    const Vector4& position = controlPoints[static_cast<size_t>(controlPoint)];
                    vertex.position[0] = static_cast<float>(position.x);
                    vertex.position[1] = static_cast<float>(position.y);
                    vertex.position[2] = static_cast<float>(position.z);
                    vertex.position[3] = static_cast<float>(position.w);

                    for (int set = 0; set < uvSetCount; ++set)
                    {
                        Vector2 uv;
                        if (uvSets[set]->GetValue(controlPoint, polygonVertex, p, uv))
                        {
                            vertex.uvs[set][0] = static_cast<float>(uv.x);
                            vertex.uvs[set][1] = static_cast<float>(1.0 - uv.y);
                        }
                    }

                    Vector4 direction;
                    GetLayerElementValue(normals, static_cast<uint32_t>(controlPoint), static_cast<uint32_t>(polygonVertex), direction);
                    StoreDirection(direction, vertex.normal);
                    direction = {};
                    GetLayerElementValue(tangents, static_cast<uint32_t>(controlPoint), static_cast<uint32_t>(polygonVertex), direction);
                    StoreDirection(direction, vertex.tangent);
                    direction = {};
                    GetLayerElementValue(binormals, static_cast<uint32_t>(controlPoint), static_cast<uint32_t>(polygonVertex), direction);
                    StoreDirection(direction, vertex.binormal);

                    for (int set = 0; set < colorSetCount; ++set)
                        ReadColor(colorSets[set], controlPoint, polygonVertex, vertex.colors[set]);

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
                    part.indices.push_back(seen.Add(vertex, static_cast<uint32_t>(controlPoint), part.vertices));
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
