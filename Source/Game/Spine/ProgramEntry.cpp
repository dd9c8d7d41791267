#include "Spine/ProgramEntry.h"

#include "Spine/Game.h"
#include "Spine/GameGlobals.h"

#include "mire/core/Engine.h"
#include "mire/input/InputManager.h"
#include "mire/settings/Settings.h"

#include "Platform/window/MessageQueue.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>

namespace
{
    const FrameTestHook* theFrameTestHook = nullptr;

    // Only the "Filewatcher" bit, whatever the settings file chose.
    constexpr uint32_t GAME_DEBUG_FEATURES = 32;

    // The game's per-frame easing is tuned for about 60 frames a second; faster frames wait, with or
    // without vsync.
    class FramePacer
    {
    public:
        using Clock = std::chrono::steady_clock;
        static constexpr Clock::duration FRAME_TIME = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60.0));

        FramePacer() : myFrameEnd(Clock::now() + FRAME_TIME) {}

        void WaitForFrameEnd()
        {
            const Clock::time_point now = Clock::now();
            if (now < myFrameEnd)
            {
                std::this_thread::sleep_until(myFrameEnd);
                myFrameEnd += FRAME_TIME;
            }
            else
            {
                // A slow frame starts the next period afresh instead of rushing to catch up.
                myFrameEnd = now + FRAME_TIME;
            }
        }

    private:
        Clock::time_point myFrameEnd;
    };
}

Vela::Platform::LResult OnWindowMessage(Vela::Platform::WindowHandle, Vela::Platform::MessageId aMessage, Vela::Platform::WParam aWParam,
                                        Vela::Platform::LParam aLParam)
{
    if (GameGlobals::inputManager)
    {
        GameGlobals::inputManager->UpdateEvents(aMessage, aWParam, aLParam);
    }
    if (aMessage == Vela::Platform::MESSAGE_DESTROY)
    {
        Vela::Platform::PostQuitMessage(0);
    }
    return 0;
}

void SetFrameTestHook(const FrameTestHook* aHook)
{
    theFrameTestHook = aHook;
}

bool Go()
{
    // Without its settings the engine has no asset roots and could only fail later with a misleading reason.
    if (!Vela::LoadSettings("Game.json"))
    {
        fprintf(stderr, "%s\n", Vela::Settings::GetLoadFailure().c_str());
        return false;
    }
    Vela::EngineConfiguration& configuration = Vela::Settings::GetEngineConfiguration();
    configuration.myWindowMessageCallback = &OnWindowMessage;
    configuration.myDebugFeatures = GAME_DEBUG_FEATURES;
    if (!Vela::Engine::Start())
    {
        fprintf(stderr, "The engine could not start (window, graphics device or graphics engine); see the lines above.\n");
        return false;
    }

    Vela::Engine& engine = *Vela::Engine::GetInstance();
    Vela::InputManager inputManager(*engine.GetHwnd());
    GameGlobals::inputManager = &inputManager;
    {
        // On the heap: the game is large, and owning it here keeps its end before the engine's.
        auto game = std::make_unique<Game>(&inputManager);
        game->Init();
        FramePacer pacer;
        while (engine.BeginFrame())
        {
            const FrameTestHook* hook = theFrameTestHook;
            game->Update(hook ? hook->fixedDeltaTime : engine.myDeltaTime);
            game->Render();
            if (hook && hook->afterRender)
            {
                hook->afterRender(*game);
            }
            inputManager.Update();
            engine.EndFrame();
            if (!hook)
            {
                pacer.WaitForFrameEnd();
            }
        }
    }
    Vela::Engine::Shutdown();
    // The input manager goes with this frame; nothing may reach it afterwards.
    GameGlobals::inputManager = nullptr;
    return true;
}

int RunGame()
{
    try
    {
        return Go() ? 0 : 1;
    }
    catch (const std::exception& error)
    {
        fprintf(stderr, "The game stopped: %s\n", error.what());
    }
    catch (...)
    {
        fprintf(stderr, "The game stopped on an unknown error\n");
    }
    return 1;
}
