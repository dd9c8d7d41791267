#pragma once
// The asset names the game uses, as its code spells them, with the sizes their screens expect.
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace VelaTest
{
    struct SoundName
    {
        const char* myFile;
        bool myLoops;
    };

    inline constexpr SoundName GAME_SOUNDS[] = {
        { "Audio/Music/Wispvale - Main Theme (w_ intro).wav", false }, { "Audio/Music/Wispvale - Main Theme (loop).wav", true },
        { "Audio/Music/Level _1_Ambiance.wav", true },                 { "Audio/Music/Level _2_Ambiance_Option2.wav", true },
        { "Audio/Music/Level _3_Ambiance.wav", true },                 { "Audio/Music/Level _4_Ambiance.wav", true },
        { "Audio/Music/Level _5_Ambiance2 (Toppen av tornet).wav", true },
        { "Audio/Music/Wispvale - Level 0 (loop).wav", true },         { "Audio/Music/Wispvale - Level 1 (loop).wav", true },
        { "Audio/Music/Wispvale - Level 2 (loop).wav", true },         { "Audio/Music/Wispvale - Level 3 (loop).wav", true },
        { "Audio/Music/Wispvale - Level 4 (loop).wav", true },         { "Audio/Music/Wispvale - Level 0 (w_ intro).wav", false },
        { "Audio/Music/Wispvale - Level 1 (w_ intro).wav", false },    { "Audio/Music/Wispvale - Level 2 (w_ intro).wav", false },
        { "Audio/Sfx/Player/Vevo_Idle.wav", true },                    { "Audio/Sfx/Player/Vevo_Idle_Crouch.wav", true },
        { "Audio/Sfx/Player/Vevo_Crouch_Walk_Stone.wav", true },       { "Audio/Sfx/Player/Vevo_Jog_Plain_Loop.wav", true },
        { "Audio/Sfx/Player/Vevo_Jump.wav", false },                   { "Audio/Sfx/Player/Vevo_Landing_Stone.1.wav", false },
        { "Audio/Sfx/Player/Vevo_Lose.wav", false },                   { "Audio/Sfx/EyeCorn/Eyecorn_Alarmed.wav", false },
        { "Audio/Sfx/EyeCorn/Eyecorn_Idle.wav", true },                { "Audio/Sfx/Glomp/Glomp_alarmed.wav", false },
        { "Audio/Sfx/Glomp/Glomp_Death.wav", false },                  { "Audio/Sfx/Glomp/Glomp_Walking.wav", true },
        { "Audio/Sfx/Orb/Events_MagicOrb_level_0-3-4_(C)_Loop.wav", true },
        { "Audio/Sfx/Orb/Events_MagicOrb_level_1_(Bb)_Loop.wav", true },
        { "Audio/Sfx/Orb/Events_MagicOrb_level_2_(Db)_Loop.wav", true },
        { "Audio/Sfx/Orb/Orb_Insert_RJ_VELA.wav", false },             { "Audio/Sfx/Orb/Orb_PickUp_RJ_VELA.wav", false },
        { "Audio/Sfx/Orb/Orb_PickUp_Fadeout Db.wav", false },          { "Audio/Sfx/Orb/Orb_AfterPickup__All_Levels_Loop.wav", false },
        { "Audio/Sfx/Snail/Snail_Droping.4.wav", true },               { "Audio/Sfx/Snail/Snail_EnteringShell.wav", false },
        { "Audio/Sfx/Snail/Snail_IdleShell.wav", true },               { "Audio/Sfx/Snail/Snail_Idle.wav", true },
        { "Audio/Sfx/Snail/Snail_Landing.wav", false },                { "Audio/Sfx/Snail/Snail_Pushing.wav", true },
        { "Audio/Sfx/Snail/Snail_PushLeft.wav", false },               { "Audio/Sfx/Snail/Snail_PushRight.wav", false },
        { "Audio/Sfx/Ui/Hover_UI.wav", false },                        { "Audio/Sfx/Ui/Select_UI_Variations.wav", false },
        { "Audio/Sfx/Ui/UI_Confirm.wav", false },                      { "Audio/Sfx/Ui/UI_Deny.wav", false },
        { "Audio/Sfx/Ui/ui_start_game.wav", false },                   { "Audio/Sfx/Ui/Book_UI/Book_Close.wav", false },
        { "Audio/Sfx/Ui/Book_UI/Book_open.wav", false },               { "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_1.wav", false },
        { "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_2.wav", false },        { "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_3.wav", false },
        { "Audio/Sfx/Ui/Book_UI/Book_Page_Flip_4.wav", false },        { "Audio/Sfx/Other/Bridge_Crash.wav", false },
        { "Audio/Sfx/Other/Staircase.wav", false },
    };

    // Music intros and the loops they chain into.
    inline constexpr std::array<const char*, 2> INTRO_CHAINS[] = {
        { "Audio/Music/Wispvale - Main Theme (w_ intro).wav", "Audio/Music/Wispvale - Main Theme (loop).wav" },
        { "Audio/Music/Wispvale - Level 0 (w_ intro).wav", "Audio/Music/Wispvale - Level 0 (loop).wav" },
        { "Audio/Music/Wispvale - Level 1 (w_ intro).wav", "Audio/Music/Wispvale - Level 1 (loop).wav" },
        { "Audio/Music/Wispvale - Level 2 (w_ intro).wav", "Audio/Music/Wispvale - Level 2 (loop).wav" },
    };

    inline constexpr const char* GAME_TEXTURES[] = {
        "sprites/UI/LOGO_VELA.png", "sprites/UI/LOGO_invert.png", "sprites/UI/LOGO_GLOMP.png", "sprites/UI/LOGO_background.png",
        "sprites/UI/T_UI_Book_Background.DDS", "sprites/UI/T_UI_Book_Pages.DDS", "sprites/UI/T_UI_Book_Pages_Intro.DDS",
        "sprites/UI/T_UI_Book_Pages_Outro.DDS", "sprites/UI/T_UI_Book_Back.DDS", "sprites/UI/T_UI_Book_Front.DDS",
        "sprites/UI/T_UI_Book_Page_Level_Select.DDS", "sprites/UI/T_UI_Menu_NewGame.DDS", "sprites/UI/T_UI_Menu_LevelSelect.DDS",
        "sprites/UI/T_UI_Menu_options.DDS", "sprites/UI/T_UI_Menu_Credits.DDS", "sprites/UI/T_UI_Menu_Quit.DDS",
        "sprites/UI/T_UI_LevelSelect_Level1.DDS", "sprites/UI/T_UI_LevelSelect_Level2.DDS", "sprites/UI/T_UI_LevelSelect_Level3.DDS",
        "sprites/UI/T_UI_LevelSelect_Level4.DDS", "sprites/UI/T_UI_LevelSelect_Level5.DDS", "sprites/UI/T_UI_Menu_Fullscreen.DDS",
        "sprites/UI/T_UI_Sundbar.png", "sprites/UI/T_UI_Menu_SFX_Audio.DDS", "sprites/UI/T_UI_Menu_Main_Volume.DDS",
        "sprites/UI/T_UI_Menu_Music.DDS", "sprites/UI/T_UI_Fullscreen_Toogle.DDS", "sprites/UI/T_UI_Fullscreen_Toogle_Button.DDS",
        "sprites/UI/T_UI_Menu_Back.DDS", "sprites/UI/T_UI_Menu_BackgroundBox.DDS", "sprites/UI/T_UI_Resume.DDS",
        "sprites/UI/T_UI_Main_Menu.DDS", "sprites/UI/T_UI_Options.DDS", "sprites/UI/T_UI_Exit.DDS", "sprites/UI/T_UI_Back.DDS",
        "sprites/UI/T_UI_Fullscreen.DDS", "sprites/UI/T_UI_Main_Volume.png", "sprites/UI/T_UI_Music.png", "sprites/UI/T_UI_SFX_Audio.png",
        "Sprites/UI/T_UI_Options_BackgroundBox.png", "sprites/UI/T_UI_WhiteTexture.png",
        "visual effects/textures/T_S_Player_MovementPoof.DDS", "visual effects/textures/T_S_Player_MovePoof.DDS",
        "visual effects/textures/T_Flipbook_Vevo_Sweat.DDS", "visual effects/textures/T_Sprite_PlatformDustCloud_c.DDS",
        "visual effects/textures/T_flipbook_orb_glow.DDS", "visual effects/textures/T_flipbook_orb_pulse.DDS", "GameIcon.png",
    };

    // The quoted text that starts at aText[aQuote] (a double quote), up to the next unescaped quote on
    // the same line; false when the line ends first.
    inline bool QuotedTextAt(const std::string& aText, size_t aQuote, std::string& aInside, size_t& aEnd)
    {
        for (size_t at = aQuote + 1; at < aText.size() && aText[at] != '\n';)
        {
            if (aText[at] == '"')
            {
                aInside = aText.substr(aQuote + 1, at - aQuote - 1);
                aEnd = at + 1;
                return true;
            }
            if (aText[at] == '\\')
            {
                if (at + 1 >= aText.size() || aText[at + 1] == '\n' || aText[at + 1] == '\r')
                    return false;
                ++at;
            }
            ++at;
        }
        return false;
    }

    // Quoted asset names in the game's sources (".DDS", ".png", ".fbx", ".wav", ".mp4"), with
    // escaped backslashes undone: whatever the game code asks for must be in the pack. Read by hand
    // rather than with <regex>, whose inlined code the compiler warns about in the sanitizer build.
    inline std::set<std::string> AssetNamesInGameSources(const std::filesystem::path& aSourceFolder)
    {
        std::set<std::string> names;
        std::error_code error;
        if (!std::filesystem::is_directory(aSourceFolder, error))
            return names;
        auto isAssetName = [](const std::string& aName) {
            for (const char* extension : {".DDS", ".dds", ".png", ".fbx", ".wav", ".mp4"})
                if (aName.ends_with(extension))
                    return true;
            return false;
        };
        for (const auto& entry : std::filesystem::recursive_directory_iterator(aSourceFolder, error))
        {
            if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h")
                continue;
            std::ifstream file(entry.path());
            const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            for (size_t at = text.find('"'); at != std::string::npos;)
            {
                std::string inside;
                size_t end = 0;
                if (!QuotedTextAt(text, at, inside, end) || !isAssetName(inside))
                {
                    at = text.find('"', at + 1);
                    continue;
                }
                if (inside.find_first_of("%{") == std::string::npos)
                {
                    std::string name;
                    for (size_t i = 0; i < inside.size(); ++i)
                    {
                        name += inside[i];
                        if (inside[i] == '\\' && i + 1 < inside.size() && inside[i + 1] == '\\')
                            ++i;
                    }
                    names.insert(name);
                }
                at = text.find('"', end);
            }
        }
        return names;
    }
}
