// One mesh node into its material parts: skin influences, vertex assembly, de-duplication and bounds.
#include "ImporterInternal.h"

#include "Platform/fbx/FbxParallel.h"

#include <cstring>
#include <limits>
#include <new>
#include <algorithm>
#include <type_traits>

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

        // What a corner's layer index is read by: its control point, its own number, its polygon, or none
        // (entry 0), in the order CornerLayer::Index is given them.
        enum class CornerArgument : uint8_t { ControlPoint, Corner, Polygon, First };

        // One layer's mapping, resolved once per mesh into the way a corner finds its direct-array index
        // (as LayerElement::GetDirectIndex does, without working out the modes for every corner).
        struct CornerLayer
        {
            CornerArgument argument = CornerArgument::First;
            const int* indices = nullptr;  // read through these when the layer is indexed
            // Lengths, at most 2^31: then an int read as unsigned is below them exactly when it is in range.
            uint32_t indexCount = 0;
            uint32_t directCount = 0;

            // False when the layer maps nothing. aVertexOnly: only by-control-point and by-polygon-vertex
            // layers are read (the others are not per vertex).
            static bool Resolve(const LayerElement* aElement, size_t aDirectCount, bool aVertexOnly, CornerLayer& aOut)
            {
                if (!aElement)
                    return false;
                switch (aElement->GetMappingMode())
                {
                case MappingMode::ByControlPoint: aOut.argument = CornerArgument::ControlPoint; break;
                case MappingMode::ByPolygonVertex: aOut.argument = CornerArgument::Corner; break;
                case MappingMode::ByPolygon: aOut.argument = CornerArgument::Polygon; break;
                case MappingMode::AllSame: aOut.argument = CornerArgument::First; break;
                default: return false;
                }
                if (aVertexOnly && aOut.argument != CornerArgument::ControlPoint && aOut.argument != CornerArgument::Corner)
                    return false;
                constexpr size_t LIMIT = size_t{1} << 31;
                if (aElement->GetReferenceMode() != ReferenceMode::Direct)
                {
                    aOut.indices = aElement->GetIndexArray().data();
                    aOut.indexCount = static_cast<uint32_t>(std::min(aElement->GetIndexArray().size(), LIMIT));
                }
                aOut.directCount = static_cast<uint32_t>(std::min(aDirectCount, LIMIT));
                return true;
            }

            // -1 for none; someArguments by CornerArgument, never negative.
            int Index(const int someArguments[4]) const
            {
                uint32_t index = static_cast<uint32_t>(someArguments[static_cast<size_t>(argument)]);
                if (indices)
                {
                    if (index >= indexCount)
                        return -1;
                    index = static_cast<uint32_t>(indices[index]);
                }
                return index < directCount ? static_cast<int>(index) : -1;
            }
        };

        using CornerSources = MeshScratch::CornerSources;

        constexpr size_t UV_SLOT = 0, NORMAL_SLOT = 4, TANGENT_SLOT = 5, BINORMAL_SLOT = 6, COLOR_SLOT = 7;

        void StoreDirection(const std::vector<Vector4>& someValues, int aIndex, float aOut[3])
        {
            if (aIndex < 0)
                return;
            const Vector4& value = someValues[static_cast<size_t>(aIndex)];
            aOut[0] = static_cast<float>(value.x);
            aOut[1] = static_cast<float>(value.y);
            aOut[2] = static_cast<float>(value.z);
        }

        void StorePosition(const Vector4& aPoint, float aOut[4])
        {
            aOut[0] = static_cast<float>(aPoint.x);
            aOut[1] = static_cast<float>(aPoint.y);
            aOut[2] = static_cast<float>(aPoint.z);
            aOut[3] = static_cast<float>(aPoint.w);
        }

        // A mesh's layers as its corners read them, and the vertex a corner makes. Corners of one control
        // point with equal sources make equal vertices.
        class CornerReader
        {
        public:
            CornerReader(const Mesh& aMesh, const InfluenceTable& someInfluences)
                : myControlPoints(aMesh.GetControlPoints()), myInfluences(someInfluences)
            {
                myUvSetCount = std::min(aMesh.GetElementUVCount(), 4);
                myColorSetCount = std::min(aMesh.GetElementVertexColorCount(), 4);
                for (int set = 0; set < myUvSetCount; ++set)
                {
                    const LayerElementUV* uvs = aMesh.GetElementUV(set);
                    myUvs[set] = &uvs->GetDirectArray();
                    AddLayer(UV_SLOT + static_cast<size_t>(set), uvs, uvs->GetDirectArray().size(), false);
                }
                myNormals = AddDirections(NORMAL_SLOT, aMesh.GetElementNormal(0));
                myTangents = AddDirections(TANGENT_SLOT, aMesh.GetElementTangent(0));
                myBinormals = AddDirections(BINORMAL_SLOT, aMesh.GetElementBinormal(0));
                for (int set = 0; set < myColorSetCount; ++set)
                    if (const LayerElementVertexColor* colors = aMesh.GetElementVertexColor(set))
                    {
                        myColors[set] = &colors->GetDirectArray();
                        AddLayer(COLOR_SLOT + static_cast<size_t>(set), colors, colors->GetDirectArray().size(), true);
                    }
            }

            size_t LayerCount() const { return myLayerCount; }

            // The hashed values (VertexDeduplicator order) BuildVertex never sets: zero in every vertex it makes.
            uint64_t ZeroValues() const
            {
                constexpr size_t COLORS = 3, UVS = COLORS + 16, NORMAL = UVS + 8, TANGENT = NORMAL + 3, BINORMAL = TANGENT + 3,
                                 BONES = BINORMAL + 3;
                auto range = [](size_t aFirst, size_t aCount) { return ((uint64_t{1} << aCount) - 1) << aFirst; };
                uint64_t zero = range(COLORS + 4 * static_cast<size_t>(myColorSetCount), 4 * (4 - static_cast<size_t>(myColorSetCount))) |
                                range(UVS + 2 * static_cast<size_t>(myUvSetCount), 2 * (4 - static_cast<size_t>(myUvSetCount)));
                if (!myNormals)
                    zero |= range(NORMAL, 3);
                if (!myTangents)
                    zero |= range(TANGENT, 3);
                if (!myBinormals)
                    zero |= range(BINORMAL, 3);
                if (myInfluences.empty())
                    zero |= range(BONES, 8);
                return zero;
            }

            // The mapping layers' indices in their order (the rest of aOut is not read).
            void Sources(int aControlPoint, int aCorner, int aPolygon, CornerSources& aOut) const
            {
                const int arguments[4] = {aControlPoint, aCorner, aPolygon, 0};
                for (size_t i = 0; i < myLayerCount; ++i)
                    aOut[i] = myLayers[i].Index(arguments);
            }
            // The same for a mesh of LAYERS mapping layers, unrolled; BY_CORNER when they are all IndexedByCorner.
            template <size_t LAYERS, bool BY_CORNER>
            void Sources(int aControlPoint, int aCorner, int aPolygon, CornerSources& aOut) const
            {
                const int arguments[4] = {aControlPoint, aCorner, aPolygon, 0};
#pragma GCC unroll 11
                for (size_t i = 0; i < LAYERS; ++i)
                {
                    if constexpr (BY_CORNER)
                    {
                        const uint32_t index = static_cast<uint32_t>(myLayers[i].indices[aCorner]);
                        aOut[i] = index < myLayers[i].directCount ? static_cast<int>(index) : -1;
                    }
                    else
                        aOut[i] = myLayers[i].Index(arguments);
                }
            }

            // Whether every mapping layer is read by corner through an index array covering all aCornerCount
            // corners (the usual layout), so a corner's index needs no more than one look-up.
            bool IndexedByCorner(size_t aCornerCount) const
            {
                for (size_t i = 0; i < myLayerCount; ++i)
                    if (myLayers[i].argument != CornerArgument::Corner || !myLayers[i].indices || myLayers[i].indexCount < aCornerCount)
                        return false;
                return true;
            }

            // Only the position, for the running box.
            void Position(int aControlPoint, float aOut[4]) const { StorePosition(myControlPoints[static_cast<size_t>(aControlPoint)], aOut); }

            void BuildVertex(int aControlPoint, const CornerSources& someSources, Vertex& aOut) const
            {
                Position(aControlPoint, aOut.position);
                for (int set = 0; set < myUvSetCount; ++set)
                    if (const int index = At(someSources, UV_SLOT + static_cast<size_t>(set)); index >= 0)
                    {
                        const Vector2& uv = (*myUvs[set])[static_cast<size_t>(index)];
                        aOut.uvs[set][0] = static_cast<float>(uv.x);
                        aOut.uvs[set][1] = static_cast<float>(1.0 - uv.y);
                    }
                if (myNormals)
                    StoreDirection(*myNormals, At(someSources, NORMAL_SLOT), aOut.normal);
                if (myTangents)
                    StoreDirection(*myTangents, At(someSources, TANGENT_SLOT), aOut.tangent);
                if (myBinormals)
                    StoreDirection(*myBinormals, At(someSources, BINORMAL_SLOT), aOut.binormal);
                for (int set = 0; set < myColorSetCount; ++set)
                {
                    const int index = At(someSources, COLOR_SLOT + static_cast<size_t>(set));
                    const Color color = index >= 0 ? (*myColors[set])[static_cast<size_t>(index)] : Color();
                    aOut.colors[set][0] = static_cast<float>(color.r);
                    aOut.colors[set][1] = static_cast<float>(color.g);
                    aOut.colors[set][2] = static_cast<float>(color.b);
                    aOut.colors[set][3] = static_cast<float>(color.a);
                }
                // Weights as stored; no renormalisation.
                if (static_cast<size_t>(aControlPoint) < myInfluences.size())
                {
                    const Influences& slots = myInfluences[static_cast<size_t>(aControlPoint)];
                    for (int slot = 0; slot < slots.count; ++slot)
                    {
                        aOut.boneIndices[slot] = slots.boneIndices[slot];
                        aOut.boneWeights[slot] = slots.weights[slot];
                    }
                }
            }

        private:
            void AddLayer(size_t aSlot, const LayerElement* aElement, size_t aDirectCount, bool aVertexOnly)
            {
                if (CornerLayer::Resolve(aElement, aDirectCount, aVertexOnly, myLayers[myLayerCount]))
                    myPositions[aSlot] = static_cast<int>(myLayerCount++);
            }

            // Where a value slot's index is among a corner's sources.
            int At(const CornerSources& someSources, size_t aSlot) const { return myPositions[aSlot] < 0 ? -1 : someSources[static_cast<size_t>(myPositions[aSlot])]; }

            const std::vector<Vector4>* AddDirections(size_t aSlot, const LayerElementOf<Vector4>* aElement)
            {
                if (!aElement)
                    return nullptr;
                AddLayer(aSlot, aElement, aElement->GetDirectArray().size(), true);
                return &aElement->GetDirectArray();
            }

            const std::vector<Vector4>& myControlPoints;
            const InfluenceTable& myInfluences;
            int myUvSetCount = 0;
            int myColorSetCount = 0;
            const std::vector<Vector2>* myUvs[4] = {};
            const std::vector<Color>* myColors[4] = {};
            const std::vector<Vector4>* myNormals = nullptr;
            const std::vector<Vector4>* myTangents = nullptr;
            const std::vector<Vector4>* myBinormals = nullptr;
            // Only the layers that map anything; by value slot, the layer's position among them (or -1).
            CornerLayer myLayers[MeshScratch::LAYER_SLOTS];
            size_t myLayerCount = 0;
            int myPositions[MeshScratch::LAYER_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
        };

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

        // A part's corners, in order: each becomes a vertex, all kept.
        void ExtractAllCorners(const CornerReader& aReader, const std::vector<int>& someCorners, size_t aPolygon, size_t aFirstCorner,
                               RunningBox& aBox, ImportedMesh& aPart, size_t aControlPointCount)
        {
            for (size_t k = 0; k < 3; ++k)
            {
                const int corner = static_cast<int>(aFirstCorner + k);
                // Corners naming no control point of the mesh are left out.
                const int controlPoint = someCorners[static_cast<size_t>(corner)];
                if (controlPoint < 0 || static_cast<size_t>(controlPoint) >= aControlPointCount)
                    continue;
                CornerSources sources;
                aReader.Sources(controlPoint, corner, static_cast<int>(aPolygon), sources);
                Vertex& vertex = aPart.vertices.emplace_back();
                aReader.BuildVertex(controlPoint, sources, vertex);
                aBox.Widen(vertex.position);
                aPart.indices.push_back(static_cast<uint32_t>(aPart.vertices.size() - 1));
            }
        }

        // Corners repeating their control point's latest sources (in this part) repeat its vertex; the others
        // are candidates, whose vertices are hashed. someIndices gets each corner's candidate.
        template <size_t LAYERS, bool BY_CORNER, class InPart>
        void FindCandidates(const CornerReader& aReader, const std::vector<int>& someCorners, const std::vector<int>& somePolygonStarts,
                            size_t aControlPointCount, const InPart& aInPart, MeshScratch& aScratch, std::vector<uint32_t>& someIndices)
        {
            const uint32_t stamp = aScratch.partStamp;
            for (size_t p = 0; p < somePolygonStarts.size(); ++p)
            {
                if (!aInPart(p))
                    continue;
                const int firstCorner = somePolygonStarts[p];
                for (int k = 0; k < 3; ++k)
                {
                    const int corner = firstCorner + k;
                    // Corners naming no control point of the mesh are left out.
                    const int controlPoint = someCorners[static_cast<size_t>(corner)];
                    if (controlPoint < 0 || static_cast<size_t>(controlPoint) >= aControlPointCount)
                        continue;
                    CornerSources sources;
                    aReader.Sources<LAYERS, BY_CORNER>(controlPoint, corner, static_cast<int>(p), sources);
                    MeshScratch::LatestCorner& latest = aScratch.latestCorners[static_cast<size_t>(controlPoint)];
                    bool same = latest.partStamp == stamp;
#pragma GCC unroll 11
                    for (size_t i = 0; i < LAYERS; ++i)
                        same &= latest.sources[i] == sources[i];
                    if (same)
                    {
                        someIndices.push_back(latest.candidate);
                        continue;
                    }
                    const uint32_t candidate = static_cast<uint32_t>(aScratch.candidates.size());
                    aScratch.candidates.push_back({controlPoint, corner, static_cast<int>(p)});
                    latest.partStamp = stamp;
                    latest.candidate = candidate;
#pragma GCC unroll 11
                    for (size_t i = 0; i < LAYERS; ++i)
                        latest.sources[i] = sources[i];
                    someIndices.push_back(candidate);
                }
            }
        }

        // The hashes of the part's candidate vertices, independent of one another. With someKept (empty) the
        // vertices are made there, one per candidate, rather than made again later. On one thread they are
        // appended as they are made, so the array is written once, not zero-filled first.
        template <size_t LAYERS, bool BY_CORNER>
        void HashCandidates(const CornerReader& aReader, MeshScratch& aScratch, std::vector<Vertex>* someKept)
        {
            const size_t count = aScratch.candidates.size();
            aScratch.candidateHashes.resize(count);
            const uint64_t zeroValues = aReader.ZeroValues();
            constexpr size_t BATCH = 16;
            // Fewer candidates than a range hash faster here than the pool wakes.
            constexpr size_t CANDIDATES_PER_RANGE = 4096;
            const bool inOrder = count <= CANDIDATES_PER_RANGE || Vela::Fbx::ParallelThreadCount() == 1;
            if (someKept)
            {
                if (inOrder)
                    someKept->reserve(count);
                else
                    someKept->resize(count);
            }
            auto hashRange = [&](size_t aBegin, size_t aEnd) {
                Vertex batch[BATCH];
                for (size_t first = aBegin; first < aEnd; first += BATCH)
                {
                    const size_t batchSize = std::min(BATCH, aEnd - first);
                    if (someKept && inOrder)
                        someKept->resize(first + batchSize);
                    Vertex* vertices = someKept ? someKept->data() + first : batch;
                    for (size_t i = 0; i < batchSize; ++i)
                    {
                        const MeshScratch::Candidate& candidate = aScratch.candidates[first + i];
                        CornerSources sources{};  // past LAYERS never read, but the compiler cannot tell
                        aReader.Sources<LAYERS, BY_CORNER>(candidate.controlPoint, candidate.corner, candidate.polygon, sources);
                        if (!someKept)
                            new (&vertices[i]) Vertex();
                        aReader.BuildVertex(candidate.controlPoint, sources, vertices[i]);
                    }
                    VertexDeduplicator::HashVertices(vertices, batchSize, aScratch.candidateHashes.data() + first, zeroValues);
                }
            };
            if (inOrder)
                hashRange(0, count);
            else
                Vela::Fbx::ParallelFor(count, CANDIDATES_PER_RANGE, hashRange);
        }
        // A part's corners, de-duplicated: each takes the index of the first vertex with its VertexHash.
        template <class InPart>
        void ExtractDeduplicated(const CornerReader& aReader, const std::vector<int>& someCorners, const std::vector<int>& somePolygonStarts,
                                 size_t aControlPointCount, const InPart& aInPart, RunningBox& aBox, ImportedMesh& aPart, MeshScratch& aScratch)
        {
            // aPart.indices holds candidate numbers until the end.
            if (++aScratch.partStamp == 0)
            {
                for (MeshScratch::LatestCorner& latest : aScratch.latestCorners)
                    latest.partStamp = 0;
                aScratch.partStamp = 1;
            }
            if (aScratch.latestCorners.size() < aControlPointCount)
                aScratch.latestCorners.resize(aControlPointCount);
            std::vector<MeshScratch::Candidate>& candidates = aScratch.candidates;
            candidates.clear();
            const bool byCorner = aReader.IndexedByCorner(someCorners.size());
            // Most meshes have about one vertex per control point; candidates far beyond that are mostly
            // repeats, not worth keeping whole.
            bool keepVertices = false;
            auto findAndHashCandidates = [&](auto aLayers) {
                constexpr size_t LAYERS = decltype(aLayers)::value;
                auto findAndHash = [&](auto aByCorner) {
                    constexpr bool BY_CORNER = decltype(aByCorner)::value;
                    FindCandidates<LAYERS, BY_CORNER>(aReader, someCorners, somePolygonStarts, aControlPointCount, aInPart, aScratch, aPart.indices);
                    keepVertices = candidates.size() <= 2 * aControlPointCount;
                    HashCandidates<LAYERS, BY_CORNER>(aReader, aScratch, keepVertices ? &aPart.vertices : nullptr);
                };
                if (byCorner)
                    findAndHash(std::true_type());
                else
                    findAndHash(std::false_type());
            };
            switch (aReader.LayerCount())
            {
            case 0: findAndHashCandidates(std::integral_constant<size_t, 0>()); break;
            case 1: findAndHashCandidates(std::integral_constant<size_t, 1>()); break;
            case 2: findAndHashCandidates(std::integral_constant<size_t, 2>()); break;
            case 3: findAndHashCandidates(std::integral_constant<size_t, 3>()); break;
            case 4: findAndHashCandidates(std::integral_constant<size_t, 4>()); break;
            case 5: findAndHashCandidates(std::integral_constant<size_t, 5>()); break;
            case 6: findAndHashCandidates(std::integral_constant<size_t, 6>()); break;
            case 7: findAndHashCandidates(std::integral_constant<size_t, 7>()); break;
            case 8: findAndHashCandidates(std::integral_constant<size_t, 8>()); break;
            case 9: findAndHashCandidates(std::integral_constant<size_t, 9>()); break;
            case 10: findAndHashCandidates(std::integral_constant<size_t, 10>()); break;
            default: findAndHashCandidates(std::integral_constant<size_t, 11>()); break;
            }

            // In corner order: each candidate takes the index of the first with its hash.
            const size_t candidateCount = candidates.size();
            for (const MeshScratch::Candidate& candidate : candidates)
            {
                float position[4];
                aReader.Position(candidate.controlPoint, position);
                aBox.Widen(position);
            }
            aScratch.deduplicator.Reset(std::min(candidateCount, aControlPointCount));
            aScratch.candidateIndices.resize(candidateCount);
            aScratch.keptCandidates.clear();
            aScratch.deduplicator.AddAll(aScratch.candidateHashes.data(), candidateCount, aScratch.candidateIndices.data(), aScratch.keptCandidates);
            if (keepVertices)
            {
                // Kept candidates are in increasing order, so each moves down (or stays).
                const size_t keptCount = aScratch.keptCandidates.size();
                if (keptCount != candidateCount)
                {
                    for (size_t v = 0; v < keptCount; ++v)
                        if (aScratch.keptCandidates[v] != v)
                            aPart.vertices[v] = aPart.vertices[aScratch.keptCandidates[v]];
                    aPart.vertices.resize(keptCount);
                    if (keptCount * 2 < candidateCount)
                        aPart.vertices.shrink_to_fit();
                }
            }
            else
            {
                aPart.vertices.reserve(aScratch.keptCandidates.size());
                for (const uint32_t c : aScratch.keptCandidates)
                {
                    CornerSources sources;
                    aReader.Sources(candidates[c].controlPoint, candidates[c].corner, candidates[c].polygon, sources);
                    aReader.BuildVertex(candidates[c].controlPoint, sources, aPart.vertices.emplace_back());
                }
            }
            // When every candidate is kept, each is its own vertex, numbered as it came.
            if (aScratch.keptCandidates.size() != candidateCount)
                for (uint32_t& index : aPart.indices)
                    index = aScratch.candidateIndices[index];
        }
    }

    bool ExtractMesh(const Scene* aScene, const Node* aNode, Skeleton& aSkeleton, std::vector<ImportedMesh>& someOut,
                     bool aDeduplicate, MeshScratch& aScratch)
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

        const CornerReader reader(*mesh, influences);
        const size_t polygonCount = static_cast<size_t>(mesh->GetPolygonCount());
        const size_t controlPointCount = mesh->GetControlPoints().size();
        const std::vector<int>& cornerControlPoints = mesh->GetPolygonVertices();
        const std::vector<int>& polygonStarts = mesh->GetPolygonStarts();
        auto polygonEnd = [&](size_t aPolygon) {
            return aPolygon + 1 < polygonCount ? static_cast<size_t>(polygonStarts[aPolygon + 1]) : cornerControlPoints.size();
        };

        // Shared by all parts of the node, so every part's box spans the whole node.
        RunningBox box;

        // Each polygon's material, looked up once; parts then reserve exactly their own share. With one
        // material every polygon reads as it (unmapped and out-of-range slots read as the first).
        std::vector<const Vela::Fbx::Material*> polygonMaterials;
        if (materialCount > 1)
        {
            polygonMaterials.resize(polygonCount);
            for (size_t p = 0; p < polygonCount; ++p)
                polygonMaterials[p] = aNode->GetMaterial(PolygonMaterialSlot(aNode, mesh, static_cast<int>(p)));
        }

        const int partCount = std::max(materialCount, 1);
        for (int m = 0; m < partCount; ++m)
        {
            ImportedMesh part;
            part.name = aNode->GetName();
            const Vela::Fbx::Material* partMaterial = materialCount > 0 ? aNode->GetMaterial(m) : nullptr;
            const int sceneIndex = partMaterial ? aScene->GetMaterialIndex(partMaterial) : -1;
            part.materialIndex = sceneIndex < 0 ? 0 : static_cast<uint64_t>(sceneIndex);
            const size_t partPolygons = materialCount > 1 ? static_cast<size_t>(std::count(polygonMaterials.begin(), polygonMaterials.end(), partMaterial))
                                                          : polygonCount;
            auto inPart = [&](size_t aPolygon) {
                return (materialCount <= 1 || polygonMaterials[aPolygon] == partMaterial) &&
                       static_cast<int64_t>(polygonEnd(aPolygon)) - polygonStarts[aPolygon] >= 3;
            };
            part.indices.reserve(partPolygons * 3);

            if (!aDeduplicate)
            {
                part.vertices.reserve(partPolygons * 3);
                for (size_t p = 0; p < polygonCount; ++p)
                    if (inPart(p))
                        ExtractAllCorners(reader, cornerControlPoints, p, static_cast<size_t>(polygonStarts[p]), box, part, controlPointCount);
            }
            else
                ExtractDeduplicated(reader, cornerControlPoints, polygonStarts, controlPointCount, inPart, box, part, aScratch);

            if (part.vertices.empty())
                continue;
            part.bounds = box.ToBounds();
            part.box = MakeMinMaxBox(part.bounds.centre, part.bounds.halfExtents);
            someOut.push_back(std::move(part));
        }
        return true;
    }
}
