// SDL's game controllers read into pad states, on one of SDL's virtual controllers.
#include "Platform/input/Gamepad.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

using namespace Vela::Platform;

namespace
{
    uint16_t ReadButtons()
    {
        GamepadState state;
        EXPECT_EQ(GetGamepadState(0, state), GAMEPAD_RESULT_SUCCESS);
        return state.gamepad.buttons;
    }
}

// The window's event pump sees the pad between two frames, so a press and its release can both land before
// the next frame's read. That read still shows the button down, and the read after shows it up: the pad
// record then counts it pressed for one frame and released the next.
TEST(SdlGamepad, AButtonTappedBetweenTwoReadsShowsDownOnceThenUp)
{
    SetGamepadSource(nullptr);
    GamepadState state;
    GetGamepadState(0, state); // starts SDL's controllers
    ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    EXPECT_EQ(ReadButtons(), 0);

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_PumpEvents(); // the press, seen between frames
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 0);
    EXPECT_EQ(ReadButtons(), GAMEPAD_A);
    EXPECT_EQ(ReadButtons(), 0);

    // A button held across reads shows down while held and up at once after.
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_PumpEvents();
    EXPECT_EQ(ReadButtons(), GAMEPAD_B);
    EXPECT_EQ(ReadButtons(), GAMEPAD_B);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 0);
    EXPECT_EQ(ReadButtons(), 0);

    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
}
