#include "Platform/fbx/FbxScene.h"
#include "Platform/fbx/FbxEarClipping.h"
#include "Platform/fbx/FbxParallel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace Vela::Fbx
{
    namespace
    {
        using Triangle = std::array<int, 3>;  // corners of one polygon, in its own winding

        // The corner after aIndex + aStep around a ring of aCount corners (aStep < aCount).
        int Around(int aIndex, int aStep, int aCount)
        {
            const int next = aIndex + aStep;
            return next >= aCount ? next - aCount : next;
        }

        // Polygons per chunk of the work shared out over the worker pool.
        constexpr int CHUNK_POLYGONS = 4096;

        // The new index array of one layer element that follows corners or polygons, gathered while the
        // triangles are written (as Mesh::RemapCornerData would make it). Direct data becomes indexed,
        // by the old corner or polygon numbers, -1 past its values.
        struct Gather
        {
            LayerElement* element;
            bool perPolygon;
            bool direct;
            const int* indices;  // the element's index array, unless direct
            size_t count;        // entries of that array, or the direct values
            std::vector<int> made;

            int From(int aSource) const
            {
                if (aSource < 0 || static_cast<size_t>(aSource) >= count)
                    return -1;
                return direct ? aSource : indices[aSource];
            }
        };

        // A gather for each element of a mesh mapped by polygon vertex or by polygon.
        std::vector<Gather> GathersOf(const std::vector<LayerElement*>& someElements, const std::vector<size_t>& someValueCounts)
        {
            std::vector<Gather> gathers;
            for (size_t i = 0; i < someElements.size(); ++i)
            {
                LayerElement* element = someElements[i];
                const MappingMode mode = element->GetMappingMode();
                if (mode != MappingMode::ByPolygonVertex && mode != MappingMode::ByPolygon)
                    continue;
                const bool direct = element->GetReferenceMode() == ReferenceMode::Direct && someValueCounts[i] != SIZE_MAX;
                gathers.push_back({element, mode == MappingMode::ByPolygon, direct, element->GetIndexArray().data(),
                                   direct ? someValueCounts[i] : element->GetIndexArray().size(), {}});
            }
            return gathers;
        }

        // The plane a polygon is cut in: the two axes kept when the largest component of its Newell
        // normal is dropped, and the sign that makes the polygon run counter-clockwise there.
        struct Projection
        {
            int u, v;
            double flip;
        };

        // Coordinate aAxis (0, 1 or 2) of a point: one indexed read, where Vector4's operator[] tests its way there.
        double Coordinate(const Vector4& aPoint, int aAxis)
        {
            static constexpr double Vector4::*AXES[3] = {&Vector4::x, &Vector4::y, &Vector4::z};
            return aPoint.*AXES[aAxis];
        }

        // False when the polygon has no usable plane (a zero or non-finite normal). aCorner(i) gives corner i.
        template <class CornerOf>
        bool ProjectionOf(CornerOf aCorner, int aCount, Projection& aOut)
        {
            Vector4 normal;
#pragma GCC unroll 4
            for (int i = 0; i < aCount; ++i)
            {
                const Vector4& current = aCorner(i);
                const Vector4& next = aCorner(Around(i, 1, aCount));
                normal.x += (current.y - next.y) * (current.z + next.z);
                normal.y += (current.z - next.z) * (current.x + next.x);
                normal.z += (current.x - next.x) * (current.y + next.y);
            }
            const double ax = std::abs(normal.x), ay = std::abs(normal.y), az = std::abs(normal.z);
            if (!(ax + ay + az > 0.0) || !std::isfinite(ax + ay + az))
                return false;
            const int dropped = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
            aOut = {(dropped + 1) % 3, (dropped + 2) % 3, normal[dropped] < 0.0 ? -1.0 : 1.0};
            return true;
        }

        // Splits one polygon (n > 3) into n - 2 triangles: true with someOut filled by ear clipping, or
        // false when the polygon is convex (or has no usable plane) and its fan around corner 0 does.
        // somePoints is scratch space, kept between polygons to spare allocations.
        bool ClipPolygon(const Vector4* somePositions, int aCount, std::vector<Point2>& somePoints, std::vector<Triangle>& someOut)
        {
            // Projected onto the plane of its Newell normal's largest component, running counter-clockwise there.
            Projection plane;
            if (!ProjectionOf([somePositions](int aCorner) -> const Vector4& { return somePositions[aCorner]; }, aCount, plane))
                return false;
            somePoints.resize(static_cast<size_t>(aCount));
            for (int i = 0; i < aCount; ++i)
                somePoints[static_cast<size_t>(i)] = {Coordinate(somePositions[i], plane.u), Coordinate(somePositions[i], plane.v) * plane.flip};

            bool convex = true;
            for (int i = 0; i < aCount && convex; ++i)
                convex = Cross(somePoints[static_cast<size_t>(i)], somePoints[static_cast<size_t>(Around(i, 1, aCount))],
                               somePoints[static_cast<size_t>(Around(i, 2, aCount))]) >= 0.0;
            if (convex)
                return false;
            someOut.clear();
            ClipEars(somePoints, someOut);
            return true;
        }

        // Whether a quad is split along its 0-2 diagonal, as ClipPolygon would decide (the same sums
        // and tests, unrolled): convex in the plane of its Newell normal, or without a usable plane.
        bool QuadFans(const Vector4* const someCorners[4])
        {
            Projection plane;
            if (!ProjectionOf([someCorners](int aCorner) -> const Vector4& { return *someCorners[aCorner]; }, 4, plane))
                return true;
            const int u = plane.u, v = plane.v;
            const double flip = plane.flip;
            Point2 points[4];
#pragma GCC unroll 4
            for (int i = 0; i < 4; ++i)
                points[i] = {Coordinate(*someCorners[i], u), Coordinate(*someCorners[i], v) * flip};
#pragma GCC unroll 4
            for (int i = 0; i < 4; ++i)
                if (!(Cross(points[i], points[(i + 1) & 3], points[(i + 2) & 3]) >= 0.0))
                    return false;
            return true;
        }

        // A mesh's polygons as the triangulation reads them.
        struct PolygonSource
        {
            const int* corners;  // control point of every corner
            const int* starts;   // first corner of every polygon
            const Vector4* points;
            int polygonCount;
            int cornerCount;
            int pointCount;

            int SizeOf(int aPolygon) const { return (aPolygon + 1 < polygonCount ? starts[aPolygon + 1] : cornerCount) - starts[aPolygon]; }

            // A corner naming no control point sits at the origin.
            const Vector4& PositionOf(int aCorner) const
            {
                static const Vector4 ORIGIN;
                const int controlPoint = corners[aCorner];
                return controlPoint >= 0 && controlPoint < pointCount ? points[controlPoint] : ORIGIN;
            }
        };

        // Writes triangles, from triangle aFirst on, into the new corner and polygon-start arrays and
        // into each gathered layer element's new index array.
        class TriangleWriter
        {
        public:
            TriangleWriter(const int* someCorners, std::vector<Gather>& someGathers, int* someNewCorners, int* someNewStarts, size_t aFirst)
                : myCorners(someCorners), myGathers(someGathers), myNewCorners(someNewCorners), myNewStarts(someNewStarts), myMade(aFirst)
            {
            }

            // The triangle of corners aFirst, aSecond, aThird (counted from aStart) of polygon aPolygon.
            void Add(int aPolygon, int aStart, int aFirst, int aSecond, int aThird)
            {
                myNewStarts[myMade] = static_cast<int>(myMade * 3);
                int* newCorner = &myNewCorners[myMade * 3];
                newCorner[0] = myCorners[aStart + aFirst];
                newCorner[1] = myCorners[aStart + aSecond];
                newCorner[2] = myCorners[aStart + aThird];
                for (Gather& gather : myGathers)
                {
                    if (gather.perPolygon)
                    {
                        gather.made[myMade] = gather.From(aPolygon);
                        continue;
                    }
                    int* out = &gather.made[myMade * 3];
                    out[0] = gather.From(aStart + aFirst);
                    out[1] = gather.From(aStart + aSecond);
                    out[2] = gather.From(aStart + aThird);
                }
                ++myMade;
            }

            // Triangles (0, i, i + 1), as Add would make them, with each corner's data looked up once.
            void AddFan(int aPolygon, int aStart, int aSize)
            {
                const size_t first = myMade;
                const int* polygonCorners = myCorners + aStart;
                for (int corner = 1; corner + 1 < aSize; ++corner, ++myMade)
                {
                    myNewStarts[myMade] = static_cast<int>(myMade * 3);
                    int* newCorner = &myNewCorners[myMade * 3];
                    newCorner[0] = polygonCorners[0];
                    newCorner[1] = polygonCorners[corner];
                    newCorner[2] = polygonCorners[corner + 1];
                }
                for (Gather& gather : myGathers)
                {
                    if (gather.perPolygon)
                    {
                        std::fill(gather.made.begin() + static_cast<std::ptrdiff_t>(first), gather.made.begin() + static_cast<std::ptrdiff_t>(myMade),
                                  gather.From(aPolygon));
                        continue;
                    }
                    int* out = &gather.made[first * 3];
                    const int apex = gather.From(aStart);
                    int previous = gather.From(aStart + 1);
                    for (int corner = 1; corner + 1 < aSize; ++corner, out += 3)
                    {
                        out[0] = apex;
                        out[1] = previous;
                        previous = gather.From(aStart + corner + 1);
                        out[2] = previous;
                    }
                }
            }

            // The two triangles (0, 1, 2) and (0, 2, 3) of a quad, as AddFan would make them.
            void AddQuad(int aPolygon, int aStart)
            {
                myNewStarts[myMade] = static_cast<int>(myMade * 3);
                myNewStarts[myMade + 1] = static_cast<int>(myMade * 3 + 3);
                const int* polygonCorners = myCorners + aStart;
                int* newCorner = &myNewCorners[myMade * 3];
                newCorner[0] = polygonCorners[0];
                newCorner[1] = polygonCorners[1];
                newCorner[2] = polygonCorners[2];
                newCorner[3] = polygonCorners[0];
                newCorner[4] = polygonCorners[2];
                newCorner[5] = polygonCorners[3];
                for (Gather& gather : myGathers)
                {
                    if (gather.perPolygon)
                    {
                        const int value = gather.From(aPolygon);
                        gather.made[myMade] = value;
                        gather.made[myMade + 1] = value;
                        continue;
                    }
                    const int first = gather.From(aStart), second = gather.From(aStart + 1);
                    const int third = gather.From(aStart + 2), fourth = gather.From(aStart + 3);
                    int* out = &gather.made[myMade * 3];
                    out[0] = first;
                    out[1] = second;
                    out[2] = third;
                    out[3] = first;
                    out[4] = third;
                    out[5] = fourth;
                }
                myMade += 2;
            }

        private:
            const int* myCorners;
            std::vector<Gather>& myGathers;
            int* myNewCorners;
            int* myNewStarts;
            size_t myMade;
        };

        // Space one thread reuses from polygon to polygon.
        struct PolygonScratch
        {
            std::vector<Triangle> triangles;
            std::vector<Vector4> positions;
            std::vector<Point2> projected;
        };

        // One polygon's n - 2 triangles (none below three corners): a convex quad or polygon as a fan,
        // a concave one by ear clipping in its own plane.
        void TriangulatePolygon(const PolygonSource& aSource, int aPolygon, TriangleWriter& aWriter, PolygonScratch& aScratch)
        {
            const int size = aSource.SizeOf(aPolygon);
            const int start = aSource.starts[aPolygon];
            if (size < 3)
                return;
            if (size > 3)
            {
                if (size == 4)
                {
                    const Vector4* const quadPoints[4] = {&aSource.PositionOf(start), &aSource.PositionOf(start + 1), &aSource.PositionOf(start + 2),
                                                          &aSource.PositionOf(start + 3)};
                    if (QuadFans(quadPoints))
                    {
                        aWriter.AddQuad(aPolygon, start);
                        return;
                    }
                }
                aScratch.positions.resize(static_cast<size_t>(size));
                for (int corner = 0; corner < size; ++corner)
                    aScratch.positions[static_cast<size_t>(corner)] = aSource.PositionOf(start + corner);
                if (ClipPolygon(aScratch.positions.data(), size, aScratch.projected, aScratch.triangles))
                {
                    for (const Triangle& triangle : aScratch.triangles)
                        aWriter.Add(aPolygon, start, triangle[0], triangle[1], triangle[2]);
                    return;
                }
            }
            aWriter.AddFan(aPolygon, start, size);
        }

        // Where each chunk of polygons starts writing triangles (polygons of n >= 3 corners make
        // n - 2), with the total at the end.
        std::vector<size_t> ChunkStarts(const PolygonSource& aSource)
        {
            const int chunkCount = (aSource.polygonCount + CHUNK_POLYGONS - 1) / CHUNK_POLYGONS;
            std::vector<size_t> starts(static_cast<size_t>(chunkCount) + 1, 0);
            for (int polygon = 0; polygon < aSource.polygonCount; ++polygon)
            {
                const int size = aSource.SizeOf(polygon);
                starts[static_cast<size_t>(polygon / CHUNK_POLYGONS) + 1] += size >= 3 ? static_cast<size_t>(size - 2) : 0;
            }
            for (size_t chunk = 1; chunk < starts.size(); ++chunk)
                starts[chunk] += starts[chunk - 1];
            return starts;
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

        const PolygonSource source{aMesh->myPolygonVertices.data(), aMesh->myPolygonStarts.data(), aMesh->myControlPoints.data(),
                                   aMesh->GetPolygonCount(),       aMesh->GetPolygonVertexCount(), aMesh->GetControlPointsCount()};
        // The new arrays are sized up front, and each chunk of polygons knows where its triangles go.
        const std::vector<size_t> chunkStarts = ChunkStarts(source);
        const size_t triangleCount = chunkStarts.back();
        // Layer data mapped by polygon vertex or by polygon follows the new corners and triangles.
        std::vector<LayerElement*> elements;
        std::vector<size_t> valueCounts;  // of direct values; none for materials, whose data is indices only
        auto collect = [&](auto& someElements) {
            for (auto& element : someElements)
            {
                elements.push_back(element.get());
                valueCounts.push_back(element->myValues.size());
            }
        };
        collect(aMesh->myNormals);
        collect(aMesh->myTangents);
        collect(aMesh->myBinormals);
        collect(aMesh->myUVs);
        collect(aMesh->myColors);
        for (auto& element : aMesh->myMaterials)
        {
            elements.push_back(element.get());
            valueCounts.push_back(SIZE_MAX);
        }
        std::vector<Gather> gathers = GathersOf(elements, valueCounts);
        for (Gather& gather : gathers)
            gather.made.resize(gather.perPolygon ? triangleCount : triangleCount * 3);
        std::vector<int> newCorners(triangleCount * 3);  // control point of every new corner
        std::vector<int> newStarts(triangleCount);

        ParallelFor(chunkStarts.size() - 1, 1, [&](size_t aBegin, size_t aEnd) {
            PolygonScratch scratch;
            for (size_t chunk = aBegin; chunk < aEnd; ++chunk)
            {
                TriangleWriter writer(source.corners, gathers, newCorners.data(), newStarts.data(), chunkStarts[chunk]);
                const int end = std::min(source.polygonCount, static_cast<int>(chunk + 1) * CHUNK_POLYGONS);
                for (int polygon = static_cast<int>(chunk) * CHUNK_POLYGONS; polygon < end; ++polygon)
                    TriangulatePolygon(source, polygon, writer, scratch);
            }
        });

        for (Gather& gather : gathers)
        {
            gather.element->myIndices = std::move(gather.made);
            if (gather.direct)
                gather.element->myReferenceMode = ReferenceMode::IndexToDirect;
        }
        aMesh->myPolygonVertices = std::move(newCorners);
        aMesh->myPolygonStarts = std::move(newStarts);
        return true;
    }
}
