// LoadModel and LoadAnimation on every real file and on large written ones, beside an independent
// reader's import of the same files in the same run, and how long inflating each binary file's arrays
// alone takes (no import can be faster than that).
#include "InflateFloor.h"
#include "VelaFBXImporter.h"

#include "../../../Tests/External/VELAFBXImporter/FbxTestWriter.h"
#include "../../../Tests/Platform/fbx/DocumentBinaryWriter.h"
#include "Platform/fbx/FbxDocument.h"

#include <benchmark/benchmark.h>

#ifdef VELA_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace
{
    using VelaTest::FbxTestWriter;

    // Set up once and never torn down, as the game's model factory does: tearing down between
    // benchmarks would hand the heap back and start every benchmark on fresh pages.
    void InitImporterOnce()
    {
        static const bool initialised = (VelaFBX::InitImporter(), true);
        (void)initialised;
    }

    void VelaLoadModel(benchmark::State& aState, const std::string& aPath)
    {
        InitImporterOnce();
        try
        {
            for (auto _ : aState)
            {
                VelaFBX::ImportedModel model;
                if (!VelaFBX::LoadModel(aPath, model, false, true))
                {
                    aState.SkipWithError(VelaFBX::GetLastError().c_str());
                    break;
                }
            }
        }
        catch (const std::exception& aError)
        {
            aState.SkipWithError(aError.what());
        }
    }

    void VelaLoadAnimation(benchmark::State& aState, const std::string& aPath)
    {
        InitImporterOnce();
        try
        {
            for (auto _ : aState)
            {
                VelaFBX::ImportedAnimation animation;
                if (!VelaFBX::LoadAnimation(aPath, animation))
                {
                    aState.SkipWithError(VelaFBX::GetLastError().c_str());
                    break;
                }
            }
        }
        catch (const std::exception& aError)
        {
            aState.SkipWithError(aError.what());
        }
    }

#ifdef VELA_HAVE_ASSIMP
    // Triangulated, with tangents and joined vertices, as the model import produces.
    void AssimpModel(benchmark::State& aState, const std::string& aPath)
    {
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            if (!importer.ReadFile(aPath, aiProcess_Triangulate | aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices))
            {
                aState.SkipWithError(importer.GetErrorString());
                break;
            }
        }
    }

    // The scene with its animations, no mesh processing.
    void AssimpAnimation(benchmark::State& aState, const std::string& aPath)
    {
        for (auto _ : aState)
        {
            Assimp::Importer importer;
            const aiScene* scene = importer.ReadFile(aPath, 0);
            if (!scene || scene->mNumAnimations == 0)
            {
                aState.SkipWithError(scene ? "no animation" : importer.GetErrorString());
                break;
            }
        }
    }
#endif

    // A wavy grid of aSide x aSide quads.
    void AddGrid(FbxTestWriter& aWriter, int64_t aModel, int aSide, std::vector<int64_t>* someGeometry = nullptr)
    {
        std::vector<FbxTestWriter::Vec3> points;
        for (int y = 0; y <= aSide; ++y)
            for (int x = 0; x <= aSide; ++x)
                points.push_back({x * 0.1, y * 0.1, 0.2 * std::sin(x * 0.3) * std::cos(y * 0.2)});
        std::vector<std::vector<int>> polygons;
        for (int y = 0; y < aSide; ++y)
            for (int x = 0; x < aSide; ++x)
            {
                const int corner = y * (aSide + 1) + x;
                polygons.push_back({corner, corner + 1, corner + aSide + 2, corner + aSide + 1});
            }
        const int64_t geometry = aWriter.AddMesh(aModel, points, polygons);
        if (someGeometry)
            someGeometry->push_back(geometry);
    }

    // Combs: one polygon each, a row of aNotches narrow notches cut into a bar (4 x aNotches + 4 corners).
    void AddMaze(FbxTestWriter& aWriter, int64_t aModel, int aCombs, int aNotches)
    {
        std::vector<FbxTestWriter::Vec3> points;
        std::vector<std::vector<int>> polygons;
        for (int comb = 0; comb < aCombs; ++comb)
        {
            std::vector<int>& polygon = polygons.emplace_back();
            const double z = comb * 2.0;
            auto add = [&](double aX, double aY) {
                polygon.push_back(static_cast<int>(points.size()));
                points.push_back({aX, aY, z});
            };
            add(0, 0);
            add(aNotches * 2.0, 0);
            add(aNotches * 2.0, 10);
            for (int cell = aNotches - 1; cell >= 0; --cell)
            {
                add(cell * 2.0 + 1.5, 10);
                add(cell * 2.0 + 1.5, 1);
                add(cell * 2.0 + 0.5, 1);
                add(cell * 2.0 + 0.5, 10);
            }
            add(0, 10);
        }
        aWriter.AddMesh(aModel, points, polygons);
    }

    // One record of a text file in binary form, typed the way exporters type them: object ids and
    // connection ids 64-bit, numeric values of "int"/"enum"/"bool" properties 32-bit integers and of
    // other properties doubles, other integers 32-bit; index arrays of 32-bit integers, other arrays of
    // doubles, compressed; "Class::Name" object names as "Name\0\1Class".
    void WriteBinaryRecord(VelaTest::FbxBinaryWriter& aWriter, const Vela::Fbx::Record& aRecord, bool aIsObject)
    {
        using Vela::Fbx::Property;
        aWriter.Begin(std::string(aRecord.name));
        const bool isProperty = aRecord.name == "P";
        const std::string_view propertyType = isProperty && aRecord.properties.size() > 1 ? aRecord.properties[1].AsString() : "";
        const bool integerProperty = propertyType == "int" || propertyType == "enum" || propertyType == "bool";
        for (size_t i = 0; i < aRecord.properties.size(); ++i)
        {
            const Property& property = aRecord.properties[i];
            switch (property.GetType())
            {
            case Property::Type::Int64:
                if ((aIsObject && i == 0) || aRecord.name == "C")
                    aWriter.Int64(property.AsInt64());
                else if (isProperty && !integerProperty)
                    aWriter.Float64(property.AsDouble());
                else
                    aWriter.Int32(static_cast<int32_t>(property.AsInt64()));
                break;
            case Property::Type::Float64:
                aWriter.Float64(property.AsDouble());
                break;
            case Property::Type::Bool:
                aWriter.Bool(static_cast<char>(property.AsInt64()));
                break;
            case Property::Type::Int64Array:
            case Property::Type::Float64Array:
                if (aRecord.name.ends_with("Index"))
                {
                    std::vector<int32_t> values;
                    property.ToInt32s(values);
                    aWriter.Array('i', values, true);
                }
                else
                {
                    std::vector<double> values;
                    property.ToDoubles(values);
                    aWriter.Array('d', values, true);
                }
                break;
            default:
            {
                std::string text(property.AsString());
                const size_t separator = text.find("::");
                if (aIsObject && i == 1 && separator != std::string::npos)
                    text = text.substr(separator + 2) + std::string("\0\1", 2) + text.substr(0, separator);
                aWriter.String(text);
            }
            }
        }
        if (!aRecord.children.empty())
        {
            aWriter.Children();
            for (const Vela::Fbx::Record& child : aRecord.children)
                WriteBinaryRecord(aWriter, child, aRecord.name == "Objects");
        }
        aWriter.End();
    }

    std::string ToBinary(const std::string& aText)
    {
        Vela::Fbx::Document document;
        std::string error;
        if (!Vela::Fbx::ParseDocument(std::as_bytes(std::span(aText.data(), aText.size())), document, error))
            return {};
        VelaTest::FbxBinaryWriter writer(document.version);
        for (const Vela::Fbx::Record& record : document.root.children)
            WriteBinaryRecord(writer, record, false);
        return writer.Finish();
    }

    std::vector<std::pair<std::string, std::string>> WriteLargeFiles()
    {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vela_import_bench";
        std::filesystem::create_directories(folder);
        std::vector<std::pair<std::string, std::string>> files;
        auto keep = [&](const std::string& aName, const FbxTestWriter& aWriter) {
            const std::filesystem::path path = folder / (aName + ".fbx");
            std::ofstream(path) << aWriter.Build();
            files.emplace_back(aName, path.string());
        };
        {
            FbxTestWriter writer;  // 180 x 180 quads: 64,800 triangles
            AddGrid(writer, writer.AddModel("Grid", "Mesh", 0), 180);
            writer.AddMaterial("Ground", writer.AddModel("Unused", "Null", 0));
            keep("Grid64800", writer);
            const std::filesystem::path binary = folder / "Grid64800Binary.fbx";
            std::ofstream(binary, std::ios::binary) << ToBinary(writer.Build());
            files.emplace_back("Grid64800Binary", binary.string());
        }
        {
            FbxTestWriter writer;  // one 50 x 50 grid under eight nodes: 40,000 triangles
            std::vector<int64_t> geometry;
            const int64_t first = writer.AddModel("Instance0", "Mesh", 0, {0, 0, 0});
            AddGrid(writer, first, 50, &geometry);
            for (int i = 1; i < 8; ++i)
                writer.ShareMesh(geometry.front(), writer.AddModel("Instance" + std::to_string(i), "Mesh", 0, {i * 6.0, 0, 0}));
            keep("EightInstances40000", writer);
        }
        {
            FbxTestWriter writer;  // four combs of 6,000 notches (24,004 corners each): 96,008 triangles
            AddMaze(writer, writer.AddModel("Maze", "Mesh", 0), 4, 6000);
            keep("Maze96008", writer);
        }
        return files;
    }

    bool RegisterEverything()
    {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VELA_FIXTURES_DIR) / "fbx"))
            if (entry.path().extension() == ".fbx")
                files.emplace_back(entry.path().stem().string(), entry.path().string());
        std::sort(files.begin(), files.end());
        for (const auto& file : WriteLargeFiles())
            files.push_back(file);
        for (const auto& [name, path] : files)
        {
            benchmark::RegisterBenchmark(("LoadModel/Vela/" + name).c_str(), VelaLoadModel, path)->Unit(benchmark::kMillisecond);
#ifdef VELA_HAVE_ASSIMP
            benchmark::RegisterBenchmark(("LoadModel/Assimp/" + name).c_str(), AssimpModel, path)->Unit(benchmark::kMillisecond);
#endif
            benchmark::RegisterBenchmark(("LoadAnimation/Vela/" + name).c_str(), VelaLoadAnimation, path)->Unit(benchmark::kMillisecond);
#ifdef VELA_HAVE_ASSIMP
            benchmark::RegisterBenchmark(("LoadAnimation/Assimp/" + name).c_str(), AssimpAnimation, path)->Unit(benchmark::kMillisecond);
#endif
            if (VelaBench::CompressedArrayCount(path) > 0)
                benchmark::RegisterBenchmark(("Inflate/libdeflate/" + name).c_str(), VelaBench::InflateFloor, path)->Unit(benchmark::kMillisecond);
        }
        return true;
    }

    const bool REGISTERED = RegisterEverything();
}
