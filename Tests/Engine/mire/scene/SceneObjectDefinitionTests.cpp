#include "SceneTestSupport.h"

#include "mire/scene/SceneObjectDefinition.h"
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
    StringId Id(const char* aText) { return StringRegistry::RegisterOrGetString(aText); }

    const char* ORB_DEFINITION = R"({
        "parent-object-definition": "Pickup",
        "properties": [
            {"name": "Speed", "group": "Motion", "description": "How fast", "is-dynamic": true, "is-per-instance": true, "type": "Float", "value": 1.0},
            {"name": "Weight", "is-dynamic": false, "is-per-instance": false, "type": "Float", "value": 5.0},
            {"name": "Colour", "is-dynamic": false, "is-per-instance": true, "type": "Color", "value": [1, 1, 1, 1]},
            {"name": "Model", "is-dynamic": false, "is-per-instance": true, "type": "Model", "value": {"path": "default.fbx"}},
            {"name": "Pose", "is-dynamic": false, "is-per-instance": true, "type": "Pose"}
        ]})";

    SceneObject PlacedOrb(const json& someProperties)
    {
        SceneObject object;
        ReadSceneObject(json({ { "object-definition", "Orb" }, { "properties", someProperties } }), object, "test");
        return object;
    }

    const DefinitionPropertyEntry* Named(const std::vector<DefinitionPropertyEntry>& someEntries, const char* aName)
    {
        for (const DefinitionPropertyEntry& entry : someEntries)
        {
            if (entry.name == Id(aName))
            {
                return &entry;
            }
        }
        return nullptr;
    }
}

TEST(ObjectDefinitions, LoadsEveryDeclaredProperty)
{
    GameRoot root;
    root.Write("objects/Orb.kvo", ORB_DEFINITION);
    SceneObjectDefinition definition;
    LoadObjectDefinition(definition, "objects/Orb.kvo");
    EXPECT_EQ(definition.relativePath, "objects/Orb.kvo");
    EXPECT_EQ(definition.name, Id("Orb"));
    EXPECT_EQ(definition.parent, Id("Pickup"));
    ASSERT_EQ(definition.properties.size(), 5u);

    const DefinitionPropertyEntry& speed = definition.properties[0];
    EXPECT_EQ(speed.name, Id("Speed"));
    EXPECT_EQ(speed.group, Id("Motion"));
    EXPECT_EQ(speed.description, Id("How fast"));
    EXPECT_EQ(speed.flags, IsDynamic | IsPerInstance);
    EXPECT_EQ(*speed.value.Get<float>(), 1.0f);

    const DefinitionPropertyEntry& weight = definition.properties[1];
    EXPECT_TRUE(weight.group.IsEmpty());
    EXPECT_TRUE(weight.description.IsEmpty());
    EXPECT_EQ(weight.flags, 0);

    EXPECT_EQ(definition.properties[2].flags, IsPerInstance);
    // A missing value reads as JSON null.
    ASSERT_NE(definition.properties[4].value.Get<PoseAndMotion>(), nullptr);
}

TEST(ObjectDefinitions, DiscoveryKeepsTheFirstOfDuplicateNamesAndSkipsOtherExtensions)
{
    GameRoot root;
    root.Write("b/Orb.kvo", R"({"parent-object-definition": "second"})");
    root.Write("a/deeper/Orb.kvo", R"({"parent-object-definition": "first"})");
    root.Write("Socket.kvo", R"({"parent-object-definition": ""})");
    root.Write("c/Box.KVO", "not read");
    root.Write("c/Door.kvo.bak", "not read");
    root.Write("c/Door.json", "not read");

    SceneObjectDefinitionManager manager;
    testing::internal::CaptureStdout();
    manager.DiscoverFiles(root.Path().string());
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_EQ(manager.GetCount(), 2u);
    const SceneObjectDefinition* orb = manager.Find(Id("Orb"));
    ASSERT_NE(orb, nullptr);
    EXPECT_EQ(orb->parent, Id("first"));
    EXPECT_EQ(orb->relativePath, "a/deeper/Orb.kvo");
    ASSERT_NE(manager.Find(Id("Socket")), nullptr);
    EXPECT_TRUE(manager.Find(Id("Socket"))->parent.IsEmpty());
    EXPECT_EQ(manager.Find(Id("Box")), nullptr);
    EXPECT_EQ(manager.Find(Id("Door")), nullptr);
    EXPECT_EQ(manager.Find(StringId()), nullptr);
    EXPECT_EQ(output, "Multiple kvo files exist with same name. That is not allowed: Orb\n");
}

TEST(ObjectDefinitions, ARelativeFolderIsTakenBelowTheGameRoot)
{
    GameRoot root;
    root.Write("objects/orbs/Orb.kvo", ORB_DEFINITION);
    root.Write("elsewhere/Socket.kvo", ORB_DEFINITION);
    SceneObjectDefinitionManager manager;
    manager.DiscoverFiles("objects");
    EXPECT_EQ(manager.GetCount(), 1u);
    const SceneObjectDefinition* orb = manager.Find(Id("Orb"));
    ASSERT_NE(orb, nullptr);
    EXPECT_EQ(orb->relativePath, "objects/orbs/Orb.kvo");
    EXPECT_EQ(manager.Find(Id("Socket")), nullptr);

    // "." is the whole game root.
    SceneObjectDefinitionManager everything;
    everything.DiscoverFiles(".");
    EXPECT_EQ(everything.GetCount(), 2u);
    ASSERT_NE(everything.Find(Id("Socket")), nullptr);
    EXPECT_EQ(everything.Find(Id("Socket"))->relativePath, "elsewhere/Socket.kvo");
}

TEST(ObjectDefinitions, ARelativeFolderWithoutAGameRootIsRefusedWithAMessage)
{
    Vela::Settings::SetAssetRootsForTesting({}, {}, {});
    SceneObjectDefinitionManager manager;
    testing::internal::CaptureStdout();
    EXPECT_NO_THROW(manager.DiscoverFiles("objects"));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(manager.GetCount(), 0u);
    EXPECT_NE(output.find("relative"), std::string::npos) << output;
}

TEST(ObjectDefinitions, MergeTakesPerInstanceValuesOfTheSameTypeOnly)
{
    GameRoot root;
    root.Write("Orb.kvo", ORB_DEFINITION);
    SceneObjectDefinitionManager manager;
    manager.DiscoverFiles(root.Path().string());

    const SceneObject placed = PlacedOrb({
        { { "name", "Speed" }, { "type", "Float" }, { "value", 9.0 } },
        { { "name", "Weight" }, { "type", "Float" }, { "value", 99.0 } },
        { { "name", "Colour" }, { "type", "Float4" }, { "value", { 0, 0, 0, 0 } } },
        { { "name", "Colour" }, { "type", "Color" }, { "value", { 0.5, 0.5, 0.5, 0.5 } } },
        { { "name", "Model" }, { "type", "Model" }, { "value", { { "path", "placed.fbx" } } } },
        { { "name", "Undeclared" }, { "type", "Int" }, { "value", 1 } },
    });
    std::vector<DefinitionPropertyEntry> merged;
    SceneObjectDefinition::MergeOverrides(placed, manager, merged);

    ASSERT_EQ(merged.size(), 5u);
    EXPECT_EQ(merged[0].name, Id("Speed"));
    EXPECT_EQ(*Named(merged, "Speed")->value.Get<float>(), 9.0f);
    EXPECT_EQ(Named(merged, "Speed")->group, Id("Motion"));
    EXPECT_EQ(*Named(merged, "Weight")->value.Get<float>(), 5.0f);
    // The first entry of that name has another type: it decides, the later matching one is not used.
    EXPECT_EQ(*Named(merged, "Colour")->value.Get<Color>(), Color(1, 1, 1, 1));
    EXPECT_EQ(Named(merged, "Undeclared"), nullptr);

    // The merged model shares the placed object's pooled value.
    const auto* mergedModel = Named(merged, "Model")->value.Get<SceneModelValue>();
    EXPECT_EQ(mergedModel->Get().path, Id("placed.fbx"));
    EXPECT_EQ(mergedModel->GetObject(), placed.properties[4].value.Get<SceneModelValue>()->GetObject());
    EXPECT_EQ(mergedModel->GetReferenceCount(), 2u);

    const SceneObject plain = PlacedOrb(json::array());
    merged.clear();
    SceneObjectDefinition::MergeOverrides(plain, manager, merged);
    ASSERT_EQ(merged.size(), 5u);
    EXPECT_EQ(Named(merged, "Model")->value.Get<SceneModelValue>()->Get().path, Id("default.fbx"));

    for (const char* definition : { "Unknown", "" })
    {
        SceneObject other;
        other.definition = Id(definition);
        merged.clear();
        SceneObjectDefinition::MergeOverrides(other, manager, merged);
        EXPECT_TRUE(merged.empty()) << definition;
    }
}

TEST(ObjectDefinitions, UnknownTypesAreSkippedWithALine)
{
    GameRoot root;
    root.Write("Odd.kvo", R"({"parent-object-definition": "", "properties": [
        {"name": "A", "is-dynamic": false, "is-per-instance": false, "type": "Matrix", "value": 1},
        {"name": "B", "is-dynamic": false, "is-per-instance": false, "type": "Int", "value": 2}]})");
    SceneObjectDefinition definition;
    testing::internal::CaptureStdout();
    LoadObjectDefinition(definition, "Odd.kvo");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Matrix"), std::string::npos) << output;
    EXPECT_NE(output.find("Odd.kvo"), std::string::npos) << output;
    ASSERT_EQ(definition.properties.size(), 1u);
    EXPECT_EQ(definition.properties[0].name, Id("B"));
}

TEST(ObjectDefinitions, MalformedFilesRaiseTheLibrarysErrorAfterNamingTheFile)
{
    const std::pair<const char*, int> cases[] = {
        { "{", 101 },
        { "{}", 302 },                                         // parent missing: "but is null"
        { R"({"parent-object-definition": 4})", 302 },
        { R"({"parent-object-definition": "", "properties": [3]})", 306 },
        { R"({"parent-object-definition": "", "properties": [{"name": "A", "is-per-instance": true, "type": "Int"}]})", 302 },
        { R"({"parent-object-definition": "", "properties": [{"name": "A", "is-dynamic": true, "is-per-instance": "no", "type": "Int"}]})", 302 },
        { R"({"parent-object-definition": "", "properties": [{"name": "A", "group": 1, "is-dynamic": true, "is-per-instance": true, "type": "Int"}]})", 302 },
        { R"({"parent-object-definition": "", "properties": [{"name": "A", "is-dynamic": true, "is-per-instance": true, "type": "Int", "value": "x"}]})", 302 },
    };
    for (const auto& [content, id] : cases)
    {
        GameRoot root;
        root.Write("Broken.kvo", content);
        SceneObjectDefinitionManager manager;
        testing::internal::CaptureStdout();
        const std::string message = JsonErrorOf([&] { manager.DiscoverFiles(root.Path().string()); }, id);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find("Broken.kvo"), std::string::npos) << content << ": " << output;
        EXPECT_EQ(manager.GetCount(), 0u);
    }

    GameRoot root;
    SceneObjectDefinition missing;
    try
    {
        LoadObjectDefinition(missing, "nowhere/Ghost.kvo");
        ADD_FAILURE() << "a missing definition file was read";
    }
    catch (const std::runtime_error& anError)
    {
        EXPECT_EQ(std::string(anError.what()), "Object definition file " + (root.Path() / "nowhere/Ghost.kvo").string() + " not found");
    }
    EXPECT_EQ(missing.name, Id("Ghost"));

    SceneObjectDefinitionManager manager;
    EXPECT_THROW(manager.DiscoverFiles((root.Path() / "absent").string()), std::filesystem::filesystem_error);
}

TEST(ObjectDefinitions, DeepNestingIsRefusedBeforeAnyValueIsRead)
{
    // The library parses any depth; reading and copying values recurse once per level.
    GameRoot root;
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    root.Write("Deep.kvo", R"({"parent-object-definition": "", "properties": [{"name": "A", "is-dynamic": true, "is-per-instance": true, "type": "Int", "value": )" +
                               deep + "}]}");
    SceneObjectDefinitionManager manager;
    testing::internal::CaptureStdout();
    try
    {
        manager.DiscoverFiles(root.Path().string());
        ADD_FAILURE() << "deep nesting was accepted";
    }
    catch (const std::runtime_error& anError)
    {
        EXPECT_EQ(std::string(anError.what()), (root.Path() / "Deep.kvo").string() + ": JSON nested deeper than 64 levels");
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(manager.GetCount(), 0u);
}
