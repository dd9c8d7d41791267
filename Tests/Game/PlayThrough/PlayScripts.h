#pragma once
// Pieces of play the play-through and the focused runs share: the logo, the title book's buttons, the
// levels by their routes, a death and its respawn, screenshots.
#include "Support/ScriptedProgramRun.h"

#include <string>

namespace PlayThrough
{
    // Title-book buttons and level-select buttons on the menu canvas.
    struct CanvasPoint
    {
        float x;
        float y;
    };
    constexpr CanvasPoint NEW_GAME{ 490.0f, 735.0f };
    constexpr CanvasPoint LEVEL_SELECT{ 500.0f, 590.0f };
    constexpr CanvasPoint QUIT{ 485.0f, 165.0f };
    constexpr CanvasPoint LEVEL_BUTTONS[] = { { 930.0f, 161.0f }, { 1239.0f, 317.0f }, { 936.0f, 416.0f }, { 1196.0f, 635.0f }, { 973.0f, 761.0f } };

    constexpr const char* MAIN_LEVELS[] = { "level_0", "level_1", "level_2", "level_3", "level_4" };

    // Waits for the logo (after the start fade) and skips it with Return; done on the bare title book.
    VelaTest::PlayScript SkipLogo();
    // Waits until aKey is playing, then plays its route up to the exit taking the player.
    VelaTest::PlayScript PlayLevel(const std::string& aKey);
    // Plays aKey's route up to its first step that walks the player right past aX.
    VelaTest::PlayScript PlayLevelUntil(const std::string& aKey, float aX);
    // Holds aKeys until the player dies, then waits for the respawn fade to end; the player must then
    // stand at the check point at aCheckPointX.
    VelaTest::PlayScript DieAndRespawn(const std::set<SDL_Keycode>& aKeys, float aCheckPointX);
    // A small window for long runs: cheap under the sanitizers. The menus then show only part of their
    // canvas; the mouse still finds every button.
    VelaTest::ProgramRunSettings SmallWindow();
    // With VELA_SCREENSHOT_DIR set, writes the frame just drawn there as aName.png; else nothing.
    VelaTest::PlayScript Screenshot(const std::string& aName);
}
