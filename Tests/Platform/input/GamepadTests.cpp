// Pad states through an installed source: slots, "not connected", and going back to the default source.
#include "Platform/input/Gamepad.h"

#include <gtest/gtest.h>

using namespace Vela::Platform;

TEST(GamepadTest, FakeSourceAnswersPerSlot)
{
    FakeGamepadSource fake;
    SetGamepadSource(&fake);

    GamepadState state;
    state.packetNumber = 99;
    EXPECT_EQ(GetGamepadState(0, state), GAMEPAD_RESULT_NOT_CONNECTED);
    EXPECT_EQ(state.packetNumber, 99u) << "an empty slot leaves the state as it was";

    GamepadButtons pad;
    pad.buttons = GAMEPAD_A | GAMEPAD_DPAD_LEFT;
    pad.thumbLeftY = 32767;
    pad.rightTrigger = 255;
    fake.SetState(2, pad);

    EXPECT_EQ(GetGamepadState(0, state), GAMEPAD_RESULT_NOT_CONNECTED);
    ASSERT_EQ(GetGamepadState(2, state), GAMEPAD_RESULT_SUCCESS);
    EXPECT_EQ(state.gamepad.buttons, 0x1004);
    EXPECT_EQ(state.gamepad.thumbLeftY, 32767);
    EXPECT_EQ(state.gamepad.rightTrigger, 255);
    const uint32_t packet = state.packetNumber;
    fake.SetState(2, pad);
    ASSERT_EQ(GetGamepadState(2, state), GAMEPAD_RESULT_SUCCESS);
    EXPECT_GT(state.packetNumber, packet);

    EXPECT_EQ(GetGamepadState(4, state), GAMEPAD_RESULT_NOT_CONNECTED);
    EXPECT_EQ(GetGamepadState(0xFFFFFFFFu, state), GAMEPAD_RESULT_NOT_CONNECTED);

    fake.Disconnect(2);
    EXPECT_EQ(GetGamepadState(2, state), GAMEPAD_RESULT_NOT_CONNECTED);
    SetGamepadSource(nullptr);
}
