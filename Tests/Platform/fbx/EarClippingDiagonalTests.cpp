// Ear clipping where a reflex corner lies exactly on the diagonal of a candidate ear: the corner
// touching the diagonal must block the cut, or the next ear reaches across the notch.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Vela::Fbx;
using SceneTest::Loaded;

TEST(SceneTriangulation, AReflexCornerOnACandidateDiagonalBlocksThatEar)
{
    // A 4 x 4 square notched from the top down to (2, 2), counter-clockwise:
    //   (0,4)       (4,4)
    //      \   /\   /        the notch is the triangle (4,4) (2,2) (0,4), outside the polygon
    //       (2,2)
    //   (0,0) ----- (4,0)
    // Area by the shoelace sum: (0 + 16 + 0 + 8 + 0) / 2 = 12. The ear at (0,0) has the diagonal
    // (0,4)-(4,0), the line x + y = 4, on which the reflex corner (2,2) lies exactly. Cut anyway, the
    // ring (4,0) (4,4) (2,2) (0,4) then offers (0,4) (4,0) (4,4), which covers the whole notch (area 4
    // outside): 8 + 8 + 4 = 20 instead of 12.
    const std::vector<double> vertices = { 0, 0, 0, 4, 0, 0, 4, 4, 0, 2, 2, 0, 0, 4, 0 };
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(SceneTest::Model(10, "Notched", "Mesh") + SceneTest::MeshGeometry(20, "", vertices, { 0, 1, 2, 3, -5 }),
                                                SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
    Mesh* mesh = const_cast<Node&>(loaded.Node("Notched")).GetMesh();
    GeometryConverter converter(loaded.GetManager());
    ASSERT_TRUE(converter.Triangulate(mesh));
    ASSERT_EQ(mesh->GetPolygonCount(), 3) << "n - 2 triangles";

    double covered = 0.0;
    for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
    {
        Vector4 corner[3];
        for (int k = 0; k < 3; ++k)
            corner[k] = mesh->GetControlPointAt(mesh->GetPolygonVertex(triangle, k));
        const double twiceArea = (corner[1].x - corner[0].x) * (corner[2].y - corner[0].y) - (corner[1].y - corner[0].y) * (corner[2].x - corner[0].x);
        EXPECT_GE(twiceArea, 0.0) << "triangle " << triangle << " turns as the polygon does";
        covered += std::fabs(twiceArea) / 2.0;
        // Nothing in the notch: a centroid there has y > 2 and lies above both notch edges, y > x and y > 4 - x.
        const double x = (corner[0].x + corner[1].x + corner[2].x) / 3.0;
        const double y = (corner[0].y + corner[1].y + corner[2].y) / 3.0;
        EXPECT_FALSE(y > x && y > 4.0 - x) << "triangle " << triangle << " has its centre in the notch at (" << x << ", " << y << ")";
    }
    EXPECT_NEAR(covered, 12.0, 1e-12) << "the triangles cover the polygon once";
}
