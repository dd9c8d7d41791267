// Moving a mesh's per-corner and per-polygon layer data along with re-ordered corners and polygons.
#include "Platform/fbx/FbxScene.h"

#include <algorithm>

namespace Vela::Fbx
{
    namespace
    {
        // The new corners or polygons a layer element follows; null for data mapped by control
        // point or all-same (which stays as it is), or by polygon when polygons keep their order.
        const std::vector<int>* SourcesFor(const LayerElement& aElement, const std::vector<int>& someCornerSources,
                                           const std::vector<int>* somePolygonSources)
        {
            if (aElement.GetMappingMode() == MappingMode::ByPolygonVertex)
                return &someCornerSources;
            if (aElement.GetMappingMode() == MappingMode::ByPolygon)
                return somePolygonSources;
            return nullptr;
        }

        std::vector<int> GatherIndices(const std::vector<int>& someIndices, const std::vector<int>& someSources)
        {
            std::vector<int> made(someSources.size());
            const int* indices = someIndices.data();
            const size_t indexCount = someIndices.size();
            const int* sources = someSources.data();
            int* out = made.data();
            for (size_t i = 0; i < made.size(); ++i)
            {
                const int source = sources[i];
                out[i] = source >= 0 && static_cast<size_t>(source) < indexCount ? indices[source] : -1;
            }
            return made;
        }

        // Direct data becomes indexed (-1 for the gaps): indices into the values as they stand are much
        // smaller than moved copies of them.
        template <class T>
        void Remap(const std::vector<T>& someValues, std::vector<int>& someIndices, ReferenceMode& aMode, const std::vector<int>& someSources)
        {
            if (aMode != ReferenceMode::Direct)
            {
                someIndices = GatherIndices(someIndices, someSources);
                return;
            }
            aMode = ReferenceMode::IndexToDirect;
            std::vector<int> made(someSources.size());
            const size_t valueCount = someValues.size();
            const int* sources = someSources.data();
            int* out = made.data();
            for (size_t i = 0; i < made.size(); ++i)
            {
                const int source = sources[i];
                out[i] = source >= 0 && static_cast<size_t>(source) < valueCount ? source : -1;
            }
            someIndices = std::move(made);
        }
    }

    void Mesh::RemapCornerData(const std::vector<int>& someCornerSources, const std::vector<int>* somePolygonSources)
    {
        auto remapAll = [&](auto& someElements) {
            for (auto& element : someElements)
                if (const std::vector<int>* sources = SourcesFor(*element, someCornerSources, somePolygonSources))
                    Remap(element->myValues, element->myIndices, element->myReferenceMode, *sources);
        };
        remapAll(myNormals);
        remapAll(myTangents);
        remapAll(myBinormals);
        remapAll(myUVs);
        remapAll(myColors);
        // Material indices live in the index array only.
        for (auto& element : myMaterials)
            if (const std::vector<int>* sources = SourcesFor(*element, someCornerSources, somePolygonSources))
                element->myIndices = GatherIndices(element->myIndices, *sources);
    }

    void Mesh::ReverseCornerOrder()
    {
        // Corner k of a polygon of n corners takes corner n - 1 - k: every polygon keeps its first
        // corner number and size, so polygon starts and per-polygon data are unchanged.
        const size_t cornerCount = myPolygonVertices.size();
        auto reverseEachPolygon = [&](auto& someCornerValues) {
            for (size_t polygon = 0; polygon < myPolygonStarts.size(); ++polygon)
            {
                const size_t start = static_cast<size_t>(myPolygonStarts[polygon]);
                const size_t end = polygon + 1 < myPolygonStarts.size() ? static_cast<size_t>(myPolygonStarts[polygon + 1]) : cornerCount;
                if (start < end && end <= cornerCount)
                    std::reverse(someCornerValues.begin() + static_cast<std::ptrdiff_t>(start), someCornerValues.begin() + static_cast<std::ptrdiff_t>(end));
            }
        };

        // Corner data holding exactly one entry per corner is simply reversed in place, as the general
        // remapping would reverse it; anything else (short or long arrays) goes through that remapping.
        auto exactlyPerCorner = [&](const auto& someElements) {
            for (const auto& element : someElements)
            {
                if (element->GetMappingMode() != MappingMode::ByPolygonVertex)
                    continue;
                const size_t entries = element->myReferenceMode == ReferenceMode::Direct ? element->myValues.size() : element->myIndices.size();
                if (entries != cornerCount)
                    return false;
            }
            return true;
        };
        bool inPlace = exactlyPerCorner(myNormals) && exactlyPerCorner(myTangents) && exactlyPerCorner(myBinormals) &&
                       exactlyPerCorner(myUVs) && exactlyPerCorner(myColors);
        for (const auto& element : myMaterials)
            inPlace = inPlace && (element->GetMappingMode() != MappingMode::ByPolygonVertex || element->myIndices.size() == cornerCount);
        if (inPlace)
        {
            std::vector<int*> ints{myPolygonVertices.data()};
            std::vector<Vector4*> vectors;
            std::vector<Vector2*> uvs;
            std::vector<Color*> colors;
            auto collect = [&](auto& someElements, auto& someValueArrays) {
                for (auto& element : someElements)
                {
                    if (element->GetMappingMode() != MappingMode::ByPolygonVertex)
                        continue;
                    if (element->myReferenceMode == ReferenceMode::Direct)
                        someValueArrays.push_back(element->myValues.data());
                    else
                        ints.push_back(element->myIndices.data());
                }
            };
            collect(myNormals, vectors);
            collect(myTangents, vectors);
            collect(myBinormals, vectors);
            collect(myUVs, uvs);
            collect(myColors, colors);
            for (auto& element : myMaterials)
                if (element->GetMappingMode() == MappingMode::ByPolygonVertex)
                    ints.push_back(element->myIndices.data());

            const size_t polygonCount = myPolygonStarts.size();
            const int* starts = myPolygonStarts.data();
            // A triangulated mesh (polygon p at corner 3p) only swaps the first and last corner of each.
            bool triangles = cornerCount == polygonCount * 3;
            for (size_t polygon = 0; polygon < polygonCount && triangles; ++polygon)
                triangles = starts[polygon] == static_cast<int>(polygon * 3);
            auto reverseRuns = [&](auto* someValues) {
                if (triangles)
                {
                    for (size_t corner = 0; corner < cornerCount; corner += 3)
                        std::swap(someValues[corner], someValues[corner + 2]);
                    return;
                }
                for (size_t polygon = 0; polygon < polygonCount; ++polygon)
                {
                    const size_t start = static_cast<size_t>(starts[polygon]);
                    const size_t end = polygon + 1 < polygonCount ? static_cast<size_t>(starts[polygon + 1]) : cornerCount;
                    if (start < end && end <= cornerCount)
                        std::reverse(someValues + start, someValues + end);
                }
            };
            for (int* values : ints)
                reverseRuns(values);
            for (Vector4* values : vectors)
                reverseRuns(values);
            for (Vector2* values : uvs)
                reverseRuns(values);
            for (Color* values : colors)
                reverseRuns(values);
            return;
        }

        std::vector<int> sources(cornerCount);
        for (size_t corner = 0; corner < sources.size(); ++corner)
            sources[corner] = static_cast<int>(corner);
        reverseEachPolygon(sources);
        std::vector<int> corners(cornerCount);
        for (size_t corner = 0; corner < corners.size(); ++corner)
            corners[corner] = myPolygonVertices[static_cast<size_t>(sources[corner])];
        myPolygonVertices = std::move(corners);
        RemapCornerData(sources, nullptr);
    }
}
