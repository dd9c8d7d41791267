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
    EXPECT_NEAR(pad.myLeftStickX, (0.5f - 0.05f) / 0.95f, 1e-4f);
    EXPECT_FLOAT_EQ(pad.myLeftStickY, -1.0f) << "-32768 reaches exactly -1";
    EXPECT_FLOAT_EQ(pad.myRightStickX, 1.0f);
    EXPECT_FLOAT_EQ(pad.myRightStickY, 0.0f) << "inside the y dead zone";
    EXPECT_FLOAT_EQ(pad.myLeftTrigger, 1.0f);
    EXPECT_FLOAT_EQ(pad.myRightTrigger, 0.2f);

    EXPECT_FLOAT_EQ(ApplyStickDeadZone(0, 0.05f), 0.0f);
    EXPECT_FLOAT_EQ(ApplyStickDeadZone(16384, 0.0f), 16384.0f / 32767.0f) << "no dead zone, no rescale";
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
    EXPECT_TRUE(pad.IsButtonHeld(GAMEPAD_START) || pad.IsButtonPressed(GAMEPAD_START));
}
