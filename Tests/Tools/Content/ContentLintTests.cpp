// Loads every asset the game names through the engine's own loaders and checks what the game relies
// on: nothing missing, refused or standing in as a placeholder, and models within their limits.
#include "ContentManifest.h"
#include "ContentNames.h"
#include "ContentTestSupport.h"

#include "mire/audio/Sound.h"
#include "mire/video/VideoPlayer.h"
#include "Platform/audio/WavDecoder.h"
#include "Platform/window/CursorFile.h"
#include "VelaFBXImporter.h"

#include <cmath>
#include <set>

namespace
{
    class ContentLintTest : public VelaTest::ContentTest
    {
    protected:
        std::string Resolve(const std::string& aName) { return Vela::Settings::ResolveAssetPath(aName); }

        // Every mesh's material has its colour texture beside the model, and it loads as a real texture.
        void ExpectMaterialTextures(const Vela::Model& aModel, const std::string& aModelFile)
        {
            const std::string folder = std::filesystem::path(aModelFile).parent_path().string() + "/";
            for (const Vela::MeshData& mesh : aModel.GetMeshes())
            {
                const std::string texture = folder + mesh.myMaterialName + "_C.dds";
                const Vela::Texture* loaded = Textures().LoadTexture(texture.c_str(), Vela::TextureSrgbMode::ForceSrgb);
                EXPECT_TRUE(loaded && !loaded->IsPlaceholder()) << texture;
            }
        }

        static std::vector<int16_t> Samples(const std::filesystem::path& aFile)
        {
            const std::string bytes = VelaTest::ReadFile(aFile);
            Vela::Platform::DecodedSound sound;
            std::string error;
            EXPECT_TRUE(Vela::Platform::DecodeWav({ reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() }, 22050, sound, error))
                << aFile << ": " << error;
            return sound.samples;
        }

        // The largest step between neighbouring samples inside a sound: a join may not step further.
        static int LargestStep(const std::vector<int16_t>& someSamples)
        {
            int largest = 0;
            for (size_t i = 1; i < someSamples.size(); ++i)
                largest = std::max(largest, std::abs(someSamples[i] - someSamples[i - 1]));
            return largest;
        }
    };
}

TEST_F(ContentLintTest, EveryCharacterLoadsWithItsClipsWithinTheEngineLimits)
{
    Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
    for (const Vela::Content::AnimatedModelFile& file : Vela::Content::ANIMATED_MODELS)
    {
        SCOPED_TRACE(file.myModel);
        std::shared_ptr<Vela::Model> model = factory.GetModel(file.myModel);
        ASSERT_TRUE(model);
        EXPECT_GE(model->GetMeshes().size(), 1u);
        EXPECT_LE(model->GetMeshes().size(), 4u);
        const std::vector<std::string>& jointNames = model->GetSkeleton().GetJointNames();
        EXPECT_GE(jointNames.size(), 2u);
        EXPECT_LE(jointNames.size(), 128u);
        EXPECT_EQ(std::set<std::string>(jointNames.begin(), jointNames.end()).size(), jointNames.size());
        ExpectMaterialTextures(*model, file.myModel);

        // Straight from the import library: at most four influences per vertex, adding up to one.
        VelaFBX::ImportedModel imported;
        ASSERT_TRUE(VelaFBX::LoadModel(Resolve(file.myModel), imported, false, true));
        for (const VelaFBX::ImportedMesh& mesh : imported.meshes)
            for (const VelaFBX::Vertex& vertex : mesh.vertices)
            {
                float sum = 0.0f;
                for (int i = 0; i < 4; ++i)
                {
                    sum += vertex.boneWeights[i];
                    EXPECT_LT(vertex.boneIndices[i], imported.skeleton.bones.size());
                }
                ASSERT_NEAR(sum, 1.0f, 1e-4f);
            }

        for (const Vela::Content::ClipFile& clip : file.myClips)
        {
            SCOPED_TRACE(clip.myFile);
            Vela::AnimationPlayer player = factory.GetAnimationPlayer(clip.myFile, model);
            ASSERT_TRUE(player.GetAnimation());
            EXPECT_GE(player.GetAnimation()->myFrameCount, 4u);
            if (!clip.myLoops)
            {
                EXPECT_LE(player.GetAnimation()->myDuration, 1.6f); // finite clips are short
            }
            // The clip animates exactly the model's bones, by name.
            VelaFBX::ImportedAnimation animation;
            ASSERT_TRUE(VelaFBX::LoadAnimation(Resolve(clip.myFile), animation));
            ASSERT_FALSE(animation.frames.empty());
            std::set<std::string> clipBones;
            for (const auto& [bone, matrix] : animation.frames.front().localTransforms)
                clipBones.insert(bone);
            EXPECT_EQ(clipBones, std::set<std::string>(jointNames.begin(), jointNames.end()));
        }
    }
}

TEST_F(ContentLintTest, ModelsStandWhereTheGameExpectsThem)
{
    Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
    auto bounds = [&](const char* aFile) {
        std::shared_ptr<Vela::Model> model = factory.GetModel(aFile);
        EXPECT_TRUE(model) << aFile;
        return model ? model->GetMeshes().front().myBounds : Vela::MeshBounds();
    };
    // The player's standing height is its first mesh's half-height: just above the 47.8 of its hurt box.
    const Vela::MeshBounds player = bounds("models/Player/SK_Player.fbx");
    EXPECT_NEAR(player.myHalfExtents.y, 48.1f, 0.01f);
    EXPECT_NEAR(player.myCentre.y, 48.1f, 0.01f);
    for (const char* feetAtOrigin : { "models/Snail/SK_SnailBox.fbx", "models/Glomp/SK_Glomp.fbx", "models/Eyecorn/SK_Eyecorn.fbx" })
    {
        const Vela::MeshBounds box = bounds(feetAtOrigin);
        EXPECT_NEAR(box.myCentre.y - box.myHalfExtents.y, 0.0f, 0.01f) << feetAtOrigin;
        EXPECT_NEAR(box.myCentre.x, 0.0f, 6.0f) << feetAtOrigin;
    }
    const Vela::MeshBounds orb = bounds("models/Props/SM_Orb.fbx");
    EXPECT_NEAR(orb.myCentre.x, 0.0f, 0.01f);
    EXPECT_NEAR(orb.myCentre.y, 0.0f, 0.01f);
    // The scanner plane: flat, from the eye at the origin 91 units along +x.
    const Vela::MeshBounds plane = bounds("visual effects/models/SM_ScannerPlane.fbx");
    EXPECT_EQ(plane.myHalfExtents.y, 0.0f);
    EXPECT_NEAR(plane.myCentre.x - plane.myHalfExtents.x, 0.0f, 0.01f);
    EXPECT_NEAR(plane.myCentre.x + plane.myHalfExtents.x, 91.0f, 0.01f);

    // The Glomp waits on its alarm clip; it lasts about a second.
    std::shared_ptr<Vela::Model> glomp = factory.GetModel("models/Glomp/SK_Glomp.fbx");
    ASSERT_TRUE(glomp);
    Vela::AnimationPlayer alarmed = factory.GetAnimationPlayer("models/Glomp/Anim_Glomp_Alarmed.fbx", glomp);
    ASSERT_TRUE(alarmed.GetAnimation());
    EXPECT_NEAR(alarmed.GetAnimation()->myDuration, 1.0f, 0.05f);
}

TEST_F(ContentLintTest, EveryStaticModelAndEveryTextureTheGameNamesLoads)
{
    Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
    for (const Vela::Content::StaticModelFile& file : Vela::Content::STATIC_MODELS)
    {
        std::shared_ptr<Vela::Model> model = factory.GetModel(file.myModel);
        ASSERT_TRUE(model) << file.myModel;
        EXPECT_LE(model->GetMeshes().size(), 4u);
        ExpectMaterialTextures(*model, file.myModel);
    }
    // The sight cone asks for the scanner plane with backslashes.
    EXPECT_TRUE(factory.GetModel("visual effects\\models\\SM_ScannerPlane.fbx"));

    for (const char* name : VelaTest::GAME_TEXTURES)
    {
        const Vela::Texture* texture = Textures().LoadTexture(name);
        ASSERT_TRUE(texture && !texture->IsPlaceholder()) << name;
        // Everything fits on the 1600 x 900 canvas at its own size, logos at their drawn size.
        const Vela::TextureSize size = texture->GetSize();
        const float shrink = std::string(name).find("LOGO_invert") != std::string::npos ? 4.0f
                             : std::string(name).find("LOGO_GLOMP") != std::string::npos ? 2.0f : 1.0f;
        EXPECT_LE(float(size.width) / shrink, 1600.0f) << name;
        EXPECT_LE(float(size.height) / shrink, 900.0f) << name;
    }
    // Flipbooks: square sheets, so the 4 x 4 and 8 x 8 frames are square.
    for (const char* sheet : { "visual effects/textures/T_flipbook_orb_glow.DDS", "visual effects/textures/T_S_Player_MovePoof.DDS" })
    {
        const Vela::TextureSize size = Textures().GetTexture(sheet)->GetSize();
        EXPECT_EQ(size.width, size.height) << sheet;
    }
    const Vela::TextureSize icon = Textures().GetTexture("GameIcon.png")->GetSize();
    EXPECT_EQ(icon.width, 64u);
    EXPECT_EQ(icon.height, 64u);

    for (const std::string& name : VelaTest::AssetNamesInGameSources(std::filesystem::path(VELA_SOURCE_DIR) / "Source/Game"))
        EXPECT_FALSE(Resolve(name).empty()) << "the game names " << name;
}

TEST_F(ContentLintTest, EverySoundLoadsAndEveryLoopJoinsItselfAndItsIntroWithoutAClick)
{
    for (const VelaTest::SoundName& name : VelaTest::GAME_SOUNDS)
    {
        Vela::Sound sound;
        sound.Init(name.myFile, name.myLoops);
        EXPECT_NE(sound.GetSample(), 0xFFFFFFFFu) << name.myFile;
        const std::vector<int16_t> samples = Samples(PackRoot() / name.myFile);
        ASSERT_GT(samples.size(), 100u) << name.myFile;
        if (name.myLoops)
        {
            EXPECT_LE(std::abs(samples.front() - samples.back()), LargestStep(samples) + 64) << name.myFile;
        }
    }
    for (const auto& [intro, loop] : VelaTest::INTRO_CHAINS)
    {
        const std::vector<int16_t> first = Samples(PackRoot() / intro), second = Samples(PackRoot() / loop);
        ASSERT_FALSE(first.empty() || second.empty());
        EXPECT_LE(std::abs(first.back() - second.front()), LargestStep(second) + 64) << intro;
    }
}

TEST_F(ContentLintTest, TheOpeningVideoAndTheCursorLoad)
{
    Vela::VideoPlayer video;
    ASSERT_TRUE(video.Init(Resolve("Video/OpeningCutscene.mp4").c_str(), true));
    EXPECT_GT(video.GetVideoWidth(), 0u);
    EXPECT_LE(video.GetVideoWidth(), 1280u);
    EXPECT_LE(video.GetVideoHeight(), 720u);

    // The window reads the cursor from the working folder.
    const std::string bytes = VelaTest::ReadFile(std::filesystem::path(VELA_RUNTIME_DIR) / "MouseCursor.cur");
    const auto cursor = Vela::Platform::ParseCursorFile({ reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() });
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->width, 32u);
    EXPECT_EQ(cursor->hotspotX, 1u);
    EXPECT_EQ(cursor->hotspotY, 1u);
}
