#pragma once
// The thread's message queue: SDL events become window messages with the packing the engine's window
// procedure and input manager read. A posted quit is delivered once every other message has been taken.
#include "Platform/window/WindowTypes.h"

#include <cstdint>

namespace Vela::Platform
{
    struct Message
    {
        WindowHandle window = nullptr;
        MessageId message = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    // Takes the next message, first gathering pending SDL events. MESSAGE_QUIT (wParam = exit code) comes
    // only when nothing else is queued. False when there is nothing at all.
    bool PeekMessage(Message& aOut);

    // Hands a message to its window's procedure (nothing for the quit message or a window already released).
    LResult DispatchMessage(const Message& aMessage);

    // Queues a message for a window.
    void PostMessage(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam);

    // Asks the message loop to end: PeekMessage yields MESSAGE_QUIT once the queue is empty.
    void PostQuitMessage(int aExitCode);

    // Drops every queued message and a pending quit (tests that run several engines in one process).
    void ClearMessageQueue();

    // Raw mouse motion, delivered to windows that asked for it as MESSAGE_INPUT whose lParam names the record.
    enum class RawInputType : uint32_t
    {
        Mouse = 0,
    };

    struct RawInput
    {
        RawInputType type = RawInputType::Mouse;
        int32_t lastX = 0;
        int32_t lastY = 0;
    };

    // Asks for raw mouse motion on this window (also while it is in the background, as far as SDL allows).
    bool RegisterRawMouseInput(WindowHandle aWindow);

    // The record a MESSAGE_INPUT names, kept until that message is dispatched. False for a stale or unknown lParam.
    bool GetRawInputData(LParam aHandle, RawInput& aOut);

    // Packs a client position as mouse messages carry it: signed 16-bit x in the low word, y in the high word.
    constexpr LParam PackPoint(int32_t aX, int32_t aY)
    {
        return static_cast<LParam>((static_cast<uint32_t>(aX) & 0xFFFFu) | ((static_cast<uint32_t>(aY) & 0xFFFFu) << 16));
    }
}
