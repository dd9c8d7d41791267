#include "Platform/fbx/FbxScene.h"
#include "Platform/fbx/FbxEarClipping.h"

#include <array>
#include <cmath>

namespace Vela::Fbx
{
    namespace
    {
        using Triangle = std::array<int, 3>;  // corners of one polygon, in its own winding

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
            if (convex)
            {
                Fan(corners, someOut);
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

        aMesh->RemapCornerData(cornerSources, &polygonSources);
        aMesh->myPolygonVertices = std::move(newCorners);
        aMesh->myPolygonStarts = std::move(newStarts);
        return true;
    }
}
