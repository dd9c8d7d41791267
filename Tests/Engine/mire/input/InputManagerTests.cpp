// Keyboard and mouse state over snapshots: pressed, held and released; changes between snapshots;
// key codes out of range; mouse position, buttons, wheel and raw motion.
#include "mire/input/InputManager.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"
#include "Platform/window/VirtualKeys.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

using namespace Vela;
using namespace Vela::Platform;

namespace
{
    // A 64 x 64 window with an empty message queue.
    WindowHandle MakeSmallWindow()
    {
        WindowCreateInfo info;
        info.clientWidth = 64;
        info.clientHeight = 64;
        WindowHandle window = CreateNativeWindow(info);
        ClearMessageQueue();
        return window;
    }

    // Queues raw mouse motion as the system would deliver it, one event per step.
    void PushRawMotion(WindowHandle aWindow, int aCount, int anXStep, int aYStep)
    {
        for (int i = 0; i < aCount; ++i)
        {
            SDL_Event motion{};
            motion.type = SDL_MOUSEMOTION;
            motion.motion.windowID = aWindow->sdlWindowId;
            motion.motion.xrel = anXStep;
            motion.motion.yrel = aYStep;
            SDL_PushEvent(&motion);
        }
    }

    constexpr int KEY_SPACE = 0x20;
}

TEST(InputManagerTest, KeyIsPressedThenHeldThenReleasedOverSnapshots)
{
    InputManager input(nullptr);
    input.UpdateEvents(MESSAGE_KEYDOWN, KEY_SPACE, 0);
    EXPECT_FALSE(input.IsKeyPressed(KEY_SPACE)) << "a change is seen only after the next snapshot";

    input.Update();
    EXPECT_TRUE(input.IsKeyPressed(KEY_SPACE));
    EXPECT_FALSE(input.IsKeyHeld(KEY_SPACE));
    EXPECT_FALSE(input.IsKeyReleased(KEY_SPACE));

    input.Update();
    EXPECT_FALSE(input.IsKeyPressed(KEY_SPACE));
    EXPECT_TRUE(input.IsKeyHeld(KEY_SPACE));
    input.Update();
    EXPECT_TRUE(input.IsKeyHeld(KEY_SPACE));

    input.UpdateEvents(MESSAGE_KEYUP, KEY_SPACE, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(KEY_SPACE));
    EXPECT_FALSE(input.IsKeyHeld(KEY_SPACE));
    input.Update();
    EXPECT_FALSE(input.IsKeyReleased(KEY_SPACE));
}

TEST(InputManagerTest, ATapBetweenTwoSnapshotsIsPressedForOneFrameAndReleasedTheNext)
{
    InputManager input(nullptr);
    input.Update();
    input.UpdateEvents(MESSAGE_KEYDOWN, 'E', 0);
    input.UpdateEvents(MESSAGE_KEYUP, 'E', 0);
    input.UpdateEvents(MESSAGE_LBUTTONDOWN, 0, 0);
    input.UpdateEvents(MESSAGE_LBUTTONUP, 0, 0);
    input.Update();
    for (int key : { int('E'), int(VIRTUAL_KEY_LBUTTON) })
    {
        EXPECT_TRUE(input.IsKeyPressed(key)) << key;
        EXPECT_FALSE(input.IsKeyHeld(key)) << key;
        EXPECT_FALSE(input.IsKeyReleased(key)) << key;
    }
    input.Update();
    for (int key : { int('E'), int(VIRTUAL_KEY_LBUTTON) })
    {
        EXPECT_FALSE(input.IsKeyPressed(key)) << key;
        EXPECT_FALSE(input.IsKeyHeld(key)) << key;
        EXPECT_TRUE(input.IsKeyReleased(key)) << key;
    }
    input.Update();
    EXPECT_FALSE(input.IsKeyReleased('E')) << "released once";

    // Held across the tap of another key, and a key pressed again before the snapshot, stay as they were.
    input.UpdateEvents(MESSAGE_KEYDOWN, KEY_SPACE, 0);
    input.Update();
    input.UpdateEvents(MESSAGE_KEYUP, KEY_SPACE, 0);
    input.UpdateEvents(MESSAGE_KEYDOWN, KEY_SPACE, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyHeld(KEY_SPACE));
}

TEST(InputManagerTest, SystemKeysAndMouseButtonsUseTheirKeyBits)
{
    InputManager input(nullptr);
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_SYSKEYDOWN, VIRTUAL_KEY_ALT, 0));
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_LBUTTONDOWN, 0, 0));
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_RBUTTONDOWN, 0, 0));
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_MBUTTONDOWN, 0, 0));
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_XBUTTONDOWN, XBUTTON_1 << 16, 0));
    EXPECT_TRUE(input.UpdateEvents(MESSAGE_XBUTTONDOWN, XBUTTON_2 << 16, 0));
    input.Update();
    for (int key : { int(VIRTUAL_KEY_ALT), 1, 2, 4, 5, 6 })
    {
        EXPECT_TRUE(input.IsKeyPressed(key)) << key;
    }
    EXPECT_FALSE(input.IsKeyPressed(3));

    input.UpdateEvents(MESSAGE_SYSKEYUP, VIRTUAL_KEY_ALT, 0);
    input.UpdateEvents(MESSAGE_LBUTTONUP, 0, 0);
    input.UpdateEvents(MESSAGE_XBUTTONUP, XBUTTON_2 << 16, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(VIRTUAL_KEY_ALT));
    EXPECT_TRUE(input.IsKeyReleased(1));
    EXPECT_TRUE(input.IsKeyReleased(6));
    EXPECT_TRUE(input.IsKeyHeld(5));

    EXPECT_FALSE(input.UpdateEvents(0x0203 /* double click */, 0, 0));
    EXPECT_FALSE(input.UpdateEvents(MESSAGE_SIZE, 0, 0));
}

TEST(InputManagerTest, KeyCodesOutsideTheTableAreIgnored)
{
    InputManager input(nullptr);
    input.UpdateEvents(MESSAGE_KEYDOWN, 256, 0);
    input.UpdateEvents(MESSAGE_KEYDOWN, 0x10041, 0);
    input.UpdateEvents(MESSAGE_KEYDOWN, static_cast<WParam>(-1), 0);
    input.Update();
    for (int key = 0; key < InputManager::KEY_COUNT; ++key)
    {
        ASSERT_FALSE(input.IsKeyPressed(key)) << "key " << key << " was set by an out-of-range code";
    }
    EXPECT_FALSE(input.IsKeyPressed(-1));
    EXPECT_FALSE(input.IsKeyHeld(256));
    EXPECT_FALSE(input.IsKeyReleased(100000));
}

TEST(InputManagerTest, MousePositionWheelAndSnapshot)
{
    InputManager input(nullptr);
    input.UpdateEvents(MESSAGE_MOUSEMOVE, 0, PackPoint(-20, 450));
    EXPECT_EQ(input.GetMousePosition().x, 0.0f) << "the position is taken at the snapshot";
    input.UpdateEvents(MESSAGE_MOUSEWHEEL, static_cast<WParam>(static_cast<uint16_t>(120)) << 16, 0);
    input.UpdateEvents(MESSAGE_MOUSEWHEEL, static_cast<WParam>(static_cast<uint16_t>(-240)) << 16, 0);
    EXPECT_EQ(input.GetMouseWheel(), -240.0f) << "the last wheel message replaces the earlier one";

    input.Update();
    EXPECT_EQ(input.GetMousePosition().x, -20.0f);
    EXPECT_EQ(input.GetMousePosition().y, 450.0f);
    EXPECT_EQ(input.GetMouseWheel(), 0.0f);

    input.UpdateEvents(MESSAGE_MOUSEMOVE, 0, PackPoint(5, 6));
    input.Update();
    EXPECT_EQ(input.GetMousePosition().x, 5.0f);
    EXPECT_EQ(input.GetPreviousMousePosition().x, -20.0f);
}

TEST(InputManagerTest, RawMotionIsSummedOverTheFrame)
{
    WindowHandle window = MakeSmallWindow();
    ASSERT_NE(window, nullptr);
    InputManager input(window);
    PushRawMotion(window, 3, 2, -1);
    Message message;
    while (PeekMessage(message))
    {
        input.UpdateEvents(message.message, message.wParam, message.lParam);
    }
    input.Update();
    EXPECT_EQ(input.GetMouseDelta().x, 6);
    EXPECT_EQ(input.GetMouseDelta().y, -3);
    input.Update();
    EXPECT_EQ(input.GetMouseDelta().x, 0) << "the live delta starts again at each snapshot";

    ReleaseNativeWindow(window);
    ClearMessageQueue();
}

TEST(InputManagerTest, RawMotionOfHundredsOfEventsInOneFrameIsAllCounted)
{
    WindowHandle window = MakeSmallWindow();
    ASSERT_NE(window, nullptr);
    InputManager input(window);
    PushRawMotion(window, 400, 1, -2);
    // As the engine pumps: every pending event becomes a message before the first is handled.
    Message message;
    int rawMessages = 0;
    LParam lastRecord = 0;
    while (PeekMessage(message))
    {
        if (message.message == MESSAGE_INPUT)
        {
            ++rawMessages;
            lastRecord = message.lParam;
        }
        input.UpdateEvents(message.message, message.wParam, message.lParam);
        DispatchMessage(message);
    }
    EXPECT_EQ(rawMessages, 400);
    input.Update();
    EXPECT_EQ(input.GetMouseDelta().x, 400);
    EXPECT_EQ(input.GetMouseDelta().y, -800);

    // A dispatched message's record is gone.
    RawInput record;
    EXPECT_FALSE(GetRawInputData(lastRecord, record));

    ReleaseNativeWindow(window);
    ClearMessageQueue();
}
