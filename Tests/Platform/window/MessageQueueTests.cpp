// SDL events become window messages with virtual-key numbers and the packing the engine reads; the quit
// message comes only once the queue is empty; closing a window runs close -> destroy -> quit.
#include "Platform/window/MessageQueue.h"
#include "Platform/window/NativeWindow.h"
#include "Platform/window/VirtualKeys.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

using namespace Vela::Platform;

namespace
{
    std::vector<Message> theDispatched;

    LResult RecordingProcedure(WindowHandle aWindow, MessageId aMessage, WParam aWParam, LParam aLParam)
    {
        theDispatched.push_back({ aWindow, aMessage, aWParam, aLParam });
        if (aMessage == MESSAGE_DESTROY)
        {
            PostQuitMessage(7);
        }
        return DefaultWindowProcedure(aWindow, aMessage, aWParam, aLParam);
    }

    class MessageQueueTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            WindowCreateInfo info;
            info.title = "messages";
            info.clientWidth = 320;
            info.clientHeight = 200;
            info.procedure = &RecordingProcedure;
            myWindow = CreateNativeWindow(info);
            ASSERT_NE(myWindow, nullptr);
            ClearMessageQueue();
            theDispatched.clear();
        }

        void TearDown() override
        {
            ReleaseNativeWindow(myWindow);
            ClearMessageQueue();
        }

        // Every message now waiting, the quit message included.
        std::vector<Message> Drain()
        {
            std::vector<Message> messages;
            Message message;
            while (PeekMessage(message))
            {
                messages.push_back(message);
                if (message.message == MESSAGE_QUIT)
                {
                    break;
                }
            }
            return messages;
        }

        std::vector<Message> Only(const std::vector<Message>& someMessages, MessageId aId)
        {
            std::vector<Message> result;
            for (const Message& message : someMessages)
            {
                if (message.message == aId)
                {
                    result.push_back(message);
                }
            }
            return result;
        }

        void PushKey(Uint32 aType, SDL_Keycode aKey, SDL_Scancode aScan, Uint16 aMod = KMOD_NONE)
        {
            SDL_Event event{};
            event.type = aType;
            event.key.windowID = myWindow->sdlWindowId;
            event.key.state = aType == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.sym = aKey;
            event.key.keysym.scancode = aScan;
            event.key.keysym.mod = aMod;
            ASSERT_EQ(SDL_PushEvent(&event), 1);
        }

        WindowHandle myWindow = nullptr;
    };
}

TEST_F(MessageQueueTest, KeysArriveWithVirtualKeyNumbers)
{
    PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYDOWN, SDLK_RCTRL, SDL_SCANCODE_RCTRL, KMOD_RCTRL);
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    PushKey(SDL_KEYDOWN, SDLK_x, SDL_SCANCODE_X, KMOD_LALT);

    const std::vector<Message> messages = Drain();
    std::vector<Message> keys;
    for (const Message& message : messages)
    {
        if (message.message >= MESSAGE_KEYDOWN && message.message <= MESSAGE_SYSKEYUP)
        {
            keys.push_back(message);
        }
    }
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].message, MESSAGE_KEYDOWN);
    EXPECT_EQ(keys[0].wParam, 0x41u);
    EXPECT_EQ(keys[0].window, myWindow);
    EXPECT_EQ(keys[1].message, MESSAGE_KEYUP);
    EXPECT_EQ(keys[1].wParam, 0x41u);
    EXPECT_NE(keys[1].lParam & (1u << 31), 0) << "a release carries the transition bit";
    EXPECT_EQ(keys[2].wParam, VIRTUAL_KEY_CONTROL) << "right control gives the generic control code";
    EXPECT_EQ(keys[3].wParam, VIRTUAL_KEY_LEFT);
    EXPECT_EQ(keys[4].message, MESSAGE_SYSKEYDOWN) << "a key with alt held is a system key";
    EXPECT_EQ(keys[4].wParam, 0x58u);
}

TEST_F(MessageQueueTest, MouseMessagesPackPositionsButtonsAndWheel)
{
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = myWindow->sdlWindowId;
    motion.motion.x = -5;
    motion.motion.y = 300;
    motion.motion.xrel = 3;
    motion.motion.yrel = -4;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);

    for (Uint8 button : { Uint8(SDL_BUTTON_LEFT), Uint8(SDL_BUTTON_RIGHT), Uint8(SDL_BUTTON_MIDDLE), Uint8(SDL_BUTTON_X1),
                          Uint8(SDL_BUTTON_X2) })
    {
        SDL_Event press{};
        press.type = SDL_MOUSEBUTTONDOWN;
        press.button.windowID = myWindow->sdlWindowId;
        press.button.button = button;
        press.button.x = 10;
        press.button.y = 20;
        ASSERT_EQ(SDL_PushEvent(&press), 1);
    }

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = myWindow->sdlWindowId;
    wheel.wheel.y = -2;
    wheel.wheel.preciseY = -2.0f;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);

    const std::vector<Message> messages = Drain();

    const auto moves = Only(messages, MESSAGE_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(static_cast<int16_t>(moves[0].lParam & 0xFFFF), -5) << "x is a signed 16-bit low word";
    EXPECT_EQ(static_cast<int16_t>((moves[0].lParam >> 16) & 0xFFFF), 300);
    EXPECT_EQ(Only(messages, MESSAGE_SETCURSOR).size(), 1u) << "the cursor request comes with the move";
    EXPECT_TRUE(Only(messages, MESSAGE_INPUT).empty()) << "no raw motion until the window asks for it";

    EXPECT_EQ(Only(messages, MESSAGE_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Only(messages, MESSAGE_RBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Only(messages, MESSAGE_MBUTTONDOWN).size(), 1u);
    const auto extra = Only(messages, MESSAGE_XBUTTONDOWN);
    ASSERT_EQ(extra.size(), 2u);
    EXPECT_EQ((extra[0].wParam >> 16) & 0xFFFF, XBUTTON_1);
    EXPECT_EQ((extra[1].wParam >> 16) & 0xFFFF, XBUTTON_2);

    const auto wheels = Only(messages, MESSAGE_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(static_cast<int16_t>((wheels[0].wParam >> 16) & 0xFFFF), -240) << "120 per notch";
}

TEST_F(MessageQueueTest, RawMotionIsDeliveredOnceRegistered)
{
    ASSERT_TRUE(RegisterRawMouseInput(myWindow));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = myWindow->sdlWindowId;
    motion.motion.xrel = 3;
    motion.motion.yrel = -4;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);

    const auto raw = Only(Drain(), MESSAGE_INPUT);
    ASSERT_EQ(raw.size(), 1u);
    RawInput input;
    ASSERT_TRUE(GetRawInputData(raw[0].lParam, input));
    EXPECT_EQ(input.type, RawInputType::Mouse);
    EXPECT_EQ(input.lastX, 3);
    EXPECT_EQ(input.lastY, -4);
    EXPECT_FALSE(GetRawInputData(0, input));
    EXPECT_FALSE(GetRawInputData(raw[0].lParam + 1000, input)) << "an unknown record is refused";
}

TEST_F(MessageQueueTest, QuitComesOnlyAfterEverythingQueuedBeforeAndAfterIt)
{
    PostMessage(myWindow, MESSAGE_KEYDOWN, 0x41, 0);
    PostQuitMessage(3);
    PostMessage(myWindow, MESSAGE_KEYUP, 0x41, 0);

    const std::vector<Message> messages = Drain();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages.back().message, MESSAGE_QUIT);
    EXPECT_EQ(messages.back().wParam, 3u);
    EXPECT_EQ(Only(messages, MESSAGE_KEYDOWN).size(), 1u);
    EXPECT_EQ(Only(messages, MESSAGE_KEYUP).size(), 1u);

    Message message;
    EXPECT_FALSE(PeekMessage(message)) << "the quit message is delivered once";
}

TEST_F(MessageQueueTest, ClosingTheWindowDestroysItAndPostsQuit)
{
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = myWindow->sdlWindowId;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&close), 1);

    bool sawQuit = false;
    Message message;
    while (PeekMessage(message))
    {
        DispatchMessage(message);
        if (message.message == MESSAGE_QUIT)
        {
            sawQuit = true;
            EXPECT_EQ(message.wParam, 7u);
            break;
        }
    }
    EXPECT_TRUE(sawQuit);
    ASSERT_GE(theDispatched.size(), 2u);
    EXPECT_EQ(theDispatched[0].message, MESSAGE_CLOSE);
    EXPECT_EQ(theDispatched[1].message, MESSAGE_DESTROY);
    EXPECT_TRUE(myWindow->destroyed);
    EXPECT_TRUE(IsLiveWindow(myWindow)) << "the handle stays valid until released";

    theDispatched.clear();
    EXPECT_FALSE(DestroyNativeWindow(myWindow)) << "a second destroy does nothing";
    PostMessage(myWindow, MESSAGE_KEYDOWN, 0x41, 0);
    ASSERT_TRUE(PeekMessage(message));
    DispatchMessage(message);
    EXPECT_TRUE(theDispatched.empty()) << "a destroyed window takes no more messages";
}

TEST_F(MessageQueueTest, SizeMessagesCarryTheSizeAndTheMinimisedFlag)
{
    SDL_Event minimise{};
    minimise.type = SDL_WINDOWEVENT;
    minimise.window.windowID = myWindow->sdlWindowId;
    minimise.window.event = SDL_WINDOWEVENT_MINIMIZED;
    ASSERT_EQ(SDL_PushEvent(&minimise), 1);
    SDL_Event restore = minimise;
    restore.window.event = SDL_WINDOWEVENT_RESTORED;
    ASSERT_EQ(SDL_PushEvent(&restore), 1);

    const auto sizes = Only(Drain(), MESSAGE_SIZE);
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(sizes[0].lParam, 0);
    EXPECT_EQ(sizes.back().wParam, SIZE_RESTORED);
    EXPECT_EQ(sizes.back().lParam & 0xFFFF, 320);
    EXPECT_EQ((sizes.back().lParam >> 16) & 0xFFFF, 200);
}

TEST(VirtualKeyTest, EveryKeyTheGameBindsHasItsNumber)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 0x41);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_w, SDL_SCANCODE_W), 0x57);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 0x20);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0D);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 0x1B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LCTRL, SDL_SCANCODE_LCTRL), 0x11);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), 0x10);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), 0x26);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 0x28);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), 0x39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 0x7B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9, SDL_SCANCODE_KP_9), 0x69);
    // A letter another layout puts on the A key falls back on the key's position.
    EXPECT_EQ(VirtualKeyFromSdl(0xE4, SDL_SCANCODE_A), 0x41);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}
