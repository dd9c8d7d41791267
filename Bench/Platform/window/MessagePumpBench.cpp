// Cost of the message pump per frame: SDL events translated into window messages and dispatched to a
// window procedure, as the engine's frame start does.
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

using namespace Vela::Platform;

namespace
{
    LResult CountingProcedure(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam)
    {
        benchmark::DoNotOptimize(aMessage);
        return DefaultWindowProcedure(aWindow, aMessage, aWParam, aLParam);
    }

    void PumpEvents(benchmark::State& aState)
    {
        WindowCreateInfo info;
        info.clientWidth = 64;
        info.clientHeight = 64;
        info.procedure = &CountingProcedure;
        WindowHandle window = CreateNativeWindow(info);
        if (window == nullptr)
        {
            aState.SkipWithError("no window");
            return;
        }
        RegisterRawMouseInput(window);
        const int eventsPerFrame = static_cast<int>(aState.range(0));
        for (auto _ : aState)
        {
            for (int i = 0; i < eventsPerFrame; ++i)
            {
                SDL_Event event{};
                if (i % 2 == 0)
                {
                    event.type = SDL_KEYDOWN;
                    event.key.windowID = window->sdlWindowId;
                    event.key.keysym.sym = SDLK_a;
                    event.key.keysym.scancode = SDL_SCANCODE_A;
                }
                else
                {
                    event.type = SDL_MOUSEMOTION;
                    event.motion.windowID = window->sdlWindowId;
                    event.motion.x = i;
                    event.motion.xrel = 1;
                }
                SDL_PushEvent(&event);
            }
            Message message;
            while (PeekMessage(message))
            {
                DispatchMessage(message);
            }
        }
        aState.SetItemsProcessed(aState.iterations() * eventsPerFrame);
        ReleaseNativeWindow(window);
        ClearMessageQueue();
    }
}

BENCHMARK(PumpEvents)->Arg(0)->Arg(16)->Arg(128);
