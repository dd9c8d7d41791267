#pragma once
// A small ASCII FBX writer for scene tests, and a loader that owns what it loads.
#include "Platform/fbx/FbxScene.h"
#include "Support/TestSupport.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace SceneTest
{
    template <class T>
    std::string Join(const std::vector<T>& someValues)
    {
        std::ostringstream out;
        out.precision(17);
        for (size_t i = 0; i < someValues.size(); ++i)
            out << (i ? "," : "") << someValues[i];
        return out.str();
    }

    // P: "name", "type", "", "A", values
    inline std::string P(std::string_view aName, std::string_view aType, std::string_view aValues)
    {
        return "\t\t\tP: \"" + std::string(aName) + "\", \"" + std::string(aType) + "\", \"\", \"A\"," + std::string(aValues) + "\n";
    }

    inline std::string Array(std::string_view aName, const std::string& aJoined, size_t aCount)
    {
        return "\t\t" + std::string(aName) + ": *" + std::to_string(aCount) + " {\n\t\t\ta: " + aJoined + "\n\t\t}\n";
    }

    template <class T>
    std::string Array(std::string_view aName, const std::vector<T>& someValues)
    {
        return Array(aName, Join(someValues), someValues.size());
    }

    inline std::string Model(int64_t aId, std::string_view aName, std::string_view aSubType, std::string_view aProperties = "")
    {
        return "\tModel: " + std::to_string(aId) + ", \"Model::" + std::string(aName) + "\", \"" + std::string(aSubType) +
               "\" {\n\t\tVersion: 232\n\t\tProperties70:  {\n" + std::string(aProperties) + "\t\t}\n\t}\n";
    }

    inline std::string Attribute(int64_t aId, std::string_view aSubType, std::string_view aProperties = "")
    {
        return "\tNodeAttribute: " + std::to_string(aId) + ", \"NodeAttribute::\", \"" + std::string(aSubType) +
               "\" {\n\t\tProperties70:  {\n" + std::string(aProperties) + "\t\t}\n\t}\n";
    }

    // One layer element block; aIndices empty means no index array.
    inline std::string Layer(std::string_view aKind, std::string_view aMapping, std::string_view aReference, std::string_view aArrayName,
                             const std::vector<double>& someValues, std::string_view aIndexName = "", const std::vector<int>& someIndices = {})
    {
        std::string text = "\t\t" + std::string(aKind) + ": 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n\t\t\tMappingInformationType: \"" +
                           std::string(aMapping) + "\"\n\t\t\tReferenceInformationType: \"" + std::string(aReference) + "\"\n";
        if (!aArrayName.empty())
            text += Array(aArrayName, someValues);
        if (!aIndexName.empty())
            text += Array(aIndexName, someIndices);
        return text + "\t\t}\n";
    }

    inline std::string MeshGeometry(int64_t aId, std::string_view aName, const std::vector<double>& someVertices,
                                    const std::vector<int>& somePolygonVertexIndex, std::string_view aLayers = "")
    {
        return "\tGeometry: " + std::to_string(aId) + ", \"Geometry::" + std::string(aName) + "\", \"Mesh\" {\n" +
               Array("Vertices", someVertices) + Array("PolygonVertexIndex", somePolygonVertexIndex) + "\t\tGeometryVersion: 124\n" +
               std::string(aLayers) + "\t}\n";
    }

    inline std::string OO(int64_t aChild, int64_t aParent)
    {
        return "\tC: \"OO\"," + std::to_string(aChild) + "," + std::to_string(aParent) + "\n";
    }

    inline std::string OP(int64_t aChild, int64_t aParent, std::string_view aProperty)
    {
        return "\tC: \"OP\"," + std::to_string(aChild) + "," + std::to_string(aParent) + ", \"" + std::string(aProperty) + "\"\n";
    }

    // A whole file. aSettings are P lines for GlobalSettings (Y up, centimetres when empty).
    inline std::string File(std::string_view aObjects, std::string_view aConnections, std::string_view aSettings = "",
                             std::string_view aExtra = "")
    {
        std::string text = "; FBX 7.5.0 project file\nFBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7500\n}\n";
        text += "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n" + std::string(aSettings) + "\t}\n}\n";
        text += std::string(aExtra);
        text += "Objects:  {\n" + std::string(aObjects) + "}\n";
        text += "Connections:  {\n" + std::string(aConnections) + "}\n";
        return text;
    }

    // Loads a file through the importer into a scene owned by this object.
    class Loaded
    {
    public:
        Loaded() : myManager(Vela::Fbx::Manager::Create()) {}
        ~Loaded() { myManager->Destroy(); }
        Loaded(const Loaded&) = delete;
        Loaded& operator=(const Loaded&) = delete;

        bool LoadPath(const std::filesystem::path& aPath)
        {
            Vela::Fbx::Importer* importer = Vela::Fbx::Importer::Create(myManager, "");
            myScene = Vela::Fbx::Scene::Create(myManager, "The Scene");
            const bool initialised = importer->Initialize(aPath.string());
            const bool imported = initialised && importer->Import(myScene);
            myError = importer->GetStatus().GetErrorString();
            myStackCount = importer->GetAnimStackCount();
            importer->Destroy();
            return imported;
        }

        bool LoadText(std::string_view aText)
        {
            return LoadPath(myFolder.Write("scene.fbx", aText));
        }

        bool LoadFixture(std::string_view aName) { return LoadPath(VelaTest::FixturePath(std::string("fbx/") + std::string(aName))); }

        Vela::Fbx::Scene& Scene() { return *myScene; }
        Vela::Fbx::Manager* GetManager() { return myManager; }
        const Vela::Fbx::Node& Node(std::string_view aName)
        {
            const Vela::Fbx::Node* node = myScene->FindNodeByName(aName);
            if (!node)
                throw std::runtime_error("no node " + std::string(aName));
            return *node;
        }
        const std::string& Error() const { return myError; }
        int StackCount() const { return myStackCount; }

    private:
        VelaTest::TempDirectory myFolder;
        Vela::Fbx::Manager* myManager;
        Vela::Fbx::Scene* myScene = nullptr;
        std::string myError;
        int myStackCount = 0;
    };

    // Names of every fixture FBX file, sorted.
    inline std::vector<std::string> FixtureNames()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(VelaTest::FixturePath("fbx")))
            if (entry.path().extension() == ".fbx")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
}
