#include "Platform/window/MessageQueue.h"

#include "Platform/window/NativeWindow.h"
#include "Platform/window/VirtualKeys.h"

#include <SDL2/SDL.h>
#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>

namespace Vela::Platform
{
    namespace
    {
        // A raw record is kept until its MESSAGE_INPUT is dispatched (or cleared from the queue), however many arrive
        // before the first is dispatched. Only a program that never dispatches them reaches this bound; past it the
        // oldest record goes.
        constexpr size_t RAW_INPUT_RECORD_LIMIT = size_t(1) << 16;

        struct QueueState
        {
            std::mutex lock;
            std::deque<Message> messages;
            bool quitPosted = false;
            int exitCode = 0;
            std::map<uint64_t, RawInput> rawRecords;
            uint64_t rawSequence = 0;
        };

        QueueState& State()
        {
            static QueueState state;
            return state;
        }

        void Queue(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam)
        {
            QueueState& state = State();
            std::lock_guard guard(state.lock);
            state.messages.push_back({ aWindow, aMessage, aWParam, aLParam });
        }

        LParam StoreRawInput(const RawInput& aInput)
        {
            QueueState& state = State();
            std::lock_guard guard(state.lock);
            const uint64_t sequence = ++state.rawSequence;
            if (state.rawRecords.size() >= RAW_INPUT_RECORD_LIMIT)
            {
                state.rawRecords.erase(state.rawRecords.begin());
            }
            state.rawRecords.emplace(sequence, aInput);
            return static_cast<LParam>(sequence);
        }

        void ForgetRawInput(LParam aHandle)
        {
            QueueState& state = State();
            std::lock_guard guard(state.lock);
            state.rawRecords.erase(static_cast<uint64_t>(aHandle));
        }

        WParam MouseKeyState()
        {
            const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
            const SDL_Keymod mods = SDL_GetModState();
            WParam state = 0;
            state |= (buttons & SDL_BUTTON_LMASK) ? MOUSE_KEY_LBUTTON : 0;
            state |= (buttons & SDL_BUTTON_RMASK) ? MOUSE_KEY_RBUTTON : 0;
            state |= (buttons & SDL_BUTTON_MMASK) ? MOUSE_KEY_MBUTTON : 0;
            state |= (buttons & SDL_BUTTON_X1MASK) ? MOUSE_KEY_XBUTTON1 : 0;
            state |= (buttons & SDL_BUTTON_X2MASK) ? MOUSE_KEY_XBUTTON2 : 0;
            state |= (mods & KMOD_SHIFT) ? MOUSE_KEY_SHIFT : 0;
            state |= (mods & KMOD_CTRL) ? MOUSE_KEY_CONTROL : 0;
            return state;
        }

        void TranslateKey(const SDL_KeyboardEvent& aEvent)
        {
            WindowHandle window = FindWindowBySdlId(aEvent.windowID);
            const uint8_t key = VirtualKeyFromSdl(aEvent.keysym.sym, aEvent.keysym.scancode);
            if (window == nullptr || key == 0)
            {
                return;
            }
            const bool down = aEvent.type == SDL_KEYDOWN;
            const bool altHeld = (aEvent.keysym.mod & KMOD_ALT) != 0;
            const bool controlHeld = (aEvent.keysym.mod & KMOD_CTRL) != 0;
            // Alt (without control) turns key messages into their system variants, as does F10.
            const bool system = key == VIRTUAL_KEY_ALT || key == VIRTUAL_KEY_F1 + 9 || (altHeld && !controlHeld);
            MessageId message = 0;
            if (down)
            {
                message = system ? MESSAGE_SYSKEYDOWN : MESSAGE_KEYDOWN;
            }
            else
            {
                message = system ? MESSAGE_SYSKEYUP : MESSAGE_KEYUP;
            }
            // Repeat count 1, context bit for alt, previous-state bit for repeats and releases, transition bit.
            uint32_t flags = 1;
            flags |= altHeld ? (1u << 29) : 0;
            flags |= (!down || aEvent.repeat != 0) ? (1u << 30) : 0;
            flags |= down ? 0 : (1u << 31);
            Queue(window, message, key, static_cast<LParam>(flags));
        }

        void TranslateMouseButton(const SDL_MouseButtonEvent& aEvent)
        {
            WindowHandle window = FindWindowBySdlId(aEvent.windowID);
            if (window == nullptr || aEvent.which == SDL_TOUCH_MOUSEID)
            {
                return;
            }
            const bool down = aEvent.type == SDL_MOUSEBUTTONDOWN;
            const LParam position = PackPoint(aEvent.x, aEvent.y);
            const WParam keys = MouseKeyState();
            switch (aEvent.button)
            {
            case SDL_BUTTON_LEFT:
                Queue(window, down ? MESSAGE_LBUTTONDOWN : MESSAGE_LBUTTONUP, keys, position);
                break;
            case SDL_BUTTON_RIGHT:
                Queue(window, down ? MESSAGE_RBUTTONDOWN : MESSAGE_RBUTTONUP, keys, position);
                break;
            case SDL_BUTTON_MIDDLE:
                Queue(window, down ? MESSAGE_MBUTTONDOWN : MESSAGE_MBUTTONUP, keys, position);
                break;
            case SDL_BUTTON_X1:
                Queue(window, down ? MESSAGE_XBUTTONDOWN : MESSAGE_XBUTTONUP, keys | (XBUTTON_1 << 16), position);
                break;
            case SDL_BUTTON_X2:
                Queue(window, down ? MESSAGE_XBUTTONDOWN : MESSAGE_XBUTTONUP, keys | (XBUTTON_2 << 16), position);
                break;
            default:
                break;
            }
        }

        void TranslateMouseMotion(const SDL_MouseMotionEvent& aEvent)
        {
            WindowHandle window = FindWindowBySdlId(aEvent.windowID);
            if (window == nullptr || aEvent.which == SDL_TOUCH_MOUSEID)
            {
                return;
            }
            if (window->rawMouseInput && (aEvent.xrel != 0 || aEvent.yrel != 0))
            {
                const LParam record = StoreRawInput({ RawInputType::Mouse, aEvent.xrel, aEvent.yrel });
                Queue(window, MESSAGE_INPUT, 0, record);
            }
            // The cursor request comes before every move over the client area.
            Queue(window, MESSAGE_SETCURSOR, reinterpret_cast<WParam>(window),
                  HIT_TEST_CLIENT | (static_cast<LParam>(MESSAGE_MOUSEMOVE) << 16));
            Queue(window, MESSAGE_MOUSEMOVE, MouseKeyState(), PackPoint(aEvent.x, aEvent.y));
        }

        void TranslateWheel(const SDL_MouseWheelEvent& aEvent)
        {
            WindowHandle window = FindWindowBySdlId(aEvent.windowID);
            if (window == nullptr || aEvent.which == SDL_TOUCH_MOUSEID)
            {
                return;
            }
            float notches = aEvent.preciseY;
            if (aEvent.direction == SDL_MOUSEWHEEL_FLIPPED)
            {
                notches = -notches;
            }
            const long delta = std::lround(notches * WHEEL_DELTA);
            const int16_t clamped = static_cast<int16_t>(delta > 32767 ? 32767 : (delta < -32768 ? -32768 : delta));
            int x = 0;
            int y = 0;
            SDL_GetGlobalMouseState(&x, &y);
            const WParam wParam = (MouseKeyState() & 0xFFFF) | (static_cast<WParam>(static_cast<uint16_t>(clamped)) << 16);
            Queue(window, MESSAGE_MOUSEWHEEL, wParam, PackPoint(x, y));
        }

        void QueueSize(WindowHandle aWindow, WParam aKind)
        {
            int width = 0;
            int height = 0;
            if (aKind != SIZE_MINIMIZED)
            {
                SDL_GetWindowSize(aWindow->sdlWindow, &width, &height);
            }
            Queue(aWindow, MESSAGE_SIZE, aKind, PackPoint(width, height));
        }

        void TranslateWindowEvent(const SDL_WindowEvent& aEvent)
        {
            WindowHandle window = FindWindowBySdlId(aEvent.windowID);
            if (window == nullptr)
            {
                return;
            }
            switch (aEvent.event)
            {
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            {
                const bool maximized = (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_MAXIMIZED) != 0;
                QueueSize(window, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
                break;
            }
            case SDL_WINDOWEVENT_MINIMIZED:
                window->minimized = true;
                QueueSize(window, SIZE_MINIMIZED);
                break;
            case SDL_WINDOWEVENT_RESTORED:
                if (window->minimized)
                {
                    window->minimized = false;
                    QueueSize(window, SIZE_RESTORED);
                }
                break;
            case SDL_WINDOWEVENT_MAXIMIZED:
                window->minimized = false;
                QueueSize(window, SIZE_MAXIMIZED);
                break;
            case SDL_WINDOWEVENT_CLOSE:
                Queue(window, MESSAGE_CLOSE, 0, 0);
                break;
            default:
                break;
            }
        }

        void TranslateEvent(const SDL_Event& aEvent)
        {
            switch (aEvent.type)
            {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                TranslateKey(aEvent.key);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                TranslateMouseButton(aEvent.button);
                break;
            case SDL_MOUSEMOTION:
                TranslateMouseMotion(aEvent.motion);
                break;
            case SDL_MOUSEWHEEL:
                TranslateWheel(aEvent.wheel);
                break;
            case SDL_WINDOWEVENT:
                TranslateWindowEvent(aEvent.window);
                break;
            case SDL_QUIT:
                // A request to end the program (signal or last window closed) asks every window to close.
                for (WindowHandle window : GetLiveWindows())
                {
                    if (!window->destroyed)
                    {
                        Queue(window, MESSAGE_CLOSE, 0, 0);
                    }
                }
                break;
            default:
                break;
            }
        }

        void GatherEvents()
        {
            if (SDL_WasInit(SDL_INIT_EVENTS) == 0)
            {
                return;
            }
            SDL_Event event;
            while (SDL_PollEvent(&event) != 0)
            {
                TranslateEvent(event);
            }
        }

        bool TakeQueued(Message& aOut)
        {
            QueueState& state = State();
            std::lock_guard guard(state.lock);
            if (!state.messages.empty())
            {
                aOut = state.messages.front();
                state.messages.pop_front();
                return true;
            }
            return false;
        }
    }

    bool PeekMessage(Message& aOut)
    {
        if (TakeQueued(aOut))
        {
            return true;
        }
        GatherEvents();
        if (TakeQueued(aOut))
        {
            return true;
        }
        QueueState& state = State();
        std::lock_guard guard(state.lock);
        if (state.quitPosted)
        {
            state.quitPosted = false;
            aOut = { nullptr, MESSAGE_QUIT, static_cast<WParam>(state.exitCode), 0 };
            return true;
        }
        return false;
    }

    LResult DispatchMessage(const Message& aMessage)
    {
        // A destroyed window takes no more queued messages.
        LResult result = 0;
        if (aMessage.message != MESSAGE_QUIT && IsLiveWindow(aMessage.window) && !aMessage.window->destroyed)
        {
            result = SendMessage(aMessage.window, aMessage.message, aMessage.wParam, aMessage.lParam);
        }
        // The raw record was read (if at all) while its message was handled.
        if (aMessage.message == MESSAGE_INPUT)
        {
            ForgetRawInput(aMessage.lParam);
        }
        return result;
    }

    void PostMessage(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam)
    {
        Queue(aWindow, aMessage, aWParam, aLParam);
    }

    void PostQuitMessage(int aExitCode)
    {
        QueueState& state = State();
        std::lock_guard guard(state.lock);
        state.quitPosted = true;
        state.exitCode = aExitCode;
    }

    void ClearMessageQueue()
    {
        GatherEvents();
        QueueState& state = State();
        std::lock_guard guard(state.lock);
        for (const Message& message : state.messages)
        {
            if (message.message == MESSAGE_INPUT)
            {
                state.rawRecords.erase(static_cast<uint64_t>(message.lParam));
            }
        }
        state.messages.clear();
        state.quitPosted = false;
        state.exitCode = 0;
    }

    bool RegisterRawMouseInput(WindowHandle aWindow)
    {
        if (!IsLiveWindow(aWindow))
        {
            return false;
        }
        aWindow->rawMouseInput = true;
        return true;
    }

    bool GetRawInputData(LParam aHandle, RawInput& aOut)
    {
        QueueState& state = State();
        std::lock_guard guard(state.lock);
        const uint64_t sequence = static_cast<uint64_t>(aHandle);
        const auto found = state.rawRecords.find(sequence);
        if (found == state.rawRecords.end())
        {
            return false;
        }
        aOut = found->second;
        return true;
    }
}
