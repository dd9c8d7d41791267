#include "SceneTestSupport.h"

#include "mire/math/MathFunctions.h"
#include "mire/scene/ObjectIdTable.h"
#include "mire/scene/SceneSerialize.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

using namespace Vela;
using nlohmann::json;
using VelaTest::GameRoot;
using VelaTest::JsonErrorOf;

namespace
{
    constexpr const char* UUID_A = "0f8fad5b-d9cb-469f-a165-70867728950e";
    constexpr const char* UUID_B = "7c9e6679-7425-40de-944b-e07fc1f90ae7";
    constexpr const char* LEVEL = "levels/Main Levels/Level 1";

    std::string ObjectFile(const char* aName) { return std::string(LEVEL) + ".leveldata/" + aName; }

    StringId Id(const char* aText) { return StringRegistry::RegisterOrGetString(aText); }

    const SceneObject& ObjectOf(const Scene& aScene, const char* aUuid)
    {
        static const SceneObject missing;
        const auto found = aScene.objects.find(FindIdByGuidString(aUuid));
        EXPECT_NE(found, aScene.objects.end()) << aUuid;
        return found != aScene.objects.end() ? *found->second : missing;
    }
}

TEST(LoadScene, MissingDirectoryGivesANamedEmptyScene)
{
    GameRoot root;
    Scene scene;
    scene.objects[5] = std::make_shared<SceneObject>();
    EXPECT_TRUE(LoadScene(LEVEL, scene));
    EXPECT_TRUE(scene.objects.empty());
    EXPECT_TRUE(scene.pathUseCounts.empty());
    EXPECT_EQ(scene.name, LEVEL);
    EXPECT_EQ(scene.path, "Level 1");

    const Scene fresh;
    EXPECT_EQ(fresh.name, "untitled");
    EXPECT_TRUE(fresh.path.empty());
}

TEST(LoadScene, ReadsExtensionlessFilesAndIgnoresTheRest)
{
    GameRoot root;
    root.Write(ObjectFile(UUID_A), R"({"name": "Orb", "path": "models/orb.fbx", "object-definition": "Orb",
        "properties": [{"name": "Speed", "type": "Float", "value": 2.5},
                       {"name": "Speed", "type": "Int", "value": 3},
                       {"name": "Model", "type": "Model", "value": {"path": "orb.fbx"}}]})");
    root.Write(ObjectFile(UUID_B), R"({})");
    root.Write(ObjectFile("notes.txt"), "not json at all");
    root.Write(ObjectFile("preview.png"), "\x89PNG");
    root.Write(ObjectFile(".hidden"), R"({"name": "Hidden"})");

    Scene scene;
    ASSERT_TRUE(LoadScene(LEVEL, scene));
    // The dot file has no extension either: it is an object whose name is not a UUID.
    ASSERT_EQ(scene.objects.size(), 3u);
    EXPECT_EQ(scene.objects.at(0)->name, "Hidden");

    const SceneObject& orb = ObjectOf(scene, UUID_A);
    EXPECT_EQ(orb.name, "Orb");
    EXPECT_EQ(orb.path, Id("models/orb.fbx"));
    EXPECT_EQ(orb.definition, Id("Orb"));
    ASSERT_EQ(orb.properties.size(), 3u);
    EXPECT_EQ(orb.properties[0].name, Id("Speed"));
    EXPECT_EQ(*orb.properties[0].value.Get<float>(), 2.5f);
    EXPECT_EQ(orb.properties[1].name, Id("Speed"));
    EXPECT_EQ(*orb.properties[1].value.Get<int32_t>(), 3);
    EXPECT_EQ(orb.properties[2].type, &PropertyType<SceneModelValue>::ourInstance);
    EXPECT_EQ(orb.properties[2].value.Get<SceneModelValue>()->Get().path, Id("orb.fbx"));

    const SceneObject& plain = ObjectOf(scene, UUID_B);
    EXPECT_EQ(plain.name, "unknown");
    EXPECT_TRUE(plain.path.IsEmpty());
    EXPECT_TRUE(plain.definition.IsEmpty());
    EXPECT_EQ(plain.translation, Vector3<float>(0, 0, 0));
    EXPECT_EQ(plain.scale, Vector3<float>(1, 1, 1));

    EXPECT_EQ(scene.pathUseCounts.at(StringId()), 2u);
    EXPECT_EQ(scene.pathUseCounts.at(Id("models/orb.fbx")), 1u);
    EXPECT_EQ(scene.pathUseCounts.begin()->first, StringId()); // ordered by text: "" first
}

TEST(LoadScene, TransformMatrixAndExplicitPartsCombine)
{
    GameRoot root;
    root.Write(ObjectFile(UUID_A), R"({"transform": [1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1]})");
    root.Write(ObjectFile(UUID_B), R"({"transform": [2,0,0,0, 0,3,0,0, 0,0,4,0, 5,6,7,1], "translation": [1,2,3], "rotation": [0, 45, 0]})");
    Scene scene;
    LoadScene(LEVEL, scene);

    const SceneObject& matrixOnly = ObjectOf(scene, UUID_A);
    EXPECT_EQ(matrixOnly.translation, Vector3<float>(5, 6, 7));
    EXPECT_EQ(matrixOnly.rotation, Vector3<float>(0, 0, 0));
    EXPECT_EQ(matrixOnly.scale, Vector3<float>(1, 1, 1));

    const SceneObject& overridden = ObjectOf(scene, UUID_B);
    EXPECT_EQ(overridden.translation, Vector3<float>(1, 2, 3));
    EXPECT_EQ(overridden.rotation, Vector3<float>(0, 45, 0));
    EXPECT_EQ(overridden.scale, Vector3<float>(2, 3, 4));
}

TEST(TransformFromMatrix, QuarterTurnAboutYTakesTheGimbalBranch)
{
    Transform transform;
    transform.FromMatrix(Matrix4x4<float>({ 0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1 }));
    EXPECT_EQ(transform.rotation.z, 0.0f);
    EXPECT_NEAR(std::fabs(transform.rotation.y), 1.570796f * 57.295776f, 2e-5f);
    EXPECT_LT(std::fabs(transform.rotation.y), 90.0f);
    EXPECT_NEAR(transform.rotation.x, 0.0f, 1e-4f);
}

TEST(TransformFromMatrix, RecoversEulerAnglesScaleAndTranslation)
{
    for (const Vector3<float>& angles : { Vector3<float>(30, 0, 0), Vector3<float>(0, -40, 0), Vector3<float>(0, 0, 75),
                                          Vector3<float>(10, 20, 30), Vector3<float>(-60, 15, 120) })
    {
        Matrix4x4<float> rotation;
        RotationFromEulerDegrees(rotation, angles);
        const Matrix4x4<float> matrix = Matrix4x4<float>::CreateScale({ 2, 3, 4 }) * rotation * Matrix4x4<float>::CreateTranslation({ -1, 8, 9 });
        Transform transform;
        transform.FromMatrix(matrix);
        EXPECT_NEAR(transform.rotation.x, angles.x, 1e-3f) << angles.x << " " << angles.y << " " << angles.z;
        EXPECT_NEAR(transform.rotation.y, angles.y, 1e-3f);
        EXPECT_NEAR(transform.rotation.z, angles.z, 1e-3f);
        EXPECT_NEAR(transform.scale.x, 2, 1e-5f);
        EXPECT_NEAR(transform.scale.z, 4, 1e-5f);
        EXPECT_EQ(transform.translation, Vector3<float>(-1, 8, 9));
    }
}

TEST(LoadScene, IdsFollowTheUuidAcrossScenes)
{
    GameRoot root;
    root.Write("first.leveldata/" + std::string(UUID_A), "{}");
    root.Write("second.leveldata/" + std::string(UUID_A), R"({"name": "again"})");
    root.Write("second.leveldata/00000000-0000-0000-0000-000000000000", R"({"name": "nil"})");
    Scene first;
    Scene second;
    LoadScene("first", first);
    LoadScene("second", second);
    ASSERT_EQ(first.objects.size(), 1u);
    const uint32_t id = first.objects.begin()->first;
    EXPECT_NE(id, 0u);
    EXPECT_EQ(second.objects.at(id)->name, "again");
    EXPECT_EQ(second.objects.at(0)->name, "nil");
}

TEST(LoadScene, NonUuidNamesShareIdZeroAndTheLastInNameOrderStays)
{
    GameRoot root;
    for (const char* name : { "charlie", "alpha", "bravo" })
    {
        root.Write(ObjectFile(name), json({ { "name", name } }).dump());
    }
    Scene scene;
    LoadScene(LEVEL, scene);
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects.at(0)->name, "charlie");
    EXPECT_EQ(scene.pathUseCounts.at(StringId()), 3u);
}

TEST(LoadScene, SkipsEntriesThatCannotBeReadAsFilesAndPropertiesOfUnknownType)
{
    GameRoot root;
    root.Write(ObjectFile("nested/inner.txt"), "x");
    root.Write(ObjectFile(UUID_A), R"({"properties": [{"name": "Odd", "type": "Quaternion", "value": 1},
                                                      {"name": "Kept", "type": "Bool", "value": true}]})");
    Scene scene;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(LoadScene(LEVEL, scene));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("nested"), std::string::npos) << output;
    EXPECT_NE(output.find("Quaternion"), std::string::npos) << output;
    EXPECT_NE(output.find(UUID_A), std::string::npos) << output;

    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneObject& object = ObjectOf(scene, UUID_A);
    ASSERT_EQ(object.properties.size(), 1u);
    EXPECT_EQ(object.properties[0].name, Id("Kept"));
}

TEST(LoadScene, MalformedFilesRaiseTheLibrarysErrorAfterNamingTheFile)
{
    struct Case
    {
        const char* content;
        int id;
        const char* message;
    };
    const Case cases[] = {
        { "{\"name\": ", 101, "parse error" },
        { "[1, 2]", 306, "cannot use value() with array" },
        { R"({"name": 5})", 302, "type must be string, but is number" },
        { R"({"transform": {"a": 1}})", 302, "type must be array, but is object" },
        { R"({"transform": [1, 0, 0]})", 401, "array index 3 is out of range" },
        { R"({"translation": [1, 2]})", 401, "array index 2 is out of range" },
        { R"({"scale": [1, "2", 3]})", 302, "type must be number, but is string" },
        { R"({"object-definition": 3})", 302, "type must be string, but is number" },
        { R"({"properties": [{"type": "Float", "value": 1}]})", 302, "type must be string, but is null" },
        { R"({"properties": [{"name": "A", "value": 1}]})", 302, "type must be string, but is null" },
        { R"({"properties": [5]})", 306, "cannot use value() with number" },
        { R"({"properties": [{"name": "A", "type": "Float3", "value": [1]}]})", 401, "array index 1 is out of range" },
    };
    const size_t liveModels = impl::StaticObjectPool<SceneModel>::Instance().GetLiveCount();
    for (const Case& test : cases)
    {
        GameRoot root;
        root.Write(ObjectFile(UUID_A), test.content);
        Scene scene;
        testing::internal::CaptureStdout();
        const std::string message = JsonErrorOf([&] { LoadScene(LEVEL, scene); }, test.id);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(message.find(test.message), std::string::npos) << test.content << " -> " << message;
        EXPECT_NE(output.find(UUID_A), std::string::npos) << output;
    }

    // A model read before the failing property is released with the half-read object.
    GameRoot root;
    root.Write(ObjectFile(UUID_A), R"({"properties": [{"name": "M", "type": "Model", "value": {"path": "m.fbx"}},
                                                      {"name": "S", "type": "Scene", "value": []}]})");
    Scene scene;
    testing::internal::CaptureStdout();
    JsonErrorOf([&] { LoadScene(LEVEL, scene); }, 306);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(impl::StaticObjectPool<SceneModel>::Instance().GetLiveCount(), liveModels);
}

TEST(SceneObject, SetPathKeepsTheScenesUseCounts)
{
    Scene scene;
    SceneObject object;
    object.SetPath(&scene, Id("a.fbx"));
    EXPECT_EQ(scene.pathUseCounts.at(Id("a.fbx")), 1u);
    SceneObject other;
    other.SetPath(&scene, Id("a.fbx"));
    object.SetPath(&scene, Id("b.fbx"));
    EXPECT_EQ(scene.pathUseCounts.at(Id("a.fbx")), 1u);
    EXPECT_EQ(scene.pathUseCounts.at(Id("b.fbx")), 1u);
    other.SetPath(&scene, Id("b.fbx"));
    EXPECT_FALSE(scene.pathUseCounts.contains(Id("a.fbx")));
    EXPECT_EQ(scene.pathUseCounts.at(Id("b.fbx")), 2u);
    // The null path it started from was never counted, so nothing goes below zero.
    EXPECT_FALSE(scene.pathUseCounts.contains(StringId()));

    SceneObject loose;
    loose.SetPath(nullptr, Id("c.fbx"));
    EXPECT_EQ(loose.path, Id("c.fbx"));
    EXPECT_FALSE(scene.pathUseCounts.contains(Id("c.fbx")));
    scene.Clear();
    EXPECT_TRUE(scene.pathUseCounts.empty());
}

TEST(LoadScene, DeepNestingIsRefusedNamingTheFile)
{
    GameRoot root;
    // 64 levels are read; one more is refused before any value is read or copied.
    const auto nested = [](int aDepth) { return std::string(size_t(aDepth), '[') + std::string(size_t(aDepth), ']'); };
    root.Write(ObjectFile(UUID_A), R"({"name": "Fine", "extra": )" + nested(63) + "}");
    Scene scene;
    EXPECT_TRUE(LoadScene(LEVEL, scene));
    EXPECT_EQ(ObjectOf(scene, UUID_A).name, "Fine");

    const std::string tooDeep[] = {
        R"({"name": "Deep", "extra": )" + nested(64) + "}",
        R"({"name": "Deep", "properties": [{"name": "A", "type": "Bool", "value": )" + nested(100000) + "}]}",
    };
    for (const std::string& content : tooDeep)
    {
        root.Write(ObjectFile(UUID_A), content);
        try
        {
            LoadScene(LEVEL, scene);
            ADD_FAILURE() << "nesting past 64 levels was accepted";
        }
        catch (const std::runtime_error& anError)
        {
            EXPECT_EQ(std::string(anError.what()), (root.Path() / ObjectFile(UUID_A)).string() + ": JSON nested deeper than 64 levels");
        }
    }
}
