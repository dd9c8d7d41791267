// Unit conversion to centimetres and deep axis conversion to Direct3D's axes.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    void ExpectNear(const Vector4& aActual, const Vector4& aExpected, double aTolerance)
    {
        EXPECT_NEAR(aActual.x, aExpected.x, aTolerance);
        EXPECT_NEAR(aActual.y, aExpected.y, aTolerance);
        EXPECT_NEAR(aActual.z, aExpected.z, aTolerance);
    }

    void ExpectNear(const AMatrix& aActual, const AMatrix& aExpected, double aTolerance)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(aActual.Get(r, c), aExpected.Get(r, c), aTolerance) << "row " << r << " column " << c;
    }

    std::string Matrix(const std::string& aName, double aX, double aY, double aZ)
    {
        return "\t\t" + aName + ": *16 {\n\t\t\ta: 0,1,0,0,-1,0,0,0,0,0,1,0," + std::to_string(aX) + "," + std::to_string(aY) + "," +
               std::to_string(aZ) + ",1\n\t\t}\n";
    }

    // A skinned triangle under a rotated, pivoted parent, in a file of the given unit.
    std::string SkinnedFile(double aUnit)
    {
        const std::string objects =
            SceneTest::Model(10, "Root", "Null",
                             SceneTest::P("Lcl Translation", "Lcl Translation", "1,2,3") + SceneTest::P("Lcl Rotation", "Lcl Rotation", "0,30,0") +
                                 SceneTest::P("RotationPivot", "Vector3D", "0.5,0,0") + SceneTest::P("ScalingOffset", "Vector3D", "0,0.25,0")) +
            SceneTest::Model(11, "Body", "Mesh",
                             SceneTest::P("Lcl Translation", "Lcl Translation", "0,1,0") +
                                 SceneTest::P("GeometricTranslation", "Vector3D", "0.5,0,0")) +
            SceneTest::Model(12, "Bone", "LimbNode", SceneTest::P("Lcl Translation", "Lcl Translation", "0,0,2")) +
            SceneTest::MeshGeometry(20, "Body", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, -3},
                                    SceneTest::Layer("LayerElementNormal", "ByPolygonVertex", "Direct", "Normals", {0, 0, 1, 0, 0, 1, 0, 0, 1})) +
            "\tDeformer: 30, \"Deformer::Skin\", \"Skin\" {\n\t}\n" +
            "\tDeformer: 31, \"SubDeformer::Cluster\", \"Cluster\" {\n" + SceneTest::Array("Indexes", std::vector<int>{0, 1, 2}) +
            SceneTest::Array("Weights", std::vector<double>{1, 1, 1}) + Matrix("Transform", 1, 2, 3) + Matrix("TransformLink", 4, 5, 6) + "\t}\n";
        const std::string links = SceneTest::OO(10, 0) + SceneTest::OO(11, 10) + SceneTest::OO(12, 10) + SceneTest::OO(20, 11) +
                                  SceneTest::OO(30, 20) + SceneTest::OO(31, 30) + SceneTest::OO(12, 31);
        return SceneTest::File(objects, links, SceneTest::P("UnitScaleFactor", "double", std::to_string(aUnit)));
    }

    // aTransform must be aLink times the quarter-turn matrix the file stores with translation aStored.
    void ExpectClusterTransform(const AMatrix& aTransform, const AMatrix& aLink, const Vector4& aStored)
    {
        AMatrix stored;
        stored.SetRow(0, {0, 1, 0, 0});
        stored.SetRow(1, {-1, 0, 0, 0});
        stored.SetRow(2, {0, 0, 1, 0});
        stored.SetRow(3, {aStored.x, aStored.y, aStored.z, 1});
        const AMatrix expected = aLink * stored;
        for (int r = 0; r < 4; ++r)
            ExpectNear(aTransform.GetRow(r), expected.GetRow(r), 1e-9);
    }

    const Cluster& TheCluster(Scene& aScene)
    {
        const Mesh* mesh = aScene.FindNodeByName("Body")->GetMesh();
        return *mesh->GetDeformer(0, DeformerType::Skin)->As<Skin>()->GetCluster(0);
    }
}

TEST(SceneUnits, MetresBecomeCentimetresForEveryTranslationButNotControlPoints)
{
    Loaded metres, reference;
    ASSERT_TRUE(metres.LoadText(SkinnedFile(100.0)));
    ASSERT_TRUE(reference.LoadText(SkinnedFile(100.0)));
    Scene& scene = metres.Scene();
    EXPECT_EQ(scene.GetGlobalSettings().GetSystemUnit(), SystemUnit::METRE);

    // Evaluated once before converting: nothing remembered from then may survive the conversion.
    const Vector4 boneInMetres = metres.Node("Bone").EvaluateGlobalTransform().GetT();
    SystemUnit::CENTIMETRE.ConvertScene(&scene, UnitConversionOptions());
    EXPECT_EQ(scene.GetGlobalSettings().GetSystemUnit(), SystemUnit::CENTIMETRE);
    ExpectNear(metres.Node("Bone").EvaluateGlobalTransform().GetT(), boneInMetres * 100.0, 1e-9);

    for (const char* name : {"Root", "Body", "Bone"})
    {
        SCOPED_TRACE(name);
        const AMatrix before = reference.Node(name).EvaluateGlobalTransform();
        const AMatrix after = metres.Node(name).EvaluateGlobalTransform();
        ExpectNear(after.GetT(), before.GetT() * 100.0, 1e-9);
        for (int r = 0; r < 3; ++r)
            ExpectNear(after.GetRow(r), before.GetRow(r), 1e-12);
        ExpectNear(metres.Node(name).EvaluateLocalTransform().GetT(), reference.Node(name).EvaluateLocalTransform().GetT() * 100.0, 1e-9);
    }
    ExpectNear(metres.Node("Body").GetGeometricTranslation(), {50, 0, 0}, 1e-12);
    ExpectNear(metres.Node("Body").GetMesh()->GetControlPointAt(1), {1, 0, 0}, 0.0);

    // The mesh's transform at binding is the bone's times the stored bone-relative one, both in centimetres.
    AMatrix transform, link;
    TheCluster(scene).GetTransformMatrix(transform);
    TheCluster(scene).GetTransformLinkMatrix(link);
    ExpectNear(link.GetT(), {400, 500, 600}, 1e-9);
    ExpectNear(link.GetRow(0), {0, 1, 0}, 0.0);
    ExpectClusterTransform(transform, link, {100, 200, 300});

    // Converting again, or converting a centimetre file, changes nothing.
    const AMatrix once = metres.Node("Bone").EvaluateGlobalTransform();
    SystemUnit::CENTIMETRE.ConvertScene(&scene);
    ExpectNear(metres.Node("Bone").EvaluateGlobalTransform(), once, 0.0);

    // Clusters stay as stored when their option is off.
    Loaded unconverted;
    ASSERT_TRUE(unconverted.LoadText(SkinnedFile(100.0)));
    UnitConversionOptions options;
    options.convertClusters = false;
    SystemUnit::CENTIMETRE.ConvertScene(&unconverted.Scene(), options);
    TheCluster(unconverted.Scene()).GetTransformMatrix(transform);
    TheCluster(unconverted.Scene()).GetTransformLinkMatrix(link);
    ExpectNear(link.GetT(), {4, 5, 6}, 0.0);
    ExpectClusterTransform(transform, link, {1, 2, 3});
}

TEST(SceneAxes, ChangeOfBasisForCommonFileAxes)
{
    const AxisSystem directX(AxisSystem::Preset::DirectX);
    EXPECT_FALSE(directX.IsRightHanded());
    EXPECT_TRUE(AxisSystem(AxisSystem::Preset::MayaYUp).IsRightHanded());
    EXPECT_TRUE(AxisSystem(AxisSystem::Preset::Max).IsRightHanded());
    EXPECT_EQ(directX.GetConversionFrom(directX), AMatrix());

    // Y up, right-handed: Z flips; X and Y stay.
    const AMatrix fromMaya = directX.GetConversionFrom(AxisSystem(AxisSystem::Preset::MayaYUp));
    ExpectNear(fromMaya.MultR({1, 2, 3}), {1, 2, -3}, 0.0);
    // Z up (3ds Max): up becomes Y, the front (-Y) becomes Direct3D's front (-Z); a mirror as well.
    const AMatrix fromMax = directX.GetConversionFrom(AxisSystem(AxisSystem::Preset::Max));
    ExpectNear(fromMax.MultR({0, 0, 1}), {0, 1, 0}, 0.0);
    ExpectNear(fromMax.MultR({0, -1, 0}), {0, 0, -1}, 0.0);
    ExpectNear(fromMax.MultR({1, 0, 0}), {1, 0, 0}, 0.0);
    // The way back undoes it.
    const AMatrix back = AxisSystem(AxisSystem::Preset::Max).GetConversionFrom(directX);
    ExpectNear(back * fromMax, AMatrix(), 0.0);
    // Invalid axes fall back to Y up.
    EXPECT_EQ(AxisSystem(1, 1, 1, 1, 0, 1), AxisSystem());
}

TEST(SceneAxes, DeepConversionMovesEverythingByOneBasisChange)
{
    for (const char* name : {"maya_pivots_7500_ascii.fbx", "max_transformed_skin_7500_binary.fbx", "maya_game_sausage_7500_binary_wiggle.fbx",
                             "blender_279_uv_set_tangents_7400_binary.fbx"})
    {
        SCOPED_TRACE(name);
        Loaded converted, original;
        ASSERT_TRUE(converted.LoadFixture(name));
        ASSERT_TRUE(original.LoadFixture(name));
        const AxisSystem target(AxisSystem::Preset::DirectX);
        const AMatrix basis = target.GetConversionFrom(original.Scene().GetGlobalSettings().GetAxisSystem());
        const AMatrix inverse = basis.Inverse();
        target.DeepConvertScene(&converted.Scene());
        EXPECT_EQ(converted.Scene().GetGlobalSettings().GetAxisSystem(), target);
        const double mirror = basis.GetRow(0).Dot3(basis.GetRow(1).Cross3(basis.GetRow(2)));

        const Time time(Time::TICKS_PER_SECOND / 3);
        for (int n = 0; n < original.Scene().GetNodeCount(); ++n)
        {
            const Node& before = *original.Scene().GetNode(n);
            const Node& after = *converted.Scene().GetNode(n);
            ExpectNear(after.EvaluateGlobalTransform(time), basis * before.EvaluateGlobalTransform(time) * inverse, 1e-9);
            ExpectNear(after.EvaluateLocalTransform(time), basis * before.EvaluateLocalTransform(time) * inverse, 1e-9);
            ExpectNear(after.GetGeometricTransform(), basis * before.GetGeometricTransform() * inverse, 1e-9);

            const Mesh* meshBefore = before.GetMesh();
            const Mesh* meshAfter = after.GetMesh();
            if (!meshBefore)
                continue;
            for (int i = 0; i < meshBefore->GetControlPointsCount(); ++i)
                ExpectNear(meshAfter->GetControlPointAt(i), basis.MultR(meshBefore->GetControlPointAt(i)), 1e-12);
            // A mirror reverses each polygon's corners, and their normals and tangents go with them.
            for (int polygon = 0; polygon < meshBefore->GetPolygonCount(); ++polygon)
            {
                const int size = meshBefore->GetPolygonSize(polygon);
                const int start = meshBefore->GetPolygonVertexIndex(polygon);
                for (int k = 0; k < size; ++k)
                {
                    const int cornerAfter = mirror < 0.0 ? size - 1 - k : k;
                    EXPECT_EQ(meshAfter->GetPolygonVertex(polygon, cornerAfter), meshBefore->GetPolygonVertex(polygon, k));
                    Vector4 normalBefore, normalAfter;
                    meshBefore->GetElementNormal(0)->GetValue(meshBefore->GetPolygonVertex(polygon, k), start + k, polygon, normalBefore);
                    meshAfter->GetElementNormal(0)->GetValue(meshAfter->GetPolygonVertex(polygon, cornerAfter), start + cornerAfter, polygon, normalAfter);
                    ExpectNear(normalAfter, basis.MultR(normalBefore), 1e-12);
                    if (meshBefore->GetElementTangentCount() > 0)
                    {
                        Vector4 tangentBefore, tangentAfter;
                        meshBefore->GetElementTangent(0)->GetValue(-1, start + k, polygon, tangentBefore);
                        meshAfter->GetElementTangent(0)->GetValue(-1, start + cornerAfter, polygon, tangentAfter);
                        ExpectNear(tangentAfter, basis.MultR(tangentBefore), 1e-12);
                        EXPECT_EQ(tangentAfter.w, tangentBefore.w * mirror);
                    }
                }
            }
            // Skinning gives the converted result of the unconverted skinning.
            for (int d = 0; d < meshBefore->GetDeformerCount(DeformerType::Skin); ++d)
            {
                const Skin* skinBefore = meshBefore->GetDeformer(d, DeformerType::Skin)->As<Skin>();
                const Skin* skinAfter = meshAfter->GetDeformer(d, DeformerType::Skin)->As<Skin>();
                for (int c = 0; c < skinBefore->GetClusterCount(); ++c)
                {
                    AMatrix transformBefore, linkBefore, transformAfter, linkAfter;
                    skinBefore->GetCluster(c)->GetTransformMatrix(transformBefore);
                    skinBefore->GetCluster(c)->GetTransformLinkMatrix(linkBefore);
                    skinAfter->GetCluster(c)->GetTransformMatrix(transformAfter);
                    skinAfter->GetCluster(c)->GetTransformLinkMatrix(linkAfter);
                    const AMatrix bindBefore = linkBefore.Inverse() * transformBefore * before.GetGeometricTransform();
                    const AMatrix bindAfter = linkAfter.Inverse() * transformAfter * after.GetGeometricTransform();
                    const Vector4 point = meshBefore->GetControlPointAt(0);
                    ExpectNear(bindAfter.MultT(basis.MultR(point)), basis.MultR(bindBefore.MultT(point)), 1e-6);
                }
            }
        }
        // Converting again is a no-op.
        const AMatrix once = converted.Scene().GetNode(0)->EvaluateGlobalTransform(time);
        target.DeepConvertScene(&converted.Scene());
        ExpectNear(converted.Scene().GetNode(0)->EvaluateGlobalTransform(time), once, 0.0);
    }
}

TEST(SceneAxes, MirroredFacesKeepWindingAroundTheirNormalsWithTheirCornerData)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_cube_7500_binary.fbx"));
    const Mesh* mesh = loaded.Node("pCube1").GetMesh();
    auto windingAgreesWithNormal = [mesh](int aPolygon) {
        const Vector4 a = mesh->GetControlPointAt(mesh->GetPolygonVertex(aPolygon, 0));
        const Vector4 b = mesh->GetControlPointAt(mesh->GetPolygonVertex(aPolygon, 1));
        const Vector4 c = mesh->GetControlPointAt(mesh->GetPolygonVertex(aPolygon, 2));
        Vector4 normal;
        mesh->GetElementNormal(0)->GetValue(-1, mesh->GetPolygonVertexIndex(aPolygon), aPolygon, normal);
        return (b - a).Cross3(c - a).Dot3(normal) > 0.0;
    };
    auto uvOfCorner = [mesh](int aPolygon, int aCorner) {
        Vector2 uv;
        mesh->GetPolygonVertexUV(aPolygon, aCorner, 0, uv);
        return uv;
    };
    const Vector2 lastUvBefore = uvOfCorner(0, mesh->GetPolygonSize(0) - 1);
    const int lastCornerBefore = mesh->GetPolygonVertex(0, mesh->GetPolygonSize(0) - 1);
    for (int polygon = 0; polygon < mesh->GetPolygonCount(); ++polygon)
        EXPECT_TRUE(windingAgreesWithNormal(polygon));
    // Maya's Y-up right-handed axes into Direct3D's left-handed ones: a mirror.
    AxisSystem(AxisSystem::Preset::DirectX).DeepConvertScene(&loaded.Scene());
    for (int polygon = 0; polygon < mesh->GetPolygonCount(); ++polygon)
        EXPECT_TRUE(windingAgreesWithNormal(polygon));
    EXPECT_EQ(mesh->GetPolygonVertex(0, 0), lastCornerBefore);
    EXPECT_EQ(uvOfCorner(0, 0).x, lastUvBefore.x);
    EXPECT_EQ(uvOfCorner(0, 0).y, lastUvBefore.y);
}
