// A repeating curve evaluated exactly a whole number of periods past its last key.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

using namespace Vela::Fbx;
using SceneTest::Loaded;

// Keys 0 at 0 s and 1 at 1 s, linear, repeating after the last key: the period is 1 s. At 3 s, two
// whole periods past the last key, the third repetition starts: the value is the first key's, 0,
// not the last key's 1 that the second repetition ended on.
TEST(SceneCurves, ARepetitionStartsWithTheFirstKeyOnAPeriodBoundary)
{
    const std::string extrapolation = "\t\t{\n\t\t\tType: \"R\"\n\t\t\tRepetition: 0\n\t\t}\n";
    const std::string curve = "\tAnimationCurve: 30, \"AnimCurve::\", \"\" {\n\t\tDefault: 0\n\t\tKeyVer: 4009\n" +
                              SceneTest::Array("KeyTime", std::vector<int64_t>{ 0, Time::TICKS_PER_SECOND }) +
                              SceneTest::Array("KeyValueFloat", std::vector<double>{ 0, 1 }) + SceneTest::Array("KeyAttrFlags", std::vector<int>{ 4 }) +
                              SceneTest::Array("KeyAttrRefCount", std::vector<int>{ 2 }) + "\t\tPost-Extrapolation: " + extrapolation + "\t}\n";
    const std::string objects = SceneTest::Model(10, "Moving", "Null") + "\tAnimationCurveNode: 20, \"AnimCurveNode::T\", \"\" {\n\t}\n" + curve +
                                "\tAnimationStack: 40, \"AnimStack::Take\", \"\" {\n\t}\n\tAnimationLayer: 41, \"AnimLayer::Base\", \"\" {\n\t}\n";
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects, SceneTest::OO(10, 0) + SceneTest::OO(41, 40) + SceneTest::OO(20, 41) +
                                                              SceneTest::OP(20, 10, "Lcl Translation") + SceneTest::OP(30, 20, "d|X"))));
    Time time;
    time.SetSecondDouble(3.0);
    EXPECT_NEAR(loaded.Node("Moving").EvaluateProperty("Lcl Translation", time).x, 0.0, 1e-9);
    time.SetSecondDouble(2.5);
    EXPECT_NEAR(loaded.Node("Moving").EvaluateProperty("Lcl Translation", time).x, 0.5, 1e-9) << "halfway through the second repetition";
}
