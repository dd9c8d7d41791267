// Game actions from real key messages through the engine's input manager and from a scripted gamepad:
// dispatch order and consumption, the frame a press is seen, and the stick latches.
#include "Input/InputMapper.h"

#include "mire/input/InputManager.h"
#include "Platform/input/Gamepad.h"
#include "Platform/window/VirtualKeys.h"
#include "Platform/window/WindowTypes.h"

#include "Support/GameTestHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    class RecordingObserver : public Observers::InputObserver
    {
    public:
        bool OnInput(InputAction anAction, const InputEvent& anEvent) override
        {
            EXPECT_EQ(anEvent.kind, InputEvent::PRESSED);
            someActions.push_back(anAction);
            return anAction == myConsumes;
        }
        std::vector<InputAction> someActions;
        InputAction myConsumes = InputAction::StartGame; // never offered
    };

    class InputMapperTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myMapper.InstallDefaultBindings();
            for (int32_t action = 0; action < INPUT_ACTION_COUNT; ++action)
            {
                myMapper.AddObserver(&myFirst, static_cast<InputAction>(action));
                myMapper.AddObserver(&mySecond, static_cast<InputAction>(action));
            }
        }

        // One frame as the game runs it: messages arrive, the mapper dispatches, the snapshot is taken.
        void Frame() { myMapper.Update(); myInput.Update(); }
        void Press(uint8_t aKey) { VelaTest::PressKey(myInput, aKey); }
        void Release(uint8_t aKey) { VelaTest::ReleaseKey(myInput, aKey); }

        Vela::InputManager myInput{ nullptr };
        InputMapper myMapper{ &myInput };
        RecordingObserver myFirst;
        RecordingObserver mySecond;
    };
}

TEST_F(InputMapperTest, EscapeOffersPauseCloseMenuAndBackInOrderUntilConsumed)
{
    Press(Vela::Platform::VIRTUAL_KEY_ESCAPE);
    Frame();
    EXPECT_TRUE(myFirst.someActions.empty()) << "the message is seen after the frame's snapshot";
    Frame();
    EXPECT_EQ(myFirst.someActions, (std::vector<InputAction>{ InputAction::Pause, InputAction::CloseMenu, InputAction::Back }));
    EXPECT_EQ(mySecond.someActions, myFirst.someActions);

    Release(Vela::Platform::VIRTUAL_KEY_ESCAPE);
    Frame();
    Frame();
    myFirst.someActions.clear();
    mySecond.someActions.clear();
    myFirst.myConsumes = InputAction::CloseMenu;
    Press(Vela::Platform::VIRTUAL_KEY_ESCAPE);
    Frame();
    Frame();
    EXPECT_EQ(myFirst.someActions, (std::vector<InputAction>{ InputAction::Pause, InputAction::CloseMenu }));
    EXPECT_EQ(mySecond.someActions, (std::vector<InputAction>{ InputAction::Pause })) << "nothing after the consumer";
}

TEST_F(InputMapperTest, EOffersInteractBeforeConfirmAndAPressBecomesHeldTheFrameAfter)
{
    myFirst.myConsumes = InputAction::Interact;
    Press('E');
    EXPECT_FALSE(myMapper.IsPressed(InputAction::Interact));
    myInput.Update(); // the end of the frame in which the message arrived
    EXPECT_TRUE(myMapper.IsPressed(InputAction::Interact));
    EXPECT_TRUE(myMapper.IsPressed(InputAction::Confirm));
    EXPECT_FALSE(myMapper.IsDown(InputAction::Interact));
    Frame();
    EXPECT_EQ(myFirst.someActions, (std::vector<InputAction>{ InputAction::Interact }));
    EXPECT_FALSE(myMapper.IsPressed(InputAction::Interact));
    EXPECT_TRUE(myMapper.IsDown(InputAction::Interact));
    EXPECT_FALSE(myMapper.IsDown(InputAction::Jump));
}

TEST_F(InputMapperTest, TheStickGivesOneMenuStepPerReturnToCentreAndNoEvents)
{
    Vela::Platform::FakeGamepadSource pad;
    Vela::Platform::SetGamepadSource(&pad);
    const auto stickX = [&pad](int16_t anX) {
        Vela::Platform::GamepadButtons state;
        state.thumbLeftX = anX;
        pad.SetState(0, state);
    };
    stickX(-32767);
    int steps = 0;
    for (int frame = 0; frame < 5; ++frame)
    {
        Frame();
        steps += myMapper.IsPressed(InputAction::MenuLeft) ? 1 : 0;
        steps += myMapper.IsPressed(InputAction::MenuRight) ? 1 : 0;
        EXPECT_TRUE(myMapper.IsDown(InputAction::MoveLeft));
    }
    EXPECT_EQ(steps, 1);

    stickX(9000); // about 0.27: not back within 0.2 of the centre
    Frame();
    stickX(-32767);
    Frame();
    EXPECT_FALSE(myMapper.IsPressed(InputAction::MenuLeft));

    stickX(0);
    Frame();
    stickX(-32767);
    Frame();
    EXPECT_TRUE(myMapper.IsPressed(InputAction::MenuLeft));
    EXPECT_FALSE(myMapper.IsPressed(InputAction::MenuLeft));
    EXPECT_TRUE(myFirst.someActions.empty());
    Vela::Platform::SetGamepadSource(nullptr);
}
