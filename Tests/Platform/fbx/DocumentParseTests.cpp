#include "Platform/fbx/FbxDocument.h"

#include "DocumentBinaryWriter.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
    using Vela::Fbx::Document;
    using Vela::Fbx::Property;
    using Vela::Fbx::Record;

    std::span<const std::byte> Bytes(const std::string& aText)
    {
        return {reinterpret_cast<const std::byte*>(aText.data()), aText.size()};
    }

    std::vector<std::filesystem::path> AllFixtures()
    {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(VelaTest::FixturePath("fbx")))
        {
            if (entry.path().extension() == ".fbx")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    size_t CountRecords(const Record& aRecord)
    {
        size_t count = 1;
        for (const Record& child : aRecord.children)
            count += CountRecords(child);
        return count;
    }

    // Same names, same value kinds and numbers; used to compare a big-endian file with its little-endian twin.
    void ExpectSameTree(const Record& aLeft, const Record& aRight)
    {
        ASSERT_EQ(aLeft.name, aRight.name);
        ASSERT_EQ(aLeft.properties.size(), aRight.properties.size()) << aLeft.name;
        for (size_t i = 0; i < aLeft.properties.size(); ++i)
        {
            const Property& left = aLeft.properties[i];
            const Property& right = aRight.properties[i];
            ASSERT_EQ(left.GetType(), right.GetType()) << aLeft.name;
            if (left.IsArray())
            {
                std::vector<double> leftValues, rightValues;
                left.ToDoubles(leftValues);
                right.ToDoubles(rightValues);
                EXPECT_EQ(leftValues, rightValues) << aLeft.name;
            }
            else if (left.IsNumber())
            {
                EXPECT_EQ(left.AsDouble(), right.AsDouble()) << aLeft.name;
            }
        }
        ASSERT_EQ(aLeft.children.size(), aRight.children.size()) << aLeft.name;
        for (size_t i = 0; i < aLeft.children.size(); ++i)
            ExpectSameTree(aLeft.children[i], aRight.children[i]);
    }
}

TEST(DocumentFixtures, EveryFbx7FileParsesAndOlderOnesAreRefused)
{
    const auto files = AllFixtures();
    ASSERT_GE(files.size(), 26u);
    for (const auto& path : files)
    {
        Document document;
        std::string error;
        const bool parsed = Vela::Fbx::LoadDocument(path, document, error);
        const std::string name = path.filename().string();
        if (name.find("6100") != std::string::npos)
        {
            EXPECT_FALSE(parsed) << name;
            EXPECT_NE(error.find("6100"), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(parsed) << name << ": " << error;
        EXPECT_GE(document.version, 7100u) << name;
        EXPECT_EQ(document.isBinary, name.find("binary") != std::string::npos) << name;
        EXPECT_NE(document.root.Find("Objects"), nullptr) << name;
        EXPECT_NE(document.root.Find("Connections"), nullptr) << name;
        EXPECT_NE(document.root.Find("GlobalSettings"), nullptr) << name;
    }
}

TEST(DocumentFixtures, BinaryAndAsciiCubesAgree)
{
    Document binary, ascii;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), binary, error)) << error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(VelaTest::FixturePath("fbx/maya_cube_7500_ascii.fbx"), ascii, error)) << error;
    EXPECT_EQ(binary.version, 7500u);
    EXPECT_EQ(ascii.version, 7500u);

    auto geometry = [](const Document& aDocument) { return aDocument.root.Find("Objects")->Find("Geometry"); };
    ASSERT_NE(geometry(binary), nullptr);
    ASSERT_NE(geometry(ascii), nullptr);
    std::vector<double> binaryVertices, asciiVertices;
    geometry(binary)->Find("Vertices")->properties.at(0).ToDoubles(binaryVertices);
    geometry(ascii)->Find("Vertices")->properties.at(0).ToDoubles(asciiVertices);
    EXPECT_EQ(binaryVertices.size(), 24u);
    EXPECT_EQ(binaryVertices, asciiVertices);

    std::vector<int32_t> binaryIndices, asciiIndices;
    geometry(binary)->Find("PolygonVertexIndex")->properties.at(0).ToInt32s(binaryIndices);
    geometry(ascii)->Find("PolygonVertexIndex")->properties.at(0).ToInt32s(asciiIndices);
    EXPECT_EQ(binaryIndices, asciiIndices);
    EXPECT_EQ(std::count_if(asciiIndices.begin(), asciiIndices.end(), [](int32_t aIndex) { return aIndex < 0; }), 6);

    // Flags written as bare letters in text files hold the same letter code as binary files.
    const Record* binaryModel = binary.root.Find("Objects")->Find("Model");
    const Record* asciiModel = ascii.root.Find("Objects")->Find("Model");
    ASSERT_TRUE(binaryModel && asciiModel);
    EXPECT_EQ(binaryModel->Find("Shading")->properties.at(0).AsInt64(), asciiModel->Find("Shading")->properties.at(0).AsInt64());
}

TEST(DocumentFixtures, BigEndianFileMatchesItsLittleEndianTwin)
{
    Document little, big;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), little, error)) << error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(VelaTest::FixturePath("fbx/maya_cube_big_endian_7500_binary.fbx"), big, error)) << error;
    EXPECT_TRUE(big.isBigEndian);
    EXPECT_FALSE(little.isBigEndian);
    EXPECT_EQ(big.version, 7500u);
    const Record* littleObjects = little.root.Find("Objects");
    const Record* bigObjects = big.root.Find("Objects");
    ASSERT_TRUE(littleObjects && bigObjects);
    ExpectSameTree(*littleObjects->Find("Geometry"), *bigObjects->Find("Geometry"));
}

TEST(DocumentBinary, ThirtyTwoAndSixtyFourBitOffsetsWithRawAndCompressedArrays)
{
    for (uint32_t version : {7100u, 7400u, 7500u, 7700u})
    {
        VelaTest::FbxBinaryWriter writer(version);
        writer.Begin("Objects");
        writer.Children();
        writer.Begin("Geometry");
        writer.Int64(42);
        writer.String(std::string("Cube\0\1Geometry", 14));
        writer.Children();
        writer.Begin("Vertices");
        writer.Array<double>('d', {1.0, 2.0, 3.0, -4.5}, true);
        writer.End();
        writer.Begin("Indices");
        writer.Array<int32_t>('i', {0, 1, -3}, false);
        writer.End();
        writer.End();
        writer.End();
        const std::string file = writer.Finish();

        Document document;
        std::string error;
        ASSERT_TRUE(Vela::Fbx::ParseDocument(Bytes(file), document, error)) << version << ": " << error;
        EXPECT_EQ(document.version, version);
        const Record* geometry = document.root.Find("Objects")->Find("Geometry");
        ASSERT_NE(geometry, nullptr);
        EXPECT_EQ(geometry->properties.at(0).AsInt64(), 42);
        EXPECT_EQ(geometry->properties.at(1).AsString(), std::string_view("Cube\0\1Geometry", 14));
        std::vector<double> vertices;
        geometry->Find("Vertices")->properties.at(0).ToDoubles(vertices);
        EXPECT_EQ(vertices, (std::vector<double>{1.0, 2.0, 3.0, -4.5}));
        std::vector<int32_t> indices;
        geometry->Find("Indices")->properties.at(0).ToInt32s(indices);
        EXPECT_EQ(indices, (std::vector<int32_t>{0, 1, -3}));
    }
}

TEST(DocumentBinary, DamagedRecordsAreRefusedWithAReason)
{
    VelaTest::FbxBinaryWriter writer(7400);
    writer.Begin("Values");
    writer.Array<double>('d', {1.0, 2.0}, false);
    writer.End();
    const std::string good = writer.Finish();
    Document document;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::ParseDocument(Bytes(good), document, error)) << error;

    // Record layout (7400): header 27, end u32, count u32, bytes u32, name length, "Values", 'd', count, encoding, length.
    const size_t arrayCount = 27 + 13 + 6 + 1;
    std::string wrongCount = good;
    wrongCount[arrayCount] = 3;
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(wrongCount), document, error));
    EXPECT_FALSE(error.empty());

    std::string unknownEncoding = good;
    unknownEncoding[arrayCount + 4] = 7;
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(unknownEncoding), document, error));

    std::string endPastFile = good;
    endPastFile[27 + 3] = 0x7F;
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(endPastFile), document, error));

    // A compressed array that claims far more elements than its data could hold.
    VelaTest::FbxBinaryWriter bomb(7400);
    bomb.Begin("Values");
    bomb.Array<double>('d', std::vector<double>(4, 0.0), true);
    bomb.End();
    std::string bombFile = bomb.Finish();
    bombFile[arrayCount + 2] = 0x10;
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(bombFile), document, error));
    EXPECT_NE(error.find("impossible"), std::string::npos) << error;
}

TEST(DocumentBinary, FailureLeavesTheOutputUntouched)
{
    Document document;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::LoadDocument(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), document, error));
    const size_t before = CountRecords(document.root);
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(std::string("Kaydara FBX Binary  \0\x1A", 22)), document, error));
    EXPECT_EQ(CountRecords(document.root), before);
    EXPECT_EQ(document.version, 7500u);
}

TEST(DocumentAscii, ArraysScalarsAndNesting)
{
    const std::string text =
        "; FBX 7.4.0 project file\n"
        "FBXHeaderExtension:  {\n\tFBXVersion: 7400\n}\n"
        "Objects:  {\n"
        "\tModel: 12, \"Model::a:b:Hips\", \"LimbNode\" {\n"
        "\t\tVersion: 232\n"
        "\t\tProperties70:  {\n"
        "\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\",1.5,-2,3e2\n"
        "\t\t}\n"
        "\t\tShading: Y\n"
        "\t\tCulling: \"CullingOff\"\n"
        "\t}\n"
        "\tGeometry: 13, \"Geometry::\", \"Mesh\" {\n"
        "\t\tVertices: *6 {\n\t\t\ta: 0,1,2,\n3.5,4,5\n\t\t}\n"
        "\t\tPolygonVertexIndex: *3 {\n\t\t\ta: 0,1,-3\n\t\t} \n"
        "\t\tEmpty: *0 {\n\t\t}\n"
        "\t}\n"
        "}\n"
        "Connections:  {\n\t;Model::a, Model::RootNode\n\tC: \"OO\",12,0\n}\n";
    Document document;
    std::string error;
    ASSERT_TRUE(Vela::Fbx::ParseDocument(Bytes(text), document, error)) << error;
    EXPECT_EQ(document.version, 7400u);
    EXPECT_FALSE(document.isBinary);

    const Record* model = document.root.Find("Objects")->Find("Model");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->properties.at(1).AsString(), "Model::a:b:Hips");
    const Record* translation = model->Find("Properties70")->Find("P");
    ASSERT_EQ(translation->properties.size(), 7u);
    EXPECT_DOUBLE_EQ(translation->properties[4].AsDouble(), 1.5);
    EXPECT_EQ(translation->properties[5].GetType(), Property::Type::Int64);
    EXPECT_DOUBLE_EQ(translation->properties[6].AsDouble(), 300.0);
    EXPECT_EQ(model->Find("Shading")->properties.at(0).AsInt64(), 'Y');

    const Record* geometry = document.root.Find("Objects")->Find("Geometry");
    const Property& vertices = geometry->Find("Vertices")->properties.at(0);
    EXPECT_EQ(vertices.GetType(), Property::Type::Float64Array);
    std::vector<double> values;
    vertices.ToDoubles(values);
    EXPECT_EQ(values, (std::vector<double>{0, 1, 2, 3.5, 4, 5}));
    const Property& indices = geometry->Find("PolygonVertexIndex")->properties.at(0);
    EXPECT_EQ(indices.GetType(), Property::Type::Int64Array);
    EXPECT_EQ(indices.ArraySize(), 3u);
    EXPECT_TRUE(geometry->Find("Empty")->properties.at(0).IsArray());
    EXPECT_EQ(geometry->Find("Empty")->properties.at(0).ArraySize(), 0u);

    const Record* link = document.root.Find("Connections")->Find("C");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->properties.at(1).AsInt64(), 12);
}

TEST(DocumentAscii, MalformedOrForeignTextIsRefused)
{
    Document document;
    std::string error;
    const std::string cases[] = {
        "",
        "{ \"json\": true }",
        "FBXHeaderExtension:  {\n\tFBXVersion: 7400\n",        // unclosed
        "FBXHeaderExtension:  {\n\tFBXVersion: 7400\n}\n}\n",   // extra close
        "FBXHeaderExtension:  {\n\tFBXVersion: 6100\n}\n",      // too old
        "Objects:  {\n}\n",                                      // no version anywhere
        "FBXHeaderExtension:  {\n\tCreator: \"unterminated\n}\n",
        std::string("\x89PNG\r\n\x1a\n\0\0\0", 11),
    };
    for (const std::string& text : cases)
    {
        error.clear();
        EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(text), document, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(DocumentAscii, DeepNestingIsBoundedNotAStackOverflow)
{
    std::string text = "FBXHeaderExtension:  {\n\tFBXVersion: 7400\n}\n";
    for (int i = 0; i < 100000; ++i)
        text += "A: {";
    Document document;
    std::string error;
    EXPECT_FALSE(Vela::Fbx::ParseDocument(Bytes(text), document, error));
    EXPECT_NE(error.find("deeply"), std::string::npos) << error;
}

TEST(DocumentLoad, MissingFileReportsItsPath)
{
    Document document;
    std::string error;
    EXPECT_FALSE(Vela::Fbx::LoadDocument("/nonexistent/folder/model.fbx", document, error));
    EXPECT_NE(error.find("model.fbx"), std::string::npos);
}

TEST(DocumentFixtures, OtherToolsFilesParseOrAreRefusedCleanly)
{
    const std::filesystem::path folder = "/usr/share/assimp/models/FBX";
    if (!std::filesystem::exists(folder))
        GTEST_SKIP() << "assimp test models are not installed";
    size_t parsedCount = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](char aChar) { return static_cast<char>(std::tolower(aChar)); });
        if (extension != ".fbx")
            continue;
        Document document;
        std::string error;
        if (Vela::Fbx::LoadDocument(entry.path(), document, error))
            ++parsedCount;
        else
            std::printf("refused %s\n", error.c_str());
    }
    EXPECT_GT(parsedCount, 10u);
}
