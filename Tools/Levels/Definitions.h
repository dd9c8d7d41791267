#pragma once
// The scene-object definitions (".kvo" files) of the game's levels: every definition the level builder
// dispatches on, plus the plain level geometry. Levels may set only the properties declared here as
// per-instance, with the declared type.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace Levels
{
    struct PropertyDeclaration
    {
        std::string myName;
        std::string myType; // a property type's display name
        bool myIsPerInstance = false;
        nlohmann::json myValue; // the default
    };

    struct Definition
    {
        std::string myName; // the file stem the scene objects name
        std::vector<PropertyDeclaration> myProperties;
    };

    const std::vector<Definition>& AllDefinitions();
    const Definition& FindDefinition(const std::string& aName);
    // The ".kvo" file content.
    nlohmann::json DefinitionFile(const Definition& aDefinition);
}
