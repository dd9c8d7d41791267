// Real files from real tools: each loads or is refused cleanly, and every result keeps the invariants
// the engine relies on.
#include "ImporterTestSupport.h"

#include <cmath>
#include <random>
#include <thread>

using VelaTest::ImporterTest;

namespace
{
    bool IsRefusedVersion(const std::filesystem::path& aPath)
    {
        return aPath.filename().string().find("6100") != std::string::npos;
    }
}

TEST_F(ImporterTest, EveryFixtureModelLoadsWithValidIndicesHierarchyAndBounds)
{
    size_t loaded = 0;
    for (const auto& path : VelaTest::FbxFixtures())
    {
        const std::string name = path.filename().string();
        VelaFBX::ImportedModel model;
        std::string failure;
        const bool ok = VelaTest::TryLoadModel(path.string(), model, failure);
        if (IsRefusedVersion(path))
        {
            EXPECT_FALSE(ok) << name;
            EXPECT_NE(failure.find("Failed to initialize the FBX Importer! Error was: "), std::string::npos) << failure;
            continue;
        }
        if (!ok)
        {
            // Meshes the engine cannot texture are refused by a thrown error, as designed.
            EXPECT_EQ(failure, "Cannot load FBX file! No UV layers are present in the file.") << name;
            continue;
        }
        ++loaded;
        VelaTest::ExpectValidModel(model, name);
        // A file with only a skeleton leaves the output as it was.
        if (!model.meshes.empty() || !model.lodGroups.empty())
        {
            EXPECT_EQ(model.name, path.string()) << name;
        }
        else
        {
            EXPECT_TRUE(model.name.empty()) << name;
        }
    }
    EXPECT_GE(loaded, 22u);
}

TEST_F(ImporterTest, OtherToolsFilesLoadOrAreRefusedCleanly)
{
    for (const auto& path : VelaTest::OtherToolFbxFiles())
    {
        VelaFBX::ImportedModel model;
        std::string failure;
        if (VelaTest::TryLoadModel(path.string(), model, failure))
            VelaTest::ExpectValidModel(model, path.filename().string());
        else
        {
            EXPECT_FALSE(failure.empty()) << path;
        }
    }
}

TEST_F(ImporterTest, WithoutDeduplicationEveryCornerIsItsOwnVertex)
{
    VelaFBX::ImportedModel shared, separate;
    std::string failure;
    const std::string path = VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx").string();
    ASSERT_TRUE(VelaTest::TryLoadModel(path, shared, failure, true)) << failure;
    ASSERT_TRUE(VelaTest::TryLoadModel(path, separate, failure, false)) << failure;
    ASSERT_EQ(shared.meshes.size(), 1u);
    ASSERT_EQ(separate.meshes.size(), 1u);
    EXPECT_EQ(separate.meshes[0].vertices.size(), separate.meshes[0].indices.size());
    EXPECT_EQ(separate.meshes[0].indices.size(), 36u);
    EXPECT_EQ(shared.meshes[0].indices.size(), 36u);
    // A cube with per-face normals and UVs shares each corner between the face's two triangles.
    EXPECT_EQ(shared.meshes[0].vertices.size(), 24u);
}

TEST_F(ImporterTest, FixtureAnimationsHaveConsistentFramesAndDurations)
{
    size_t animated = 0;
    for (const auto& path : VelaTest::FbxFixtures())
    {
        if (IsRefusedVersion(path))
            continue;
        const std::string name = path.filename().string();
        VelaFBX::ImportedAnimation animation;
        try
        {
            if (!VelaFBX::LoadAnimation(path.string(), animation))
            {
                ADD_FAILURE() << name << ": " << VelaFBX::GetLastError();
                continue;
            }
        }
        catch (const std::runtime_error& aError)
        {
            // Files without bones or without a stack are refused by a thrown error.
            const std::string message = aError.what();
            EXPECT_TRUE(message.find("has no skeleton!") != std::string::npos ||
                        message.find("has no animation stack!") != std::string::npos)
                << name << ": " << message;
            continue;
        }
        ++animated;
        EXPECT_EQ(animation.frameCount, static_cast<int64_t>(animation.frames.size())) << name;
        EXPECT_GT(animation.frameRate, 0.0f) << name;
        EXPECT_GE(animation.duration, 0.0) << name;
        // Frames cover the take: duration x rate + 1, give or take the rounding of both ends.
        EXPECT_NEAR(static_cast<double>(animation.frameCount), animation.duration * animation.frameRate + 1.0, 1.01) << name;
        for (const VelaFBX::AnimationFrame& frame : animation.frames)
        {
            // Every frame holds every bone.
            ASSERT_FALSE(frame.localTransforms.empty()) << name;
            ASSERT_EQ(frame.localTransforms.size(), animation.frames[0].localTransforms.size()) << name;
            ASSERT_EQ(frame.globalTransforms.size(), frame.localTransforms.size()) << name;
            for (const auto& [boneName, matrix] : frame.localTransforms)
            {
                for (float value : matrix.values)
                    ASSERT_TRUE(std::isfinite(value)) << name << " " << boneName;
            }
        }
    }
    EXPECT_GE(animated, 3u);
}

TEST_F(ImporterTest, MissingForeignAndUninitialisedFilesFailWithTheirMessages)
{
    VelaFBX::ImportedModel model;
    model.name = "untouched";
    EXPECT_FALSE(VelaFBX::LoadModel("/nonexistent/model.fbx", model, false, true));
    EXPECT_EQ(VelaFBX::GetLastError(), "FBX File not found! (/nonexistent/model.fbx)");
    EXPECT_EQ(model.name, "untouched");

    VelaTest::TempDirectory folder;
    const auto notFbx = folder.Write("picture.fbx", "\x89PNG\r\n\x1a\n not an fbx file at all");
    EXPECT_FALSE(VelaFBX::LoadModel(notFbx.string(), model, false, true));
    EXPECT_EQ(VelaFBX::GetLastError().rfind("Failed to initialize the FBX Importer! Error was: ", 0), 0u) << VelaFBX::GetLastError();
    EXPECT_EQ(VelaFBX::GetLastError().back(), '.');

    VelaFBX::ImportedAnimation animation;
    EXPECT_FALSE(VelaFBX::LoadAnimation(notFbx.string(), animation));
    EXPECT_EQ(VelaFBX::GetLastError().rfind("Failed to initialize the FBX Importer! Error was: ", 0), 0u);

    VelaFBX::UninitImporter();
    const std::string cube = VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx").string();
    EXPECT_FALSE(VelaFBX::LoadModel(cube, model, false, true));
    EXPECT_EQ(VelaFBX::GetLastError(), "Failed to create the FBX Importer! Did you call InitImporter()?");
    EXPECT_FALSE(VelaFBX::LoadAnimation(cube, animation));
    EXPECT_EQ(VelaFBX::GetLastError().rfind("Failed to create the FBX Importer! Error was: ", 0), 0u);

    // Initialising again after a tear-down works.
    VelaFBX::InitImporter();
    VelaFBX::InitImporter();
    EXPECT_TRUE(VelaFBX::LoadModel(cube, model, false, true));
}

TEST_F(ImporterTest, ConcurrentImportsAreSerialisedAndAgree)
{
    const std::string path = VelaTest::FixturePath("fbx/maya_game_sausage_7500_binary_wiggle.fbx").string();
    constexpr int THREADS = 4;
    std::vector<VelaFBX::ImportedModel> models(THREADS);
    std::vector<int> results(THREADS, -1);
    std::vector<std::thread> threads;
    for (int i = 0; i < THREADS; ++i)
    {
        threads.emplace_back([&, i]
                             {
                                 std::string failure;
                                 results[static_cast<size_t>(i)] = VelaTest::TryLoadModel(path, models[static_cast<size_t>(i)], failure) ? 1 : 0;
                             });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < THREADS; ++i)
    {
        ASSERT_EQ(results[static_cast<size_t>(i)], 1);
        ASSERT_EQ(models[static_cast<size_t>(i)].meshes.size(), models[0].meshes.size());
        for (size_t m = 0; m < models[0].meshes.size(); ++m)
            EXPECT_EQ(models[static_cast<size_t>(i)].meshes[m].indices, models[0].meshes[m].indices);
    }
}

TEST_F(ImporterTest, DamagedFixturesNeverCrashTheImport)
{
    VelaTest::TempDirectory folder;
    std::mt19937 random(99);
    for (const auto& path : VelaTest::FbxFixtures())
    {
        const std::string content = VelaTest::ReadFile(path);
        std::uniform_int_distribution<size_t> position(0, content.size() - 1);
        for (int trial = 0; trial < 12; ++trial)
        {
            std::string damaged = content;
            if (trial % 3 == 0)
                damaged.resize(position(random));
            else
            {
                for (int flip = 0; flip < trial; ++flip)
                    damaged[position(random)] ^= static_cast<char>(1 << (flip % 8));
            }
            const auto file = folder.Write("damaged.fbx", damaged);
            VelaFBX::ImportedModel model;
            std::string failure;
            if (VelaTest::TryLoadModel(file.string(), model, failure))
                VelaTest::ExpectValidModel(model, path.filename().string() + " damaged");
            VelaFBX::ImportedAnimation animation;
            try
            {
                if (VelaFBX::LoadAnimation(file.string(), animation))
                {
                    EXPECT_EQ(animation.frameCount, static_cast<int64_t>(animation.frames.size()));
                }
            }
            catch (const std::exception&)
            {
            }
        }
    }
}
