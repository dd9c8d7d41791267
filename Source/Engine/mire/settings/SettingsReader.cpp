#include "mire/settings/Settings.h"

#include "mire/core/Assert.h"
#include "mire/settings/SettingsState.h"
#include "Platform/process/ExecutablePath.h"
#include "Platform/text/TextConversion.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <utility>

namespace Vela
{
    namespace
    {
        using Json = nlohmann::json;

        // A name scan stops at "All" or "None"; unknown names are skipped.
        uint32_t ReadDebugFeatures(Json& aValue)
        {
            static const std::pair<const char*, uint32_t> NAMES[] = {
                { "Fps", DebugFeature::Fps }, { "Mem", DebugFeature::Mem }, { "Drawcalls", DebugFeature::Drawcalls },
                { "Cpu", DebugFeature::Cpu }, { "FpsGraph", DebugFeature::FpsGraph }, { "Filewatcher", DebugFeature::Filewatcher },
                { "OptimizeWarnings", DebugFeature::OptimizeWarnings },
                { "MemoryTrackingStackTraces", DebugFeature::MemoryTrackingStackTraces },
                { "MemoryTrackingAllAllocations", DebugFeature::MemoryTrackingAllAllocations },
            };
            Json names = aValue.is_array() ? aValue : Json::array({ aValue });
            uint32_t bits = 0;
            for (auto& entry : names)
            {
                const std::string name = entry.get<std::string>();
                if (name == "All")
                {
                    return ALL_DEBUG_FEATURES;
                }
                if (name == "None")
                {
                    return 0;
                }
                for (const auto& [known, bit] : NAMES)
                {
                    if (name == known)
                    {
                        bits |= bit;
                    }
                }
            }
            return bits;
        }

        void ReadMultiSampling(Json& aValue, MultiSampling& aInOut)
        {
            static const std::pair<const char*, MultiSampling> NAMES[] = {
                { "Off", MultiSampling::Off }, { "Low", MultiSampling::Low },
                { "Medium", MultiSampling::Medium }, { "High", MultiSampling::High },
            };
            Json names = aValue.is_array() ? aValue : Json::array({ aValue });
            for (auto& entry : names)
            {
                const std::string name = entry.get<std::string>();
                for (const auto& [known, value] : NAMES)
                {
                    if (name == known)
                    {
                        aInOut = value;
                    }
                }
            }
        }

        void ReadSize(Json& aSize, uint32_t& aWidth, uint32_t& aHeight)
        {
            aWidth = aSize["w"].get<uint32_t>();
            aHeight = aSize["h"].get<uint32_t>();
        }

        void ReadWindowSettings(Json& aWindow, EngineConfiguration& aConfiguration)
        {
            // Missing "window_settings" or "title" reads null here and raises the library's type error.
            const std::string title = aWindow["title"].get<std::string>();
            if (!title.empty())
            {
                aConfiguration.myTitle = Platform::Utf8ToWide(title);
            }

            if (aWindow.contains("clear_color"))
            {
                Json& color = aWindow["clear_color"];
                aConfiguration.myClearColor.a = color["a"].get<float>();
                aConfiguration.myClearColor.b = color["b"].get<float>();
                aConfiguration.myClearColor.g = color["g"].get<float>();
                aConfiguration.myClearColor.r = color["r"].get<float>();
            }

            const bool hasWindowSize = aWindow.contains("window_size");
            const bool hasRenderSize = aWindow.contains("render_size");
            if (hasWindowSize)
            {
                ReadSize(aWindow["window_size"], aConfiguration.myWindowWidth, aConfiguration.myWindowHeight);
            }
            if (hasRenderSize)
            {
                ReadSize(aWindow["render_size"], aConfiguration.myRenderWidth, aConfiguration.myRenderHeight);
            }
            if (hasWindowSize && !hasRenderSize)
            {
                aConfiguration.myRenderWidth = aConfiguration.myWindowWidth;
                aConfiguration.myRenderHeight = aConfiguration.myWindowHeight;
            }
            if (hasRenderSize && !hasWindowSize)
            {
                aConfiguration.myWindowWidth = aConfiguration.myRenderWidth;
                aConfiguration.myWindowHeight = aConfiguration.myRenderHeight;
            }

            const std::pair<const char*, bool*> flags[] = {
                { "enable_vsync", &aConfiguration.myEnableVsync },
                { "start_in_fullscreen", &aConfiguration.myStartInFullscreen },
                { "start_maximized", &aConfiguration.myStartMaximized },
                { "borderless", &aConfiguration.myBorderless },
            };
            for (const auto& [key, flag] : flags)
            {
                if (aWindow.contains(key))
                {
                    *flag = aWindow[key].get<bool>();
                }
            }

            aConfiguration.myDebugFeatures = aWindow.contains("debug_features") ? ReadDebugFeatures(aWindow["debug_features"]) : 0;

            if (aWindow.contains("multisampling"))
            {
                ReadMultiSampling(aWindow["multisampling"], aConfiguration.myMultiSampling);
            }
        }
    }

    bool LoadSettings(std::string_view aName)
    {
        SettingsState& state = SettingsState::Get();
        if (!state.executableDirectoryOverridden)
        {
            const auto executable = Platform::GetExecutablePath();
            if (!executable)
            {
                VELA_ASSERT(false && "GetModuleFileName failed in Vela::LoadSettings");
                return false;
            }
            state.executableDirectory = executable->parent_path();
        }

        std::string fileName(aName);
        if (fileName.find('.') == std::string::npos)
        {
            fileName += ".json";
        }
        std::ifstream file(state.executableDirectory / "settings" / fileName, std::ios::binary);
        if (!file)
        {
            VELA_ASSERT(false && "Could not open project settings file in Vela::LoadSettings");
            return false;
        }

        // A path that opens but cannot be read (a folder, on this system) is reported like one that cannot be opened;
        // the standard library's file buffer throws on such a read.
        std::string text;
        bool readable = true;
        try
        {
            text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            readable = !file.bad();
        }
        catch (const std::exception&)
        {
            readable = false;
        }
        if (!readable)
        {
            VELA_ASSERT(false && "Could not read project settings file in Vela::LoadSettings");
            return false;
        }

        Json root = Json::parse(text);
        if (root.is_object() && root.contains("assets_path"))
        {
            Json& paths = root["assets_path"];
            state.engineAssetRoot = (state.executableDirectory / paths["engine"].get<std::string>()).lexically_normal();
            state.gameAssetRoot = (state.executableDirectory / paths["game"].get<std::string>()).lexically_normal();
            if (paths.contains("cooked"))
            {
                state.cookedAssetRoot = (state.executableDirectory / paths["cooked"].get<std::string>()).lexically_normal();
            }
        }
        ReadWindowSettings(root["window_settings"], state.configuration);
        return true;
    }
}
