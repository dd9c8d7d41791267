#include "mire/settings/Settings.h"

#include "mire/settings/AssetLookup.h"
#include "mire/settings/SettingsState.h"

namespace Vela
{
    SettingsState& SettingsState::Get()
    {
        static SettingsState state;
        return state;
    }

    namespace Settings
    {
        EngineConfiguration& GetEngineConfiguration() { return SettingsState::Get().configuration; }
        const std::string& GetLoadFailure() { return SettingsState::Get().loadFailure; }
        const std::filesystem::path& ExecutableDirectory() { return SettingsState::Get().executableDirectory; }
        const std::filesystem::path& EngineAssetRoot() { return SettingsState::Get().engineAssetRoot; }
        const std::filesystem::path& GameAssetRoot() { return SettingsState::Get().gameAssetRoot; }
        const std::filesystem::path& CookedAssetRoot() { return SettingsState::Get().cookedAssetRoot; }

        std::string ResolveAssetPath(std::string_view aRelativePath)
        {
            const SettingsState& state = SettingsState::Get();
            std::vector<std::filesystem::path> roots;
            roots.push_back(state.executableDirectory / "data");
            if (!state.gameAssetRoot.empty())
            {
                roots.push_back(state.gameAssetRoot);
            }
            if (!state.engineAssetRoot.empty())
            {
                roots.push_back(state.engineAssetRoot);
            }
            const auto found = FindAssetFile(roots, aRelativePath);
            return found ? found->string() : std::string();
        }

        void SetExecutableDirectoryForTesting(const std::filesystem::path& aDirectory)
        {
            SettingsState& state = SettingsState::Get();
            state.executableDirectory = aDirectory;
            state.executableDirectoryOverridden = !aDirectory.empty();
        }

        void SetAssetRootsForTesting(const std::filesystem::path& aEngineRoot, const std::filesystem::path& aGameRoot, const std::filesystem::path& aCookedRoot)
        {
            SettingsState& state = SettingsState::Get();
            state.engineAssetRoot = aEngineRoot;
            state.gameAssetRoot = aGameRoot;
            state.cookedAssetRoot = aCookedRoot;
        }
    }
}
