#include "Platform/fbx/FbxScene.h"

#include <array>
#include <cmath>

namespace Vela::Fbx
{
    namespace
    {
        using Triangle = std::array<int, 3>;  // corners of one polygon, in its own winding
        constexpr int MAX_EAR_CLIPPING_CORNERS = 1024;

        struct Point2
        {
            double x, y;
        };

        double Cross(const Point2& aA, const Point2& aB, const Point2& aC)
        {
            return (aB.x - aA.x) * (aC.y - aA.y) - (aB.y - aA.y) * (aC.x - aA.x);
        }

        bool InsideTriangle(const Point2& aPoint, const Point2& aA, const Point2& aB, const Point2& aC)
        {
            // Counter-clockwise triangle; points on an edge count as inside so that no ear is cut across a touching vertex.
            return Cross(aA, aB, aPoint) >= 0.0 && Cross(aB, aC, aPoint) >= 0.0 && Cross(aC, aA, aPoint) >= 0.0;
        }

        void Fan(const std::vector<int>& someCorners, std::vector<Triangle>& someOut)
        {
            for (size_t i = 1; i + 1 < someCorners.size(); ++i)
                someOut.push_back({someCorners[0], someCorners[i], someCorners[i + 1]});
        }

        // Splits one polygon (n > 3) into n - 2 triangles: a fan when convex, ear clipping otherwise.
        void TriangulatePolygon(const std::vector<Vector4>& somePositions, std::vector<Triangle>& someOut)
        {
            const int count = static_cast<int>(somePositions.size());
            std::vector<int> corners(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                corners[static_cast<size_t>(i)] = i;

            // Newell normal; project onto the plane of its largest component.
            Vector4 normal;
            for (int i = 0; i < count; ++i)
            {
                const Vector4& current = somePositions[static_cast<size_t>(i)];
                const Vector4& next = somePositions[static_cast<size_t>((i + 1) % count)];
                normal.x += (current.y - next.y) * (current.z + next.z);
                normal.y += (current.z - next.z) * (current.x + next.x);
                normal.z += (current.x - next.x) * (current.y + next.y);
            }
            const double ax = std::abs(normal.x), ay = std::abs(normal.y), az = std::abs(normal.z);
            if (!(ax + ay + az > 0.0) || !std::isfinite(ax + ay + az))
            {
                Fan(corners, someOut);
                return;
            }
            const int dropped = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
            const int u = (dropped + 1) % 3;
            const int v = (dropped + 2) % 3;
            // Orient so the polygon runs counter-clockwise in the projection.
            const double flip = normal[dropped] < 0.0 ? -1.0 : 1.0;
            std::vector<Point2> points(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                points[static_cast<size_t>(i)] = {somePositions[static_cast<size_t>(i)][u], somePositions[static_cast<size_t>(i)][v] * flip};

            bool convex = true;
            for (int i = 0; i < count && convex; ++i)
                convex = Cross(points[static_cast<size_t>(i)], points[static_cast<size_t>((i + 1) % count)],
                               points[static_cast<size_t>((i + 2) % count)]) >= 0.0;
            // Ear clipping costs O(n^3) in the worst case; huge polygons (only damaged or
            // generated files have them) are fanned instead so loading always finishes.
            if (convex || count > MAX_EAR_CLIPPING_CORNERS)
            {
                Fan(corners, someOut);
                return;
            }

            std::vector<int> remaining = corners;
            while (remaining.size() > 3)
            {
                const size_t size = remaining.size();
                bool clipped = false;
                for (size_t i = 0; i < size; ++i)
                {
                    const int previous = remaining[(i + size - 1) % size];
                    const int current = remaining[i];
                    const int next = remaining[(i + 1) % size];
                    const Point2& a = points[static_cast<size_t>(previous)];
                    const Point2& b = points[static_cast<size_t>(current)];
                    const Point2& c = points[static_cast<size_t>(next)];
                    if (Cross(a, b, c) <= 0.0)
                        continue;  // reflex or flat corner
                    bool empty = true;
                    for (int other : remaining)
                    {
                        if (other == previous || other == current || other == next)
                            continue;
                        if (InsideTriangle(points[static_cast<size_t>(other)], a, b, c))
                        {
                            empty = false;
                            break;
                        }
                    }
                    if (!empty)
                        continue;
                    someOut.push_back({previous, current, next});
                    remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
                    clipped = true;
                    break;
                }
                if (!clipped)
                {
                    // Self-intersecting or degenerate remainder: finish as a fan so every corner is used.
                    Fan(remaining, someOut);
                    return;
                }
            }
            someOut.push_back({remaining[0], remaining[1], remaining[2]});
        }

        // The new corners or triangles a layer element follows; null for data mapped by control
        // point or all-same, which stays as it is.
        const std::vector<int>* SourcesFor(const LayerElement& aElement, const std::vector<int>& someCornerSources,
                                           const std::vector<int>& somePolygonSources)
        {
            if (aElement.GetMappingMode() == MappingMode::ByPolygonVertex)
                return &someCornerSources;
            if (aElement.GetMappingMode() == MappingMode::ByPolygon)
                return &somePolygonSources;
            return nullptr;
        }
    }

    bool GeometryConverter::Triangulate(Scene* aScene, bool /*aReplace*/, bool /*aLegacy*/)
    {
        if (!aScene)
            return false;
        bool result = true;
        for (const auto& object : aScene->myObjects)
            if (Mesh* mesh = object->As<Mesh>())
                result = Triangulate(mesh) && result;
        return result;
    }

    bool GeometryConverter::Triangulate(Mesh* aMesh)
    {
        if (!aMesh)
            return false;
        (void)myManager;
        if (aMesh->IsTriangleMesh())
            return true;

        std::vector<int> newCorners;          // control point of every new corner
        std::vector<int> newStarts;
        std::vector<int> cornerSources;       // old corner number of every new corner
        std::vector<int> polygonSources;      // old polygon of every new triangle
        newCorners.reserve(aMesh->myPolygonVertices.size() * 2);
        std::vector<Triangle> triangles;
        std::vector<Vector4> positions;
        for (int polygon = 0; polygon < aMesh->GetPolygonCount(); ++polygon)
        {
            const int size = aMesh->GetPolygonSize(polygon);
            const int start = aMesh->GetPolygonVertexIndex(polygon);
            if (size < 3)
                continue;
            triangles.clear();
            if (size == 3)
                triangles.push_back({0, 1, 2});
            else
            {
                positions.resize(static_cast<size_t>(size));
                for (int corner = 0; corner < size; ++corner)
                    positions[static_cast<size_t>(corner)] = aMesh->GetControlPointAt(aMesh->GetPolygonVertex(polygon, corner));
                TriangulatePolygon(positions, triangles);
            }
            for (const Triangle& triangle : triangles)
            {
                newStarts.push_back(static_cast<int>(newCorners.size()));
                polygonSources.push_back(polygon);
                for (int corner : triangle)
                {
                    newCorners.push_back(aMesh->myPolygonVertices[static_cast<size_t>(start + corner)]);
                    cornerSources.push_back(start + corner);
                }
            }
        }

        // Per-corner and per-polygon data follow their corners and triangles. Direct data that
        // covers every source stays direct; otherwise it becomes indexed with -1 for the gaps.
        auto remapValues = [&](auto& aElement) {
            const std::vector<int>* sources = SourcesFor(aElement, cornerSources, polygonSources);
            if (!sources)
                return;
            auto& values = aElement.myValues;
            std::vector<int>& indices = aElement.myIndices;
            if (aElement.myReferenceMode == ReferenceMode::Direct)
            {
                bool complete = true;
                for (int source : *sources)
                    complete = complete && static_cast<size_t>(source) < values.size();
                if (complete)
                {
                    std::remove_reference_t<decltype(values)> gathered;
                    gathered.reserve(sources->size());
                    for (int source : *sources)
                        gathered.push_back(values[static_cast<size_t>(source)]);
                    values = std::move(gathered);
                    return;
                }
                aElement.myReferenceMode = ReferenceMode::IndexToDirect;
                std::vector<int> made;
                made.reserve(sources->size());
                for (int source : *sources)
                    made.push_back(static_cast<size_t>(source) < values.size() ? source : -1);
                indices = std::move(made);
                return;
            }
            std::vector<int> made;
            made.reserve(sources->size());
            for (int source : *sources)
                made.push_back(static_cast<size_t>(source) < indices.size() ? indices[static_cast<size_t>(source)] : -1);
            indices = std::move(made);
        };
        for (auto& element : aMesh->myNormals)
            remapValues(*element);
        for (auto& element : aMesh->myTangents)
            remapValues(*element);
        for (auto& element : aMesh->myBinormals)
            remapValues(*element);
        for (auto& element : aMesh->myUVs)
            remapValues(*element);
        for (auto& element : aMesh->myColors)
            remapValues(*element);
        for (auto& element : aMesh->myMaterials)
        {
            // Material indices live in the index array only.
            LayerElement& material = *element;
            const std::vector<int>* sources = SourcesFor(material, cornerSources, polygonSources);
            if (!sources)
                continue;
            std::vector<int> made;
            made.reserve(sources->size());
            for (int source : *sources)
                made.push_back(static_cast<size_t>(source) < material.myIndices.size() ? material.myIndices[static_cast<size_t>(source)] : -1);
            material.myIndices = std::move(made);
        }

        aMesh->myPolygonVertices = std::move(newCorners);
        aMesh->myPolygonStarts = std::move(newStarts);
        return true;
    }
}
