#pragma once
// The real program (Go with its Game) run headless under the test clock, on this build's content, with
// a script playing it: window events for keys and the mouse, and a fake pad, sent as a person would.
// Each step of a script waits for what it needs (a screen on top, a level playing, the loader's ready
// flag) rather than for a frame number, so the script does not depend on when the worker finishes.
#include "Screens/State.h"

#include "Platform/input/Gamepad.h"

#include <SDL2/SDL.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

class Game;

namespace VelaTest
{
    constexpr float SCRIPT_FRAME_TIME = 1.0f / 60.0f;

    // Input through the window and pad stand-ins. What is sent after a frame is seen from the next one.
    class ScriptInput
    {
    public:
        void Key(SDL_Keycode aKey, bool aDown);
        // Holds exactly these keys: presses the new ones, releases the others.
        void HoldKeys(const std::set<SDL_Keycode>& someKeys);
        // The mouse to a point of the 1600 x 900 menu canvas (y up), in the window's own pixels.
        void MoveMouseToCanvas(float aX, float aY);
        void MouseButton(bool aDown);
        // The pad in slot 0 (plugged in for the whole run).
        void Pad(const Vela::Platform::GamepadButtons& aButtons);
        void ReleaseAll();

        Vela::Platform::FakeGamepadSource& GetPadSource() { return myPads; }

    private:
        Vela::Platform::FakeGamepadSource myPads;
        std::set<SDL_Keycode> someHeldKeys;
        bool myMouseHeld = false;
        bool myPadHeld = false;
        int myMouseX = 0;
        int myMouseY = 0;
    };

    enum class StepStatus
    {
        Running,
        Done,
        Failed,
    };

    struct StepContext
    {
        Game& game;
        ScriptInput& input;
        int frame = 0;        // frames since the step began (0 on its first)
        float seconds = 0.0f; // game time since the step began
        std::string failure;  // why, when the step fails
    };

    // Steps run one after another, each called once per frame (after the frame was drawn) until it is
    // done. A step that fails or runs past its time limit (game time) ends the script.
    class PlayScript
    {
    public:
        using Step = std::function<StepStatus(StepContext&)>;
        static constexpr float DEFAULT_TIME_LIMIT = 30.0f;

        PlayScript& Add(const std::string& aName, Step aStep, float aTimeLimit = DEFAULT_TIME_LIMIT);
        PlayScript& WaitFor(const std::string& aName, std::function<bool(Game&)> aCondition, float aTimeLimit = DEFAULT_TIME_LIMIT);
        PlayScript& Do(const std::string& aName, std::function<void(Game&, ScriptInput&)> anAction);
        // Holds the frame until the level loader's worker has published its levels: the worker runs at
        // the machine's pace, not the game's, so no number of frames is enough on a busy machine. Never
        // while a LevelWorkerGate still holds the worker.
        PlayScript& WaitForLoader(const std::string& aName = "loader ready");
        PlayScript& Wait(float aSeconds);
        // A key or pad button held for a few frames, then let go.
        PlayScript& TapKey(SDL_Keycode aKey);
        PlayScript& TapPad(uint16_t someButtons);
        // A left click at a point of the menu canvas.
        PlayScript& Click(float aCanvasX, float aCanvasY);
        PlayScript& Append(const PlayScript& anOther);
        // From the next step on the program may quit at any time (a quit button, a closed window).
        PlayScript& QuitExpected();

        // Runs the current step for this frame; false once the script is over (finished or failed).
        bool Advance(Game& aGame, ScriptInput& anInput, float aFrameTime);
        bool IsFinished() const { return myCurrent >= someSteps.size(); }
        bool MayQuit() const { return myCurrent >= myQuitAllowedFrom; }
        const std::string& GetFailure() const { return myFailure; }
        // The names of the steps done so far, in order.
        const std::vector<std::string>& GetDone() const { return someDone; }

    private:
        struct NamedStep
        {
            std::string name;
            Step step;
            float timeLimit = DEFAULT_TIME_LIMIT;
        };
        std::vector<NamedStep> someSteps;
        size_t myCurrent = 0;
        size_t myQuitAllowedFrom = SIZE_MAX;
        int myFrame = 0;
        float mySeconds = 0.0f;
        std::string myFailure;
        std::vector<std::string> someDone;
    };

    struct ProgramRunSettings
    {
        // The render size the program starts with. The menus' camera is set up for it at start: only
        // the canvas size shows the whole 1600 x 900 menu canvas.
        uint32_t width = 1600;
        uint32_t height = 900;
        float frameTime = SCRIPT_FRAME_TIME;
        // The program goes fullscreen at start (the offscreen display is 1024 x 768); this turns it back
        // to its window after the first frame, as the options' toggle does, so the run keeps the window's
        // size.
        bool windowed = false;
        // Called after every drawn frame, before the script (screenshots, measurements).
        std::function<void(Game&)> everyFrame;
        // Called when the script fails, before the program is ended: lets go of what the program's end
        // would wait for (a held level worker).
        std::function<void()> onFailure;
    };

    struct ProgramRunResult
    {
        bool ran = false;            // Go returned true: the program's exit status is 0
        int frames = 0;
        std::string failure;         // empty when the script finished and the program then quit by itself
        std::vector<std::string> steps; // the steps done
    };

    // Runs Go on the build's game assets with a window and render size of aSettings until the program
    // quits. After the last step the program has a few seconds to quit by itself; otherwise the run
    // fails and is ended.
    ProgramRunResult RunProgram(PlayScript& aScript, const ProgramRunSettings& aSettings = {});

    // Conditions scripts wait for.
    bool IsOnTop(Game& aGame, StateId anId);
    // The level has been started, its fade has gone and the player may move.
    bool IsPlaying(Game& aGame, const char* aLevelKey);
    bool IsLoaderReady(Game& aGame);
    // The stack holds exactly these screens, bottom first.
    bool StackIs(Game& aGame, const std::vector<StateId>& someIds);
}
