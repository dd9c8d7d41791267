// Evaluated transforms are kept per thread between calls; whatever the order of the calls, and
// across conversions and re-imports, the results must be the ones a thread with nothing kept gives.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    Time Frame(int64_t aFrame, const Scene& aScene)
    {
        Time time;
        time.SetFrame(aFrame, aScene.GetGlobalSettings().GetTimeMode());
        return time;
    }

    struct Sample
    {
        AMatrix local, global;
    };

    // Every node's local and global at aFrame, asked on a thread of its own (nothing kept yet).
    std::vector<Sample> SampleOnNewThread(const Scene& aScene, int64_t aFrame)
    {
        std::vector<Sample> samples;
        std::thread([&] {
            for (int n = 0; n < aScene.GetNodeCount(); ++n)
                samples.push_back({aScene.GetNode(n)->EvaluateLocalTransform(Frame(aFrame, aScene)),
                                   aScene.GetNode(n)->EvaluateGlobalTransform(Frame(aFrame, aScene))});
        }).join();
        return samples;
    }

    void ExpectSample(const Scene& aScene, int aNode, int64_t aFrame, const Sample& aExpected)
    {
        const Node* node = aScene.GetNode(aNode);
        EXPECT_TRUE(node->EvaluateGlobalTransform(Frame(aFrame, aScene)) == aExpected.global) << node->GetName() << " frame " << aFrame;
        EXPECT_TRUE(node->EvaluateLocalTransform(Frame(aFrame, aScene)) == aExpected.local) << node->GetName() << " frame " << aFrame;
    }
}

TEST(SceneEvaluationCache, TimesOutOfOrderAndTwoScenesInTurnGiveFreshResults)
{
    Loaded character, sausage;
    ASSERT_TRUE(character.LoadFixture("maya_character_7500_binary.fbx"));
    ASSERT_TRUE(sausage.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    const int64_t frames[] = {17, 3, 3, 40, 0, 17, 9};
    std::vector<std::vector<Sample>> expectedCharacter, expectedSausage;
    for (int64_t frame : frames)
    {
        expectedCharacter.push_back(SampleOnNewThread(character.Scene(), frame));
        expectedSausage.push_back(SampleOnNewThread(sausage.Scene(), frame));
    }
    ASSERT_GT(character.Scene().GetNodeCount(), 10);

    // Times jumping back and forth, children asked before their parents.
    for (size_t f = 0; f < std::size(frames); ++f)
        for (int n = sausage.Scene().GetNodeCount() - 1; n >= 0; --n)
            ExpectSample(sausage.Scene(), n, frames[f], expectedSausage[f][static_cast<size_t>(n)]);
    for (size_t f = 0; f < std::size(frames); ++f)
        for (int n = character.Scene().GetNodeCount() - 1; n >= 0; --n)
            ExpectSample(character.Scene(), n, frames[f], expectedCharacter[f][static_cast<size_t>(n)]);
    // The two scenes taking turns.
    for (size_t f = 0; f < std::size(frames); ++f)
    {
        for (int n = character.Scene().GetNodeCount() - 1; n >= 0; n -= 3)
            ExpectSample(character.Scene(), n, frames[f], expectedCharacter[f][static_cast<size_t>(n)]);
        for (int n = 0; n < sausage.Scene().GetNodeCount(); ++n)
            ExpectSample(sausage.Scene(), n, frames[f], expectedSausage[f][static_cast<size_t>(n)]);
        for (int n = character.Scene().GetNodeCount() - 2; n >= 0; n -= 3)
            ExpectSample(character.Scene(), n, frames[f], expectedCharacter[f][static_cast<size_t>(n)]);
    }
}

TEST(SceneEvaluationCache, ConversionsAndReimportsAfterEvaluatingAreSeen)
{
    Loaded evaluatedFirst, convertedFirst;
    ASSERT_TRUE(evaluatedFirst.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    ASSERT_TRUE(convertedFirst.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    Scene& scene = evaluatedFirst.Scene();
    for (int n = 0; n < scene.GetNodeCount(); ++n)
    {
        scene.GetNode(n)->EvaluateGlobalTransform(Frame(5, scene));
        scene.GetNode(n)->EvaluateLocalTransform(Frame(5, scene));
    }

    // Metres and Direct3D axes after the frame was worked out: the next answers are converted.
    for (Scene* target : {&scene, &convertedFirst.Scene()})
    {
        SystemUnit(100.0).ConvertScene(target);
        AxisSystem(AxisSystem::Preset::DirectX).DeepConvertScene(target);
    }
    const std::vector<Sample> expected = SampleOnNewThread(convertedFirst.Scene(), 5);
    for (int n = 0; n < scene.GetNodeCount(); ++n)
        ExpectSample(scene, n, 5, expected[static_cast<size_t>(n)]);

    // Another file imported into the same scene object replaces what was worked out for the first,
    // however alike the two files are.
    VelaTest::TempDirectory folder;
    auto file = [](const char* aParent, const char* aChild) {
        return SceneTest::File(SceneTest::Model(10, "Parent", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", aParent)) +
                                   SceneTest::Model(11, "Child", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", aChild)),
                               SceneTest::OO(10, 0) + SceneTest::OO(11, 10));
    };
    Scene* reused = Scene::Create(evaluatedFirst.GetManager(), "Reused");
    const std::pair<std::string, Vector4> files[] = {{file("1,0,0", "0,2,0"), {1, 2, 0}}, {file("5,0,0", "0,7,0"), {5, 7, 0}}};
    for (const auto& [text, expectedChild] : files)
    {
        Importer* importer = Importer::Create(evaluatedFirst.GetManager(), "");
        ASSERT_TRUE(importer->Initialize(folder.Write("scene.fbx", text).string()));
        ASSERT_TRUE(importer->Import(reused));
        importer->Destroy();
        const Node* child = reused->FindNodeByName("Child");
        ASSERT_NE(child, nullptr);
        const Vector4 translation = child->EvaluateGlobalTransform().GetT();
        EXPECT_EQ(translation.x, expectedChild.x);
        EXPECT_EQ(translation.y, expectedChild.y);
        EXPECT_EQ(translation.z, expectedChild.z);
    }
}

TEST(SceneEvaluationCache, NodesWithoutCurvesHoldStillUnlessAnAncestorMoves)
{
    // Still at x = 1 > Child at y = 2; Moving with x keyed linearly from 0 at 0 s to 1 at 1 s > Follower at z = 3.
    const std::string curve = "\tAnimationCurve: 30, \"AnimCurve::\", \"\" {\n\t\tDefault: 0\n\t\tKeyVer: 4009\n" +
                              SceneTest::Array("KeyTime", std::vector<int64_t>{0, Time::TICKS_PER_SECOND}) +
                              SceneTest::Array("KeyValueFloat", std::vector<double>{0, 1}) + SceneTest::Array("KeyAttrFlags", std::vector<int>{4}) +
                              SceneTest::Array("KeyAttrRefCount", std::vector<int>{2}) + "\t}\n";
    const std::string objects =
        SceneTest::Model(10, "Still", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "1,0,0")) +
        SceneTest::Model(11, "Child", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "0,2,0")) +
        SceneTest::Model(12, "Moving", "Null") +
        SceneTest::Model(13, "Follower", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "0,0,3")) +
        "\tAnimationCurveNode: 20, \"AnimCurveNode::T\", \"\" {\n\t}\n" + curve +
        "\tAnimationStack: 40, \"AnimStack::Take\", \"\" {\n\t}\n\tAnimationLayer: 41, \"AnimLayer::Base\", \"\" {\n\t}\n";
    const std::string links = SceneTest::OO(10, 0) + SceneTest::OO(11, 10) + SceneTest::OO(12, 0) + SceneTest::OO(13, 12) +
                              SceneTest::OO(41, 40) + SceneTest::OO(20, 41) + SceneTest::OP(20, 12, "Lcl Translation") +
                              SceneTest::OP(30, 20, "d|X");
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects, links)));
    EXPECT_FALSE(loaded.Node("Still").IsTransformAnimated());
    EXPECT_FALSE(loaded.Node("Child").IsTransformAnimated());
    EXPECT_TRUE(loaded.Node("Moving").IsTransformAnimated());
    EXPECT_TRUE(loaded.Node("Follower").IsTransformAnimated());

    // Back and forth in time on one thread: the follower goes with its parent, the others stay.
    for (double seconds : {0.5, 0.25, 0.5, 1.0})
    {
        Time time;
        time.SetSecondDouble(seconds);
        SCOPED_TRACE(testing::Message() << seconds << " s");
        const Vector4 follower = loaded.Node("Follower").EvaluateGlobalTransform(time).GetT();
        EXPECT_EQ(follower.x, seconds);
        EXPECT_EQ(follower.z, 3.0);
        const Vector4 child = loaded.Node("Child").EvaluateGlobalTransform(time).GetT();
        EXPECT_EQ(child.x, 1.0);
        EXPECT_EQ(child.y, 2.0);
        EXPECT_EQ(loaded.Node("Child").EvaluateLocalTransform(time).GetT().y, 2.0);
    }
}
