// Triangulation that keeps per-corner and per-polygon data, normals and tangent generation.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    struct Point
    {
        double x, y;
    };

    double SignedArea(const std::vector<Point>& somePoints)
    {
        double area = 0.0;
        for (size_t i = 0; i < somePoints.size(); ++i)
        {
            const Point& a = somePoints[i];
            const Point& b = somePoints[(i + 1) % somePoints.size()];
            area += a.x * b.y - b.x * a.y;
        }
        return area * 0.5;
    }

    bool InsidePolygon(const Point& aPoint, const std::vector<Point>& somePolygon)
    {
        bool inside = false;
        for (size_t i = 0, j = somePolygon.size() - 1; i < somePolygon.size(); j = i++)
        {
            const Point& a = somePolygon[i];
            const Point& b = somePolygon[j];
            if ((a.y > aPoint.y) != (b.y > aPoint.y) && aPoint.x < (b.x - a.x) * (aPoint.y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    }

    // One polygon in the plane z = aZ (or x = aZ when aOnSide), corner i at control point i,
    // UVs derived from the position and one colour per corner.
    std::string PolygonFile(const std::vector<Point>& somePoints, bool aOnSide = false, bool aReversed = false)
    {
        std::vector<double> vertices;
        std::vector<int> corners;
        std::vector<double> uvs;
        std::vector<double> colours;
        for (size_t i = 0; i < somePoints.size(); ++i)
        {
            const Point& point = somePoints[aReversed ? somePoints.size() - 1 - i : i];
            if (aOnSide)
                vertices.insert(vertices.end(), {0.0, point.x, point.y});
            else
                vertices.insert(vertices.end(), {point.x, point.y, 0.0});
            corners.push_back(i + 1 == somePoints.size() ? -static_cast<int>(i) - 1 : static_cast<int>(i));
            uvs.insert(uvs.end(), {point.x / 10.0, point.y / 10.0});
            colours.insert(colours.end(), {static_cast<double>(i), 0.0, 0.0, 1.0});
        }
        std::vector<int> uvIndex(somePoints.size());
        for (size_t i = 0; i < uvIndex.size(); ++i)
            uvIndex[i] = static_cast<int>(uvIndex.size() - 1 - i);
        std::vector<double> reversedUvs;
        for (size_t i = uvIndex.size(); i-- > 0;)
            reversedUvs.insert(reversedUvs.end(), {uvs[i * 2], uvs[i * 2 + 1]});
        const std::string layers = SceneTest::Layer("LayerElementUV", "ByPolygonVertex", "IndexToDirect", "UV", reversedUvs, "UVIndex", uvIndex) +
                                   SceneTest::Layer("LayerElementColor", "ByPolygonVertex", "Direct", "Colors", colours);
        return SceneTest::File(SceneTest::Model(10, "Shape", "Mesh") + SceneTest::MeshGeometry(20, "Shape", vertices, corners, layers),
                               SceneTest::OO(10, 0) + SceneTest::OO(20, 10));
    }

    Point Planar(const Vector4& aPosition, bool aOnSide) { return aOnSide ? Point{aPosition.y, aPosition.z} : Point{aPosition.x, aPosition.y}; }
}

TEST(SceneTriangulation, ConcavePolygonsBecomeTrianglesInsideThemWithTheirWinding)
{
    const std::vector<std::vector<Point>> shapes = {
        {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}},                                   // L
        {{0, 0}, {4, 0}, {4, 4}, {3, 4}, {3, 1}, {1, 1}, {1, 4}, {0, 4}},                   // U
        {{0, 2}, {1.5, 1.5}, {2, 0}, {2.5, 1.5}, {4, 2}, {2.5, 2.5}, {2, 4}, {1.5, 2.5}},   // star
        {{0, 0}, {5, 0}, {5, 5}, {4, 1}, {3, 5}, {2, 1}, {1, 5}, {0.5, 1}},                 // comb
        {{4, 0}, {1, 1}, {0, 4}, {0, 0}},                                                   // dart: its 0-2 diagonal runs outside
    };
    for (size_t s = 0; s < shapes.size(); ++s)
        for (bool onSide : {false, true})
            for (bool reversed : {false, true})
            {
                SCOPED_TRACE(testing::Message() << "shape " << s << (onSide ? " on its side" : "") << (reversed ? " reversed" : ""));
                Loaded loaded;
                ASSERT_TRUE(loaded.LoadText(PolygonFile(shapes[s], onSide, reversed)));
                GeometryConverter converter(loaded.GetManager());
                ASSERT_TRUE(converter.Triangulate(&loaded.Scene(), true, true));
                const Mesh* mesh = loaded.Node("Shape").GetMesh();
                ASSERT_TRUE(mesh->IsTriangleMesh());
                ASSERT_EQ(mesh->GetPolygonCount(), static_cast<int>(shapes[s].size()) - 2);

                std::vector<Point> outline;
                for (int i = 0; i < mesh->GetControlPointsCount(); ++i)
                    outline.push_back(Planar(mesh->GetControlPointAt(i), onSide));
                const double area = SignedArea(outline);
                double sum = 0.0;
                for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
                {
                    std::vector<Point> corners;
                    for (int k = 0; k < 3; ++k)
                        corners.push_back(outline[static_cast<size_t>(mesh->GetPolygonVertex(triangle, k))]);
                    const double triangleArea = SignedArea(corners);
                    // Same turning sense as the polygon, and inside it.
                    EXPECT_GT(triangleArea * area, 0.0);
                    sum += triangleArea;
                    const Point centre{(corners[0].x + corners[1].x + corners[2].x) / 3.0, (corners[0].y + corners[1].y + corners[2].y) / 3.0};
                    EXPECT_TRUE(InsidePolygon(centre, outline));

                    // Each corner keeps the UV and colour that its control point had.
                    for (int k = 0; k < 3; ++k)
                    {
                        const int controlPoint = mesh->GetPolygonVertex(triangle, k);
                        Vector2 uv;
                        ASSERT_TRUE(mesh->GetPolygonVertexUV(triangle, k, 0, uv));
                        EXPECT_DOUBLE_EQ(uv.x, outline[static_cast<size_t>(controlPoint)].x / 10.0);
                        EXPECT_DOUBLE_EQ(uv.y, outline[static_cast<size_t>(controlPoint)].y / 10.0);
                        Color colour;
                        ASSERT_TRUE(mesh->GetElementVertexColor(0)->GetValue(controlPoint, mesh->GetPolygonVertexIndex(triangle) + k, triangle, colour));
                        EXPECT_EQ(colour.r, controlPoint);
                    }
                }
                EXPECT_NEAR(sum, area, 1e-9);
            }
}

TEST(SceneTriangulation, ConvexFansDegenerateAndTinyPolygons)
{
    Loaded loaded;
    const std::vector<double> vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 2, 2, 0, 3, 3, 0};
    // A convex quad, a line of five collinear points, a bow tie, a two-corner sliver, and a triangle.
    const std::vector<int> corners = {0, 1, 2, -4, 0, 4, 5, 6, -2, 0, 2, 1, -4, 7, -9, 4, 5, -7};
    const std::vector<int> materials = {3, 4, 5, 6, 7};
    const std::string layers = SceneTest::Layer("LayerElementMaterial", "ByPolygon", "IndexToDirect", "", {}, "Materials", materials);
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(SceneTest::Model(10, "Mixed", "Mesh") + SceneTest::MeshGeometry(20, "", vertices, corners, layers),
                                                SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
    Mesh* mesh = const_cast<Node&>(loaded.Node("Mixed")).GetMesh();
    ASSERT_EQ(mesh->GetPolygonCount(), 5);
    GeometryConverter converter(loaded.GetManager());
    ASSERT_TRUE(converter.Triangulate(mesh));
    // 2 + 3 + 2 + 0 + 1 triangles; the sliver is gone and every other corner is used.
    ASSERT_EQ(mesh->GetPolygonCount(), 8);
    // Flat and self-crossing polygons have no usable normal and are fanned.
    EXPECT_EQ(mesh->GetPolygonVertices(), (std::vector<int>{0, 1, 2, 0, 2, 3, 0, 4, 5, 0, 5, 6, 0, 6, 1, 0, 2, 1, 0, 1, 3, 4, 5, 6}));
    std::vector<int> perTriangle;
    for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
        perTriangle.push_back(mesh->GetElementMaterial(0)->GetMaterialIndex(triangle));
    EXPECT_EQ(perTriangle, (std::vector<int>{3, 3, 4, 4, 4, 5, 5, 7}));
    // An already triangulated mesh is left alone.
    const std::vector<int> before = mesh->GetPolygonVertices();
    EXPECT_TRUE(converter.Triangulate(mesh));
    EXPECT_EQ(mesh->GetPolygonVertices(), before);
}

TEST(SceneTriangulation, ShortDirectDataTurnsIntoIndicesWithGaps)
{
    // Five corners but only three normals stored: the last two corners have none.
    const std::string layers = SceneTest::Layer("LayerElementNormal", "ByPolygonVertex", "Direct", "Normals", {0, 0, 1, 0, 0, 1, 0, 0, 1});
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(
        SceneTest::Model(10, "Pentagon", "Mesh") +
            SceneTest::MeshGeometry(20, "", {0, 0, 0, 2, 0, 0, 3, 1, 0, 1, 2, 0, -1, 1, 0}, {0, 1, 2, 3, -5}, layers),
        SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
    GeometryConverter converter(loaded.GetManager());
    ASSERT_TRUE(converter.Triangulate(&loaded.Scene()));
    const Mesh* mesh = loaded.Node("Pentagon").GetMesh();
    const LayerElementNormal* normals = mesh->GetElementNormal(0);
    EXPECT_EQ(normals->GetReferenceMode(), ReferenceMode::IndexToDirect);
    for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
        for (int k = 0; k < 3; ++k)
        {
            Vector4 normal(9, 9, 9);
            const bool found = normals->GetValue(mesh->GetPolygonVertex(triangle, k), mesh->GetPolygonVertexIndex(triangle) + k, triangle, normal);
            EXPECT_EQ(found, mesh->GetPolygonVertex(triangle, k) < 3);
            EXPECT_EQ(normal.z, found ? 1.0 : 9.0);
        }
}

TEST(SceneTriangulation, RealMeshesKeepPolygonMaterialsAndCornerData)
{
    for (const std::string& name : SceneTest::FixtureNames())
    {
        SCOPED_TRACE(name);
        Loaded original, triangulated;
        if (!original.LoadFixture(name))
            continue;
        ASSERT_TRUE(triangulated.LoadFixture(name));
        GeometryConverter converter(triangulated.GetManager());
        ASSERT_TRUE(converter.Triangulate(&triangulated.Scene(), true, true));
        for (int n = 0; n < original.Scene().GetNodeCount(); ++n)
        {
            const Mesh* before = original.Scene().GetNode(n)->GetMesh();
            const Mesh* after = triangulated.Scene().GetNode(n)->GetMesh();
            if (!before)
                continue;
            ASSERT_TRUE(after->IsTriangleMesh());
            int triangle = 0;
            for (int polygon = 0; polygon < before->GetPolygonCount(); ++polygon)
            {
                const int size = before->GetPolygonSize(polygon);
                for (int t = 0; t < size - 2; ++t, ++triangle)
                {
                    ASSERT_LT(triangle, after->GetPolygonCount());
                    if (before->GetElementMaterialCount() > 0)
                    {
                        EXPECT_EQ(after->GetElementMaterial(0)->GetMaterialIndex(triangle), before->GetElementMaterial(0)->GetMaterialIndex(polygon));
                    }
                    for (int k = 0; k < 3; ++k)
                    {
                        // Find the source corner by control point (corners of one polygon use distinct ones in these files).
                        const int controlPoint = after->GetPolygonVertex(triangle, k);
                        int source = -1;
                        for (int c = 0; c < size; ++c)
                            if (before->GetPolygonVertex(polygon, c) == controlPoint)
                                source = c;
                        ASSERT_GE(source, 0);
                        Vector2 uvBefore, uvAfter;
                        EXPECT_EQ(before->GetPolygonVertexUV(polygon, source, 0, uvBefore), after->GetPolygonVertexUV(triangle, k, 0, uvAfter));
                        EXPECT_EQ(uvBefore, uvAfter);
                        Vector4 normalBefore, normalAfter;
                        if (before->GetElementNormalCount() > 0)
                        {
                            before->GetElementNormal(0)->GetValue(controlPoint, before->GetPolygonVertexIndex(polygon) + source, polygon, normalBefore);
                            after->GetElementNormal(0)->GetValue(controlPoint, after->GetPolygonVertexIndex(triangle) + k, triangle, normalAfter);
                            EXPECT_EQ(normalBefore, normalAfter);
                        }
                    }
                }
            }
            EXPECT_EQ(triangle, after->GetPolygonCount());
        }
    }
}

TEST(SceneTangents, GeneratedFramesMatchTheToolsOwnAndRespectMirroredUvs)
{
    for (const char* name : {"max_tangent_sign_7700_binary.fbx", "maya_cube_7500_ascii.fbx", "blender_279_uv_set_tangents_7400_binary.fbx"})
    {
        SCOPED_TRACE(name);
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadFixture(name));
        for (int n = 0; n < loaded.Scene().GetNodeCount(); ++n)
        {
            Mesh* mesh = const_cast<Node*>(loaded.Scene().GetNode(n))->GetMesh();
            if (!mesh || mesh->GetElementTangentCount() == 0)
                continue;
            const std::vector<Vector4> fileTangents = mesh->GetElementTangent(0)->GetDirectArray();
            const std::vector<Vector4> fileBinormals = mesh->GetElementBinormal(0)->GetDirectArray();
            ASSERT_EQ(mesh->GetElementTangent(0)->GetMappingMode(), MappingMode::ByPolygonVertex);
            // Kept unless asked to overwrite.
            EXPECT_TRUE(mesh->GenerateTangentsData(0, false));
            EXPECT_EQ(mesh->GetElementTangent(0)->GetDirectArray(), fileTangents);
            ASSERT_TRUE(mesh->GenerateTangentsData(0, true));
            for (int corner = 0; corner < mesh->GetPolygonVertexCount() && corner < static_cast<int>(fileTangents.size()); ++corner)
            {
                Vector4 tangent, binormal;
                ASSERT_TRUE(mesh->GetElementTangent(0)->GetValue(-1, corner, -1, tangent));
                ASSERT_TRUE(mesh->GetElementBinormal(0)->GetValue(-1, corner, -1, binormal));
                EXPECT_GT(tangent.Dot3(fileTangents[static_cast<size_t>(corner)]), 0.99);
                EXPECT_GT(binormal.Dot3(fileBinormals[static_cast<size_t>(corner)]), 0.99);
                if (fileTangents[static_cast<size_t>(corner)].w != 0.0)
                {
                    EXPECT_EQ(tangent.w, fileTangents[static_cast<size_t>(corner)].w);
                }
            }
        }
    }
}

TEST(SceneTangents, CornersOfOneControlPointWithManyUvsKeepTheirOwnFrames)
{
    // 24 copies of the triangle (0,0,0) (1,0,0) (0,1,0) around control point 0, each with its UVs
    // turned by its own angle: the tangent of a triangle whose UVs are its positions turned by
    // theta is (cos theta, -sin theta, 0). Triangles k and k + 12 give control point 0 the same UV
    // index, so those two corners share a frame: the sum of both tangents, at the mean angle.
    // Two more triangles start at a control point that does not exist, sharing one UV index too.
    constexpr double PI = 3.14159265358979323846;
    std::vector<double> vertices = {0, 0, 0};
    std::vector<int> corners;
    std::vector<double> uvs;
    std::vector<int> uvIndices;
    std::vector<double> cornerAngles;  // the expected tangent angle of every corner
    auto addTriangle = [&](int aFirst, int aFirstUv, double aAngle, double aSharedAngle) {
        const int a = static_cast<int>(vertices.size() / 3);
        vertices.insert(vertices.end(), {1, 0, 0, 0, 1, 0});
        corners.insert(corners.end(), {aFirst, a, -(a + 1) - 1});
        const int uv = static_cast<int>(uvs.size() / 2);
        uvs.insert(uvs.end(), {std::cos(aAngle), std::sin(aAngle), -std::sin(aAngle), std::cos(aAngle)});
        uvIndices.insert(uvIndices.end(), {aFirstUv, uv, uv + 1});
        cornerAngles.insert(cornerAngles.end(), {aSharedAngle, aAngle, aAngle});
    };
    const int centreUvs = 16;
    for (int k = 0; k < 24; ++k)
    {
        const double first = (k % 12) * 7.0 * PI / 180.0;
        addTriangle(0, k % 12, k < 12 ? first : first + 40.0 * PI / 180.0, first + 20.0 * PI / 180.0);
    }
    addTriangle(999, 12, 10.0 * PI / 180.0, 30.0 * PI / 180.0);
    addTriangle(999, 12, 50.0 * PI / 180.0, 30.0 * PI / 180.0);
    // UV indices 0 .. 12 name the (unused) centre values, which sit before the others.
    std::vector<double> allUvs(centreUvs * 2, 0.0);
    allUvs.insert(allUvs.end(), uvs.begin(), uvs.end());
    for (size_t i = 0; i < uvIndices.size(); ++i)
        if (i % 3 != 0)
            uvIndices[i] += centreUvs;

    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(
        SceneTest::Model(10, "Fan", "Mesh") +
            SceneTest::MeshGeometry(20, "", vertices, corners,
                                    SceneTest::Layer("LayerElementUV", "ByPolygonVertex", "IndexToDirect", "UV", allUvs, "UVIndex", uvIndices)),
        SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
    Mesh* mesh = const_cast<Node&>(loaded.Node("Fan")).GetMesh();
    ASSERT_TRUE(mesh->GenerateTangentsData(0, true));
    ASSERT_EQ(mesh->GetPolygonVertexCount(), static_cast<int>(cornerAngles.size()));
    for (int corner = 0; corner < mesh->GetPolygonVertexCount(); ++corner)
    {
        SCOPED_TRACE(corner);
        Vector4 tangent, binormal;
        ASSERT_TRUE(mesh->GetElementTangent(0)->GetValue(-1, corner, -1, tangent));
        ASSERT_TRUE(mesh->GetElementBinormal(0)->GetValue(-1, corner, -1, binormal));
        const double angle = cornerAngles[static_cast<size_t>(corner)];
        EXPECT_NEAR(tangent.x, std::cos(angle), 1e-9);
        EXPECT_NEAR(tangent.y, -std::sin(angle), 1e-9);
        EXPECT_NEAR(tangent.z, 0.0, 1e-9);
        EXPECT_EQ(tangent.w, 1.0);
        // Corners at the missing control point have no normal, so no binormal either.
        const bool hasNormal = corner < 72 || corner % 3 != 0;
        EXPECT_NEAR(binormal.x, hasNormal ? std::sin(angle) : 0.0, 1e-9);
        EXPECT_NEAR(binormal.y, hasNormal ? std::cos(angle) : 0.0, 1e-9);
    }
}

TEST(SceneTangents, LargeSmoothMeshesGiveOneFramePerControlPointInCornerOrder)
{
    // A wavy height field of 130 x 130 quads (large enough to be shared out over threads), UVs by
    // control point and smooth generated normals: every corner of a control point has the same key,
    // so there is one result per control point, numbered in the order the control points first
    // appear. UVs follow x and y, so tangents lean along +x, perpendicular to the normals, unit long.
    constexpr int QUADS = 130;
    constexpr int SIDE = QUADS + 1;
    std::vector<double> vertices;
    std::vector<double> uvs;
    for (int y = 0; y < SIDE; ++y)
        for (int x = 0; x < SIDE; ++x)
        {
            vertices.insert(vertices.end(), {x * 0.1, y * 0.1, 0.2 * std::sin(x * 0.37) * std::cos(y * 0.23)});
            uvs.insert(uvs.end(), {x / static_cast<double>(QUADS), y / static_cast<double>(QUADS)});
        }
    std::vector<int> corners;
    for (int y = 0; y < QUADS; ++y)
        for (int x = 0; x < QUADS; ++x)
        {
            const int first = y * SIDE + x;
            corners.insert(corners.end(), {first, first + 1, first + SIDE + 1, -(first + SIDE) - 1});
        }
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(
        SceneTest::Model(10, "Field", "Mesh") +
            SceneTest::MeshGeometry(20, "", vertices, corners, SceneTest::Layer("LayerElementUV", "ByControlPoint", "Direct", "UV", uvs)),
        SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
    Mesh* mesh = const_cast<Node&>(loaded.Node("Field")).GetMesh();
    ASSERT_TRUE(mesh->GenerateTangentsData(0, true));
    const LayerElementTangent* tangents = mesh->GetElementTangent(0);
    const LayerElementNormal* normals = mesh->GetElementNormal(0);
    ASSERT_EQ(tangents->GetDirectArray().size(), static_cast<size_t>(SIDE * SIDE));
    std::vector<int> resultOf(SIDE * SIDE, -1);
    int nextResult = 0;
    for (int corner = 0; corner < mesh->GetPolygonVertexCount(); ++corner)
    {
        const int controlPoint = mesh->GetPolygonVertices()[static_cast<size_t>(corner)];
        int& expected = resultOf[static_cast<size_t>(controlPoint)];
        if (expected < 0)
            expected = nextResult++;
        ASSERT_EQ(tangents->GetIndexArray()[static_cast<size_t>(corner)], expected) << "corner " << corner;
        ASSERT_EQ(mesh->GetElementBinormal(0)->GetIndexArray()[static_cast<size_t>(corner)], expected) << "corner " << corner;
        Vector4 tangent, normal;
        ASSERT_TRUE(tangents->GetValue(controlPoint, corner, corner / 4, tangent));
        ASSERT_TRUE(normals->GetValue(controlPoint, corner, corner / 4, normal));
        ASSERT_NEAR(tangent.Length3(), 1.0, 1e-9);
        ASSERT_NEAR(tangent.Dot3(normal), 0.0, 1e-9);
        ASSERT_GT(tangent.x, 0.5);
        ASSERT_EQ(tangent.w, 1.0);
    }
}

TEST(SceneTangents, MeshesWithoutNormalsOrUvs)
{
    // A unit cube without normals: smooth normals point out of the corners.
    const std::vector<double> vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
    const std::vector<int> corners = {0, 3, 2, -2, 4, 5, 6, -8, 0, 1, 5, -5, 1, 2, 6, -6, 2, 3, 7, -7, 3, 0, 4, -8};
    std::vector<double> uvs;
    for (int i = 0; i < 24; ++i)
        uvs.insert(uvs.end(), {static_cast<double>(i % 2), static_cast<double>(i / 2 % 2)});
    const std::string withUvs = SceneTest::Layer("LayerElementUV", "ByPolygonVertex", "Direct", "UV", uvs);
    for (bool hasUvs : {true, false})
    {
        SCOPED_TRACE(hasUvs);
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadText(SceneTest::File(SceneTest::Model(10, "Cube", "Mesh") +
                                                        SceneTest::MeshGeometry(20, "", vertices, corners, hasUvs ? withUvs : ""),
                                                    SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
        Mesh* mesh = const_cast<Node&>(loaded.Node("Cube")).GetMesh();
        ASSERT_EQ(mesh->GetElementNormalCount(), 0);
        if (hasUvs)
        {
            // An edge-only mesh (no polygons) has nothing to generate, which is no failure.
            Loaded edgesOnly;
            ASSERT_TRUE(edgesOnly.LoadText(SceneTest::File(SceneTest::Model(10, "Curve", "Mesh") + SceneTest::MeshGeometry(20, "", vertices, {}, withUvs),
                                                           SceneTest::OO(10, 0) + SceneTest::OO(20, 10))));
            EXPECT_TRUE(const_cast<Node&>(edgesOnly.Node("Curve")).GetMesh()->GenerateTangentsData(0, false));
        }
        EXPECT_EQ(mesh->GenerateTangentsData(0, false), hasUvs);
        if (!hasUvs)
        {
            EXPECT_EQ(mesh->GetElementTangentCount(), 0);
            continue;
        }
        ASSERT_EQ(mesh->GetElementNormalCount(), 1);
        for (int polygon = 0; polygon < mesh->GetPolygonCount(); ++polygon)
            for (int k = 0; k < 4; ++k)
            {
                const int controlPoint = mesh->GetPolygonVertex(polygon, k);
                const int corner = mesh->GetPolygonVertexIndex(polygon) + k;
                Vector4 normal, tangent, binormal;
                ASSERT_TRUE(mesh->GetElementNormal(0)->GetValue(controlPoint, corner, polygon, normal));
                const Vector4 position = mesh->GetControlPointAt(controlPoint);
                const Vector4 outward = (position - Vector4(0.5, 0.5, 0.5)).Normalized3();
                EXPECT_NEAR(normal.Dot3(outward), 1.0, 1e-9);
                ASSERT_TRUE(mesh->GetElementTangent(0)->GetValue(controlPoint, corner, polygon, tangent));
                ASSERT_TRUE(mesh->GetElementBinormal(0)->GetValue(controlPoint, corner, polygon, binormal));
                EXPECT_NEAR(tangent.Length3(), 1.0, 1e-9);
                EXPECT_NEAR(tangent.Dot3(normal), 0.0, 1e-9);
                EXPECT_NEAR(binormal.Dot3(normal), 0.0, 1e-9);
                EXPECT_NEAR(std::abs(tangent.w), 1.0, 0.0);
            }
    }
}

TEST(SceneTriangulation, ConcavePolygonsOfThousandsOfCornersAreCutIntoTheirOwnArea)
{
    // A comb of 1,500 notches (6,004 corners) and a staircase of 2,000 steps (4,002 corners).
    std::vector<Point> comb = {{0, 0}, {3000, 0}, {3000, 10}};
    for (int cell = 1499; cell >= 0; --cell)
        comb.insert(comb.end(), {{cell * 2.0 + 1.5, 10.0}, {cell * 2.0 + 1.5, 1.0}, {cell * 2.0 + 0.5, 1.0}, {cell * 2.0 + 0.5, 10.0}});
    comb.push_back({0, 10});
    std::vector<Point> stairs = {{0, 0}};
    for (int step = 0; step < 2000; ++step)
        stairs.insert(stairs.end(), {{step + 1.0, step * 1.0}, {step + 1.0, step + 1.0}});
    stairs.push_back({0, 2000});
    for (const std::vector<Point>* shape : {&comb, &stairs})
    {
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadText(PolygonFile(*shape)));
        GeometryConverter converter(loaded.GetManager());
        ASSERT_TRUE(converter.Triangulate(&loaded.Scene(), true, true));
        const Mesh* mesh = loaded.Node("Shape").GetMesh();
        ASSERT_EQ(mesh->GetPolygonCount(), static_cast<int>(shape->size()) - 2);
        const double area = SignedArea(*shape);
        double sum = 0.0;
        int wrongWay = 0;
        for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
        {
            std::vector<Point> corners;
            for (int k = 0; k < 3; ++k)
                corners.push_back((*shape)[static_cast<size_t>(mesh->GetPolygonVertex(triangle, k))]);
            const double triangleArea = SignedArea(corners);
            wrongWay += triangleArea * area < 0.0 ? 1 : 0;
            sum += triangleArea;
        }
        // Triangles all turning the polygon's way and adding up to its area cover it exactly once.
        EXPECT_EQ(wrongWay, 0);
        EXPECT_NEAR(sum, area, 1e-6 * std::abs(area));
    }
}

TEST(SceneTriangulation, SelfCrossingPolygonOfTwentyThousandCornersKeepsCountAreaAndCornerData)
{
    // 20,000 corners scattered over a square (a broken scan): the outline crosses itself everywhere,
    // so ear clipping soon finds no ear. Its cuts stay bounded; the log's running time shows it.
    std::vector<Point> scatter;
    uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 40) / static_cast<double>(1 << 24) * 100.0;
    };
    for (int i = 0; i < 20000; ++i)
    {
        const double x = next();
        scatter.push_back({x, next()});
    }
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(PolygonFile(scatter)));
    GeometryConverter converter(loaded.GetManager());
    ASSERT_TRUE(converter.Triangulate(&loaded.Scene(), true, true));
    const Mesh* mesh = loaded.Node("Shape").GetMesh();
    ASSERT_EQ(mesh->GetPolygonCount(), 19998);
    // Cutting a corner off a ring, or fanning a ring, leaves its shoelace sum unchanged even when it
    // crosses itself: the triangles' signed areas add up to the outline's.
    double sum = 0.0;
    std::vector<int> uses(scatter.size(), 0);
    for (int triangle = 0; triangle < mesh->GetPolygonCount(); ++triangle)
    {
        std::vector<Point> corners;
        for (int k = 0; k < 3; ++k)
        {
            const int controlPoint = mesh->GetPolygonVertex(triangle, k);
            ASSERT_GE(controlPoint, 0);
            ASSERT_LT(controlPoint, 20000);
            ++uses[static_cast<size_t>(controlPoint)];
            corners.push_back(scatter[static_cast<size_t>(controlPoint)]);
            Vector2 uv;
            ASSERT_TRUE(mesh->GetPolygonVertexUV(triangle, k, 0, uv));
            EXPECT_DOUBLE_EQ(uv.x, scatter[static_cast<size_t>(controlPoint)].x / 10.0);
        }
        sum += SignedArea(corners);
    }
    EXPECT_NEAR(sum, SignedArea(scatter), 1e-9 * 100.0 * 100.0 * 20000.0);
    EXPECT_EQ(std::count(uses.begin(), uses.end(), 0), 0);  // every corner is used
}
