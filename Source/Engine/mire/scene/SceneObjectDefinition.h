#pragma once
#include "mire/property/Property.h"
#include "mire/scene/Scene.h"
#include "mire/stringRegistry/StringId.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Vela
{
    class SceneObjectDefinitionManager;

    enum DefinitionPropertyFlags : uint8_t
    {
        IsDynamic = 1,
        IsPerInstance = 2, // only these take a placed object's own value
    };

    // One declared property of a definition, with its default value.
    struct DefinitionPropertyEntry
    {
        StringId name;
        const PropertyTypeBase* type = nullptr;
        Property value;
        uint8_t flags = 0;
        StringId group;
        StringId description;
    };

    // The contents of one ".kvo" file, named by the file's stem.
    struct SceneObjectDefinition
    {
        std::string relativePath;
        StringId name;
        StringId parent;
        std::vector<DefinitionPropertyEntry> properties;

        // Appends anObject's effective properties to aOut: the definition's entries in order, each
        // per-instance one taking the object's value when the object's first entry of that name has
        // the same type. Nothing is appended when the object's definition is unknown.
        static void MergeOverrides(const SceneObject& anObject, const SceneObjectDefinitionManager& aManager, std::vector<DefinitionPropertyEntry>& aOut);
    };

    // Fills aOut from "<game asset root>/<aRelativePath>". Malformed content raises the JSON library's
    // error (after a line naming the file). A property of an unregistered type is skipped with a line.
    void LoadObjectDefinition(SceneObjectDefinition& aOut, const char* aRelativePath);

    class SceneObjectDefinitionManager
    {
    public:
        // Loads every ".kvo" file below aDirectory, in sorted path order. The first definition of a
        // name stays; a later file of the same name is reported and dropped. A relative aDirectory is
        // taken below the game asset root (without one it is reported and nothing is loaded).
        void DiscoverFiles(std::string_view aDirectory);
        const SceneObjectDefinition* Find(StringId aName) const;
        size_t GetCount() const { return myDefinitions.size(); }

    private:
        std::unordered_map<StringId, std::unique_ptr<SceneObjectDefinition>> myDefinitions;
    };
}
