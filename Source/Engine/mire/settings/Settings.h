#pragma once
#include "mire/settings/EngineConfiguration.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace Vela
{
    // Reads "settings/<name>" beside the executable (".json" is appended to a name without a dot) into
    // the global configuration and the asset roots. False when the executable's path or the file
    // cannot be had (the configuration then keeps what it held; Settings::GetLoadFailure says why).
    // Malformed content raises the JSON library's own error; JSON nested deeper than MAX_JSON_NESTING,
    // a size outside 1 to 16384, a clear colour component outside 0 to 1 or a flag that is not a
    // boolean raises std::runtime_error naming the file and the field. Nothing is changed then.
    bool LoadSettings(std::string_view aName);

    namespace Settings
    {
        EngineConfiguration& GetEngineConfiguration();
        // One line: which settings file the last LoadSettings could not read and why; empty after a read.
        const std::string& GetLoadFailure();

        const std::filesystem::path& ExecutableDirectory();
        const std::filesystem::path& EngineAssetRoot();
        const std::filesystem::path& GameAssetRoot();
        const std::filesystem::path& CookedAssetRoot();

        // The first existing file among <exe>/data/<path>, <game root>/<path>, <engine root>/<path>,
        // or "" when none exists. Separators may be '/' or '\'. Each candidate is tried exactly first
        // and then without regard to letter case, as the asset names in data were written for a file
        // system that ignores case.
        std::string ResolveAssetPath(std::string_view aRelativePath);

        // Tests point the engine at folders of their own.
        void SetExecutableDirectoryForTesting(const std::filesystem::path& aDirectory);
        void SetAssetRootsForTesting(const std::filesystem::path& aEngineRoot, const std::filesystem::path& aGameRoot, const std::filesystem::path& aCookedRoot);
    }
}
