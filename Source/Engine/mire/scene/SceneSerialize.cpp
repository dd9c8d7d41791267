#include "mire/scene/SceneSerialize.h"

#include "mire/core/JsonDocument.h"
#include "mire/property/JsonReading.h"
#include "mire/scene/ObjectIdTable.h"
#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "Platform/file/WholeFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <nlohmann/json.hpp>

namespace Vela
{
    namespace
    {
        StringId Intern(const nlohmann::json& aJson)
        {
            return StringRegistry::RegisterOrGetString(aJson.get<std::string>());
        }

        Vector3<float> ReadVector3(const nlohmann::json& aJson)
        {
            const auto values = aJson.get<std::array<float, 3>>();
            return { values[0], values[1], values[2] };
        }

        std::vector<std::filesystem::path> ListObjectFiles(const std::filesystem::path& aDirectory)
        {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(aDirectory))
            {
                if (!entry.path().filename().has_extension())
                {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            return files;
        }
    }

    void ReadSceneObject(const nlohmann::json& aDocument, SceneObject& aOut, const char* aSourceName)
    {
        using JsonReading::MemberOrNull;

        aOut.name = aDocument.value("name", std::string("unknown"));
        aOut.SetPath(nullptr, StringRegistry::RegisterOrGetString(aDocument.value("path", std::string())));

        if (const auto transform = aDocument.find("transform"); transform != aDocument.end())
        {
            aOut.FromMatrix(Matrix4x4<float>(transform->get<std::array<float, 16>>()));
        }
        // Explicit parts win over the matrix.
        if (const auto translation = aDocument.find("translation"); translation != aDocument.end())
        {
            aOut.translation = ReadVector3(*translation);
        }
        if (const auto rotation = aDocument.find("rotation"); rotation != aDocument.end())
        {
            aOut.rotation = ReadVector3(*rotation);
        }
        if (const auto scale = aDocument.find("scale"); scale != aDocument.end())
        {
            aOut.scale = ReadVector3(*scale);
        }
        if (const auto definition = aDocument.find("object-definition"); definition != aDocument.end())
        {
            aOut.definition = Intern(*definition);
        }
        if (const auto properties = aDocument.find("properties"); properties != aDocument.end())
        {
            for (const nlohmann::json& element : *properties)
            {
                const StringId name = Intern(MemberOrNull(element, "name"));
                const StringId typeName = Intern(MemberOrNull(element, "type"));
                const PropertyTypeBase* type = PropertyTypeBase::FindType(typeName);
                if (!type)
                {
                    printf("Skipping property '%s' of unknown type '%s' in %s\n", name.GetString(), typeName.GetString(), aSourceName);
                    continue;
                }
                ScenePropertyEntry& entry = aOut.properties.emplace_back();
                entry.name = name;
                entry.type = type;
                try
                {
                    entry.value = Property(type, MemberOrNull(element, "value"));
                }
                catch (...)
                {
                    aOut.properties.pop_back();
                    throw;
                }
            }
        }
    }

    bool LoadScene(const char* aPath, Scene& aOutScene)
    {
        const std::filesystem::path full = Settings::GameAssetRoot() / aPath;
        aOutScene.SetName(aPath);
        aOutScene.SetPath(full.stem().string().c_str());
        aOutScene.Clear();

        std::filesystem::path directory = full;
        directory += ".leveldata";
        if (!std::filesystem::exists(directory))
        {
            return true;
        }

        // Sorted, so that loading does not depend on the file system's listing order.
        for (const std::filesystem::path& file : ListObjectFiles(directory))
        {
            const std::string fileName = file.string();
            std::string text;
            std::string reason;
            if (!Platform::ReadWholeFile(file, text, reason))
            {
                printf("Skipping scene entry that cannot be read as a file (%s): %s\n", reason.c_str(), fileName.c_str());
                continue;
            }

            SceneObject object;
            try
            {
                const nlohmann::json document = ParseJsonDocument(text, fileName);
                ReadSceneObject(document, object, fileName.c_str());
            }
            catch (const nlohmann::json::exception& anError)
            {
                printf("Error in scene object file %s: %s\n", fileName.c_str(), anError.what());
                throw;
            }

            const uint32_t id = FindIdByGuidString(file.stem().string().c_str());
            ++aOutScene.pathUseCounts[object.path];
            aOutScene.objects[id] = std::make_shared<SceneObject>(std::move(object));
        }
        return true;
    }
}
