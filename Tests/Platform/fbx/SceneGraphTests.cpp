// The scene graph built from real files: nodes, attributes, meshes, materials, skins, LOD groups,
// settings and takes.
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <set>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    std::vector<std::string> ChildNames(const Node& aNode)
    {
        std::vector<std::string> names;
        for (int i = 0; i < aNode.GetChildCount(); ++i)
            names.push_back(aNode.GetChild(i)->GetName());
        return names;
    }
}

TEST(SceneGraph, EveryFixtureLoadsOrIsRefusedWithAReasonAndHoldsTogether)
{
    for (const std::string& name : SceneTest::FixtureNames())
    {
        SCOPED_TRACE(name);
        Loaded loaded;
        if (!loaded.LoadFixture(name))
        {
            // Only the pre-7000 file may be refused, and then with a reason.
            EXPECT_NE(name.find("6100"), std::string::npos);
            EXPECT_FALSE(loaded.Error().empty());
            continue;
        }
        Scene& scene = loaded.Scene();
        ASSERT_NE(scene.GetRootNode(), nullptr);
        EXPECT_EQ(scene.GetRootNode()->GetParent(), nullptr);
        EXPECT_EQ(loaded.StackCount(), scene.GetAnimStackCount());

        std::set<const Node*> reached;
        std::vector<const Node*> pending{scene.GetRootNode()};
        while (!pending.empty())
        {
            const Node* node = pending.back();
            pending.pop_back();
            EXPECT_TRUE(reached.insert(node).second) << "reached twice: " << node->GetName();
            for (int i = 0; i < node->GetChildCount(); ++i)
            {
                EXPECT_EQ(node->GetChild(i)->GetParent(), node);
                pending.push_back(node->GetChild(i));
            }
        }
        // Models hung on something other than a model (a trim curve on a surface) stay out of the tree.
        for (int n = 0; n < scene.GetNodeCount(); ++n)
            if (!reached.count(scene.GetNode(n)))
            {
                EXPECT_EQ(scene.GetNode(n)->GetParent(), nullptr);
                for (int d = 0; d < scene.GetNode(n)->GetDstObjectCount(); ++d)
                    EXPECT_FALSE(scene.GetNode(n)->GetDstObject(d)->Is(ObjectClass::Node));
            }

        for (int n = 0; n < scene.GetNodeCount(); ++n)
        {
            const Mesh* mesh = scene.GetNode(n)->GetMesh();
            if (!mesh)
                continue;
            for (int polygon = 0; polygon < mesh->GetPolygonCount(); ++polygon)
                for (int corner = 0; corner < mesh->GetPolygonSize(polygon); ++corner)
                {
                    const int controlPoint = mesh->GetPolygonVertex(polygon, corner);
                    EXPECT_GE(controlPoint, 0);
                    EXPECT_LT(controlPoint, mesh->GetControlPointsCount());
                }
            for (int d = 0; d < mesh->GetDeformerCount(DeformerType::Skin); ++d)
            {
                const Skin* skin = mesh->GetDeformer(d, DeformerType::Skin)->As<Skin>();
                ASSERT_NE(skin, nullptr);
                for (int c = 0; c < skin->GetClusterCount(); ++c)
                {
                    const Cluster* cluster = skin->GetCluster(c);
                    ASSERT_NE(cluster->GetLink(), nullptr);
                    for (int k = 0; k < cluster->GetControlPointIndicesCount(); ++k)
                    {
                        EXPECT_LT(cluster->GetControlPointIndices()[k], mesh->GetControlPointsCount());
                        EXPECT_GE(cluster->GetControlPointWeights()[k], 0.0);
                        EXPECT_LE(cluster->GetControlPointWeights()[k], 1.0 + 1e-6);
                    }
                }
            }
        }
    }
}

TEST(SceneGraph, HierarchyNamesAndAttributesOfACharacterAndTheAttributeZoo)
{
    Loaded character;
    ASSERT_TRUE(character.LoadFixture("maya_character_7500_binary.fbx"));
    EXPECT_EQ(ChildNames(*character.Scene().GetRootNode()), std::vector<std::string>{"Character1_Reference"});
    const Node& hips = character.Node("Character1_Hips");
    EXPECT_EQ(hips.GetParent()->GetName(), "Character1_Reference");
    EXPECT_EQ(hips.GetNodeAttribute()->GetAttributeType(), AttributeType::Skeleton);
    EXPECT_EQ(character.Node("Character1_Reference").GetNodeAttribute()->GetAttributeType(), AttributeType::Null);
    EXPECT_EQ(ChildNames(hips), (std::vector<std::string>{"Character1_LeftUpLeg", "Character1_RightUpLeg", "Character1_Spine"}));
    EXPECT_EQ(character.Node("Character1_Head").GetParent()->GetName(), "Character1_Neck");
    EXPECT_EQ(character.Scene().GetNodeCount(), 63);
    EXPECT_EQ(hips.GetChildCount(true), 61);

    Loaded zoo;
    ASSERT_TRUE(zoo.LoadFixture("maya_node_attribute_zoo_7500_binary.fbx"));
    const std::pair<const char*, AttributeType> expected[] = {
        {"Null", AttributeType::Null},     {"Mesh", AttributeType::Mesh},         {"Bone", AttributeType::Skeleton},
        {"Camera", AttributeType::Camera}, {"Light", AttributeType::Light},       {"NurbsCurve", AttributeType::NurbsCurve},
        {"LodGroup", AttributeType::LodGroup}, {"StereoCamera", AttributeType::CameraStereo},
    };
    for (const auto& [name, type] : expected)
    {
        SCOPED_TRACE(name);
        ASSERT_NE(zoo.Node(name).GetNodeAttribute(), nullptr);
        EXPECT_EQ(zoo.Node(name).GetNodeAttribute()->GetAttributeType(), type);
    }
    EXPECT_NE(zoo.Node("Mesh").GetMesh(), nullptr);
    EXPECT_EQ(zoo.Node("Camera").GetMesh(), nullptr);
    EXPECT_EQ(zoo.Node("Mesh").GetLodGroup(), nullptr);

    // Names keep their namespaces and any "::" inside them; only the class prefix goes.
    Loaded colon;
    ASSERT_TRUE(colon.LoadFixture("max_colon_name_7500_binary.fbx"));
    EXPECT_NE(colon.Scene().FindNodeByName("Cube::Model"), nullptr);
    EXPECT_EQ(colon.Scene().GetMaterial(0)->GetName(), "Material::Pink");
    EXPECT_EQ(colon.Scene().FindNodeByName("Cube"), nullptr);
}

TEST(SceneGraph, LodGroupsKeepThresholdsAndLevelsInChildOrder)
{
    for (const char* name : {"maya_lod_group_7500_ascii.fbx", "maya_lod_group_7500_binary.fbx"})
    {
        SCOPED_TRACE(name);
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadFixture(name));
        const LodGroup* first = loaded.Node("LOD_Group_1").GetLodGroup();
        const LodGroup* second = loaded.Node("LOD_Group_2").GetLodGroup();
        ASSERT_TRUE(first && second);
        double value = -1.0;
        ASSERT_EQ(first->GetNumThresholds(), 2);
        EXPECT_TRUE(first->GetThreshold(0, value));
        EXPECT_DOUBLE_EQ(value, 64.0);
        EXPECT_TRUE(first->GetThreshold(1, value));
        EXPECT_DOUBLE_EQ(value, 32.0);
        EXPECT_TRUE(first->GetThresholdsUsedAsPercentage());
        EXPECT_TRUE(second->GetThreshold(1, value));
        EXPECT_NEAR(value, 18.081102, 1e-6);
        EXPECT_FALSE(second->GetThresholdsUsedAsPercentage());
        // Missing thresholds are reported, not invented.
        value = -1.0;
        EXPECT_FALSE(first->GetThreshold(2, value));
        EXPECT_FALSE(first->GetThreshold(-1, value));
        EXPECT_EQ(value, -1.0);
        EXPECT_EQ(ChildNames(loaded.Node("LOD_Group_2")), (std::vector<std::string>{"LOD_0", "LOD_1", "LOD_2"}));
        EXPECT_EQ(loaded.Node("LOD_Group_2").GetChild(1)->GetChild(0)->GetName(), "pCube1");
    }
}

TEST(SceneGraph, MeshPolygonsAndLayerElementsOfACube)
{
    for (const char* name : {"maya_cube_7500_ascii.fbx", "maya_cube_7500_binary.fbx", "maya_cube_7100_binary.fbx",
                             "maya_cube_big_endian_7500_binary.fbx"})
    {
        SCOPED_TRACE(name);
        Loaded loaded;
        ASSERT_TRUE(loaded.LoadFixture(name));
        const Mesh* mesh = loaded.Node("pCube1").GetMesh();
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetControlPointsCount(), 8);
        ASSERT_EQ(mesh->GetPolygonCount(), 6);
        EXPECT_EQ(mesh->GetPolygonVertexCount(), 24);
        for (int polygon = 0; polygon < 6; ++polygon)
        {
            EXPECT_EQ(mesh->GetPolygonSize(polygon), 4);
            EXPECT_EQ(mesh->GetPolygonVertexIndex(polygon), polygon * 4);
        }
        // The stored end marker ~2 of the first face reads as control point 2.
        EXPECT_EQ(mesh->GetPolygonVertex(0, 0), 0);
        EXPECT_EQ(mesh->GetPolygonVertex(0, 3), 2);
        EXPECT_EQ(mesh->GetPolygonVertex(0, 4), -1);
        EXPECT_EQ(mesh->GetPolygonVertex(6, 0), -1);
        for (int i = 0; i < 8; ++i)
            for (double coordinate : {mesh->GetControlPointAt(i).x, mesh->GetControlPointAt(i).y, mesh->GetControlPointAt(i).z})
                EXPECT_DOUBLE_EQ(std::abs(coordinate), 0.5);

        const LayerElementNormal* normals = mesh->GetElementNormal(0);
        ASSERT_NE(normals, nullptr);
        EXPECT_EQ(normals->GetMappingMode(), MappingMode::ByPolygonVertex);
        Vector4 normal;
        ASSERT_TRUE(normals->GetValue(mesh->GetPolygonVertex(0, 0), 0, 0, normal));
        EXPECT_NEAR(normal.Length3(), 1.0, 1e-6);

        const LayerElementUV* uvs = mesh->GetElementUV(0);
        ASSERT_NE(uvs, nullptr);
        EXPECT_EQ(uvs->GetName(), "map1");
        EXPECT_EQ(uvs->GetReferenceMode(), ReferenceMode::IndexToDirect);
        EXPECT_EQ(uvs->GetDirectArray().size(), 14u);
        for (int polygon = 0; polygon < 6; ++polygon)
            for (int corner = 0; corner < 4; ++corner)
            {
                const int index = mesh->GetTextureUVIndex(polygon, corner, 0);
                EXPECT_EQ(index, uvs->GetIndexArray()[static_cast<size_t>(polygon * 4 + corner)]);
            }
        EXPECT_EQ(mesh->GetTextureUVIndex(0, 0, 1), -1);

        const LayerElementMaterial* materials = mesh->GetElementMaterial(0);
        ASSERT_NE(materials, nullptr);
        EXPECT_EQ(materials->GetMappingMode(), MappingMode::AllSame);
        for (int polygon = 0; polygon < 6; ++polygon)
            EXPECT_EQ(materials->GetMaterialIndex(polygon), 0);
    }
}

TEST(SceneGraph, PerPolygonMaterialsColourSetsAndUvSets)
{
    Loaded suzanne;
    ASSERT_TRUE(suzanne.LoadFixture("blender_suzanne_multimaterial_7400_binary.fbx"));
    const Node& node = suzanne.Node("Suzanne");
    ASSERT_EQ(node.GetMaterialCount(), 7);
    EXPECT_EQ(suzanne.Scene().GetMaterialCount(), 7);
    const LayerElementMaterial* materials = node.GetMesh()->GetElementMaterial(0);
    ASSERT_NE(materials, nullptr);
    EXPECT_EQ(materials->GetMappingMode(), MappingMode::ByPolygon);
    std::set<int> used;
    for (int polygon = 0; polygon < node.GetMesh()->GetPolygonCount(); ++polygon)
    {
        const int index = materials->GetMaterialIndex(polygon);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, node.GetMaterialCount());
        used.insert(index);
    }
    EXPECT_EQ(used.size(), 7u);
    EXPECT_EQ(materials->GetMaterialIndex(node.GetMesh()->GetPolygonCount()), -1);
    for (int m = 0; m < node.GetMaterialCount(); ++m)
        EXPECT_GE(suzanne.Scene().GetMaterialIndex(node.GetMaterial(m)), 0);

    Loaded colours;
    ASSERT_TRUE(colours.LoadFixture("maya_color_sets_7500_ascii.fbx"));
    const Mesh* mesh = colours.Node("pCube1").GetMesh();
    ASSERT_EQ(mesh->GetElementVertexColorCount(), 4);
    for (int set = 0; set < 4; ++set)
    {
        Color colour{-1.0, -1.0, -1.0, -1.0};
        ASSERT_TRUE(mesh->GetElementVertexColor(set)->GetValue(mesh->GetPolygonVertex(0, 0), 0, 0, colour));
        for (double channel : {colour.r, colour.g, colour.b, colour.a})
        {
            EXPECT_GE(channel, 0.0);
            EXPECT_LE(channel, 1.0);
        }
    }

    Loaded uvSets;
    ASSERT_TRUE(uvSets.LoadFixture("blender_279_uv_set_tangents_7400_binary.fbx"));
    const Mesh* plane = uvSets.Node("Plane").GetMesh();
    ASSERT_EQ(plane->GetElementUVCount(), 4);
    EXPECT_EQ(plane->GetElementUV(1)->GetName(), "Rot90");
    // Each set is resolved through its own index array.
    Vector2 first, rotated;
    ASSERT_TRUE(plane->GetPolygonVertexUV(0, 0, 0, first));
    ASSERT_TRUE(plane->GetPolygonVertexUV(0, 0, 2, rotated));
    EXPECT_NEAR(first.x, 1.0 - rotated.x, 1e-5);
    EXPECT_NEAR(first.y, 1.0 - rotated.y, 1e-5);
}

TEST(SceneGraph, MaterialTexturesHangOnTheirProperties)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_absolute_texture_7700_binary.fbx"));
    const Material* material = loaded.Node("pCube1").GetMaterial(0);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetName(), "lambert1");
    EXPECT_EQ(loaded.Scene().GetMaterial(0), material);
    const ObjectProperty* diffuse = material->FindProperty(Material::DIFFUSE);
    ASSERT_NE(diffuse, nullptr);
    EXPECT_EQ(diffuse->GetSrcObjectCount<LayeredTexture>(), 0);
    ASSERT_EQ(diffuse->GetSrcObjectCount<Texture>(), 1);
    const FileTexture* texture = diffuse->GetSrcObject<Texture>()->As<FileTexture>();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetFileName(), "W:/checkerboard_diffuse.png");
    EXPECT_EQ(texture->GetRelativeFileName(), "W:\\checkerboard_diffuse.png");
    const ObjectProperty* bump = material->FindProperty(Material::BUMP);
    EXPECT_TRUE(bump == nullptr || bump->GetSrcObjectCount<Texture>() == 0);
    EXPECT_EQ(material->FindProperty("diffusecolor"), nullptr);
    EXPECT_EQ(material->FindProperty("diffusecolor", false), diffuse);
}

TEST(SceneGraph, SkinClustersLinkBonesWithWeightsAndBindMatrices)
{
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    const Mesh* mesh = loaded.Node("pCube1").GetMesh();
    ASSERT_EQ(mesh->GetDeformerCount(DeformerType::Skin), 1);
    EXPECT_EQ(mesh->GetDeformerCount(DeformerType::BlendShape), 0);
    EXPECT_EQ(mesh->GetDeformer(1, DeformerType::Skin), nullptr);
    const Skin* skin = mesh->GetDeformer(0, DeformerType::Skin)->As<Skin>();
    ASSERT_EQ(skin->GetClusterCount(), 3);
    std::vector<std::string> links;
    std::vector<double> weightPerPoint(static_cast<size_t>(mesh->GetControlPointsCount()), 0.0);
    for (int c = 0; c < skin->GetClusterCount(); ++c)
    {
        const Cluster* cluster = skin->GetCluster(c);
        links.push_back(cluster->GetLink()->GetName());
        for (int k = 0; k < cluster->GetControlPointIndicesCount(); ++k)
            weightPerPoint[static_cast<size_t>(cluster->GetControlPointIndices()[k])] += cluster->GetControlPointWeights()[k];
    }
    // Connection order of the file.
    EXPECT_EQ(links, (std::vector<std::string>{"joint3", "joint2", "joint1"}));
    for (double weight : weightPerPoint)
        EXPECT_NEAR(weight, 1.0, 1e-4);
    EXPECT_EQ(skin->GetCluster(3), nullptr);
}

TEST(SceneGraph, GlobalSettingsAndTakes)
{
    Loaded max;
    ASSERT_TRUE(max.LoadFixture("max_geometry_transform_7700_binary.fbx"));
    const GlobalSettings& settings = max.Scene().GetGlobalSettings();
    int sign = 0;
    EXPECT_EQ(settings.GetAxisSystem().GetUpAxis(sign), 2);
    EXPECT_EQ(sign, 1);
    EXPECT_EQ(settings.GetAxisSystem().GetFrontAxis(sign), 1);
    EXPECT_EQ(sign, -1);
    EXPECT_TRUE(settings.GetAxisSystem().IsRightHanded());
    EXPECT_DOUBLE_EQ(settings.GetSystemUnit().GetScaleFactor(), 2.54);
    EXPECT_EQ(settings.GetTimeMode(), TimeMode::Frames30);

    Loaded sausage;
    ASSERT_TRUE(sausage.LoadFixture("maya_game_sausage_7500_binary_wiggle.fbx"));
    EXPECT_EQ(sausage.Scene().GetGlobalSettings().GetTimeMode(), TimeMode::Frames24);
    ASSERT_EQ(sausage.Scene().GetAnimStackCount(), 1);
    const AnimStack* stack = sausage.Scene().GetAnimStack(0);
    EXPECT_EQ(stack->GetName(), "wiggle");
    EXPECT_EQ(sausage.Scene().GetSrcObject<AnimStack>(0), stack);
    ASSERT_EQ(stack->GetLayerCount(), 1);
    const TakeInfo* take = sausage.Scene().GetTakeInfo("wiggle");
    ASSERT_NE(take, nullptr);
    EXPECT_EQ(take->localTimeSpan.GetStart().GetFrameCount(TimeMode::Frames24), 1);
    EXPECT_EQ(take->localTimeSpan.GetStop().GetFrameCount(TimeMode::Frames24), 20);
    EXPECT_EQ(sausage.Scene().GetTakeInfo("no such take"), nullptr);
}

TEST(SceneGraph, TemplateDefaultsLayeredTexturesAndOnlyTheFirstStackAnimates)
{
    const std::string definitions =
        "Definitions:  {\n\tObjectType: \"Model\" {\n\t\tPropertyTemplate: \"FbxNode\" {\n\t\t\tProperties70:  {\n" +
        SceneTest::P("Lcl Scaling", "Lcl Scaling", "2,2,2") + SceneTest::P("InheritType", "enum", "1") + "\t\t\t}\n\t\t}\n\t}\n}\n";
    auto texture = [](int64_t aId, const char* aFile) {
        return "\tTexture: " + std::to_string(aId) + ", \"Texture::t" + std::to_string(aId) + "\", \"\" {\n\t\tFileName: \"" + aFile +
               "\"\n\t\tRelativeFilename: \"rel\\" + aFile + "\"\n\t}\n";
    };
    const std::string curveNode = "\tAnimationCurveNode: 60, \"AnimCurveNode::T\", \"\" {\n\t\tProperties70:  {\n" +
                                  SceneTest::P("d|X", "Number", "9") + SceneTest::P("d|Y", "Number", "9") + SceneTest::P("d|Z", "Number", "9") +
                                  "\t\t}\n\t}\n";
    const std::string objects =
        SceneTest::Model(10, "Defaulted", "Null") + SceneTest::Model(11, "Own", "Null", SceneTest::P("Lcl Scaling", "Lcl Scaling", "1,1,3")) +
        "\tMaterial: 20, \"Material::Layered\", \"\" {\n\t\tShadingModel: \"phong\"\n\t}\n" +
        "\tLayeredTexture: 30, \"LayeredTexture::stack\", \"\" {\n\t}\n" + texture(31, "a.png") + texture(32, "b.png") + texture(33, "n.png") +
        "\tAnimationStack: 40, \"AnimStack::First\", \"\" {\n\t}\n\tAnimationLayer: 41, \"AnimLayer::Base\", \"\" {\n\t}\n" +
        "\tAnimationStack: 50, \"AnimStack::Second\", \"\" {\n\t}\n\tAnimationLayer: 51, \"AnimLayer::Base\", \"\" {\n\t}\n" + curveNode;
    const std::string links = SceneTest::OO(10, 0) + SceneTest::OO(11, 0) + SceneTest::OO(20, 10) + SceneTest::OO(31, 30) +
                              SceneTest::OO(32, 30) + SceneTest::OP(30, 20, "DiffuseColor") + SceneTest::OP(33, 20, "NormalMap") +
                              SceneTest::OO(41, 40) + SceneTest::OO(51, 50) + SceneTest::OO(60, 51) + SceneTest::OP(60, 10, "Lcl Translation");
    // A long list where later entries of a name replace earlier ones, before and after the list grows long.
    std::string longList = SceneTest::P("Early", "double", "1");
    for (int i = 0; i < 40; ++i)
        longList += SceneTest::P("Attribute" + std::to_string(i), "double", std::to_string(i));
    longList += SceneTest::P("Early", "double", "5") + SceneTest::P("Attribute7", "double", "70") + SceneTest::P("Attribute39", "double", "390");
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects + SceneTest::Model(12, "Long", "Null", longList), links + SceneTest::OO(12, 0), "",
                                                definitions)));
    const Node& longNode = loaded.Node("Long");
    EXPECT_EQ(longNode.GetPropertyCount(), 41 + 2);  // its own names and the template's two
    EXPECT_EQ(longNode.FindProperty("Early")->GetDouble(), 5.0);
    EXPECT_EQ(longNode.FindProperty("Attribute7")->GetDouble(), 70.0);
    EXPECT_EQ(longNode.FindProperty("Attribute39")->GetDouble(), 390.0);
    EXPECT_EQ(longNode.FindProperty("Attribute38")->GetDouble(), 38.0);

    EXPECT_DOUBLE_EQ(loaded.Node("Defaulted").EvaluateGlobalTransform().GetS().y, 2.0);
    EXPECT_DOUBLE_EQ(loaded.Node("Own").EvaluateGlobalTransform().GetS().z, 3.0);
    EXPECT_EQ(loaded.Node("Own").GetInheritType(), InheritType::RSrs);
    // The second stack's animation is not evaluated.
    EXPECT_EQ(loaded.Node("Defaulted").EvaluateGlobalTransform(Time(Time::TICKS_PER_SECOND)).GetT(), Vector4());

    const Material* material = loaded.Node("Defaulted").GetMaterial(0);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetShadingModel(), "phong");
    const ObjectProperty* diffuse = material->FindProperty(Material::DIFFUSE);
    ASSERT_NE(diffuse, nullptr);
    EXPECT_EQ(diffuse->GetSrcObjectCount<LayeredTexture>(), 1);
    EXPECT_EQ(diffuse->GetSrcObject<Texture>()->GetSrcObjectCount<FileTexture>(), 2);
    const ObjectProperty* normal = material->FindProperty(Material::NORMAL_MAP);
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->GetSrcObjectCount<LayeredTexture>(), 0);
    const FileTexture* file = normal->GetSrcObject<Texture>()->As<FileTexture>();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetFileName(), "n.png");
    EXPECT_EQ(file->GetRelativeFileName(), "rel\\n.png");
}
