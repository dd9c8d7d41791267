#pragma once
#include "mire/settings/EngineConfiguration.h"

#include <filesystem>
#include <string>

namespace Vela
{
    // The process-wide settings: one configuration and the roots the asset lookup uses.
    struct SettingsState
    {
        EngineConfiguration configuration;
        std::filesystem::path executableDirectory;
        std::filesystem::path engineAssetRoot;
        std::filesystem::path gameAssetRoot;
        std::filesystem::path cookedAssetRoot;
        bool executableDirectoryOverridden = false;
        std::string loadFailure; // why the last LoadSettings returned false

        static SettingsState& Get();
    };
}
