#include "Platform/fbx/FbxScene.h"
#include "Platform/fbx/FbxEarClipping.h"

#include <array>
#include <cmath>

namespace Vela::Fbx
{
    namespace
    {
        using Triangle = std::array<int, 3>;  // corners of one polygon, in its own winding

        // The fan of the polygon's corners 0 .. aCount - 1 around corner 0.
        void Fan(int aCount, std::vector<Triangle>& someOut)
        {
            for (int i = 1; i + 1 < aCount; ++i)
                someOut.push_back({0, i, i + 1});
        }

        // Splits one polygon (n > 3) into n - 2 triangles: a fan when convex, ear clipping otherwise.
        // somePoints is scratch space, kept between polygons to spare allocations.
        void TriangulatePolygon(const std::vector<Vector4>& somePositions, std::vector<Point2>& somePoints, std::vector<Triangle>& someOut)
        {
            const int count = static_cast<int>(somePositions.size());

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
                Fan(count, someOut);
                return;
            }
            const int dropped = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
            const int u = (dropped + 1) % 3;
            const int v = (dropped + 2) % 3;
            // Orient so the polygon runs counter-clockwise in the projection.
            const double flip = normal[dropped] < 0.0 ? -1.0 : 1.0;
            std::vector<Point2>& points = somePoints;
            points.resize(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                points[static_cast<size_t>(i)] = {somePositions[static_cast<size_t>(i)][u], somePositions[static_cast<size_t>(i)][v] * flip};

            bool convex = true;
            for (int i = 0; i < count && convex; ++i)
                convex = Cross(points[static_cast<size_t>(i)], points[static_cast<size_t>((i + 1) % count)],
                               points[static_cast<size_t>((i + 2) % count)]) >= 0.0;
            if (convex)
            {
                Fan(count, someOut);
                return;
            }
            ClipEars(points, someOut);
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
        cornerSources.reserve(aMesh->myPolygonVertices.size() * 2);
        newStarts.reserve(aMesh->myPolygonVertices.size());
        polygonSources.reserve(aMesh->myPolygonVertices.size());
        std::vector<Triangle> triangles;
        std::vector<Vector4> positions;
        std::vector<Point2> points;
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
                {
                    // A corner naming no control point sits at the origin.
                    const int controlPoint = aMesh->myPolygonVertices[static_cast<size_t>(start + corner)];
                    positions[static_cast<size_t>(corner)] = controlPoint >= 0 && controlPoint < aMesh->GetControlPointsCount()
                                                                 ? aMesh->myControlPoints[static_cast<size_t>(controlPoint)]
                                                                 : Vector4();
                }
                TriangulatePolygon(positions, points, triangles);
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

        aMesh->RemapCornerData(cornerSources, &polygonSources);
        aMesh->myPolygonVertices = std::move(newCorners);
        aMesh->myPolygonStarts = std::move(newStarts);
        return true;
    }
}
