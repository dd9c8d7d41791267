#include "ModelFactoryTestSupport.h"

#include "mire/model/ModelImport.h"

#include <cmath>
#include <thread>

using VelaTest::ModelFactoryTest;

namespace
{
    constexpr const char* CUBE_FIXTURE = "maya_cube_7500_binary.fbx";
}

TEST_F(ModelFactoryTest, SamePathGivesTheSameModelAndInstancesShareIt)
{
    const std::string path = "fbx/" + std::string(CUBE_FIXTURE);
    std::shared_ptr<Vela::Model> first = Factory().GetModel(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(Factory().GetModel(path), first);
    EXPECT_FALSE(first->GetMeshes().empty());
    EXPECT_EQ(first->GetPath(), Vela::Settings::ResolveAssetPath(path));

    Vela::ModelInstance instance = Factory().GetModelInstance(path);
    EXPECT_EQ(instance.GetModel(), first);
    EXPECT_EQ(instance.GetTextures(), first->GetTextures());
    EXPECT_EQ(instance.GetTransform(), Vela::Matrix4x4<float>());

    // A copy shares the model but owns its transform.
    Vela::ModelInstance copy = instance;
    copy.SetTransform(Vela::Matrix4x4<float>::CreateTranslation({ 1.0f, 2.0f, 3.0f }));
    EXPECT_EQ(copy.GetModel(), instance.GetModel());
    EXPECT_EQ(instance.GetTransform(), Vela::Matrix4x4<float>());

    // A model without bones gives an animated instance without a model.
    EXPECT_FALSE(Factory().GetAnimatedModelInstance(path).GetModel());
}

TEST_F(ModelFactoryTest, MissingFileGivesNothingRegistersNoWatchAndIsTriedAgain)
{
    EXPECT_FALSE(Factory().GetModel("props/Crate.fbx"));
    EXPECT_FALSE(Factory().GetModelInstance("props/Crate.fbx").GetModel());
    EXPECT_TRUE(myWatches.empty());

    PlaceFixture(CUBE_FIXTURE, "props/Crate.fbx");
    std::shared_ptr<Vela::Model> model = Factory().GetModel("props/Crate.fbx");
    ASSERT_TRUE(model);
    ASSERT_EQ(myWatches.size(), 1u);
    EXPECT_EQ(myWatches[0].first, (myGameRoot.Path() / "props/Crate.fbx").string());
}

TEST_F(ModelFactoryTest, ChangedFileReloadsToANewModelWhileTheOldOneStaysValid)
{
    PlaceFixture(CUBE_FIXTURE, "props/Crate.fbx");
    std::shared_ptr<Vela::Model> old = Factory().GetModel("props/Crate.fbx");
    ASSERT_TRUE(old);
    ASSERT_EQ(myWatches.size(), 1u);

    PlaceFixture("maya_cube_7500_ascii.fbx", "props/Crate.fbx");
    myWatches[0].second();
    std::shared_ptr<Vela::Model> reloaded = Factory().GetModel("props/Crate.fbx");
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded, old);
    EXPECT_EQ(Factory().GetModel("props/Crate.fbx"), reloaded);
    // The old model is untouched for whoever still holds it, and the watch is not registered twice.
    ASSERT_FALSE(old->GetMeshes().empty());
    EXPECT_TRUE(old->GetMeshes()[0].myVertexBuffer);
    EXPECT_EQ(old->GetMeshes()[0].myVertices.size(), old->GetMeshes()[0].myVertexCount);
    EXPECT_EQ(myWatches.size(), 1u);

    // A change after the factory is gone reaches nothing.
    Vela::ModelFactory::DestroyInstance();
    myWatches[0].second();
}

TEST_F(ModelFactoryTest, FailedImportsAndBuffersAreNotCachedButTheFileIsWatched)
{
    myGameRoot.Write("props/Broken.fbx", "Kaydara FBX Binary  \0 this is not really a model");
    EXPECT_FALSE(Factory().GetModel("props/Broken.fbx"));
    EXPECT_FALSE(Factory().GetModel("props/Broken.fbx"));
    // Watched before the import, once.
    EXPECT_EQ(myWatches.size(), 1u);

    PlaceFixture(CUBE_FIXTURE, "props/Broken.fbx");
    myDevice.myFailBuffers = true;
    EXPECT_FALSE(Factory().GetModel("props/Broken.fbx"));
    myDevice.myFailBuffers = false;
    EXPECT_TRUE(Factory().GetModel("props/Broken.fbx"));
}

TEST_F(ModelFactoryTest, CubeAndPlaneAreBuiltAndCachedByName)
{
    std::shared_ptr<Vela::Model> cube = Factory().GetModel("Cube");
    ASSERT_TRUE(cube);
    ASSERT_EQ(cube->GetMeshes().size(), 1u);
    const Vela::MeshData& mesh = cube->GetMeshes()[0];
    EXPECT_EQ(mesh.myName, "Cube");
    EXPECT_EQ(cube->GetPath(), "Cube");
    EXPECT_EQ(mesh.myVertexCount, 24u);
    EXPECT_EQ(mesh.myIndexCount, 36u);
    EXPECT_EQ(mesh.myStride, 180u);

    // Immutable GPU buffers holding exactly the CPU copies.
    Vela::Gfx::BufferDesc vertexDesc;
    mesh.myVertexBuffer->GetDesc(&vertexDesc);
    EXPECT_EQ(vertexDesc.byteWidth, 24u * 180u);
    EXPECT_EQ(vertexDesc.usage, Vela::Gfx::Usage::IMMUTABLE);
    EXPECT_EQ(vertexDesc.bindFlags, Vela::Gfx::BIND_VERTEX_BUFFER);
    EXPECT_EQ(vertexDesc.cpuAccessFlags, 0u);
    const auto* vertexBytes = static_cast<VelaTest::FakeBuffer*>(mesh.myVertexBuffer.Get());
    EXPECT_EQ(std::memcmp(vertexBytes->myBytes.data(), mesh.myVertices.data(), 24 * 180), 0);
    Vela::Gfx::BufferDesc indexDesc;
    mesh.myIndexBuffer->GetDesc(&indexDesc);
    EXPECT_EQ(indexDesc.byteWidth, 36u * 4u);
    EXPECT_EQ(indexDesc.bindFlags, Vela::Gfx::BIND_INDEX_BUFFER);

    // Every face lies on its own side of the cube and faces outwards; indices stay within their face.
    for (const Vela::ModelVertex& vertex : mesh.myVertices)
    {
        EXPECT_EQ(vertex.myNormal[0] * vertex.myPosition[0] + vertex.myNormal[1] * vertex.myPosition[1] +
                      vertex.myNormal[2] * vertex.myPosition[2], 50.0f);
        EXPECT_EQ(vertex.myPosition[3], 1.0f);
    }
    for (size_t i = 0; i < mesh.myIndices.size(); ++i)
        EXPECT_EQ(mesh.myIndices[i] / 4, i / 6);
    EXPECT_FLOAT_EQ(mesh.myBounds.myRadius, std::sqrt(3.0f) * 50.0f);
    EXPECT_EQ(mesh.myBounds.myCentre, (Vela::Vector3<float>{ 0.0f, 0.0f, 0.0f }));

    // Primitives have no material and no file: the four default textures.
    const Vela::MeshTextures& textures = cube->GetTextures()[0];
    EXPECT_EQ(textures[0], FakeTexture("Textures/T_Default_c.dds"));
    EXPECT_EQ(textures[1], FakeTexture("Textures/T_Default_n.dds"));
    EXPECT_EQ(textures[2], FakeTexture("Textures/T_Default_m.dds"));
    EXPECT_EQ(textures[3], FakeTexture("Textures/T_Default_fx.dds"));
    EXPECT_EQ(cube->GetTextures()[1][0], nullptr);

    std::shared_ptr<Vela::Model> plane = Factory().GetModel("Plane");
    ASSERT_TRUE(plane);
    EXPECT_EQ(plane->GetMeshes()[0].myIndices, (std::vector<uint32_t>{ 0, 1, 2, 0, 2, 3 }));
    EXPECT_FLOAT_EQ(plane->GetMeshes()[0].myBounds.myHalfExtents.y, 0.0f);
}

TEST_F(ModelFactoryTest, WithoutBuffersNoPrimitiveIsCached)
{
    myDeviceAvailable = false;
    EXPECT_FALSE(Factory().GetModel("Cube"));
    EXPECT_FALSE(Factory().GetModel("Plane"));
}

TEST_F(ModelFactoryTest, MaterialTexturesFollowTheSuffixChainThenTheDefaults)
{
    Vela::MeshData mesh;
    mesh.myMaterialName = "Wood";
    Vela::Model model;
    ASSERT_TRUE(model.Init({ mesh }, "props/Crate.fbx"));
    Factory();

    const std::vector<std::string> colourChain = { "props/Wood_C.dds", "props/Wood_D.dds", "props/Crate_C.dds", "props/Crate_D.dds" };
    for (size_t present = 0; present <= colourChain.size(); ++present)
    {
        myExistingTextures.clear();
        // Every name after the expected winner exists too, so the order is what decides.
        for (size_t i = present; i < colourChain.size(); ++i)
        {
            myExistingTextures.insert(colourChain[i]);
        }
        myTextureRequests.clear();
        Factory().LoadMaterialTextures("props/Crate.fbx", model);
        const Vela::Texture* expected = present < colourChain.size() ? FakeTexture(colourChain[present]) : FakeTexture("Textures/T_Default_c.dds");
        EXPECT_EQ(model.GetTextures()[0][0], expected) << present;
    }

    myExistingTextures = { "props/Crate_N.dds", "props/Wood_M.dds", "props/Crate_M.dds" };
    myTextureRequests.clear();
    myTextureModes.clear();
    Factory().LoadMaterialTextures("props/Crate.fbx", model);
    const Vela::MeshTextures& textures = model.GetTextures()[0];
    EXPECT_EQ(textures[1], FakeTexture("props/Crate_N.dds"));
    EXPECT_EQ(textures[2], FakeTexture("props/Wood_M.dds"));
    EXPECT_EQ(textures[3], FakeTexture("Textures/T_Default_fx.dds"));
    const std::vector<std::string> expectedRequests = {
        "props/Wood_C.dds", "props/Wood_D.dds", "props/Crate_C.dds", "props/Crate_D.dds", "default:Textures/T_Default_c.dds",
        "props/Wood_N.dds", "props/Crate_N.dds",
        "props/Wood_M.dds",
        "props/Wood_FX.dds", "props/Crate_FX.dds", "default:Textures/T_Default_fx.dds",
    };
    EXPECT_EQ(myTextureRequests, expectedRequests);
    // Colour in sRGB, everything else as linear data.
    EXPECT_EQ(myTextureModes.front(), Vela::TextureSrgbMode::ForceSrgb);
    EXPECT_EQ(myTextureModes.back(), Vela::TextureSrgbMode::IgnoreSrgb);

    // Backslashes separate folders as well; a path without a dot is its own base.
    myExistingTextures = { "art\\Wood_C.dds", "art\\noext_N.dds" };
    Vela::Model other;
    ASSERT_TRUE(other.Init({ mesh }, "art\\noext"));
    Factory().LoadMaterialTextures("art\\noext", other);
    EXPECT_EQ(other.GetTextures()[0][0], FakeTexture("art\\Wood_C.dds"));
    EXPECT_EQ(other.GetTextures()[0][1], FakeTexture("art\\noext_N.dds"));
}

TEST_F(ModelFactoryTest, ConcurrentFirstRequestsShareOneFactoryAndOneModel)
{
    Vela::ModelFactory::DestroyInstance();
    const std::string path = "fbx/" + std::string(CUBE_FIXTURE);
    std::vector<std::thread> threads;
    std::vector<std::shared_ptr<Vela::Model>> models(6);
    std::vector<Vela::ModelFactory*> factories(6);
    for (size_t i = 0; i < models.size(); ++i)
    {
        threads.emplace_back([&, i]() {
            factories[i] = &Vela::ModelFactory::GetInstance();
            models[i] = factories[i]->GetModel(path);
        });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (size_t i = 0; i < models.size(); ++i)
    {
        EXPECT_EQ(factories[i], factories[0]);
        ASSERT_TRUE(models[i]);
        EXPECT_EQ(models[i], models[0]);
    }
    EXPECT_EQ(myWatches.size(), 1u);

    // Clips too: loads may overlap, but every caller gets the one cached first.
    const std::string clipPath = "fbx/maya_game_sausage_7500_binary_wiggle.fbx";
    std::shared_ptr<Vela::Model> skinned = Factory().GetModel(clipPath);
    ASSERT_TRUE(skinned);
    std::vector<std::shared_ptr<Vela::Animation>> clips(models.size());
    threads.clear();
    for (size_t i = 0; i < clips.size(); ++i)
    {
        threads.emplace_back([&, i]() { clips[i] = Factory().GetAnimationPlayer(clipPath, skinned).GetAnimation(); });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (const auto& clip : clips)
    {
        ASSERT_TRUE(clip);
        EXPECT_EQ(clip, clips[0]);
    }
}

TEST_F(ModelFactoryTest, ColourlessVerticesDrawWhite)
{
    std::shared_ptr<Vela::Model> model = Factory().GetModel("fbx/" + std::string(CUBE_FIXTURE));
    ASSERT_TRUE(model);
    for (const Vela::ModelVertex& vertex : model->GetMeshes()[0].myVertices)
    {
        for (const auto& colour : vertex.myColors)
        {
            EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
        }
    }
}

TEST_F(ModelFactoryTest, ModelsWithMoreMeshesThanTextureSlotsAreRefusedBeforeAnyBufferIsMade)
{
    Factory();
    const int requestsBefore = myDevice.myBufferRequests;
    // Seven material parts.
    EXPECT_FALSE(Factory().GetModel("fbx/blender_suzanne_multimaterial_7400_binary.fbx"));
    EXPECT_EQ(myDevice.myBufferRequests, requestsBefore);

    // Four is the limit and fills every slot.
    std::shared_ptr<Vela::Model> four = Factory().GetModel("fbx/max_tangent_sign_7700_binary.fbx");
    ASSERT_TRUE(four);
    ASSERT_EQ(four->GetMeshes().size(), 4u);
    for (const Vela::MeshTextures& textures : four->GetTextures())
        for (const Vela::Texture* texture : textures)
            EXPECT_NE(texture, nullptr);
}

TEST_F(ModelFactoryTest, TexturesOfAFileAreLookedUpByItsMaterialNextToIt)
{
    std::shared_ptr<Vela::Model> model = Factory().GetModel("fbx/blender_293_material_mapping_7400_binary.fbx");
    ASSERT_TRUE(model);
    const std::string material = model->GetMeshes()[0].myMaterialName;
    ASSERT_FALSE(material.empty());
    // Looked up by the requested, root-relative path: the asset lookup re-roots every name it is given.
    const std::string directory = "fbx/";
    const std::string base = "fbx/blender_293_material_mapping_7400_binary";
    const auto requested = [&](const std::string& aPath) {
        return std::find(myTextureRequests.begin(), myTextureRequests.end(), aPath) != myTextureRequests.end();
    };
    EXPECT_TRUE(requested(directory + material + "_C.dds")) << testing::PrintToString(myTextureRequests);
    EXPECT_TRUE(requested(base + "_D.dds"));
    EXPECT_TRUE(requested(directory + material + "_FX.dds"));
    EXPECT_EQ(model->GetTextures()[0][0], FakeTexture("Textures/T_Default_c.dds"));
}
