// Written files for what real files lack: materials by polygon, many influences, namespaces,
// sockets and events, LOD groups, missing UVs, files in metres.
#include "FbxTestWriter.h"
#include "ImporterInternal.h"
#include "ImporterTestSupport.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

using VelaTest::FbxTestWriter;
using VelaTest::ImporterTest;

namespace
{
    // Two unit quads side by side in the z = 0 plane.
    const std::vector<FbxTestWriter::Vec3> TWO_QUADS = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}};
    const std::vector<std::vector<int>> TWO_QUAD_POLYGONS = {{0, 1, 2, 3}, {1, 4, 5, 2}};

    class SyntheticModel : public ImporterTest
    {
    protected:
        VelaFBX::ImportedModel Load(const FbxTestWriter& aWriter, bool aDeduplicate = true)
        {
            const auto path = myFolder.Write("model.fbx", aWriter.Build());
            VelaFBX::ImportedModel model;
            EXPECT_TRUE(VelaFBX::LoadModel(path.string(), model, false, aDeduplicate)) << VelaFBX::GetLastError();
            VelaTest::ExpectValidModel(model, "synthetic");
            return model;
        }

        std::string LoadFailure(const FbxTestWriter& aWriter)
        {
            const auto path = myFolder.Write("model.fbx", aWriter.Build());
            VelaFBX::ImportedModel model;
            try
            {
                VelaFBX::LoadModel(path.string(), model, false, true);
            }
            catch (const std::runtime_error& aError)
            {
                return aError.what();
            }
            return "";
        }

        VelaTest::TempDirectory myFolder;
    };

    size_t TriangleCount(const VelaFBX::ImportedMesh& aMesh) { return aMesh.indices.size() / 3; }
}

TEST_F(SyntheticModel, MaterialsByPolygonSplitTheMeshIntoParts)
{
    FbxTestWriter writer;
    const int64_t node = writer.AddModel("Quads", "Mesh", 0);
    FbxTestWriter::MeshOptions options;
    options.polygonMaterials = {1, 0};
    writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS, options);
    writer.AddMaterial("Red", node);
    writer.AddMaterial("Blue", node);
    const VelaFBX::ImportedModel model = Load(writer);

    ASSERT_EQ(model.materials.size(), 2u);
    EXPECT_EQ(model.materials[0].name, "Red");
    EXPECT_EQ(model.materials[1].name, "Blue");
    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.meshes[0].materialIndex, 0u);
    EXPECT_EQ(model.meshes[1].materialIndex, 1u);
    EXPECT_EQ(model.meshes[0].name, "Quads");
    // The first quad (x in 0..1) uses "Blue", the second (x in 1..2) "Red".
    ASSERT_EQ(TriangleCount(model.meshes[0]), 2u);
    ASSERT_EQ(TriangleCount(model.meshes[1]), 2u);
    for (const VelaFBX::Vertex& vertex : model.meshes[0].vertices)
        EXPECT_GE(vertex.position[0], 1.0f - 1e-5f);
    for (const VelaFBX::Vertex& vertex : model.meshes[1].vertices)
        EXPECT_LE(vertex.position[0], 1.0f + 1e-5f);
    // Every part's box spans the whole node.
    EXPECT_NEAR(model.meshes[0].box.minimum[0], 0.0f, 1e-5f);
    EXPECT_NEAR(model.meshes[0].box.maximum[0], 2.0f, 1e-5f);
}

TEST_F(SyntheticModel, AllSameOrMissingMaterialElementPutsEveryPolygonOnTheFirstMaterial)
{
    for (bool allSame : {true, false})
    {
        FbxTestWriter writer;
        const int64_t node = writer.AddModel("Quads", "Mesh", 0);
        FbxTestWriter::MeshOptions options;
        options.materialAllSame = allSame;
        writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS, options);
        writer.AddMaterial("First", node);
        writer.AddMaterial("Second", node);
        const VelaFBX::ImportedModel model = Load(writer);
        ASSERT_EQ(model.meshes.size(), 1u) << allSame;
        EXPECT_EQ(model.meshes[0].materialIndex, 0u);
        EXPECT_EQ(TriangleCount(model.meshes[0]), 4u);
    }
}

TEST_F(SyntheticModel, PolygonsOfAMissingMaterialSlotAndEdgeOnlyMeshesLoseNothing)
{
    // The second quad names slot 5 of a node with two materials: it goes to the first slot.
    FbxTestWriter writer;
    const int64_t node = writer.AddModel("Quads", "Mesh", 0);
    FbxTestWriter::MeshOptions options;
    options.polygonMaterials = {1, 5};
    writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS, options);
    writer.AddMaterial("Red", node);
    writer.AddMaterial("Blue", node);
    // A curve helper: points but no polygons.
    writer.AddMesh(writer.AddModel("Curve", "Mesh", 0), TWO_QUADS, {});
    const VelaFBX::ImportedModel model = Load(writer);
    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.meshes[0].materialIndex, 0u);
    EXPECT_EQ(TriangleCount(model.meshes[0]) + TriangleCount(model.meshes[1]), 4u);
    for (const VelaFBX::Vertex& vertex : model.meshes[0].vertices)
        EXPECT_GE(vertex.position[0], 1.0f - 1e-5f);
    for (const VelaFBX::ImportedMesh& part : model.meshes)
        EXPECT_EQ(part.name, "Quads");
}

TEST_F(SyntheticModel, NodeWithoutMaterialsGivesOnePartWithEveryTriangle)
{
    FbxTestWriter writer;
    const int64_t node = writer.AddModel("Quads", "Mesh", 0);
    writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS);
    const VelaFBX::ImportedModel model = Load(writer, false);
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].materialIndex, 0u);
    EXPECT_EQ(TriangleCount(model.meshes[0]), 4u);
    EXPECT_EQ(model.meshes[0].vertices.size(), 12u);
    EXPECT_TRUE(model.materials.empty());
    // UV v is flipped; colour and further UV sets stay zero.
    for (const VelaFBX::Vertex& vertex : model.meshes[0].vertices)
    {
        EXPECT_NEAR(vertex.uvs[0][0], std::fabs(vertex.position[0]), 1e-5f);
        EXPECT_NEAR(vertex.uvs[0][1], 1.0f - std::fabs(vertex.position[1]), 1e-5f);
        EXPECT_EQ(vertex.uvs[1][0], 0.0f);
        EXPECT_EQ(vertex.colors[0][3], 0.0f);
        EXPECT_NEAR(std::sqrt(vertex.normal[0] * vertex.normal[0] + vertex.normal[1] * vertex.normal[1] + vertex.normal[2] * vertex.normal[2]), 1.0f, 1e-4f);
    }
}

TEST_F(SyntheticModel, SkinKeepsFirstFourInfluencesUnnormalisedAndSkipsUnlinkedClusters)
{
    FbxTestWriter writer;
    const int64_t root = writer.AddModel("a:b:Hips", "LimbNode", 0);
    std::vector<int64_t> bones = {root};
    for (int i = 1; i < 5; ++i)
        bones.push_back(writer.AddModel("a:b:Bone" + std::to_string(i), "LimbNode", root));
    const int64_t node = writer.AddModel("Body", "Mesh", 0);
    const int64_t geometry = writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS);
    const int64_t skin = writer.AddSkin(geometry);
    writer.AddCluster(skin, 0, {0, 1}, {0.5, 0.5});  // bound to no bone: ignored
    for (size_t i = 0; i < bones.size(); ++i)
        writer.AddCluster(skin, bones[i], {0}, {0.1 * static_cast<double>(i + 1)});
    const VelaFBX::ImportedModel model = Load(writer);

    ASSERT_EQ(model.skeleton.bones.size(), 5u);
    EXPECT_EQ(model.skeleton.name, "a");
    EXPECT_EQ(model.skeleton.bones[0].name, "Hips");
    EXPECT_EQ(model.skeleton.bones[0].nodeName, "a:b:Hips");
    EXPECT_EQ(model.skeleton.bones[0].children.size(), 4u);
    EXPECT_EQ(model.skeleton.bones[3].parent, 0);

    bool foundPointZero = false;
    for (const VelaFBX::Vertex& vertex : model.meshes.at(0).vertices)
    {
        if (vertex.position[0] != 0.0f || vertex.position[1] != 0.0f)
        {
            // Only the unlinked cluster named these points.
            EXPECT_EQ(vertex.boneWeights[0], 0.0f);
            continue;
        }
        foundPointZero = true;
        for (int slot = 0; slot < 4; ++slot)
        {
            EXPECT_EQ(vertex.boneIndices[slot], static_cast<uint32_t>(slot));
            EXPECT_FLOAT_EQ(vertex.boneWeights[slot], 0.1f * static_cast<float>(slot + 1));
        }
    }
    EXPECT_TRUE(foundPointZero);
}

TEST_F(SyntheticModel, DuplicateBoneNamesAreRefused)
{
    FbxTestWriter writer;
    const int64_t hips = writer.AddModel("x:Hips", "LimbNode", 0);
    writer.AddModel("y:Hips", "LimbNode", hips);
    writer.AddMesh(writer.AddModel("Body", "Mesh", 0), TWO_QUADS, TWO_QUAD_POLYGONS);
    EXPECT_EQ(LoadFailure(writer), "Found more than one bone with the same name [y:Hips]");
}

TEST_F(SyntheticModel, SocketsUnderBonesAndEventMarkersAreRecognisedByTheirEndings)
{
    FbxTestWriter writer;
    const int64_t hips = writer.AddModel("Hips", "LimbNode", 0, {0, 10, 0});
    const int64_t hand = writer.AddModel("Hand", "LimbNode", hips, {5, 0, 0});
    writer.AddModel("Hand_socket", "Null", hand, {1, 2, 0});
    writer.AddModel("Step_evt", "Null", hips);
    writer.AddModel("Step_evt_old", "Null", hips);
    writer.AddModel("Tail_evt", "LimbNode", hips);
    writer.AddMesh(writer.AddModel("Body", "Mesh", 0), TWO_QUADS, TWO_QUAD_POLYGONS);
    const VelaFBX::ImportedModel model = Load(writer);

    // Without a namespace the skeleton takes the file's name.
    EXPECT_EQ(model.skeleton.name, "model");
    ASSERT_EQ(model.skeleton.bones.size(), 3u);
    EXPECT_EQ(model.skeleton.bones[2].nodeName, "Tail_evt");
    ASSERT_EQ(model.skeleton.sockets.size(), 1u);
    const VelaFBX::Socket& socket = model.skeleton.sockets.at("Hand_socket");
    EXPECT_EQ(socket.parent, 1);
    EXPECT_EQ(socket.nodeName, "Hand_socket");
    EXPECT_TRUE(socket.name.empty());
    // Global position (6, 12, 0) in centimetres; the axis change may mirror z only.
    EXPECT_NEAR(socket.matrix[12], 6.0f, 1e-4f);
    EXPECT_NEAR(socket.matrix[13], 12.0f, 1e-4f);
    EXPECT_NEAR(socket.matrix[14], 0.0f, 1e-4f);
}

TEST_F(SyntheticModel, StaticPropKeepsItsSockets)
{
    FbxTestWriter writer;
    const int64_t crate = writer.AddModel("Crate", "Mesh", 0);
    writer.AddMesh(crate, TWO_QUADS, TWO_QUAD_POLYGONS);
    writer.AddModel("Lid_skt", "Null", crate, {0, 1, 0});
    const VelaFBX::ImportedModel model = Load(writer);
    EXPECT_TRUE(model.skeleton.bones.empty());
    ASSERT_EQ(model.skeleton.sockets.count("Lid_skt"), 1u);
    EXPECT_EQ(model.skeleton.sockets.at("Lid_skt").parent, -1);
}

TEST_F(SyntheticModel, FileInMetresHasTranslationsInCentimetresButRawControlPoints)
{
    FbxTestWriter writer;
    writer.SetUnitScale(100.0);
    const int64_t hips = writer.AddModel("Hips", "LimbNode", 0, {0, 1, 0});
    writer.AddModel("Tip_socket", "Null", hips, {0, 0.5, 0});
    writer.AddMesh(writer.AddModel("Body", "Mesh", 0), TWO_QUADS, TWO_QUAD_POLYGONS);
    const VelaFBX::ImportedModel model = Load(writer);

    EXPECT_NEAR(model.skeleton.sockets.at("Tip_socket").matrix[13], 150.0f, 1e-3f);
    float largest = 0.0f;
    for (const VelaFBX::Vertex& vertex : model.meshes.at(0).vertices)
        largest = std::max(largest, std::fabs(vertex.position[0]));
    EXPECT_NEAR(largest, 2.0f, 1e-5f);
}

TEST_F(SyntheticModel, LodGroupsTakeTheirMeshesWithThresholds)
{
    FbxTestWriter writer;
    const int64_t group = writer.AddLodGroup("Rock_LOD", 0, {50.0});  // one threshold short for three levels
    for (int level = 0; level < 3; ++level)
    {
        const int64_t holder = writer.AddModel("LOD_" + std::to_string(level), "Null", group);
        writer.AddMesh(writer.AddModel("Rock" + std::to_string(level), "Mesh", holder), TWO_QUADS, TWO_QUAD_POLYGONS);
    }
    writer.AddMesh(writer.AddModel("Ground", "Mesh", 0), TWO_QUADS, TWO_QUAD_POLYGONS);
    const VelaFBX::ImportedModel model = Load(writer);

    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].name, "Ground");
    ASSERT_EQ(model.lodGroups.size(), 1u);
    ASSERT_EQ(model.lodGroups[0].size(), 3u);
    EXPECT_EQ(model.lodGroups[0][0].threshold, 0.0f);
    EXPECT_EQ(model.lodGroups[0][1].threshold, 50.0f);
    EXPECT_EQ(model.lodGroups[0][2].threshold, 50.0f);  // missing threshold reads as the last one
    for (int level = 0; level < 3; ++level)
    {
        ASSERT_EQ(model.lodGroups[0][static_cast<size_t>(level)].meshes.size(), 1u);
        EXPECT_EQ(model.lodGroups[0][static_cast<size_t>(level)].meshes[0].name, "Rock" + std::to_string(level));
    }
}

TEST_F(SyntheticModel, MeshWithoutUvsIsRefusedAndEmptySceneLeavesOutputAlone)
{
    FbxTestWriter noUvs;
    FbxTestWriter::MeshOptions options;
    options.uvs = false;
    noUvs.AddMesh(noUvs.AddModel("Flat", "Mesh", 0), TWO_QUADS, TWO_QUAD_POLYGONS, options);
    EXPECT_EQ(LoadFailure(noUvs), "Cannot load FBX file! No UV layers are present in the file.");

    FbxTestWriter empty;
    empty.AddModel("Hips", "LimbNode", 0);
    const auto path = myFolder.Write("empty.fbx", empty.Build());
    VelaFBX::ImportedModel model;
    model.name = "untouched";
    EXPECT_TRUE(VelaFBX::LoadModel(path.string(), model, false, true));
    EXPECT_EQ(model.name, "untouched");
    EXPECT_TRUE(model.skeleton.bones.empty());
}

TEST_F(SyntheticModel, TexturesOfMaterialPropertiesAreFound)
{
    FbxTestWriter writer;
    const int64_t node = writer.AddModel("Box", "Mesh", 0);
    writer.AddMesh(node, TWO_QUADS, TWO_QUAD_POLYGONS);
    const int64_t material = writer.AddMaterial("Painted", node);
    writer.AddFileTexture("C:/art/box_c.dds", "..\\textures\\box_c.dds", material, "DiffuseColor");
    const VelaFBX::ImportedModel model = Load(writer);
    ASSERT_EQ(model.materials.size(), 1u);
    const VelaFBX::MaterialTexture& diffuse = model.materials[0].textures[static_cast<size_t>(VelaFBX::MaterialSlot::Diffuse)];
    EXPECT_EQ(diffuse.filePath, "C:/art/box_c.dds");
    EXPECT_EQ(diffuse.relativeFilePath, "..\\textures\\box_c.dds");
    EXPECT_EQ(diffuse.fileName, "box_c.dds");
    EXPECT_TRUE(model.materials[0].textures[static_cast<size_t>(VelaFBX::MaterialSlot::NormalMap)].filePath.empty());
}

TEST(ImporterRecords, BoxesMatricesAndHashesFollowTheirLayout)
{
    const float centre[3] = {0, 0, 0};
    const float half[3] = {1, 2, 3};
    const VelaFBX::MinMaxBox box = VelaFBX::MakeMinMaxBox(centre, half);
    EXPECT_EQ(box.minimum[0], -1.0f);
    EXPECT_EQ(box.minimum[2], -3.0f);
    EXPECT_EQ(box.maximum[1], 2.0f);
    EXPECT_EQ(box.valid, 1);

    VelaFBX::Matrix4x4f matrix;
    matrix[6] = 7.0f;
    EXPECT_EQ(matrix(2, 3), 7.0f);
    EXPECT_EQ(matrix(4, 4), 1.0f);

    VelaFBX::BoundingBox a, b;
    a.centre[0] = 5.0f;
    a.halfExtents[0] = 1.0f;
    b.halfExtents[1] = 2.0f;
    const VelaFBX::BoundingBox combined = VelaFBX::CombineBounds(a, b);
    EXPECT_FLOAT_EQ(combined.centre[0], 3.0f);
    EXPECT_FLOAT_EQ(combined.halfExtents[0], 3.0f);
    EXPECT_FLOAT_EQ(combined.largestHalfExtent, 3.0f);

    // Corners differing only in w, or in the sign of a zero, are one vertex.
    VelaFBX::Vertex first, second;
    first.position[0] = second.position[0] = 1.5f;
    first.position[3] = 1.0f;
    second.normal[2] = -0.0f;
    EXPECT_EQ(VelaFBX::VertexHash(first), VelaFBX::VertexHash(second));
    second.boneIndices[3] = 1;
    EXPECT_NE(VelaFBX::VertexHash(first), VelaFBX::VertexHash(second));
}

TEST(ImporterRecords, DeduplicationJoinsExactlyTheVerticesOfEqualHash)
{
    // The plain formula, value by value: FNV-1a 64 of each value's bytes, combined in layout order.
    auto referenceHash = [](const VelaFBX::Vertex& aVertex) {
        std::vector<uint32_t> values(44);
        std::memcpy(values.data(), aVertex.position, 12);
        std::memcpy(values.data() + 3, aVertex.colors, 164);
        uint64_t seed = 0;
        for (size_t i = 0; i < values.size(); ++i)
        {
            uint32_t value = values[i];
            float asFloat;
            std::memcpy(&asFloat, &value, 4);
            if ((i < 36 || i >= 40) && asFloat == 0.0f)
                value = 0;
            uint64_t hash = 0xcbf29ce484222325ull;
            for (int byte = 0; byte < 4; ++byte)
                hash = (hash ^ ((value >> (8 * byte)) & 0xFF)) * 0x100000001b3ull;
            seed ^= hash + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
        }
        return seed;
    };
    // Many corners over few distinct vertices, some differing only in w or in the sign of a zero.
    std::vector<VelaFBX::Vertex> corners;
    for (int i = 0; i < 5000; ++i)
    {
        VelaFBX::Vertex vertex;
        vertex.position[0] = static_cast<float>(i % 13);
        vertex.position[3] = static_cast<float>(i % 3);
        vertex.uvs[1][0] = i % 5 == 0 ? -0.0f : 0.0f;
        vertex.boneIndices[0] = static_cast<uint32_t>(i % 7);
        vertex.boneWeights[2] = static_cast<float>(i % 2) * 0.25f;
        corners.push_back(vertex);
    }
    // Hashed many at a time, with leftovers of every smaller group size (8, 4 and single vertices).
    std::vector<uint64_t> hashes(corners.size());
    VelaFBX::VertexDeduplicator::HashVertices(corners.data(), 4990, hashes.data());
    VelaFBX::VertexDeduplicator::HashVertices(corners.data() + 4990, 10, hashes.data() + 4990);
    VelaFBX::VertexDeduplicator deduplicator;
    deduplicator.Reset(11);  // fewer than it gets: the table must grow
    std::vector<uint32_t> indices(corners.size());
    std::vector<uint32_t> firsts;
    deduplicator.AddAll(hashes.data(), hashes.size(), indices.data(), firsts);
    std::vector<VelaFBX::Vertex> vertices;
    std::unordered_map<uint64_t, uint32_t> reference;
    for (size_t i = 0; i < corners.size(); ++i)
    {
        const VelaFBX::Vertex& corner = corners[i];
        EXPECT_EQ(VelaFBX::VertexHash(corner), referenceHash(corner));
        EXPECT_EQ(hashes[i], referenceHash(corner));
        const auto [entry, inserted] = reference.try_emplace(referenceHash(corner), static_cast<uint32_t>(reference.size()));
        ASSERT_EQ(indices[i], entry->second);
        if (inserted)
        {
            ASSERT_LT(vertices.size(), firsts.size());
            EXPECT_EQ(firsts[vertices.size()], i);
            vertices.push_back(corner);
        }
    }
    EXPECT_EQ(vertices.size(), 13u * 7u * 2u);
}
