#include "mire/settings/Settings.h"

#include "mire/core/Assert.h"
#include "mire/core/JsonDocument.h"
#include "mire/settings/SettingsState.h"
#include "Platform/file/WholeFile.h"
#include "Platform/process/ExecutablePath.h"
#include "Platform/text/TextConversion.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <stdexcept>
#include <utility>

namespace Vela
{
    namespace
    {
        using Json = nlohmann::json;

        // Sizes past this are no window or back buffer the graphics device can make.
        constexpr int64_t MAX_SIZE = 16384;
        // A refused value is shown at most this long in the message.
        constexpr size_t MAX_SHOWN_VALUE = 40;

        // A value the file gives in the right JSON shape but outside what the engine can use.
        class InvalidSetting : public std::runtime_error
        {
        public:
            InvalidSetting(const std::string& aField, const std::string& aRule, const Json& aValue)
                : std::runtime_error("\"" + aField + "\" " + aRule + ", not " + Shown(aValue))
            {
            }

        private:
            static std::string Shown(const Json& aValue)
            {
                if (aValue.is_null())
                {
                    return "missing";
                }
                std::string text = aValue.dump();
                if (text.size() > MAX_SHOWN_VALUE)
                {
                    text = text.substr(0, MAX_SHOWN_VALUE) + "...";
                }
                return text;
            }
        };

        uint32_t ReadSizeValue(const Json& aValue, const std::string& aField)
        {
            // A boolean, a fraction, a negative or a huge number would otherwise be converted silently.
            if (!aValue.is_number_integer() || aValue.get<int64_t>() < 1 || aValue.get<int64_t>() > MAX_SIZE ||
                (aValue.is_number_unsigned() && aValue.get<uint64_t>() > static_cast<uint64_t>(MAX_SIZE)))
            {
                throw InvalidSetting(aField, "must be a whole number from 1 to " + std::to_string(MAX_SIZE), aValue);
            }
            return static_cast<uint32_t>(aValue.get<int64_t>());
        }

        float ReadColorComponent(const Json& aValue, const std::string& aField)
        {
            // Read as double first: a float conversion turns 1e40 into infinity.
            const double component = aValue.is_number() ? aValue.get<double>() : std::nan("");
            if (!std::isfinite(component) || component < 0.0 || component > 1.0)
            {
                throw InvalidSetting(aField, "must be a number from 0 to 1", aValue);
            }
            return static_cast<float>(component);
        }

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

        void ReadSize(const Json& aSize, const std::string& aField, uint32_t& aWidth, uint32_t& aHeight)
        {
            if (!aSize.is_object())
            {
                throw InvalidSetting(aField, "must be an object with \"w\" and \"h\"", aSize);
            }
            aWidth = ReadSizeValue(aSize.value("w", Json()), aField + ".w");
            aHeight = ReadSizeValue(aSize.value("h", Json()), aField + ".h");
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
                const Json& color = aWindow["clear_color"];
                if (!color.is_object())
                {
                    throw InvalidSetting("clear_color", "must be an object with \"r\", \"g\", \"b\" and \"a\"", color);
                }
                aConfiguration.myClearColor.a = ReadColorComponent(color.value("a", Json()), "clear_color.a");
                aConfiguration.myClearColor.b = ReadColorComponent(color.value("b", Json()), "clear_color.b");
                aConfiguration.myClearColor.g = ReadColorComponent(color.value("g", Json()), "clear_color.g");
                aConfiguration.myClearColor.r = ReadColorComponent(color.value("r", Json()), "clear_color.r");
            }

            const bool hasWindowSize = aWindow.contains("window_size");
            const bool hasRenderSize = aWindow.contains("render_size");
            if (hasWindowSize)
            {
                ReadSize(aWindow["window_size"], "window_size", aConfiguration.myWindowWidth, aConfiguration.myWindowHeight);
            }
            if (hasRenderSize)
            {
                ReadSize(aWindow["render_size"], "render_size", aConfiguration.myRenderWidth, aConfiguration.myRenderHeight);
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
                    const Json& value = aWindow[key];
                    if (!value.is_boolean())
                    {
                        throw InvalidSetting(key, "must be true or false", value);
                    }
                    *flag = value.get<bool>();
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
                state.loadFailure = "The settings file could not be found: the program's own path is unknown";
                return false;
            }
            state.executableDirectory = executable->parent_path();
        }

        std::string fileName(aName);
        if (fileName.find('.') == std::string::npos)
        {
            fileName += ".json";
        }
        const std::filesystem::path path = state.executableDirectory / "settings" / fileName;
        std::string text;
        std::string reason;
        if (!Platform::ReadWholeFile(path, text, reason))
        {
            // The caller stops on this; an assertion line beside its own would only repeat it.
            state.loadFailure = "The settings file " + path.string() + " " + reason;
            return false;
        }
        state.loadFailure.clear();

        // Everything is read into copies first: a file refused halfway changes nothing.
        Json root = ParseJsonDocument(text, path.string());
        std::filesystem::path engineRoot = state.engineAssetRoot;
        std::filesystem::path gameRoot = state.gameAssetRoot;
        std::filesystem::path cookedRoot = state.cookedAssetRoot;
        if (root.is_object() && root.contains("assets_path"))
        {
            Json& paths = root["assets_path"];
            engineRoot = (state.executableDirectory / paths["engine"].get<std::string>()).lexically_normal();
            gameRoot = (state.executableDirectory / paths["game"].get<std::string>()).lexically_normal();
            if (paths.contains("cooked"))
            {
                cookedRoot = (state.executableDirectory / paths["cooked"].get<std::string>()).lexically_normal();
            }
        }
        EngineConfiguration configuration = state.configuration;
        try
        {
            ReadWindowSettings(root["window_settings"], configuration);
        }
        catch (const InvalidSetting& anError)
        {
            throw std::runtime_error("The settings file " + path.string() + " is refused: " + anError.what());
        }
        state.configuration = std::move(configuration);
        state.engineAssetRoot = std::move(engineRoot);
        state.gameAssetRoot = std::move(gameRoot);
        state.cookedAssetRoot = std::move(cookedRoot);
        return true;
    }
}
