// Damaged object graphs and damaged copies of the real files through the whole scene layer:
// building, every accessor, evaluation and every scene operation. Nothing may crash or read
// outside an array (run under the sanitizer build too); results may be empty or neutral.
#include "Platform/fbx/FbxSceneBuilder.h"
#include "SceneTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace Vela::Fbx;
using SceneTest::Loaded;

namespace
{
    // Touches everything the import library reads, then runs the operations it calls.
    void Exercise(Scene& aScene, Manager* aManager)
    {
        auto touch = [&aScene]() {
            double sink = 0.0;
            for (int n = 0; n < aScene.GetNodeCount(); ++n)
            {
                const Node* node = aScene.GetNode(n);
                for (Time time : {Time(0), Time(Time::TICKS_PER_SECOND / 2), Time(-Time::TICKS_PER_SECOND)})
                    sink += node->EvaluateGlobalTransform(time).Get(3, 0) + node->EvaluateLocalTransform(time).Get(3, 1);
                sink += node->GetGeometricTransform().Get(0, 0) + node->GetChildCount(true);
                // Every text the scene hands out is read to its end, its first and last character.
                for (int i = 0; i < node->GetPropertyCount(); ++i)
                    for (const std::string_view text : {node->GetPropertyAt(i).GetName(), node->GetPropertyAt(i).GetTypeName(), node->GetPropertyAt(i).GetString()})
                        sink += text.empty() ? 0.0 : text.front() + text.back();
                for (int m = -1; m <= node->GetMaterialCount(); ++m)
                    if (const Material* material = node->GetMaterial(m))
                        for (const char* slot : {Material::DIFFUSE, Material::NORMAL_MAP, Material::EMISSIVE})
                            if (const ObjectProperty* property = material->FindProperty(slot))
                                if (const Texture* texture = property->GetSrcObject<Texture>())
                                    if (const FileTexture* file = texture->As<FileTexture>())
                                        sink += static_cast<double>(file->GetFileName().size() + file->GetRelativeFileName().size());
                if (const LodGroup* group = node->GetLodGroup())
                    for (int i = -1; i <= group->GetNumThresholds(); ++i)
                        group->GetThreshold(i, sink);
                const Mesh* mesh = node->GetMesh();
                if (!mesh)
                    continue;
                for (int p = -1; p <= mesh->GetPolygonCount(); ++p)
                {
                    for (int k = -1; k <= std::max(mesh->GetPolygonSize(p), 0); ++k)
                    {
                        const int controlPoint = mesh->GetPolygonVertex(p, k);
                        const int corner = mesh->GetPolygonVertexIndex(p) + k;
                        sink += mesh->GetControlPointAt(controlPoint).x;
                        for (int set = 0; set <= mesh->GetElementUVCount(); ++set)
                        {
                            Vector2 uv;
                            sink += mesh->GetPolygonVertexUV(p, k, set, uv) ? uv.x : 0.0;
                        }
                        Vector4 value;
                        for (const LayerElementOf<Vector4>* element : {mesh->GetElementNormal(0), mesh->GetElementTangent(0), mesh->GetElementBinormal(0)})
                            if (element)
                                element->GetValue(controlPoint, corner, p, value);
                        Color colour;
                        for (int set = 0; set < mesh->GetElementVertexColorCount(); ++set)
                            mesh->GetElementVertexColor(set)->GetValue(controlPoint, corner, p, colour);
                    }
                    if (const LayerElementMaterial* materials = mesh->GetElementMaterial(0))
                        sink += materials->GetMaterialIndex(p);
                }
                for (int d = 0; d <= mesh->GetDeformerCount(); ++d)
                    if (const Deformer* deformer = mesh->GetDeformer(d))
                        if (const Skin* skin = deformer->As<Skin>())
                            for (int c = 0; c <= skin->GetClusterCount(); ++c)
                                if (const Cluster* cluster = skin->GetCluster(c))
                                {
                                    AMatrix matrix;
                                    sink += cluster->GetTransformLinkMatrix(matrix).Inverse().Get(3, 3);
                                    for (int i = 0; i < cluster->GetControlPointIndicesCount(); ++i)
                                        sink += cluster->GetControlPointIndices()[i] + cluster->GetControlPointWeights()[i];
                                }
            }
            for (int s = 0; s < aScene.GetAnimStackCount(); ++s)
                if (const TakeInfo* take = aScene.GetTakeInfo(aScene.GetAnimStack(s)->GetName()))
                    sink += static_cast<double>(take->localTimeSpan.GetStop().GetFrameCount(aScene.GetGlobalSettings().GetTimeMode()));
            return sink;
        };
        touch();
        SystemUnit::CENTIMETRE.ConvertScene(&aScene);
        GeometryConverter converter(aManager);
        EXPECT_TRUE(converter.Triangulate(&aScene, true, true));
        for (int n = 0; n < aScene.GetNodeCount(); ++n)
            if (Mesh* mesh = const_cast<Node*>(aScene.GetNode(n))->GetMesh())
            {
                EXPECT_TRUE(mesh->IsTriangleMesh());
                mesh->GenerateTangentsData(0, false);
            }
        AxisSystem(AxisSystem::Preset::DirectX).DeepConvertScene(&aScene);
        touch();
    }

    // True when the damaged bytes still parsed and went through the scene layer.
    bool BuildAndExercise(const std::string& aBytes)
    {
        Document document;
        std::string error;
        if (!ParseDocument({reinterpret_cast<const std::byte*>(aBytes.data()), aBytes.size()}, document, error))
            return false;
        Manager* manager = Manager::Create();
        Scene* scene = Scene::Create(manager, "Damaged");
        const bool built = SceneBuilder::Build(document, *scene, error);
        if (built)
            Exercise(*scene, manager);
        else
            EXPECT_FALSE(error.empty());
        manager->Destroy();
        return built;
    }
}

TEST(SceneDamage, BrokenObjectGraphsGiveNeutralResults)
{
    const std::string settings = SceneTest::P("UpAxis", "int", "1") + SceneTest::P("FrontAxis", "int", "1") +
                                 SceneTest::P("UnitScaleFactor", "double", "-3") + SceneTest::P("TimeMode", "enum", "99");
    const std::string objects =
        SceneTest::Model(10, "A", "Null") + SceneTest::Model(11, "B", "Null") + SceneTest::Model(12, "C", "LimbNode") +
        SceneTest::Model(12, "Duplicate", "Null") + "\tModel: \"no id\", \"Model::Nameless\", \"Null\" {\n\t}\n" +
        SceneTest::Model(13, "Shape", "Mesh", SceneTest::P("InheritType", "enum", "7") + SceneTest::P("RotationOrder", "enum", "-2")) +
        SceneTest::MeshGeometry(
            20, "Shape", {0, 0, 0, 1, 0, 0, 1, 1, 0, 5}, {0, 1, 2, 99, -1, 7, 1, -4, -2147483647 - 1, 3},
            SceneTest::Layer("LayerElementUV", "ByPolygonVertex", "IndexToDirect", "UV", {0, 0, 1}, "UVIndex", {0, 5, -1, 2147483647}) +
                SceneTest::Layer("LayerElementNormal", "ByVertice", "Direct", "Normals", {0, 0, 1}) +
                SceneTest::Layer("LayerElementColor", "ByEdge", "IndexToDirect", "Colors", {1, 1, 1, 1}, "ColorIndex", {0}) +
                SceneTest::Layer("LayerElementMaterial", "ByPolygon", "IndexToDirect", "", {}, "Materials", {-5}) +
                SceneTest::Layer("LayerElementTangent", "AllSame", "Direct", "Tangents", {})) +
        "\tDeformer: 30, \"Deformer::Skin\", \"Skin\" {\n\t}\n" + "\tDeformer: 31, \"SubDeformer::NoLink\", \"Cluster\" {\n" +
        SceneTest::Array("Indexes", std::vector<int>{-1, 2, 1000000}) + SceneTest::Array("Weights", std::vector<double>{0.5}) +
        "\t\tTransform: *3 {\n\t\t\ta: 1,2,3\n\t\t}\n\t}\n" + SceneTest::Attribute(40, "LodGroup") +
        "\tAnimationStack: 50, \"AnimStack::S\", \"\" {\n\t}\n\tAnimationLayer: 51, \"AnimLayer::L\", \"\" {\n\t}\n" +
        "\tAnimationCurveNode: 52, \"AnimCurveNode::T\", \"\" {\n\t}\n" + "\tAnimationCurve: 53, \"AnimCurve::\", \"\" {\n" +
        SceneTest::Array("KeyTime", std::vector<int64_t>{500, 100, 300}) + SceneTest::Array("KeyValueFloat", std::vector<double>{1, 2}) +
        SceneTest::Array("KeyAttrFlags", std::vector<int>{8}) + SceneTest::Array("KeyAttrRefCount", std::vector<int>{-3, 1000}) + "\t}\n";
    const std::string links = SceneTest::OO(10, 0) + SceneTest::OO(11, 10) + SceneTest::OO(10, 11) + SceneTest::OO(12, 12) +
                              SceneTest::OO(12, 999) + SceneTest::OO(13, 0) + SceneTest::OO(20, 13) + SceneTest::OO(30, 20) +
                              SceneTest::OO(31, 30) + SceneTest::OO(40, 11) + SceneTest::OO(51, 50) + SceneTest::OO(52, 51) +
                              SceneTest::OP(52, 13, "Lcl Translation") + SceneTest::OP(53, 52, "d|X") + SceneTest::OP(53, 52, "") +
                              "\tC: \"OO\"\n\tC: \"XX\",10,11\n";
    Loaded loaded;
    ASSERT_TRUE(loaded.LoadText(SceneTest::File(objects, links, settings)));
    Scene& scene = loaded.Scene();

    // The cycle A <-> B is cut; C stays a root-less orphan; the duplicate id is dropped.
    EXPECT_EQ(loaded.Node("A").GetParent(), scene.GetRootNode());
    EXPECT_EQ(loaded.Node("B").GetParent(), &loaded.Node("A"));
    EXPECT_EQ(loaded.Node("C").GetParent(), nullptr);
    EXPECT_EQ(scene.FindNodeByName("Duplicate"), nullptr);
    EXPECT_EQ(scene.FindNodeByName("Nameless"), nullptr);
    EXPECT_EQ(loaded.Node("B").GetNodeAttribute()->GetAttributeType(), AttributeType::LodGroup);
    EXPECT_EQ(loaded.Node("B").GetLodGroup()->GetNumThresholds(), 0);
    // Settings out of range fall back.
    EXPECT_EQ(scene.GetGlobalSettings().GetAxisSystem(), AxisSystem());
    EXPECT_DOUBLE_EQ(scene.GetGlobalSettings().GetSystemUnit().GetScaleFactor(), 1.0);
    EXPECT_EQ(scene.GetGlobalSettings().GetTimeMode(), TimeMode::Default);
    EXPECT_EQ(loaded.Node("Shape").GetInheritType(), InheritType::RrSs);
    EXPECT_EQ(loaded.Node("Shape").GetRotationOrder(), RotationOrder::XYZ);

    const Mesh* mesh = loaded.Node("Shape").GetMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetControlPointsCount(), 3);  // the tenth number is not a point
    // (0 1 2 99 ~0) (7 1 ~3) (~INT_MIN) and an unterminated (3).
    ASSERT_EQ(mesh->GetPolygonCount(), 4);
    EXPECT_EQ(mesh->GetPolygonSize(0), 5);
    EXPECT_EQ(mesh->GetPolygonVertex(0, 3), -1);  // 99 is out of range
    EXPECT_EQ(mesh->GetPolygonVertex(0, 4), 0);   // stored as ~0
    EXPECT_EQ(mesh->GetPolygonVertex(1, 2), -1);  // ~3: past the three points
    EXPECT_EQ(mesh->GetPolygonSize(2), 1);
    EXPECT_EQ(mesh->GetPolygonVertex(2, 0), -1);
    EXPECT_EQ(mesh->GetPolygonSize(3), 1);
    EXPECT_EQ(mesh->GetControlPointAt(-1), Vector4());
    Vector2 uv;
    EXPECT_TRUE(mesh->GetPolygonVertexUV(0, 0, 0, uv));
    EXPECT_FALSE(mesh->GetPolygonVertexUV(0, 1, 0, uv));  // index 5 past the one UV
    EXPECT_FALSE(mesh->GetPolygonVertexUV(0, 2, 0, uv));  // index -1
    EXPECT_FALSE(mesh->GetPolygonVertexUV(0, 3, 0, uv));
    Vector4 normal;
    EXPECT_TRUE(mesh->GetElementNormal(0)->GetValue(0, 0, 0, normal));
    EXPECT_FALSE(mesh->GetElementNormal(0)->GetValue(1, 1, 0, normal));
    Color colour;
    EXPECT_FALSE(mesh->GetElementVertexColor(0)->GetValue(0, 0, 0, colour));
    EXPECT_EQ(mesh->GetElementMaterial(0)->GetMaterialIndex(0), -1);
    EXPECT_FALSE(mesh->GetElementTangent(0)->GetValue(0, 0, 0, normal));

    const Skin* skin = mesh->GetDeformer(0, DeformerType::Skin)->As<Skin>();
    ASSERT_EQ(skin->GetClusterCount(), 1);
    EXPECT_EQ(skin->GetCluster(0)->GetLink(), nullptr);
    EXPECT_EQ(skin->GetCluster(0)->GetControlPointIndicesCount(), 1);
    AMatrix transform;
    EXPECT_EQ(skin->GetCluster(0)->GetTransformMatrix(transform), AMatrix());

    // The curve's keys are sorted and cut to the shorter array.
    const AnimCurveNode* curveNode = scene.GetAnimStack(0)->GetLayer(0)->GetCurveNode(0);
    ASSERT_NE(curveNode, nullptr);
    EXPECT_EQ(curveNode->GetTargetObject(), &loaded.Node("Shape"));
    ASSERT_NE(curveNode->GetCurve(0), nullptr);
    EXPECT_EQ(curveNode->GetCurve(0)->KeyGetCount(), 2);
    EXPECT_EQ(curveNode->GetCurve(0)->KeyGetTime(0).Get(), 100);
    EXPECT_EQ(curveNode->GetCurve(0)->KeyGetValue(5), 0.0);
    EXPECT_EQ(curveNode->GetCurve(1), nullptr);
    EXPECT_EQ(curveNode->GetChannelName(7), "");

    Exercise(scene, loaded.GetManager());
}

TEST(SceneDamage, LongChainsAndMissingSectionsStayWithinBounds)
{
    // Twenty thousand nested nodes: evaluation walks them without recursion.
    std::string objects;
    std::string links;
    constexpr int COUNT = 20000;
    for (int i = 1; i <= COUNT; ++i)
    {
        objects += SceneTest::Model(i, "N" + std::to_string(i), "Null", SceneTest::P("Lcl Translation", "Lcl Translation", "1,0,0"));
        links += SceneTest::OO(i, i - 1);
    }
    Loaded chain;
    ASSERT_TRUE(chain.LoadText(SceneTest::File(objects, links)));
    EXPECT_NEAR(chain.Node("N" + std::to_string(COUNT)).EvaluateGlobalTransform().GetT().x, COUNT, 1e-6);
    EXPECT_EQ(chain.Scene().GetRootNode()->GetChildCount(true), COUNT);

    // No Objects section: refused with a reason.
    Loaded empty;
    EXPECT_FALSE(empty.LoadText("; FBX 7.5.0 project file\nFBXHeaderExtension:  {\n\tFBXVersion: 7500\n}\n"));
    EXPECT_FALSE(empty.Error().empty());
    EXPECT_EQ(empty.Scene().GetNodeCount(), 0);
    ASSERT_NE(empty.Scene().GetRootNode(), nullptr);

    // An importer used out of order reports it instead of crashing.
    Manager* manager = Manager::Create();
    Importer* importer = Importer::Create(manager, "");
    Scene* scene = Scene::Create(manager, "");
    EXPECT_FALSE(importer->Import(scene));
    EXPECT_TRUE(importer->GetStatus().Error());
    EXPECT_FALSE(importer->Initialize("/no/such/file.fbx"));
    EXPECT_FALSE(importer->IsFBX());
    EXPECT_FALSE(importer->GetStatus().GetErrorString().empty());
    EXPECT_FALSE(importer->Import(nullptr));
    EXPECT_EQ(Scene::Create(nullptr, ""), nullptr);
    EXPECT_EQ(Importer::Create(nullptr, ""), nullptr);
    manager->Destroy();
}

TEST(SceneDamage, TruncatedAndBitFlippedFixturesThroughTheWholeLayer)
{
    std::mt19937 random(1234);
    int built = 0;
    int tried = 0;
    for (const std::string& name : SceneTest::FixtureNames())
    {
        SCOPED_TRACE(name);
        const std::string original = VelaTest::ReadFile(VelaTest::FixturePath("fbx/" + name));
        for (size_t cut : {original.size() / 7, original.size() / 3, original.size() / 2, original.size() * 4 / 5, original.size() - 1})
        {
            built += BuildAndExercise(original.substr(0, cut)) ? 1 : 0;
            ++tried;
        }
        for (int attempt = 0; attempt < 24; ++attempt)
        {
            std::string damaged = original;
            std::uniform_int_distribution<size_t> position(0, damaged.size() - 1);
            for (int flips = 0; flips < 1 + attempt % 4; ++flips)
                damaged[position(random)] ^= static_cast<char>(1 << (random() % 8));
            built += BuildAndExercise(damaged) ? 1 : 0;
            ++tried;
        }
    }
    // Compressed arrays and strict structure refuse many flips; enough still reach the scene layer.
    EXPECT_GT(built, tried / 8) << built << " of " << tried;
}

TEST(SceneDamage, MutatedRecordTreesOfEveryFixture)
{
    // Damage after parsing, where the parser cannot catch it: values of the wrong kind, extreme
    // numbers, cut or poisoned arrays and missing records, anywhere in the tree.
    std::mt19937 random(99);
    const double nan = std::nan("");
    const std::vector<Property> poisons = {
        Property(Property::Type::Int64, int64_t{INT64_MIN}),
        Property(Property::Type::Int64, int64_t{-1}),
        Property(Property::Type::Int64, int64_t{2147483648LL}),
        Property(Property::Type::Float64, nan),
        Property(Property::Type::Float64, 1e308),
        Property(Property::Type::String, std::string()),
        Property(Property::Type::String, std::string("\0\1::", 4)),
        Property(Property::Type::Int32Array, std::vector<int32_t>{-1, INT32_MIN, INT32_MAX, 5}),
        Property(Property::Type::Float64Array, std::vector<double>{nan, -1e308, 1e308}),
        Property(Property::Type::Float64Array, std::vector<double>{}),
    };
    for (const std::string& name : SceneTest::FixtureNames())
    {
        SCOPED_TRACE(name);
        Document original;
        std::string error;
        if (!LoadDocument(VelaTest::FixturePath("fbx/" + name), original, error))
            continue;
        for (int attempt = 0; attempt < 12; ++attempt)
        {
            Document document = original;
            std::vector<Record*> records;
            std::vector<Record*> pending{&document.root};
            while (!pending.empty())
            {
                Record* record = pending.back();
                pending.pop_back();
                records.push_back(record);
                for (Record& child : record->children)
                    pending.push_back(&child);
            }
            for (int change = 0; change < 1 + attempt * 3; ++change)
            {
                Record& record = *records[random() % records.size()];
                if (!record.properties.empty() && random() % 4 != 0)
                    record.properties[random() % record.properties.size()] = poisons[random() % poisons.size()];
                else if (!record.children.empty())
                {
                    // Blank a leaf in place (the collected pointers stay valid).
                    Record& child = record.children[random() % record.children.size()];
                    if (child.children.empty())
                        child = Record();
                }
            }
            Manager* manager = Manager::Create();
            Scene* scene = Scene::Create(manager, "Mutated");
            const bool built = SceneBuilder::Build(document, *scene, error);
            // The scene keeps what it needs: an importer frees the records once the scene is built.
            document = Document();
            if (built)
                Exercise(*scene, manager);
            manager->Destroy();
        }
    }
}

TEST(SceneDamage, OtherToolsFilesLoadOrAreRefusedCleanly)
{
    const std::filesystem::path folder = "/usr/share/assimp/models/FBX";
    if (!std::filesystem::exists(folder))
        GTEST_SKIP() << "assimp test models are not installed";
    int loadedCount = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char aChar) { return std::tolower(aChar); });
        if (extension != ".fbx")
            continue;
        SCOPED_TRACE(entry.path().string());
        Loaded loaded;
        if (!loaded.LoadPath(entry.path()))
        {
            EXPECT_FALSE(loaded.Error().empty());
            continue;
        }
        ++loadedCount;
        Exercise(loaded.Scene(), loaded.GetManager());
    }
    EXPECT_GT(loadedCount, 10);
}
