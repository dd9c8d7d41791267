// The pad record over a fake source: slot search, buttons over polls, dead zone and rescaling,
// disconnect and reconnect.
#include "mire/input/XboxController.h"

#include <gtest/gtest.h>

using namespace Vela;
using namespace Vela::Platform;

namespace
{
    class XboxControllerTest : public ::testing::Test
    {
    protected:
        void SetUp() override { SetGamepadSource(&myPads); }
        void TearDown() override { SetGamepadSource(nullptr); }

        FakeGamepadSource myPads;
    };
}

TEST_F(XboxControllerTest, NoPadMeansNoUpdate)
{
    XboxController pad;
    EXPECT_FALSE(pad.Update());
    EXPECT_FALSE(pad.IsConnected());
    EXPECT_FALSE(pad.IsButtonPressed(GAMEPAD_A));
}

TEST_F(XboxControllerTest, FindsTheFirstPadAndTracksButtons)
{
    myPads.Connect(1);
    myPads.Connect(3);
    XboxController pad;
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetPadIndex(), 1u);

    GamepadButtons buttons;
    buttons.buttons = GAMEPAD_A;
    myPads.SetState(1, buttons);
    ASSERT_TRUE(pad.Update());
    EXPECT_TRUE(pad.IsButtonPressed(GAMEPAD_A));
    EXPECT_FALSE(pad.IsButtonHeld(GAMEPAD_A));
    ASSERT_TRUE(pad.Update());
    EXPECT_FALSE(pad.IsButtonPressed(GAMEPAD_A));
    EXPECT_TRUE(pad.IsButtonHeld(GAMEPAD_A));
    myPads.SetState(1, {});
    ASSERT_TRUE(pad.Update());
    EXPECT_TRUE(pad.IsButtonReleased(GAMEPAD_A));
    EXPECT_FALSE(pad.IsButtonHeld(GAMEPAD_A));
}

TEST_F(XboxControllerTest, SticksLoseTheDeadZoneAndAreRescaled)
{
    XboxController pad;
    pad.myDeadZoneX = 0.05f;
    pad.myDeadZoneY = 0.02f;
    GamepadButtons buttons;
    buttons.thumbLeftX = static_cast<int16_t>(0.5f * 32767.0f);
    buttons.thumbLeftY = -32768;
    buttons.thumbRightX = 32767;
    buttons.thumbRightY = static_cast<int16_t>(0.01f * 32767.0f);
    buttons.leftTrigger = 255;
    buttons.rightTrigger = 51;
    myPads.SetState(0, buttons);

    ASSERT_TRUE(pad.Update());
    // 0.5 x 32767 is stored as 16383: (16383 / 32767 - 0.05) / 0.95 = 0.4736682.
    EXPECT_NEAR(pad.myLeftStickX, 0.4736682f, 1e-6f);
    EXPECT_FLOAT_EQ(pad.myLeftStickY, -1.0f) << "-32768 reaches exactly -1";
    EXPECT_FLOAT_EQ(pad.myRightStickX, 1.0f);
    EXPECT_FLOAT_EQ(pad.myRightStickY, 0.0f) << "inside the y dead zone";
    EXPECT_FLOAT_EQ(pad.myLeftTrigger, 1.0f);
    EXPECT_FLOAT_EQ(pad.myRightTrigger, 0.2f);

    EXPECT_FLOAT_EQ(ApplyStickDeadZone(0, 0.05f), 0.0f);
    EXPECT_NEAR(ApplyStickDeadZone(16384, 0.0f), 0.5000153f, 1e-6f) << "no dead zone, no rescale: 16384 / 32767";
    // A dead zone over the whole travel: every position is inside it (no 0 / 0).
    EXPECT_EQ(ApplyStickDeadZone(32767, 1.0f), 0.0f);
    EXPECT_EQ(ApplyStickDeadZone(-32768, 1.0f), 0.0f);
    EXPECT_EQ(ApplyStickDeadZone(32767, 1.5f), 0.0f);
}

TEST_F(XboxControllerTest, UnpluggedPadIsSearchedForAgain)
{
    myPads.Connect(0);
    XboxController pad;
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetPadIndex(), 0u);

    myPads.Disconnect(0);
    EXPECT_FALSE(pad.Update());
    EXPECT_FALSE(pad.IsConnected());
    EXPECT_FALSE(pad.Update());

    GamepadButtons buttons;
    buttons.buttons = GAMEPAD_START;
    myPads.SetState(2, buttons);
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetPadIndex(), 2u);
    // Nothing was held while the pad was away: the button is exactly pressed.
    EXPECT_TRUE(pad.IsButtonPressed(GAMEPAD_START));
    EXPECT_FALSE(pad.IsButtonHeld(GAMEPAD_START));
    EXPECT_FALSE(pad.IsButtonReleased(GAMEPAD_START));
}

TEST_F(XboxControllerTest, UnpluggingWhileHoldingRestsTheAxesAndReleasesTheButtonsOnce)
{
    GamepadButtons held;
    held.buttons = GAMEPAD_A;
    held.thumbLeftX = 32767;
    held.thumbLeftY = -32768;
    held.thumbRightX = 16384;
    held.thumbRightY = -16384;
    held.leftTrigger = 255;
    held.rightTrigger = 128;
    myPads.SetState(0, held);
    XboxController pad;
    ASSERT_TRUE(pad.Update());
    ASSERT_TRUE(pad.Update());
    ASSERT_TRUE(pad.IsButtonHeld(GAMEPAD_A));
    ASSERT_FLOAT_EQ(pad.myLeftStickX, 1.0f);

    myPads.Disconnect(0);
    EXPECT_FALSE(pad.Update());
    for (float axis : { pad.myLeftStickX, pad.myLeftStickY, pad.myRightStickX, pad.myRightStickY, pad.myLeftTrigger, pad.myRightTrigger })
        EXPECT_EQ(axis, 0.0f);
    EXPECT_TRUE(pad.IsButtonReleased(GAMEPAD_A));
    EXPECT_FALSE(pad.IsButtonHeld(GAMEPAD_A));

    // Later polls without a pad: released no more, everything at rest.
    EXPECT_FALSE(pad.Update());
    EXPECT_FALSE(pad.IsButtonReleased(GAMEPAD_A));
    EXPECT_FALSE(pad.IsButtonPressed(GAMEPAD_A));
    EXPECT_FALSE(pad.IsButtonHeld(GAMEPAD_A));
    EXPECT_EQ(pad.myLeftStickX, 0.0f);
    EXPECT_FALSE(pad.Update());
    EXPECT_FALSE(pad.IsButtonReleased(GAMEPAD_A));
}
