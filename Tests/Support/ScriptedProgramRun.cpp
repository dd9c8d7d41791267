#include "Support/ScriptedProgramRun.h"

#include "Support/TestSupport.h"

#include "Levels/LevelLoader.h"
#include "Player/Player.h"
#include "Spine/Game.h"
#include "Spine/GameGlobals.h"
#include "Spine/ProgramEntry.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/graphics/DX11.h"
#include "mire/settings/Settings.h"

#include "Platform/window/MessageQueue.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace VelaTest
{
    namespace
    {
        // Held this many frames: seen as pressed once, released before anything repeats.
        constexpr int TAP_FRAMES = 3;
        // Game time the program has to quit by itself after the last step.
        constexpr float QUIT_GRACE_SECONDS = 5.0f;
        constexpr float CANVAS_WIDTH = 1600.0f;
        constexpr float CANVAS_HEIGHT = 900.0f;

        SDL_Window* TheWindow() { return SDL_GetWindowFromID((*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId); }

        uint32_t TheWindowId() { return (*Vela::Engine::GetInstance()->GetHwnd())->sdlWindowId; }

        void Push(SDL_Event& anEvent) { SDL_PushEvent(&anEvent); }

        std::string SettingsFor(const ProgramRunSettings& aSettings)
        {
            const std::filesystem::path runtime(VELA_RUNTIME_DIR);
            const nlohmann::json settings = {
                { "assets_path", { { "engine", (runtime / "assets/engine").string() }, { "game", (runtime / "assets/game").string() }, { "cooked", VELA_COOKED_DIR } } },
                { "window_settings",
                  { { "title", "Mire" },
                    { "clear_color", { { "r", 0.0117647061 }, { "g", 0.6 }, { "b", 0.6901961 }, { "a", 1.0 } } },
                    { "window_size", { { "w", aSettings.width }, { "h", aSettings.height } } },
                    { "render_size", { { "w", aSettings.width }, { "h", aSettings.height } } },
                    { "enable_vsync", false },
                    { "start_in_fullscreen", false },
                    { "debug_features", nlohmann::json::array() } } },
            };
            return settings.dump(2);
        }
    }

    void ScriptInput::Key(SDL_Keycode aKey, bool aDown)
    {
        SDL_Event event{};
        event.type = aDown ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = TheWindowId();
        event.key.keysym.sym = aKey;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(aKey);
        Push(event);
        if (aDown)
            someHeldKeys.insert(aKey);
        else
            someHeldKeys.erase(aKey);
    }

    void ScriptInput::HoldKeys(const std::set<SDL_Keycode>& someKeys)
    {
        const std::set<SDL_Keycode> held = someHeldKeys;
        for (SDL_Keycode key : held)
        {
            if (!someKeys.count(key))
                Key(key, false);
        }
        for (SDL_Keycode key : someKeys)
        {
            if (!held.count(key))
                Key(key, true);
        }
    }

    void ScriptInput::MoveMouseToCanvas(float aX, float aY)
    {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(TheWindow(), &width, &height);
        myMouseX = int(aX / CANVAS_WIDTH * float(width));
        myMouseY = int((CANVAS_HEIGHT - aY) / CANVAS_HEIGHT * float(height));
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = TheWindowId();
        event.motion.x = myMouseX;
        event.motion.y = myMouseY;
        Push(event);
    }

    void ScriptInput::MouseButton(bool aDown)
    {
        SDL_Event event{};
        event.type = aDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = TheWindowId();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = aDown ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = myMouseX;
        event.button.y = myMouseY;
        Push(event);
        myMouseHeld = aDown;
    }

    void ScriptInput::Pad(const Vela::Platform::GamepadButtons& aButtons)
    {
        myPads.SetState(0, aButtons);
        const Vela::Platform::GamepadButtons released;
        myPadHeld = std::memcmp(&aButtons, &released, sizeof(aButtons)) != 0;
    }

    void ScriptInput::ReleaseAll()
    {
        HoldKeys({});
        if (myMouseHeld)
            MouseButton(false);
        if (myPadHeld)
            Pad({});
    }

    PlayScript& PlayScript::Add(const std::string& aName, Step aStep, float aTimeLimit)
    {
        someSteps.push_back({ aName, std::move(aStep), aTimeLimit });
        return *this;
    }

    PlayScript& PlayScript::WaitFor(const std::string& aName, std::function<bool(Game&)> aCondition, float aTimeLimit)
    {
        return Add(aName, [aCondition](StepContext& aContext) { return aCondition(aContext.game) ? StepStatus::Done : StepStatus::Running; }, aTimeLimit);
    }

    PlayScript& PlayScript::WaitForLoader(const std::string& aName)
    {
        return Do(aName, [](Game& aGame, ScriptInput&) { aGame.GetLevelLoader().WaitUntilReady(); });
    }

    PlayScript& PlayScript::Do(const std::string& aName, std::function<void(Game&, ScriptInput&)> anAction)
    {
        return Add(aName, [anAction](StepContext& aContext) {
            anAction(aContext.game, aContext.input);
            return StepStatus::Done;
        });
    }

    PlayScript& PlayScript::Wait(float aSeconds)
    {
        return Add("wait " + std::to_string(aSeconds) + " s", [aSeconds](StepContext& aContext) {
            return aContext.seconds >= aSeconds ? StepStatus::Done : StepStatus::Running;
        });
    }

    PlayScript& PlayScript::TapKey(SDL_Keycode aKey)
    {
        return Add(std::string("key ") + SDL_GetKeyName(aKey), [aKey](StepContext& aContext) {
            if (aContext.frame == 0)
                aContext.input.Key(aKey, true);
            if (aContext.frame == TAP_FRAMES)
                aContext.input.Key(aKey, false);
            return aContext.frame > TAP_FRAMES ? StepStatus::Done : StepStatus::Running;
        });
    }

    PlayScript& PlayScript::TapPad(uint16_t someButtons)
    {
        return Add("pad " + std::to_string(someButtons), [someButtons](StepContext& aContext) {
            if (aContext.frame == 0)
                aContext.input.Pad({ someButtons });
            if (aContext.frame == TAP_FRAMES)
                aContext.input.Pad({});
            return aContext.frame > TAP_FRAMES ? StepStatus::Done : StepStatus::Running;
        });
    }

    PlayScript& PlayScript::Click(float aCanvasX, float aCanvasY)
    {
        return Add("click " + std::to_string(int(aCanvasX)) + ", " + std::to_string(int(aCanvasY)), [aCanvasX, aCanvasY](StepContext& aContext) {
            if (aContext.frame == 0)
                aContext.input.MoveMouseToCanvas(aCanvasX, aCanvasY);
            if (aContext.frame == 1)
                aContext.input.MouseButton(true);
            if (aContext.frame == 1 + TAP_FRAMES)
                aContext.input.MouseButton(false);
            return aContext.frame > 1 + TAP_FRAMES ? StepStatus::Done : StepStatus::Running;
        });
    }

    PlayScript& PlayScript::Append(const PlayScript& anOther)
    {
        if (anOther.myQuitAllowedFrom != SIZE_MAX)
            myQuitAllowedFrom = std::min(myQuitAllowedFrom, someSteps.size() + anOther.myQuitAllowedFrom);
        someSteps.insert(someSteps.end(), anOther.someSteps.begin(), anOther.someSteps.end());
        return *this;
    }

    PlayScript& PlayScript::QuitExpected()
    {
        myQuitAllowedFrom = someSteps.size();
        return *this;
    }

    bool PlayScript::Advance(Game& aGame, ScriptInput& anInput, float aFrameTime)
    {
        if (IsFinished() || !myFailure.empty())
            return false;
        NamedStep& current = someSteps[myCurrent];
        StepContext context{ aGame, anInput, myFrame, mySeconds, {} };
        const StepStatus status = current.step(context);
        ++myFrame;
        mySeconds += aFrameTime;
        if (status == StepStatus::Failed || (status == StepStatus::Running && mySeconds > current.timeLimit))
        {
            myFailure = "step " + std::to_string(myCurrent + 1) + " \"" + current.name + "\" " +
                        (status == StepStatus::Failed ? "failed: " + context.failure : "did not finish in " + std::to_string(int(current.timeLimit)) + " s");
            anInput.ReleaseAll();
            return false;
        }
        if (status == StepStatus::Done)
        {
            someDone.push_back(current.name);
            ++myCurrent;
            myFrame = 0;
            mySeconds = 0.0f;
        }
        return !IsFinished();
    }

    ProgramRunResult RunProgram(PlayScript& aScript, const ProgramRunSettings& aSettings)
    {
        TempDirectory executable;
        executable.Write("settings/Game.json", SettingsFor(aSettings));
        const std::filesystem::path previousDirectory = Vela::Settings::ExecutableDirectory();
        const Vela::EngineConfiguration previousConfiguration = Vela::Settings::GetEngineConfiguration();
        // Process-wide, like the program's own start value; the next run starts from it again.
        const bool wasFullscreen = GameGlobals::isFullscreen;
        Vela::Settings::SetExecutableDirectoryForTesting(executable.Path());
        Vela::Platform::ClearMessageQueue();

        ScriptInput input;
        input.GetPadSource().Connect(0);
        Vela::Platform::SetGamepadSource(&input.GetPadSource());

        ProgramRunResult result;
        float secondsAfterScript = 0.0f;
        bool quitPosted = false;
        FrameTestHook hook;
        hook.fixedDeltaTime = aSettings.frameTime;
        hook.afterRender = [&](Game& aGame) {
            if (++result.frames == 1 && aSettings.windowed)
            {
                Vela::Engine::GetInstance()->myWindow->SetFullscreen(false);
                GameGlobals::isFullscreen = false;
            }
            if (aSettings.everyFrame)
                aSettings.everyFrame(aGame);
            if (quitPosted || aScript.Advance(aGame, input, aSettings.frameTime))
                return;
            if (!aScript.GetFailure().empty())
            {
                if (aSettings.onFailure)
                    aSettings.onFailure();
                quitPosted = true;
                return Vela::Platform::PostQuitMessage(0);
            }
            secondsAfterScript += aSettings.frameTime;
            if (secondsAfterScript > QUIT_GRACE_SECONDS)
            {
                result.failure = "the program did not quit after the script";
                quitPosted = true;
                Vela::Platform::PostQuitMessage(0);
            }
        };
        SetFrameTestHook(&hook);
        Vela::DX11::ReleaseShaderCaches();
        result.ran = Go();
        Vela::DX11::ReleaseShaderCaches();
        SetFrameTestHook(nullptr);
        Vela::Platform::SetGamepadSource(nullptr);
        Vela::Settings::SetExecutableDirectoryForTesting(previousDirectory);
        Vela::Settings::GetEngineConfiguration() = previousConfiguration;
        GameGlobals::isFullscreen = wasFullscreen;
        Vela::Platform::ClearMessageQueue();

        if (!aScript.GetFailure().empty())
            result.failure = aScript.GetFailure();
        else if (!aScript.MayQuit() && result.failure.empty())
            result.failure = "the program quit before the script was over";
        result.steps = aScript.GetDone();
        return result;
    }

    bool IsOnTop(Game& aGame, StateId anId) { return aGame.GetStateStack().TopId() == static_cast<int>(anId); }

    bool IsPlaying(Game& aGame, const char* aLevelKey)
    {
        const Player* player = aGame.GetContext().player;
        return std::strcmp(aGame.GetLevelLoader().GetCurrentLevelKey().GetString(), aLevelKey) == 0 && IsOnTop(aGame, StateId::Game) && player &&
               !player->IsLocked();
    }

    bool IsLoaderReady(Game& aGame) { return aGame.GetLevelLoader().IsReady(); }

    bool StackIs(Game& aGame, const std::vector<StateId>& someIds)
    {
        std::vector<int> ids;
        for (StateId id : someIds)
            ids.push_back(static_cast<int>(id));
        return aGame.GetStateStack().GetStates() == ids;
    }
}
