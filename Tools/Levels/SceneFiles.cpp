#include "SceneFiles.h"

#include "Definitions.h"
#include "Writers/FileOutput.h"

#include <cinttypes>
#include <cstdio>
#include <stdexcept>

namespace Levels
{
    namespace
    {
        uint64_t Fnv1a(const std::string& aText, uint64_t aSeed)
        {
            uint64_t hash = 0xcbf29ce484222325ull ^ aSeed;
            for (const unsigned char character : aText)
            {
                hash = (hash ^ character) * 0x100000001b3ull;
            }
            return hash;
        }

        void WriteText(const std::filesystem::path& aPath, const std::string& aText)
        {
            if (!Vela::Content::WriteFileText(aPath, aText))
            {
                throw std::runtime_error("cannot write " + aPath.string());
            }
        }

        nlohmann::json ObjectFile(const PlacedObject& anObject)
        {
            return { { "name", anObject.myName },
                     { "object-definition", anObject.myDefinition },
                     { "translation", anObject.myTranslation },
                     { "rotation", { 0.0f, 0.0f, 0.0f } },
                     { "scale", anObject.myScale },
                     { "properties", anObject.myProperties } };
        }
    }

    std::string StableUuid(const std::string& aText)
    {
        const uint64_t high = Fnv1a(aText, 0);
        const uint64_t low = Fnv1a(aText, 0x9e3779b97f4a7c15ull);
        // Version 4 and the RFC variant, so every parser takes it for a UUID.
        char text[40];
        std::snprintf(text, sizeof(text), "%08" PRIx32 "-%04" PRIx32 "-4%03" PRIx32 "-%04" PRIx32 "-%012" PRIx64, uint32_t(high >> 32),
                      uint32_t((high >> 16) & 0xffff), uint32_t(high & 0xfff), uint32_t(0x8000 | ((low >> 48) & 0x3fff)), uint64_t(low & 0xffffffffffffull));
        return text;
    }

    void WriteScene(const std::filesystem::path& aGameRoot, const ExpandedLevel& aLevel)
    {
        const std::filesystem::path folder = aGameRoot / "levels" / "Main Levels" / (aLevel.myScene + ".leveldata");
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (const PlacedObject& object : aLevel.myObjects)
        {
            const std::filesystem::path file = folder / StableUuid(aLevel.myKey + "/" + object.myName);
            if (std::filesystem::exists(file))
            {
                throw std::runtime_error(aLevel.myKey + ": two objects named " + object.myName);
            }
            WriteText(file, ObjectFile(object).dump(2) + "\n");
        }
    }

    void WriteDefinitions(const std::filesystem::path& aGameRoot)
    {
        const std::filesystem::path folder = aGameRoot / "definitions";
        std::filesystem::create_directories(folder);
        for (const Definition& definition : AllDefinitions())
        {
            WriteText(folder / (definition.myName + ".kvo"), DefinitionFile(definition).dump(2) + "\n");
        }
    }
}
