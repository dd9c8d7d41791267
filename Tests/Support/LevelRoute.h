#pragma once
// A scripted route through one level: plain text, one step per line ("# ..." comments), played by
// pressing and holding keys as a person would. Steps wait on where the player (or an enemy) is, so
// the route does not depend on the exact frame on which something happens.
//   right X / left X             hold the direction until the player's x passes X
//   to-right / to-left           walk until something stops the player (a wall, a shell)
//   grab-to-right / grab-to-left the same holding the mouse button: the shell is held from then on
//   jump-right X / jump-left X   jump while holding the direction until x passes X and the player stands
//   jump                         jump on the spot and wait until the player stands again
//   crouch-right X / crouch-left X   move crouched until x passes X
//   grab-right X / grab-left X   hold the mouse button (grab a box) and move until x passes X
//   crouch S / wait S            stay crouched / wait for S seconds
//   interact                     press E (pick up or drop the orb)
//   glomp-left X / glomp-right X wait until the level's Glomp has passed X
//   sweep-left A / sweep-right A wait until the scanning (not tracking) Eyecorn's angle has passed A degrees
//   crouch-glomp-left X ...      any of the four waits above, crouched (hidden in grass)
//   armed                        wait until the exit is armed
//   exit                         walk right into the exit until it takes the player
//   screenshot                   save the frame as <level>_line<N>.png
#include "Support/ScriptedProgramRun.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace LevelRuns
{
    struct RouteStep
    {
        std::string myCommand;
        float myValue = 0.0f;
        int myLine = 0;
    };

    // The route of a level: "Tests/Game/LevelRuns/Routes/<aLevelKey>.route" in the source tree.
    inline std::filesystem::path RouteFile(const std::string& aLevelKey)
    {
        return std::filesystem::path(VELA_SOURCE_DIR) / "Tests/Game/LevelRuns/Routes" / (aLevelKey + ".route");
    }

    // Throws std::runtime_error naming the line of an unknown command or a missing value.
    std::vector<RouteStep> ReadRoute(const std::filesystem::path& aFile);

    // Appends the route's steps to a script; a player who dies fails the step. aScreenshot saves the
    // frame under the name it is given.
    void AppendRoute(VelaTest::PlayScript& aScript, const std::vector<RouteStep>& someSteps, const std::string& aLevelKey,
                     const std::function<void(const std::string&)>& aScreenshot);
}
