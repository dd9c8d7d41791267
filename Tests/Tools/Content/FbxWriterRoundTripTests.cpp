// The FBX writer's files read back through our FBX document reader and the import library exactly as
// written: geometry, winding, materials, skin weights and bind matrices, sockets, events, LOD groups
// and animation curves.
#include "Platform/fbx/FbxDocument.h"
#include "Support/TestSupport.h"
#include "VelaFBXImporter.h"
#include "Writers/FbxWriter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Vela::Content::FbxNodeKind;
    using Vela::Content::FbxWriter;

    // Two bones, a quad and a triangle with a material each, one point shared by both bones,
    // a socket, an event marker, a two-level LOD group and a one-second clip turning the tip.
    std::string TestScene()
    {
        FbxWriter writer;
        const int64_t root = writer.AddNode("Root", FbxNodeKind::Bone, FbxWriter::SCENE_ROOT);
        const int64_t tip = writer.AddNode("Tip", FbxNodeKind::Bone, root, { 0, 10, 0 });
        writer.AddNode("Grip_socket", FbxNodeKind::Null, tip, { 1, 2, 3 });
        const int64_t event = writer.AddNode("Foot_evt", FbxNodeKind::Null, root);

        Vela::Content::FbxMesh mesh;
        mesh.myPoints = { { 0, 0, 0 }, { 0, 4, 0 }, { 4, 4, 0 }, { 4, 0, 0 }, { 0, 10, 0 }, { 0, 14, 0 }, { 4, 14, 0 } };
        mesh.myPolygons = { { 0, 1, 2, 3 }, { 4, 5, 6 } };
        mesh.myNormals.assign(7, { 0, 0, -1 });
        for (const auto& point : mesh.myPoints)
        {
            mesh.myUvs.push_back({ point[0] / 4.0, point[1] / 14.0 });
            mesh.myColors.push_back({ 1, 0.5, 0.25, 1 });
        }
        mesh.myPolygonMaterials = { 0, 1 };
        const int64_t body = writer.AddNode("Body", FbxNodeKind::Mesh, FbxWriter::SCENE_ROOT);
        const int64_t geometry = writer.AddGeometry(body, mesh);
        writer.AddMaterial("M_First", body);
        writer.AddMaterial("M_Second", body);
        const int64_t skin = writer.AddSkin(geometry);
        writer.AddCluster(skin, root, { 0, 1, 2, 3, 4 }, { 1, 1, 1, 1, 0.25 }, FbxWriter::Translation({ 0, 0, 0 }));
        writer.AddCluster(skin, tip, { 4, 5, 6 }, { 0.75, 1, 1 }, FbxWriter::Translation({ 0, 10, 0 }));
        writer.AddBindPose({ { root, FbxWriter::Translation({ 0, 0, 0 }) }, { tip, FbxWriter::Translation({ 0, 10, 0 }) } });

        const int64_t lods = writer.AddLodGroup("Lods", FbxWriter::SCENE_ROOT, { 100 });
        for (const char* name : { "Near", "Far" })
        {
            Vela::Content::FbxMesh level;
            level.myPoints = { { 0, 0, 5 }, { 0, 1, 5 }, { 1, 0, 5 } };
            level.myPolygons = { { 0, 1, 2 } };
            level.myNormals.assign(3, { 0, 0, -1 });
            level.myUvs.assign(3, { 0, 0 });
            // Each level is a node holding its meshes.
            const int64_t holder = writer.AddNode(std::string(name) + "_Level", FbxNodeKind::Null, lods);
            writer.AddGeometry(writer.AddNode(name, FbxNodeKind::Mesh, holder), level);
        }

        const int64_t layer = writer.AddAnimation("Turn", 1.0);
        writer.AddCurves(layer, tip, "Lcl Rotation", { 0.0, 1.0 }, { { 0, 0, 0 }, { 0, 0, 90 } });
        writer.AddCurves(layer, event, "Lcl Translation", { 0.0, 0.5, 1.0 }, { { 0, 0, 0 }, { 0, 0, 0 }, { 0, 0, 1 } });
        return writer.Build();
    }

    class FbxWriterRoundTrip : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            VelaFBX::InitImporter();
            myFile = myFolder.Write("scene.fbx", TestScene()).string();
        }

        VelaTest::TempDirectory myFolder;
        std::string myFile;
    };

    float Cross2d(const VelaFBX::Vertex& a, const VelaFBX::Vertex& b, const VelaFBX::Vertex& c)
    {
        return (b.position[0] - a.position[0]) * (c.position[1] - a.position[1]) - (b.position[1] - a.position[1]) * (c.position[0] - a.position[0]);
    }
}

TEST_F(FbxWriterRoundTrip, TheDocumentReaderSeesEveryObjectWritten)
{
    Vela::Fbx::Document document;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(myFile, document, error)) << error;
    EXPECT_EQ(document.version, 7400u);
    EXPECT_FALSE(document.isBinary);
    const Vela::Fbx::Record* objects = document.root.Find("Objects");
    ASSERT_TRUE(objects);
    EXPECT_EQ(objects->FindAll("Model").size(), 10u); // two bones, two nulls, the mesh, the group, two levels and their meshes
    EXPECT_EQ(objects->FindAll("Geometry").size(), 3u);
    EXPECT_EQ(objects->FindAll("Material").size(), 2u);
    EXPECT_EQ(objects->FindAll("Deformer").size(), 3u);
    EXPECT_EQ(objects->FindAll("AnimationCurve").size(), 6u);
    EXPECT_TRUE(document.root.Find("Takes"));
}

TEST_F(FbxWriterRoundTrip, TheModelImportsAsWritten)
{
    VelaFBX::ImportedModel model;
    ASSERT_TRUE(VelaFBX::LoadModel(myFile, model, false, true));
    ASSERT_EQ(model.skeleton.bones.size(), 2u);
    EXPECT_EQ(model.skeleton.bones[1].name, "Tip");
    EXPECT_EQ(model.skeleton.bones[1].parent, 0);
    // The bind matrix undoes the bone's place at bind time.
    EXPECT_FLOAT_EQ(model.skeleton.bones[1].matrix(2, 4), -10.0f);
    ASSERT_EQ(model.skeleton.sockets.count("Grip_socket"), 1u);
    const VelaFBX::Socket& socket = model.skeleton.sockets.at("Grip_socket");
    EXPECT_EQ(socket.parent, 1);
    EXPECT_FLOAT_EQ(socket.matrix(4, 2), 12.0f);

    ASSERT_EQ(model.materials.size(), 2u);
    ASSERT_EQ(model.meshes.size(), 2u);
    const VelaFBX::ImportedMesh& quad = model.meshes[0];
    const VelaFBX::ImportedMesh& triangle = model.meshes[1];
    EXPECT_EQ(model.materials[quad.materialIndex].name, "M_First");
    EXPECT_EQ(model.materials[triangle.materialIndex].name, "M_Second");
    EXPECT_EQ(quad.vertices.size(), 4u);
    EXPECT_EQ(quad.indices.size(), 6u);
    for (size_t i = 0; i + 2 < quad.indices.size(); i += 3)
    {
        // Written clockwise seen from -z, where the normals point: the import keeps that winding.
        const float turn = Cross2d(quad.vertices[quad.indices[i]], quad.vertices[quad.indices[i + 1]], quad.vertices[quad.indices[i + 2]]);
        EXPECT_LT(turn, 0.0f);
    }
    for (const VelaFBX::Vertex& vertex : quad.vertices)
    {
        EXPECT_FLOAT_EQ(vertex.uvs[0][1], 1.0f - vertex.position[1] / 14.0f);
        EXPECT_FLOAT_EQ(vertex.colors[0][1], 0.5f);
        EXPECT_FLOAT_EQ(vertex.normal[2], -1.0f);
    }
    // The shared point keeps both bones' weights.
    bool sharedFound = false;
    for (const VelaFBX::Vertex& vertex : triangle.vertices)
        if (vertex.position[1] == 10.0f)
        {
            sharedFound = true;
            EXPECT_FLOAT_EQ(vertex.boneWeights[0] + vertex.boneWeights[1], 1.0f);
            EXPECT_FLOAT_EQ(vertex.boneIndices[0] == 0 ? vertex.boneWeights[0] : vertex.boneWeights[1], 0.25f);
        }
    EXPECT_TRUE(sharedFound);

    ASSERT_EQ(model.lodGroups.size(), 1u);
    ASSERT_EQ(model.lodGroups[0].size(), 2u);
    EXPECT_FLOAT_EQ(model.lodGroups[0][1].threshold, 100.0f);
    EXPECT_EQ(model.lodGroups[0][1].meshes.size(), 1u);
}

TEST_F(FbxWriterRoundTrip, TheClipImportsAsWritten)
{
    VelaFBX::ImportedAnimation animation;
    ASSERT_TRUE(VelaFBX::LoadAnimation(myFile, animation));
    EXPECT_EQ(animation.frameCount, 31);
    EXPECT_DOUBLE_EQ(animation.duration, 1.0);
    EXPECT_FLOAT_EQ(animation.frameRate, 30.0f);
    ASSERT_EQ(animation.frames.size(), 31u);
    // Halfway through, the tip has turned 45 degrees about z, at its place 10 above the root.
    const VelaFBX::Matrix4x4f& half = animation.frames[15].localTransforms.at("Tip");
    EXPECT_NEAR(half(1, 1), std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(half(1, 2), std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(half(4, 2), 10.0f, 1e-4f);
    ASSERT_EQ(animation.eventNames.size(), 1u);
    EXPECT_EQ(animation.eventNames[0], "Foot_evt");
    EXPECT_TRUE(animation.frames[0].activeEvents.empty());
    EXPECT_FALSE(animation.frames[30].activeEvents.empty());
}
