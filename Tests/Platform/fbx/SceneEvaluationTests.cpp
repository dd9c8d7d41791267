// Node transforms, animation curves, time arithmetic and take information.
// Expected transforms of the real files were cross-checked with an independent FBX reader.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
#include <thread>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    constexpr double DEGREES = std::numbers::pi / 180.0;

    void ExpectNear(const Vector4& aActual, const Vector4& aExpected, double aTolerance)
    {
        EXPECT_NEAR(aActual.x, aExpected.x, aTolerance);
        EXPECT_NEAR(aActual.y, aExpected.y, aTolerance);
        EXPECT_NEAR(aActual.z, aExpected.z, aTolerance);
    }

    Time Seconds(double aSeconds)
    {
        Time time;
        time.SetSecondDouble(aSeconds);
        return time;
    }

    Time Frame(int64_t aFrame, TimeMode aMode)
    {
        Time time;
        time.SetFrame(aFrame, aMode);
        return time;
    }

    // Column-vector rotation about one axis, written out here so the test does not lean on AMatrix.
    using Matrix3 = std::array<std::array<double, 3>, 3>;
    Matrix3 Axis(int aAxis, double aDegrees)
    {
        const double c = std::cos(aDegrees * DEGREES), s = std::sin(aDegrees * DEGREES);
        if (aAxis == 0)
            return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
        if (aAxis == 1)
            return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
        return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
    }
    Matrix3 Multiply(const Matrix3& aA, const Matrix3& aB)
    {
        Matrix3 result{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k)
                    result[i][j] += aA[i][k] * aB[k][j];
        return result;
    }
}

TEST(SceneTransforms, ParentedNodesCombineTranslationRotationOrderAndScale)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_parented_cubes_7500_ascii.fbx"));
    // Parent: T (0.1, 0.2, 0.3), R (10, 20, 30) in order ZYX (Z first), S (1.1, 1.2, 1.3); the
    // child sits at (0, -1, 0) in the parent's space.
    const Matrix3 rotation = Multiply(Axis(0, 10), Multiply(Axis(1, 20), Axis(2, 30)));
    const double scaled[3] = {0.0, -1.2, 0.0};
    Vector4 expected(0.1, 0.2, 0.3);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            expected[i] += rotation[i][k] * scaled[k];

    const AMatrix parent = loaded.Node("Parent").EvaluateGlobalTransform();
    ExpectNear(parent.GetT(), {0.1, 0.2, 0.3}, 1e-9);
    ExpectNear(parent.GetS(), {1.1, 1.2, 1.3}, 1e-9);
    // Row r of the stored matrix is the image of axis r.
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(parent.Get(axis, i) / parent.GetS()[axis], rotation[i][axis], 1e-9);
    const Node& child = loaded.Node("Child");
    ExpectNear(child.EvaluateGlobalTransform().GetT(), expected, 1e-9);
    ExpectNear(child.EvaluateLocalTransform().GetT(), {0.0, -1.0, 0.0}, 1e-9);
    EXPECT_EQ(child.GetInheritType(), InheritType::RSrs);
    EXPECT_EQ(loaded.Node("Parent").GetRotationOrder(), RotationOrder::ZYX);
}

TEST(SceneTransforms, PivotsRotationOrdersAndPostRotationMatchAnIndependentReader)
{
    Loaded pivots;
    ASSERT_TRUE(pivots.LoadFixture("maya_pivots_7500_ascii.fbx"));
    const AMatrix cube = pivots.Node("pCube1").EvaluateGlobalTransform();
    ExpectNear(cube.GetT(), {0.721124, 1.83178, -0.603802}, 1e-5);
    ExpectNear(cube.GetR(), {20, 30, 40}, 1e-6);
    ExpectNear(cube.GetS(), {0.3, 0.4, 0.5}, 1e-9);

    Loaded orders;
    ASSERT_TRUE(orders.LoadFixture("maya_rotation_order_7500_ascii.fbx"));
    const std::pair<const char*, Vector4> expected[] = {
        {"XYZ", {30, 60, 90}},          {"YZX", {0, 30, 90}},         {"ZXY", {63.435, -14.4775, 63.435}},
        {"XZY", {90, 0, 90}},           {"YXZ", {49.1066, 48.5904, 130.893}}, {"ZYX", {60, -30, 90}},
    };
    for (const auto& [name, euler] : expected)
    {
        SCOPED_TRACE(name);
        ExpectNear(orders.Node(name).EvaluateGlobalTransform().GetR(), euler, 1e-3);
    }

    Loaded post;
    ASSERT_TRUE(post.LoadFixture("maya_post_rotate_order_7500_ascii.fbx"));
    ExpectNear(post.Node("pCube1").EvaluateGlobalTransform().GetR(), {86.4527, 25.9773, 155.287}, 1e-3);
    ExpectNear(post.Node("pCube2").EvaluateGlobalTransform().GetR(), {31.1622, -15.2041, 146.956}, 1e-3);

    // Pre-rotation and rotation order count without "RotationActive" too.
    Loaded inactive;
    ASSERT_TRUE(inactive.LoadText(SceneTest::File(
        SceneTest::Model(10, "Pre", "Null",
                         SceneTest::P("PreRotation", "Vector3D", "0,0,90") + SceneTest::P("RotationOrder", "enum", "5") +
                             SceneTest::P("Lcl Rotation", "Lcl Rotation", "30,40,0")),
        SceneTest::OO(10, 0))));
    ExpectNear(inactive.Node("Pre").EvaluateGlobalTransform().GetR(), {37.0045, 33.8258, 112.76}, 1e-3);

    Loaded character;
    ASSERT_TRUE(character.LoadFixture("maya_character_7500_binary.fbx"));
    ExpectNear(character.Node("Character1_LeftHand").EvaluateGlobalTransform().GetT(), {71.7099, 146.589, 0}, 1e-3);
    ExpectNear(character.Node("Character1_RightFoot").EvaluateGlobalTransform().GetT(), {-8.91, 8.15039, 0.000439}, 1e-3);
}

TEST(SceneTransforms, GeometricTransformStaysOutOfTheNodeAndItsChildren)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("max_transformed_skin_7500_binary.fbx"));
    const Node& box = loaded.Node("Box001");
    const AMatrix geometric = box.GetGeometricTransform();
    EXPECT_FALSE(geometric == AMatrix());
    ExpectNear((box.EvaluateGlobalTransform() * geometric).GetT(), {-28.8179, -19.4633, 1.66615}, 1e-3);

    Loaded nested;
    ASSERT_TRUE(nested.LoadFixture("max_geometry_transform_7700_binary.fbx"));
    const Node& parent = nested.Node("Box001");
    const Node& child = nested.Node("Box002");
    ASSERT_EQ(child.GetParent(), &parent);
    // The child's global is its parent's node transform times its own local, without the parent's geometry offset.
    const AMatrix expected = parent.EvaluateGlobalTransform() * child.EvaluateLocalTransform();
    ExpectNear(child.EvaluateGlobalTransform().GetT(), expected.GetT(), 1e-9);
    ExpectNear((child.EvaluateGlobalTransform() * child.GetGeometricTransform()).GetT(), {0, 0, 20}, 1e-4);
}

TEST(SceneTransforms, InheritTypesDecideWhereTheParentScaleGoes)
{
    // Parent scaled (2, 1, 1); child at (1, 0, 0) turned 90 degrees about Z.
    auto file = [](int aInherit) {
        const std::string objects =
            SceneTest::Model(10, "Parent", "Null", SceneTest::P("Lcl Scaling", "Lcl Scaling", "2,1,1")) +
            SceneTest::Model(11, "Child", "Null",
                             SceneTest::P("Lcl Translation", "Lcl Translation", "1,0,0") + SceneTest::P("Lcl Rotation", "Lcl Rotation", "0,0,90") +
                                 SceneTest::P("InheritType", "enum", std::to_string(aInherit)));
        return SceneTest::File(objects, SceneTest::OO(10, 0) + SceneTest::OO(11, 10));
    };
    struct Case { int inherit; Vector4 xAxis; Vector4 yAxis; };
    const Case cases[] = {
        {1, {0, 1, 0}, {-2, 0, 0}},  // RSrs: the parent's scale after everything (sheared in general)
        {0, {0, 2, 0}, {-1, 0, 0}},  // RrSs: the parent's scale along the child's own axes
        {2, {0, 1, 0}, {-1, 0, 0}},  // Rrs: no parent scale
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.inherit);
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadText(file(test.inherit)));
        const Node& child = loaded.Node("Child");
        const AMatrix global = child.EvaluateGlobalTransform();
        ExpectNear(global.MultR({1, 0, 0}), test.xAxis, 1e-9);
        ExpectNear(global.MultR({0, 1, 0}), test.yAxis, 1e-9);
        ExpectNear(global.GetT(), {2, 0, 0}, 1e-9);
        // Whatever the inherit type, local is relative to the parent as the child ends up.
        const AMatrix recombined = loaded.Node("Parent").EvaluateGlobalTransform() * child.EvaluateLocalTransform();
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(recombined.Get(r, c), global.Get(r, c), 1e-9);
    }
}

TEST(SceneTransforms, AnimatedBonesFollowTheFirstStacksBaseLayer)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    const Node& joint1 = loaded.Node("joint1");
    const Node& joint2 = loaded.Node("joint2");
    // Values of the independent reader at frames 1, 9 and 17 of the 24 fps take.
    ExpectNear(joint1.EvaluateLocalTransform(Frame(1, TimeMode::Frames24)).GetR(), {0, 0, 43.9896}, 1e-3);
    ExpectNear(joint1.EvaluateLocalTransform(Frame(9, TimeMode::Frames24)).GetR(), {0, 0, 110.773}, 1e-3);
    ExpectNear(joint1.EvaluateLocalTransform(Frame(17, TimeMode::Frames24)).GetR(), {0, 0, 60.8112}, 1e-3);
    ExpectNear(joint2.EvaluateLocalTransform(Frame(1, TimeMode::Frames24)).GetR(), {0, 0, 67.3347}, 1e-3);
    ExpectNear(joint2.EvaluateLocalTransform(Frame(9, TimeMode::Frames24)).GetR(), {0, 0, -68.33}, 1e-3);
    ExpectNear(joint2.EvaluateLocalTransform(Frame(1, TimeMode::Frames24)).GetT(), {1, 0, 0}, 1e-6);
    // The pre-rotation (90 degrees about Z) stays under the animated rotation.
    ExpectNear(joint1.EvaluateProperty("Lcl Rotation", Frame(1, TimeMode::Frames24)), {0, 0, -46.0104}, 1e-3);
    // Before the first key the first value holds; after the last, the last.
    ExpectNear(joint1.EvaluateProperty("Lcl Rotation", Seconds(-5.0)), {0, 0, -46.0104}, 1e-3);
    ExpectNear(joint1.EvaluateProperty("Lcl Rotation", Seconds(100.0)), {0, 0, 0}, 1e-6);
    // A global is the product of the animated locals.
    const Time time = Frame(5, TimeMode::Frames24);
    const AMatrix product = joint1.EvaluateGlobalTransform(time) * joint2.EvaluateLocalTransform(time);
    ExpectNear(joint2.EvaluateGlobalTransform(time).GetT(), product.GetT(), 1e-9);
}

TEST(SceneCurves, ConstantLinearAndCubicKeys)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_anim_interpolation_7700_ascii.fbx"));
    const Node& cube = loaded.Node("pCube1");
    auto x = [&cube](double aSeconds) { return cube.EvaluateProperty("Lcl Translation", Seconds(aSeconds)).x; };
    // Keys at 0, 1/3, 2/3, 5/6, 1 s ... with values 0, -2, -4, -6, -8 ...
    EXPECT_NEAR(x(0.0), 0.0, 1e-9);
    EXPECT_NEAR(x(1.0 / 3.0), -2.0, 1e-6);
    EXPECT_NEAR(x(0.5), -3.0, 1e-6);          // linear from -2 to -4
    EXPECT_NEAR(x(0.75), -4.0, 1e-6);         // constant: holds -4 until the next key
    EXPECT_NEAR(x(5.0 / 6.0), -6.0, 1e-6);    // a key holds its own value at its time
    EXPECT_NEAR(x(0.9), -8.0, 1e-6);          // "constant next": takes the next key's value
    // Weighted cubic from 0 to -2 with steep slopes: the Bezier's midpoint.
    EXPECT_NEAR(x(1.0 / 6.0), -0.993, 0.01);
    // The curve node's static value is ignored where a curve exists.
    EXPECT_NE(cube.FindProperty("Lcl Translation")->GetDouble(0), x(0.0));

    // Unweighted cubic keys with flat slopes give the Hermite smooth step.
    const auto bits = [](float aValue) { return std::to_string(static_cast<int32_t>(std::bit_cast<uint32_t>(aValue))); };
    const std::string curve =
        "\tAnimationCurve: 30, \"AnimCurve::\", \"\" {\n\t\tDefault: 0\n\t\tKeyVer: 4009\n" +
        SceneTest::Array("KeyTime", std::vector<int64_t>{0, Time::TICKS_PER_SECOND}) +
        SceneTest::Array("KeyValueFloat", std::vector<double>{0, 1}) + SceneTest::Array("KeyAttrFlags", std::vector<int>{8}) +
        SceneTest::Array("KeyAttrDataFloat", bits(0) + "," + bits(0) + "," + bits(0) + "," + bits(0), 4) +
        SceneTest::Array("KeyAttrRefCount", std::vector<int>{2}) + "\t}\n";
    const std::string curveNode = "\tAnimationCurveNode: 20, \"AnimCurveNode::T\", \"\" {\n\t\tProperties70:  {\n" +
                                  SceneTest::P("d|X", "Number", "5") + SceneTest::P("d|Y", "Number", "7") + "\t\t}\n\t}\n";
    const std::string objects = SceneTest::Model(10, "Moving", "Null") + curveNode + curve +
                                "\tAnimationStack: 40, \"AnimStack::Take\", \"\" {\n\t}\n\tAnimationLayer: 41, \"AnimLayer::Base\", \"\" {\n\t}\n";
    const std::string links = SceneTest::OO(10, 0) + SceneTest::OO(41, 40) + SceneTest::OO(20, 41) +
                              SceneTest::OP(20, 10, "Lcl Translation") + SceneTest::OP(30, 20, "d|X");
    Loaded synthetic;
    ASSERT_TRUE(synthetic.LoadText(SceneTest::File(objects, links)));
    const Node& moving = synthetic.Node("Moving");
    EXPECT_NEAR(moving.EvaluateProperty("Lcl Translation", Seconds(0.5)).x, 0.5, 1e-9);
    EXPECT_NEAR(moving.EvaluateProperty("Lcl Translation", Seconds(0.25)).x, 0.15625, 1e-9);
    // A channel without a curve takes the curve node's value; one without a channel keeps the property's.
    EXPECT_NEAR(moving.EvaluateProperty("Lcl Translation", Seconds(0.25)).y, 7.0, 1e-9);
    EXPECT_NEAR(moving.EvaluateProperty("Lcl Translation", Seconds(0.25)).z, 0.0, 1e-9);
    ExpectNear(moving.EvaluateGlobalTransform(Seconds(0.5)).GetT(), {0.5, 7.0, 0.0}, 1e-9);
}

TEST(SceneTime, FrameArithmeticForEveryMode)
{
    const std::pair<TimeMode, double> rates[] = {
        {TimeMode::Default, 30},        {TimeMode::Frames120, 120},       {TimeMode::Frames100, 100},
        {TimeMode::Frames60, 60},       {TimeMode::Frames50, 50},         {TimeMode::Frames48, 48},
        {TimeMode::Frames30, 30},       {TimeMode::Frames30Drop, 30},     {TimeMode::NtscDropFrame, 30000.0 / 1001.0},
        {TimeMode::NtscFullFrame, 30000.0 / 1001.0}, {TimeMode::Pal, 25}, {TimeMode::Frames24, 24},
        {TimeMode::Frames1000, 1000},   {TimeMode::FilmFullFrame, 24000.0 / 1001.0}, {TimeMode::Frames96, 96},
        {TimeMode::Frames72, 72},       {TimeMode::Frames59_94, 60000.0 / 1001.0}, {TimeMode::Frames119_88, 120000.0 / 1001.0},
    };
    for (const auto& [mode, rate] : rates)
    {
        SCOPED_TRACE(static_cast<int>(mode));
        EXPECT_DOUBLE_EQ(Time::GetFrameRate(mode), rate);
        // Every frame comes back as itself, without drift, also for fractional rates and negative frames.
        for (int64_t frame : {-1001LL, -1LL, 0LL, 1LL, 29LL, 30LL, 1000LL, 30000LL, 123457LL, 10000000LL})
        {
            Time time;
            time.SetFrame(frame, mode);
            EXPECT_EQ(time.GetFrameCount(mode), frame);
            // Just before a frame's start is still the frame before.
            EXPECT_EQ(Time(time.Get() - 1).GetFrameCount(mode), frame - 1);
        }
    }
    // A 0 to 1 s take at 30 fps spans frames 0 to 30: 31 frames.
    EXPECT_EQ(Time(0).GetFrameCount(TimeMode::Frames30), 0);
    EXPECT_EQ(Time(Time::TICKS_PER_SECOND).GetFrameCount(TimeMode::Frames30), 30);
    EXPECT_DOUBLE_EQ(Time(Time::TICKS_PER_SECOND).GetSecondDouble(), 1.0);
    // 30000 NTSC frames last exactly 1001 seconds.
    EXPECT_EQ(Frame(30000, TimeMode::NtscFullFrame).Get(), 1001 * Time::TICKS_PER_SECOND);
    EXPECT_EQ(Frame(24000, TimeMode::FilmFullFrame).Get(), 1001 * Time::TICKS_PER_SECOND);
    // Custom rates come from the settings; a missing or silly one counts as 30.
    Time custom;
    custom.SetFrame(25, TimeMode::Custom, 12.5);
    EXPECT_EQ(custom.Get(), 2 * Time::TICKS_PER_SECOND);
    EXPECT_EQ(custom.GetFrameCount(TimeMode::Custom, 12.5), 25);
    EXPECT_DOUBLE_EQ(Time::GetFrameRate(TimeMode::Custom, -1.0), 30.0);
    EXPECT_DOUBLE_EQ(Time::GetFrameRate(TimeMode::Custom, std::nan("")), 30.0);
    EXPECT_DOUBLE_EQ(Time::GetFrameRate(static_cast<TimeMode>(99)), 30.0);
    // Extremes saturate instead of overflowing.
    Time far;
    far.SetFrame(INT64_MAX / 2, TimeMode::Frames1000);
    EXPECT_EQ(far.Get(), INT64_MAX);
    EXPECT_GT(Time(INT64_MIN).GetFrameCount(TimeMode::Frames1000), INT64_MIN);
}

TEST(SceneTakes, TakesSectionThenStackSpanThenTimeline)
{
    const std::string settings = SceneTest::P("TimeMode", "enum", "6") + SceneTest::P("TimeSpanStart", "KTime", "0") +
                                 SceneTest::P("TimeSpanStop", "KTime", std::to_string(3 * Time::TICKS_PER_SECOND));
    const std::string stacks =
        "\tAnimationStack: 40, \"AnimStack::Walk\", \"\" {\n\t\tProperties70:  {\n" +
        SceneTest::P("LocalStart", "KTime", std::to_string(Time::TICKS_PER_SECOND)) +
        SceneTest::P("LocalStop", "KTime", std::to_string(2 * Time::TICKS_PER_SECOND)) + "\t\t}\n\t}\n" +
        "\tAnimationStack: 41, \"AnimStack::Idle\", \"\" {\n\t}\n" + "\tAnimationStack: 42, \"AnimStack::Run\", \"\" {\n\t}\n";
    // The template's LocalStart/LocalStop are defaults, not a stack's own span.
    const std::string definitions =
        "Definitions:  {\n\tObjectType: \"AnimationStack\" {\n\t\tPropertyTemplate: \"FbxAnimStack\" {\n\t\t\tProperties70:  {\n" +
        SceneTest::P("LocalStart", "KTime", "0") + SceneTest::P("LocalStop", "KTime", "0") + "\t\t\t}\n\t\t}\n\t}\n}\n";
    const std::string takes = "Takes:  {\n\tTake: \"Run\" {\n\t\tLocalTime: 100,200\n\t\tReferenceTime: 100,300\n\t}\n}\n";
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(stacks, "", settings, definitions) + takes));
    ASSERT_EQ(loaded.Scene().GetAnimStackCount(), 3);
    EXPECT_EQ(loaded.StackCount(), 3);

    const TakeInfo* run = loaded.Scene().GetTakeInfo("Run");
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->localTimeSpan.GetStart().Get(), 100);
    EXPECT_EQ(run->localTimeSpan.GetStop().Get(), 200);
    EXPECT_EQ(run->referenceTimeSpan.GetStop().Get(), 300);

    const TakeInfo* walk = loaded.Scene().GetTakeInfo("Walk");
    ASSERT_NE(walk, nullptr);
    EXPECT_DOUBLE_EQ(walk->localTimeSpan.GetStart().GetSecondDouble(), 1.0);
    EXPECT_DOUBLE_EQ(walk->localTimeSpan.GetStop().GetSecondDouble(), 2.0);
    EXPECT_EQ(loaded.Scene().GetTakeInfo("Walk"), walk);

    const TakeInfo* idle = loaded.Scene().GetTakeInfo("Idle");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->localTimeSpan.GetStart().Get(), 0);
    EXPECT_DOUBLE_EQ(idle->localTimeSpan.GetStop().GetSecondDouble(), 3.0);
    EXPECT_EQ(loaded.Scene().GetGlobalSettings().GetTimeMode(), TimeMode::Frames30);
    EXPECT_EQ(loaded.Scene().GetTakeInfo("Jump"), nullptr);
}

TEST(SceneTransforms, ThreadsSamplingScenesAtOnceAgreeWithOneThread)
{
    Loaded first, second;
    ASSERT_TRUE(first.LoadFixture("maya_character_7500_binary.fbx"));
    ASSERT_TRUE(second.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    // Every frame's globals and locals of both scenes, worked out on this thread.
    auto sample = [](Scene& aScene, int aFrames) {
        std::vector<AMatrix> results;
        for (int frame = 0; frame < aFrames; ++frame)
            for (int n = 0; n < aScene.GetNodeCount(); ++n)
            {
                const Time time = Frame(frame, aScene.GetGlobalSettings().GetTimeMode());
                results.push_back(aScene.GetNode(n)->EvaluateGlobalTransform(time));
                results.push_back(aScene.GetNode(n)->EvaluateLocalTransform(time));
            }
        return results;
    };
    const std::vector<AMatrix> expectedFirst = sample(first.Scene(), 40);
    const std::vector<AMatrix> expectedSecond = sample(second.Scene(), 40);
    std::vector<std::vector<AMatrix>> results(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = sample(i % 2 == 0 ? first.Scene() : second.Scene(), 40); });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_TRUE(results[i] == (i % 2 == 0 ? expectedFirst : expectedSecond)) << "thread " << i;
}

TEST(SceneTransforms, IgnoringTheParentScaleKeepsTheScaleInheritedAboveIt)
{
    // Root scaled (1, 1, 2) > Middle scaled 2 > Leaf (Rrs) at z = 1 > Tip at z = 1.
    const std::string objects =
        SceneTest::Model(10, "Root", "Null", SceneTest::P("Lcl Scaling", "Lcl Scaling", "1,1,2")) +
        SceneTest::Model(11, "Middle", "Null", SceneTest::P("Lcl Scaling", "Lcl Scaling", "2,2,2")) +
        SceneTest::Model(12, "Leaf", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "0,0,1") + SceneTest::P("InheritType", "enum", "2")) +
        SceneTest::Model(13, "Tip", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "0,0,1") + SceneTest::P("InheritType", "enum", "1"));
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects, SceneTest::OO(10, 0) + SceneTest::OO(11, 10) + SceneTest::OO(12, 11) + SceneTest::OO(13, 12))));
    // By hand: the leaf sits at Middle's global of (0, 0, 1) = (0, 0, 4); its axes drop Middle's 2 but keep Root's (1, 1, 2).
    const AMatrix leaf = loaded.Node("Leaf").EvaluateGlobalTransform();
    ExpectNear(leaf.GetT(), {0, 0, 4}, 1e-9);
    ExpectNear(leaf.MultR({1, 0, 0}), {1, 0, 0}, 1e-9);
    ExpectNear(leaf.MultR({0, 0, 1}), {0, 0, 2}, 1e-9);
    ExpectNear(loaded.Node("Tip").EvaluateGlobalTransform().GetT(), {0, 0, 6}, 1e-9);
}

TEST(SceneTransforms, IgnoringTheParentScaleUnderRotatedStretchedAncestorsKeepsTheirShear)
{
    // A scaled (1, 1, 2) > B at (0, 1, 0) turned 45 degrees about X, scaled (1, 2, 1) > C (Rrs) at
    // (0, 1, 0) scaled (1, 1, 3) > D (Rrs) at (0, 0, 1).
    const std::string objects =
        SceneTest::Model(10, "A", "Null", SceneTest::P("Lcl Scaling", "Lcl Scaling", "1,1,2") + SceneTest::P("InheritType", "enum", "1")) +
        SceneTest::Model(11, "B", "Null",
                         SceneTest::P("Lcl Translation", "Lcl Translation", "0,1,0") + SceneTest::P("Lcl Rotation", "Lcl Rotation", "45,0,0") +
                             SceneTest::P("Lcl Scaling", "Lcl Scaling", "1,2,1") + SceneTest::P("InheritType", "enum", "1")) +
        SceneTest::Model(12, "C", "Null",
                         SceneTest::P("Lcl Translation", "Lcl Translation", "0,1,0") + SceneTest::P("Lcl Scaling", "Lcl Scaling", "1,1,3") +
                             SceneTest::P("InheritType", "enum", "2")) +
        SceneTest::Model(13, "D", "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "0,0,1") + SceneTest::P("InheritType", "enum", "2"));
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects, SceneTest::OO(10, 0) + SceneTest::OO(11, 10) + SceneTest::OO(12, 11) + SceneTest::OO(13, 12))));
    // By hand, with r = sqrt(2) / 2. C hangs from U = A * T(0, 1, 0) * Rx(45) (B without its own scale);
    // its translation is stretched by B's scale to (0, 2, 0). U's axes: x (1, 0, 0), y = A * (0, r, r) =
    // (0, r, 2r), z = A * (0, -r, r) = (0, -r, 2r): sheared (y . z = 1.5), and the shear stays.
    // C = A * ((0, 1, 0) + Rx(45) * (0, 2, 0)) = (0, 1 + 2r, 4r); its z axis carries its own 3.
    const double r = std::sqrt(0.5);
    for (int pass = 0; pass < 2; ++pass)  // evaluated afresh, then from what the first pass left
    {
        SCOPED_TRACE(pass);
        const AMatrix c = loaded.Node("C").EvaluateGlobalTransform();
        ExpectNear(c.GetT(), {0, 1 + 2 * r, 4 * r}, 1e-9);
        ExpectNear(c.MultR({1, 0, 0}), {1, 0, 0}, 1e-9);
        ExpectNear(c.MultR({0, 1, 0}), {0, r, 2 * r}, 1e-9);
        ExpectNear(c.MultR({0, 0, 1}), {0, -3 * r, 6 * r}, 1e-9);
        // D hangs from C without C's 3 (C's U is B's U times T(0, 2, 0)); C passes on its own scale
        // times what it received, (1, 1, 3) * (1, 2, 1), so D's (0, 0, 1) becomes (0, 0, 3):
        // D = C's position + 3 * (0, -r, 2r) = (0, 1 - r, 10r).
        const AMatrix d = loaded.Node("D").EvaluateGlobalTransform();
        ExpectNear(d.GetT(), {0, 1 - r, 10 * r}, 1e-9);
        ExpectNear(d.MultR({0, 1, 0}), {0, r, 2 * r}, 1e-9);
        ExpectNear(d.MultR({0, 0, 1}), {0, -r, 2 * r}, 1e-9);
        // Local stays relative to the parent as it ends up.
        const AMatrix recombined = c * loaded.Node("D").EvaluateLocalTransform();
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                EXPECT_NEAR(recombined.Get(row, column), d.Get(row, column), 1e-9);
    }
}

TEST(SceneCurves, ExtrapolationRepeatsMirrorsOrCarriesOnAlongTheSlope)
{
    // Linear keys 0 at 0 s and 1 at 1 s, with the given extrapolation on both sides.
    auto curveFile = [](const std::string& aType, int aRepetitions) {
        const std::string extrapolation = "\t\t{\n\t\t\tType: \"" + aType + "\"\n\t\t\tRepetition: " + std::to_string(aRepetitions) + "\n\t\t}\n";
        const std::string curve = "\tAnimationCurve: 30, \"AnimCurve::\", \"\" {\n\t\tDefault: 0\n\t\tKeyVer: 4009\n" +
                                  SceneTest::Array("KeyTime", std::vector<int64_t>{0, Time::TICKS_PER_SECOND}) +
                                  SceneTest::Array("KeyValueFloat", std::vector<double>{0, 1}) + SceneTest::Array("KeyAttrFlags", std::vector<int>{4}) +
                                  SceneTest::Array("KeyAttrRefCount", std::vector<int>{2}) + "\t\tPre-Extrapolation: " + extrapolation +
                                  "\t\tPost-Extrapolation: " + extrapolation + "\t}\n";
        const std::string objects = SceneTest::Model(10, "Moving", "Null") +
                                    "\tAnimationCurveNode: 20, \"AnimCurveNode::T\", \"\" {\n\t}\n" + curve +
                                    "\tAnimationStack: 40, \"AnimStack::Take\", \"\" {\n\t}\n\tAnimationLayer: 41, \"AnimLayer::Base\", \"\" {\n\t}\n";
        return SceneTest::File(objects, SceneTest::OO(10, 0) + SceneTest::OO(41, 40) + SceneTest::OO(20, 41) +
                                            SceneTest::OP(20, 10, "Lcl Translation") + SceneTest::OP(30, 20, "d|X"));
    };
    struct Case { std::string type; int repetitions; double seconds; double value; };
    const Case cases[] = {
        {"C", 0, 2.5, 1.0},   {"C", 0, -2.0, 0.0},                        // holds the end keys
        {"R", 0, 1.25, 0.25}, {"R", 0, 7.5, 0.5},   {"R", 0, -0.25, 0.75}, // repeats the second
        {"R", 2, 2.5, 0.5},   {"R", 2, 3.5, 1.0},                         // then holds after two repetitions
        {"M", 0, 1.25, 0.75}, {"M", 0, 2.25, 0.25}, {"M", 0, -0.25, 0.25}, // runs back and forth
        {"K", 0, 3.0, 3.0},   {"K", 0, -1.5, -1.5},                       // carries on at one per second
        // Where one repetition ends and the next starts, the next one's start: a loop shows its first
        // key at 2 s and 3 s, not its last; a limited one holds its end once the repetitions are used.
        {"R", 0, 2.0, 0.0},   {"R", 0, 3.0, 0.0},   {"R", 0, -1.0, 0.0},  {"R", 2, 3.0, 1.0},
        {"M", 0, 2.0, 0.0},   {"M", 0, 3.0, 1.0},   {"M", 0, -1.0, 1.0},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(testing::Message() << test.type << " " << test.repetitions << " at " << test.seconds << " s");
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadText(curveFile(test.type, test.repetitions)));
        EXPECT_NEAR(loaded.Node("Moving").EvaluateProperty("Lcl Translation", Seconds(test.seconds)).x, test.value, 1e-9);
    }
}
