#include "mire/settings/Settings.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <utility>

namespace
{
    class SettingsFile : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            Vela::Settings::SetExecutableDirectoryForTesting(myFolder.Path());
            Vela::Settings::SetAssetRootsForTesting({}, {}, {});
            Config() = Vela::EngineConfiguration();
        }
        void TearDown() override { Vela::Settings::SetExecutableDirectoryForTesting({}); }

        static Vela::EngineConfiguration& Config() { return Vela::Settings::GetEngineConfiguration(); }

        // Loads a settings file whose window settings hold aWindowFields next to a title.
        bool LoadWindowSettings(const std::string& aWindowFields)
        {
            const std::string separator = aWindowFields.empty() ? "" : ", ";
            myFolder.Write("settings/Game.json", R"({"window_settings": {"title": "Test")" + separator + aWindowFields + "}}");
            return Vela::LoadSettings("Game");
        }

        VelaTest::TempDirectory myFolder;
    };

    int JsonErrorId(const std::function<void()>& aAction)
    {
        try
        {
            aAction();
        }
        catch (const nlohmann::json::exception& error)
        {
            return error.id;
        }
        return 0;
    }
}

TEST_F(SettingsFile, DebugFeatureNamesStopAtAllOrNone)
{
    ASSERT_TRUE(LoadWindowSettings(R"("debug_features": ["Fps", "All", "Mem"])"));
    EXPECT_EQ(Config().myDebugFeatures, 511u);
    ASSERT_TRUE(LoadWindowSettings(R"("debug_features": ["Mem", "None", "Fps"])"));
    EXPECT_EQ(Config().myDebugFeatures, 0u);
    ASSERT_TRUE(LoadWindowSettings(R"("debug_features": ["Fps", "Sparkles"])"));
    EXPECT_EQ(Config().myDebugFeatures, 1u);
    ASSERT_TRUE(LoadWindowSettings(R"("debug_features": "Filewatcher")"));
    EXPECT_EQ(Config().myDebugFeatures, 32u);
    ASSERT_TRUE(LoadWindowSettings(""));
    EXPECT_EQ(Config().myDebugFeatures, 0u);
}

TEST_F(SettingsFile, MultisamplingTakesTheLastKnownName)
{
    ASSERT_TRUE(LoadWindowSettings(R"("multisampling": "High")"));
    EXPECT_EQ(Config().myMultiSampling, Vela::MultiSampling::High);
    ASSERT_TRUE(LoadWindowSettings(R"("multisampling": ["Low", "Medium"])"));
    EXPECT_EQ(Config().myMultiSampling, Vela::MultiSampling::Medium);
    ASSERT_TRUE(LoadWindowSettings(R"("multisampling": "Ultra")"));
    EXPECT_EQ(Config().myMultiSampling, Vela::MultiSampling::Medium);
}

TEST_F(SettingsFile, OneSizeGivenSetsBoth)
{
    ASSERT_TRUE(LoadWindowSettings(R"("render_size": {"w": 800, "h": 600})"));
    EXPECT_EQ(Config().myWindowWidth, 800u);
    EXPECT_EQ(Config().myWindowHeight, 600u);
    EXPECT_EQ(Config().myRenderWidth, 800u);
    EXPECT_EQ(Config().myRenderHeight, 600u);

    ASSERT_TRUE(LoadWindowSettings(R"("window_size": {"w": 640, "h": 480}, "render_size": {"w": 1920, "h": 1080})"));
    EXPECT_EQ(Config().myWindowWidth, 640u);
    EXPECT_EQ(Config().myRenderHeight, 1080u);
}

TEST_F(SettingsFile, ReadsTitleColourFlagsAndRoots)
{
    const std::wstring defaultTitle = Config().myTitle;
    myFolder.Write("settings/Game.json", R"({"window_settings": {"title": ""}})");
    ASSERT_TRUE(Vela::LoadSettings("Game.json"));
    EXPECT_EQ(Config().myTitle, defaultTitle);
    EXPECT_EQ(defaultTitle.size(), 41u);

    myFolder.Write("settings/Other.cfg.json", R"({
        "assets_path": {"engine": "../engine", "game": "game/./content"},
        "window_settings": {"title": "Sk\u00f6ld", "clear_color": {"r": 0.25, "g": 0.5, "b": 0.75, "a": 1},
                            "enable_vsync": true, "borderless": true}})");
    ASSERT_TRUE(Vela::LoadSettings("Other.cfg.json"));
    EXPECT_EQ(Config().myTitle, L"Sk\u00f6ld");
    EXPECT_EQ(Config().myClearColor, Vela::Color(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_TRUE(Config().myEnableVsync);
    EXPECT_TRUE(Config().myBorderless);
    EXPECT_FALSE(Config().myStartInFullscreen);
    EXPECT_EQ(Vela::Settings::EngineAssetRoot(), (myFolder.Path().parent_path() / "engine").lexically_normal());
    EXPECT_EQ(Vela::Settings::GameAssetRoot(), myFolder.Path() / "game" / "content");
    EXPECT_TRUE(Vela::Settings::CookedAssetRoot().empty());
}

TEST_F(SettingsFile, MissingFileGivesItsNameAndWhyAndKeepsTheConfiguration)
{
    Config().myWindowWidth = 333;
    EXPECT_FALSE(Vela::LoadSettings("Absent"));
    EXPECT_EQ(Config().myWindowWidth, 333u);
    EXPECT_EQ(Vela::Settings::GetLoadFailure(), "The settings file " + (myFolder.Path() / "settings/Absent.json").string() + " not found");
}

TEST_F(SettingsFile, AFolderInPlaceOfTheFileGivesItsNameAndWhyAndKeepsTheConfiguration)
{
    std::filesystem::create_directories(myFolder.Path() / "settings" / "Game.json");
    Config().myWindowWidth = 333;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = Vela::LoadSettings("Game.json"));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Config().myWindowWidth, 333u);
    EXPECT_EQ(Vela::Settings::GetLoadFailure(),
              "The settings file " + (myFolder.Path() / "settings/Game.json").string() + " is a folder, not a file");
    std::filesystem::remove_all(myFolder.Path() / "settings" / "Game.json");
    ASSERT_TRUE(LoadWindowSettings(""));
    EXPECT_EQ(Vela::Settings::GetLoadFailure(), "") << "a file read clears the reason";
}

TEST_F(SettingsFile, ValuesOutOfRangeAreRefusedNamingTheFieldAndChangeNothing)
{
    const std::pair<std::string, std::string> cases[] = {
        { R"("window_size": {"w": -1, "h": 600})", R"("window_size.w" must be a whole number from 1 to 16384, not -1)" },
        { R"("window_size": {"w": 1e10, "h": 600})", R"("window_size.w" must be a whole number from 1 to 16384, not 10000000000.0)" },
        { R"("render_size": {"w": 800, "h": 0})", R"("render_size.h" must be a whole number from 1 to 16384, not 0)" },
        { R"("render_size": {"w": 800, "h": 16385})", R"("render_size.h" must be a whole number from 1 to 16384, not 16385)" },
        { R"("render_size": {"w": true, "h": 600})", R"("render_size.w" must be a whole number from 1 to 16384, not true)" },
        { R"("render_size": {"w": 800.5, "h": 600})", R"("render_size.w" must be a whole number from 1 to 16384, not 800.5)" },
        { R"("window_size": {"w": 1e308, "h": 600})", R"("window_size.w" must be a whole number from 1 to 16384, not 1e+308)" },
        { R"("window_size": {"w": 18446744073709551615, "h": 600})", R"("window_size.w" must be a whole number from 1 to 16384, not 18446744073709551615)" },
        { R"("window_size": {"h": 600})", R"("window_size.w" must be a whole number from 1 to 16384, not missing)" },
        { R"("window_size": 5)", R"("window_size" must be an object with "w" and "h", not 5)" },
        { R"("clear_color": {"r": 1e40, "g": 0, "b": 0, "a": 1})", R"("clear_color.r" must be a number from 0 to 1, not 1e+40)" },
        { R"("clear_color": {"r": 0, "g": -0.5, "b": 0, "a": 1})", R"("clear_color.g" must be a number from 0 to 1, not -0.5)" },
        { R"("clear_color": {"r": 0, "g": 0, "b": "blue", "a": 1})", R"("clear_color.b" must be a number from 0 to 1, not "blue")" },
        { R"("enable_vsync": 1)", R"("enable_vsync" must be true or false, not 1)" },
        { R"("borderless": "yes")", R"("borderless" must be true or false, not "yes")" },
    };
    for (const auto& [fields, reason] : cases)
    {
        Config() = Vela::EngineConfiguration();
        Config().myWindowWidth = 333;
        try
        {
            LoadWindowSettings(fields);
            ADD_FAILURE() << fields << " was accepted";
        }
        catch (const std::runtime_error& anError)
        {
            EXPECT_EQ(std::string(anError.what()), "The settings file " + (myFolder.Path() / "settings/Game.json").string() + " is refused: " + reason);
        }
        EXPECT_EQ(Config().myWindowWidth, 333u) << fields;
        EXPECT_EQ(Config().myClearColor, Vela::EngineConfiguration().myClearColor) << fields;
    }
    // The limits themselves are taken.
    ASSERT_TRUE(LoadWindowSettings(R"("window_size": {"w": 1, "h": 16384}, "clear_color": {"r": 0, "g": 1, "b": 0.5, "a": 1})"));
    EXPECT_EQ(Config().myWindowWidth, 1u);
    EXPECT_EQ(Config().myWindowHeight, 16384u);
    EXPECT_EQ(Config().myClearColor, Vela::Color(0.0f, 1.0f, 0.5f, 1.0f));
}

TEST_F(SettingsFile, DeepNestingIsRefusedBeforeAnyValueIsCopied)
{
    // Copying a value nested this deep overflowed the stack.
    const std::string deep = std::string(100000, '[') + "\"Fps\"" + std::string(100000, ']');
    for (const char* key : { "debug_features", "multisampling" })
    {
        Config().myWindowWidth = 333;
        try
        {
            LoadWindowSettings("\"" + std::string(key) + "\": " + deep);
            ADD_FAILURE() << key << " nested 100000 deep was accepted";
        }
        catch (const std::runtime_error& anError)
        {
            EXPECT_EQ(std::string(anError.what()), (myFolder.Path() / "settings/Game.json").string() + ": JSON nested deeper than 64 levels");
        }
        EXPECT_EQ(Config().myWindowWidth, 333u);
    }
}

TEST_F(SettingsFile, MalformedFilesRaiseTheJsonLibrarysErrors)
{
    myFolder.Write("settings/Bad.json", "{ not json");
    EXPECT_EQ(JsonErrorId([] { Vela::LoadSettings("Bad"); }), 101); // parse_error
    myFolder.Write("settings/Bad.json", R"({"window_settings": {}})");
    EXPECT_EQ(JsonErrorId([] { Vela::LoadSettings("Bad"); }), 302); // type must be string, but is null
    myFolder.Write("settings/Bad.json", R"({})");
    EXPECT_EQ(JsonErrorId([] { Vela::LoadSettings("Bad"); }), 302);
    myFolder.Write("settings/Bad.json", R"({"assets_path": {"engine": "e"}, "window_settings": {"title": "t"}})");
    EXPECT_EQ(JsonErrorId([] { Vela::LoadSettings("Bad"); }), 302);
    myFolder.Write("settings/Bad.json", R"({"window_settings": {"title": "t", "debug_features": ["Fps", 3]}})");
    EXPECT_EQ(JsonErrorId([] { Vela::LoadSettings("Bad"); }), 302);
}

TEST_F(SettingsFile, AssetLookupOrderAndLetterCase)
{
    const auto game = myFolder.Path() / "game";
    const auto engine = myFolder.Path() / "engine";
    Vela::Settings::SetAssetRootsForTesting(engine, game, {});
    myFolder.Write("data/Models/box.fbx", "data");
    myFolder.Write("game/Models/box.fbx", "game");
    myFolder.Write("game/sprites/Menu/Button.DDS", "game");
    myFolder.Write("engine/Textures/T_Default_c.dds", "engine");
    myFolder.Write("engine/Sprites/Menu/Button.dds", "engine");
    std::filesystem::create_directories(game / "Folder.fbx");

    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Models/box.fbx")), "data");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Models\\box.fbx")), "data");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("textures\\t_default_C.DDS")), "engine");
    // The game root is asked before the engine root, even when only a case-insensitive match exists there.
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Sprites/Menu/Button.dds")), "game");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("Folder.fbx"), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath(""), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("Models/missing.fbx"), "");
}

TEST_F(SettingsFile, AmongCaseVariantsTheExactNameWinsElseTheFirstSorted)
{
    const auto game = myFolder.Path() / "game";
    Vela::Settings::SetAssetRootsForTesting({}, game, {});
    myFolder.Write("game/a.TXT", "upper");
    myFolder.Write("game/a.txt", "lower");
    myFolder.Write("game/a.Txt", "mixed");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("a.txt")), "lower");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("a.tXt")), "upper"); // "a.TXT" sorts first
}

TEST_F(SettingsFile, DotDotMayNotLeaveTheRootItIsLookedUpIn)
{
    const auto game = myFolder.Path() / "game";
    Vela::Settings::SetAssetRootsForTesting({}, game, {});
    myFolder.Write("game/Models/box.fbx", "box");
    myFolder.Write("secret.txt", "secret");
    myFolder.Write("game/../outside.txt", "outside");

    // Inside the root, ".." and "." are followed.
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Models/../Models/./box.fbx")), "box");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Textures/../models\\BOX.fbx")), "box");
    // Out of it, nothing: not even a file that exists there, nor through a case-insensitive match.
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("../secret.txt"), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("../outside.txt"), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("Models/../../SECRET.txt"), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("../../../../../../../../etc/passwd"), "");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("Models/../.."), "");
    // A leading separator does not make a path absolute: it is still looked up under the roots.
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("/Models/box.fbx")), "box");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath((myFolder.Path() / "secret.txt").string()), "");
}

TEST_F(SettingsFile, EveryFolderDifferingOnlyInCaseIsTried)
{
    const auto game = myFolder.Path() / "game";
    Vela::Settings::SetAssetRootsForTesting({}, game, {});
    // "Models" sorts before "models"; only the second holds the file.
    std::filesystem::create_directories(game / "Models");
    myFolder.Write("game/Models/other.fbx", "other");
    myFolder.Write("game/models/Box.fbx", "box");
    myFolder.Write("game/MODELS/deep/Crate.fbx", "crate");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("mOdels/box.FBX")), "box");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("Models/box.fbx")), "box");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("models/DEEP/crate.fbx")), "crate");
    EXPECT_EQ(VelaTest::ReadFile(Vela::Settings::ResolveAssetPath("models/other.fbx")), "other");
    EXPECT_EQ(Vela::Settings::ResolveAssetPath("models/none.fbx"), "");
}
