// Written animation files: take lengths, fallbacks, event markers and refusals.
#include "FbxTestWriter.h"
#include "ImporterTestSupport.h"

#include <cmath>
#include <exception>

using VelaTest::FbxTestWriter;
using VelaTest::ImporterTest;

namespace
{
    class SyntheticAnimation : public ImporterTest
    {
    protected:
        VelaFBX::ImportedAnimation Load(const FbxTestWriter& aWriter)
        {
            const auto path = myFolder.Write("clip.fbx", aWriter.Build());
            VelaFBX::ImportedAnimation animation;
            EXPECT_TRUE(VelaFBX::LoadAnimation(path.string(), animation)) << VelaFBX::GetLastError();
            return animation;
        }

        std::string LoadFailure(const FbxTestWriter& aWriter)
        {
            const auto path = myFolder.Write("clip.fbx", aWriter.Build());
            VelaFBX::ImportedAnimation animation;
            try
            {
                VelaFBX::LoadAnimation(path.string(), animation);
            }
            catch (const std::runtime_error& aError)
            {
                return aError.what();
            }
            return "";
        }

        VelaTest::TempDirectory myFolder;
    };
}

TEST_F(SyntheticAnimation, OneSecondAtThirtyFramesGivesThirtyOneFramesWithTracksAndEvents)
{
    FbxTestWriter writer;
    const int64_t hips = writer.AddModel("rig:Hips", "LimbNode", 0);
    writer.AddModel("rig:Spine", "LimbNode", hips, {0, 10, 0});
    const int64_t step = writer.AddModel("Step_evt", "Null", hips);
    writer.AddModel("Hand_skt", "Null", hips, {0, 0, 3});
    const int64_t layer = writer.AddAnimStack("Walk");
    writer.AddTranslationCurves(layer, hips, {0.0, 1.0}, {{0, 0, 0}, {30, 0, 0}});
    writer.AddTranslationCurves(layer, step, {0.0, 0.5, 1.0}, {{1, -1, 0}, {1, -1, 0}, {0, 0, 0.5}});
    writer.AddTake("Walk", 0.0, 1.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);

    EXPECT_EQ(animation.frameCount, 31);
    ASSERT_EQ(animation.frames.size(), 31u);
    EXPECT_DOUBLE_EQ(animation.duration, 1.0);
    EXPECT_FLOAT_EQ(animation.frameRate, 30.0f);
    ASSERT_EQ(animation.eventNames, std::vector<std::string>{"Step_evt"});

    // Linear keys: frame 15 is half way.
    EXPECT_NEAR(animation.frames[15].localTransforms.at("Hips")[12], 15.0f, 1e-3f);
    EXPECT_NEAR(animation.frames[30].globalTransforms.at("Spine")[12], 30.0f, 1e-3f);
    EXPECT_NEAR(animation.frames[30].globalTransforms.at("Spine")[13], 10.0f, 1e-3f);
    EXPECT_NEAR(animation.frames[0].socketTransforms.at("Hand_skt")[14], animation.frames[0].socketTransforms.at("Hand_skt")[14] > 0 ? 3.0f : -3.0f, 1e-3f);

    // (1, -1, 0) sums to zero: inactive; (0, 0, 0.5) at the end: active, keyed by the full node name.
    EXPECT_TRUE(animation.frames[0].activeEvents.empty());
    EXPECT_TRUE(animation.frames[10].activeEvents.empty());
    EXPECT_EQ(animation.frames[30].activeEvents.count("Step_evt"), 1u);
}

TEST_F(SyntheticAnimation, ASkeletonWithoutCurvesHoldsItsPoseInEveryFrame)
{
    FbxTestWriter writer;
    const int64_t hips = writer.AddModel("Hips", "LimbNode", 0, {0, 1, 0});
    writer.AddModel("Spine", "LimbNode", hips, {0, 10, 0});
    writer.AddModel("Hand_skt", "Null", hips, {0, 0, 3});
    writer.AddAnimStack("Idle");
    writer.AddTake("Idle", 0.0, 1.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);

    ASSERT_EQ(animation.frames.size(), 31u);
    for (const VelaFBX::AnimationFrame& frame : animation.frames)
    {
        EXPECT_NEAR(frame.globalTransforms.at("Spine")[13], 11.0f, 1e-4f);
        EXPECT_NEAR(frame.localTransforms.at("Spine")[13], 10.0f, 1e-4f);
        EXPECT_NEAR(frame.localTransforms.at("Hips")[13], 1.0f, 1e-4f);
        EXPECT_NEAR(std::abs(frame.socketTransforms.at("Hand_skt")[14]), 3.0f, 1e-4f);
        EXPECT_EQ(frame.globalTransforms.size(), 2u);
    }
}

TEST_F(SyntheticAnimation, ManyAnimatedBonesOverManyFramesEachGetTheirOwnPose)
{
    // Enough bone samples to be spread over threads: bone b slides along x from 0 to b over two seconds.
    FbxTestWriter writer;
    const int64_t layer = writer.AddAnimStack("Slide");
    constexpr int BONES = 40;
    for (int b = 0; b < BONES; ++b)
    {
        const int64_t bone = writer.AddModel("Bone" + std::to_string(b), "LimbNode", 0, {0, static_cast<double>(b), 0});
        writer.AddTranslationCurves(layer, bone, {0.0, 2.0}, {{0, static_cast<double>(b), 0}, {static_cast<double>(b), static_cast<double>(b), 0}});
    }
    writer.AddTake("Slide", 0.0, 2.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);

    ASSERT_EQ(animation.frames.size(), 61u);
    for (size_t frame = 0; frame < animation.frames.size(); ++frame)
        for (int b = 0; b < BONES; ++b)
        {
            const std::string name = "Bone" + std::to_string(b);
            const float x = static_cast<float>(b) * static_cast<float>(frame) / 60.0f;
            EXPECT_NEAR(animation.frames[frame].globalTransforms.at(name)[12], x, 1e-4f) << name << " frame " << frame;
            EXPECT_NEAR(animation.frames[frame].localTransforms.at(name)[13], static_cast<float>(b), 1e-4f) << name << " frame " << frame;
        }
}

TEST_F(SyntheticAnimation, FrameRateFollowsTheTimeMode)
{
    FbxTestWriter writer;
    writer.SetTimeMode(11);  // 24 frames per second
    const int64_t hips = writer.AddModel("Hips", "LimbNode", 0);
    writer.AddTranslationCurves(writer.AddAnimStack("Run"), hips, {0.0, 2.0}, {{0, 0, 0}, {48, 0, 0}});
    writer.AddTake("Run", 0.0, 2.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);
    EXPECT_FLOAT_EQ(animation.frameRate, 24.0f);
    EXPECT_EQ(animation.frameCount, 49);
    ASSERT_EQ(animation.frames.size(), 49u);
    EXPECT_NEAR(animation.frames[24].localTransforms.at("Hips")[12], 24.0f, 1e-3f);
}

TEST_F(SyntheticAnimation, TakeFallbacksAndBackwardTakes)
{
    // No Takes section: the stack's time span or the global one is used, never a null take.
    FbxTestWriter noTake;
    const int64_t hips = noTake.AddModel("Hips", "LimbNode", 0);
    const int64_t layer = noTake.AddAnimStack("Idle");
    noTake.AddTranslationCurves(layer, hips, {0.0, 1.0}, {{0, 0, 0}, {1, 0, 0}});
    const VelaFBX::ImportedAnimation fallback = Load(noTake);
    EXPECT_EQ(fallback.frameCount, static_cast<int64_t>(fallback.frames.size()));
    EXPECT_GE(fallback.frameCount, 0);

    // A take that stops before it starts is an empty clip.
    FbxTestWriter backwards;
    const int64_t bone = backwards.AddModel("Hips", "LimbNode", 0);
    backwards.AddTranslationCurves(backwards.AddAnimStack("Back"), bone, {0.0, 1.0}, {{0, 0, 0}, {1, 0, 0}});
    backwards.AddTake("Back", 2.0, 1.0);
    const VelaFBX::ImportedAnimation empty = Load(backwards);
    EXPECT_EQ(empty.frameCount, 0);
    EXPECT_TRUE(empty.frames.empty());
}

TEST_F(SyntheticAnimation, FilesWithoutSkeletonOrStackAreRefused)
{
    FbxTestWriter noSkeleton;
    const int64_t box = noSkeleton.AddModel("Box", "Null", 0);
    noSkeleton.AddTranslationCurves(noSkeleton.AddAnimStack("Move"), box, {0.0, 1.0}, {{0, 0, 0}, {1, 0, 0}});
    const std::string noSkeletonError = LoadFailure(noSkeleton);
    EXPECT_NE(noSkeletonError.find("] has no skeleton!"), std::string::npos) << noSkeletonError;
    EXPECT_EQ(noSkeletonError.rfind("The file [", 0), 0u);

    FbxTestWriter noStack;
    noStack.AddModel("Hips", "LimbNode", 0);
    EXPECT_NE(LoadFailure(noStack).find("] has no animation stack!"), std::string::npos);
}

TEST_F(SyntheticAnimation, FileInMetresKeepsItsOwnUnit)
{
    FbxTestWriter writer;
    writer.SetUnitScale(100.0);
    const int64_t hips = writer.AddModel("Hips", "LimbNode", 0, {0, 2, 0});
    writer.AddTranslationCurves(writer.AddAnimStack("Hold"), hips, {0.0, 1.0}, {{0, 2, 0}, {0, 2, 0}});
    writer.AddTake("Hold", 0.0, 1.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);
    ASSERT_FALSE(animation.frames.empty());
    EXPECT_NEAR(animation.frames[0].localTransforms.at("Hips")[13], 2.0f, 1e-4f);
}

TEST_F(SyntheticAnimation, NullsAboveAndBetweenBonesStayInTheChainedPose)
{
    // Armature null at x = 10 > Root bone > Group null at y = 5 > Arm bone at x = 1 > Hand bone at y = 2.
    FbxTestWriter writer;
    const int64_t armature = writer.AddModel("Armature", "Null", 0, {10, 0, 0});
    const int64_t root = writer.AddModel("Root", "LimbNode", armature);
    const int64_t group = writer.AddModel("Group", "Null", root, {0, 5, 0});
    const int64_t arm = writer.AddModel("Arm", "LimbNode", group, {1, 0, 0});
    writer.AddModel("Hand", "LimbNode", arm, {0, 2, 0});
    const int64_t layer = writer.AddAnimStack("Move");
    writer.AddTranslationCurves(layer, root, {0.0, 1.0}, {{0, 0, 0}, {0, 3, 0}});
    writer.AddTake("Move", 0.0, 1.0);
    const VelaFBX::ImportedAnimation animation = Load(writer);
    ASSERT_EQ(animation.frames.size(), 31u);

    // The skeleton chains locals along bone parents from identity (row vectors: global = local x parent global).
    auto multiply = [](const VelaFBX::Matrix4x4f& aLeft, const VelaFBX::Matrix4x4f& aRight) {
        VelaFBX::Matrix4x4f product;
        for (size_t row = 0; row < 4; ++row)
            for (size_t column = 0; column < 4; ++column)
            {
                float sum = 0.0f;
                for (size_t k = 0; k < 4; ++k)
                    sum += aLeft[row * 4 + k] * aRight[k * 4 + column];
                product[row * 4 + column] = sum;
            }
        return product;
    };
    for (size_t frame : {size_t{0}, size_t{15}, size_t{30}})
    {
        const VelaFBX::AnimationFrame& sample = animation.frames[frame];
        const VelaFBX::Matrix4x4f root = sample.localTransforms.at("Root");
        const VelaFBX::Matrix4x4f arm = multiply(sample.localTransforms.at("Arm"), root);
        const VelaFBX::Matrix4x4f hand = multiply(sample.localTransforms.at("Hand"), arm);
        for (const auto& [name, chained] : {std::pair{"Root", root}, std::pair{"Arm", arm}, std::pair{"Hand", hand}})
            for (size_t i = 0; i < 16; ++i)
                EXPECT_NEAR(chained[i], sample.globalTransforms.at(name)[i], 1e-4f) << name << " element " << i << " frame " << frame;
        // By hand: the hand sits at (10 + 1, root's y + 5 + 2).
        EXPECT_NEAR(hand[12], 11.0f, 1e-4f);
        EXPECT_NEAR(hand[13], static_cast<float>(frame) / 10.0f + 7.0f, 1e-4f);
    }
}

TEST_F(SyntheticAnimation, ErrorsArePlainAndCarryTheirMessage)
{
    FbxTestWriter writer;
    writer.AddModel("Lonely", "Null", 0);
    const auto path = myFolder.Write("clip.fbx", writer.Build());
    VelaFBX::ImportedAnimation animation;
    try
    {
        VelaFBX::LoadAnimation(path.string(), animation);
        FAIL() << "a file without bones was accepted";
    }
    catch (const std::runtime_error& aError)
    {
        EXPECT_EQ(std::string(aError.what()), "The file [" + path.string() + "] has no skeleton!");
        // No empty nested part that would end the program of a caller unwrapping it.
        EXPECT_EQ(dynamic_cast<const std::nested_exception*>(&aError), nullptr);
    }
}
