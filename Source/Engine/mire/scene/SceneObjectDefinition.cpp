#include "mire/scene/SceneObjectDefinition.h"

#include "mire/core/JsonDocument.h"
#include "mire/property/JsonReading.h"
#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"
#include "Platform/file/WholeFile.h"

#include <algorithm>
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

        void ReadDefinition(const nlohmann::json& aDocument, SceneObjectDefinition& aOut, const char* aSourceName)
        {
            using JsonReading::MemberOrNull;

            aOut.parent = Intern(MemberOrNull(aDocument, "parent-object-definition"));
            const auto properties = aDocument.find("properties");
            if (properties == aDocument.end())
            {
                return;
            }
            for (const nlohmann::json& element : *properties)
            {
                JsonReading::RequireObjectForValue(element);
                const StringId name = Intern(MemberOrNull(element, "name"));
                const StringId group = Intern(element.value("group", nlohmann::json("")));
                const StringId description = Intern(element.value("description", nlohmann::json("")));
                uint8_t flags = 0;
                if (MemberOrNull(element, "is-dynamic").get<bool>())
                {
                    flags |= IsDynamic;
                }
                if (MemberOrNull(element, "is-per-instance").get<bool>())
                {
                    flags |= IsPerInstance;
                }
                const StringId typeName = Intern(MemberOrNull(element, "type"));
                const PropertyTypeBase* type = PropertyTypeBase::FindType(typeName);
                if (!type)
                {
                    printf("Skipping property '%s' of unknown type '%s' in %s\n", name.GetString(), typeName.GetString(), aSourceName);
                    continue;
                }
                DefinitionPropertyEntry& entry = aOut.properties.emplace_back();
                entry.name = name;
                entry.type = type;
                entry.flags = flags;
                entry.group = group;
                entry.description = description;
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

    void LoadObjectDefinition(SceneObjectDefinition& aOut, const char* aRelativePath)
    {
        aOut.relativePath = aRelativePath;
        const std::filesystem::path relative(aRelativePath);
        aOut.name = StringRegistry::RegisterOrGetString(relative.filename().stem().string());

        const std::filesystem::path file = Settings::GameAssetRoot() / relative;
        const std::string fileName = file.string();
        std::string text;
        std::string reason;
        if (!Platform::ReadWholeFile(file, text, reason))
        {
            throw std::runtime_error("Object definition file " + fileName + " " + reason);
        }
        try
        {
            const nlohmann::json document = ParseJsonDocument(text, fileName);
            ReadDefinition(document, aOut, fileName.c_str());
        }
        catch (const nlohmann::json::exception& anError)
        {
            printf("Error in object definition file %s: %s\n", fileName.c_str(), anError.what());
            throw;
        }
    }

    void SceneObjectDefinitionManager::DiscoverFiles(std::string_view aDirectory)
    {
        // Gather first and sort, so that the definition kept for a duplicate name does not depend on
        // the file system's listing order. Path order visits a folder before its contents.
        const std::filesystem::path& root = Settings::GameAssetRoot();
        // A relative folder is one below the game root, where every definition's relative path starts.
        std::filesystem::path directory(aDirectory);
        if (directory.is_relative())
        {
            if (root.empty())
            {
                printf("Object definitions not discovered: the folder %s is relative and there is no game asset root\n",
                       directory.string().c_str());
                return;
            }
            directory = (root / directory).lexically_normal();
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(directory))
        {
            if (entry.is_regular_file() && entry.path().extension() == ".kvo")
            {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());

        for (const std::filesystem::path& file : files)
        {
            const std::filesystem::path relative = file.lexically_relative(root);
            if (relative.empty())
            {
                printf("Object definition file %s is not reachable from the game asset root; not loaded\n", file.string().c_str());
                continue;
            }
            auto definition = std::make_unique<SceneObjectDefinition>();
            LoadObjectDefinition(*definition, relative.string().c_str());
            if (myDefinitions.contains(definition->name))
            {
                printf("Multiple kvo files exist with same name. That is not allowed: %s\n", definition->name.GetString());
                continue;
            }
            const StringId name = definition->name;
            myDefinitions.emplace(name, std::move(definition));
        }
    }

    const SceneObjectDefinition* SceneObjectDefinitionManager::Find(StringId aName) const
    {
        const auto found = myDefinitions.find(aName);
        return found != myDefinitions.end() ? found->second.get() : nullptr;
    }

    void SceneObjectDefinition::MergeOverrides(const SceneObject& anObject, const SceneObjectDefinitionManager& aManager, std::vector<DefinitionPropertyEntry>& aOut)
    {
        const SceneObjectDefinition* definition = aManager.Find(anObject.definition);
        if (!definition)
        {
            return;
        }
        for (const DefinitionPropertyEntry& declared : definition->properties)
        {
            DefinitionPropertyEntry& merged = aOut.emplace_back(declared);
            if (!(declared.flags & IsPerInstance))
            {
                continue;
            }
            const auto sameName = std::find_if(anObject.properties.begin(), anObject.properties.end(),
                [&](const ScenePropertyEntry& anEntry) { return anEntry.name == declared.name; });
            if (sameName != anObject.properties.end() && sameName->type == declared.type)
            {
                merged.value = sameName->value;
            }
        }
    }
}
