#include "mire/input/XboxController.h"

#include <algorithm>
#include <cmath>

namespace Vela
{
    float ApplyStickDeadZone(int16_t aRaw, float aDeadZone)
    {
        const float value = std::max(-1.0f, static_cast<float>(aRaw) / 32767.0f);
        // A dead zone that covers the whole travel leaves nothing to rescale (1 / (1 - 1) would make NaN).
        if (value == 0.0f || aDeadZone >= 1.0f)
        {
            return 0.0f;
        }
        float result = 0.0f;
        if (std::fabs(value) >= aDeadZone)
        {
            result = std::copysign(std::fabs(value) - aDeadZone, value);
        }
        if (aDeadZone > 0.0f)
        {
            result *= 1.0f / (1.0f - aDeadZone);
        }
        return result;
    }

    bool XboxController::Update()
    {
        using namespace Platform;
        if (myPadIndex == NO_PAD)
        {
            for (uint32_t slot = 0; slot < GAMEPAD_SLOT_COUNT; ++slot)
            {
                GamepadState probe;
                if (GetGamepadState(slot, probe) == GAMEPAD_RESULT_SUCCESS)
                {
                    myPadIndex = slot;
                    break;
                }
            }
            if (myPadIndex == NO_PAD)
            {
                ClearInput();
                return false;
            }
        }

        myPreviousState = myCurrentState;
        myCurrentState = {};
        if (GetGamepadState(myPadIndex, myCurrentState) != GAMEPAD_RESULT_SUCCESS)
        {
            myPadIndex = NO_PAD;
            myCurrentState = {};
            ClearAxes();
            return false;
        }

        const GamepadButtons& pad = myCurrentState.gamepad;
        myLeftStickX = ApplyStickDeadZone(pad.thumbLeftX, myDeadZoneX);
        myLeftStickY = ApplyStickDeadZone(pad.thumbLeftY, myDeadZoneY);
        myRightStickX = ApplyStickDeadZone(pad.thumbRightX, myDeadZoneX);
        myRightStickY = ApplyStickDeadZone(pad.thumbRightY, myDeadZoneY);
        myLeftTrigger = static_cast<float>(pad.leftTrigger) / 255.0f;
        myRightTrigger = static_cast<float>(pad.rightTrigger) / 255.0f;
        return true;
    }

    // Without a pad nothing is held: the button state moves on (a release is seen once) and the axes rest.
    void XboxController::ClearInput()
    {
        myPreviousState = myCurrentState;
        myCurrentState = {};
        ClearAxes();
    }

    void XboxController::ClearAxes()
    {
        myLeftStickX = 0.0f;
        myLeftStickY = 0.0f;
        myRightStickX = 0.0f;
        myRightStickY = 0.0f;
        myLeftTrigger = 0.0f;
        myRightTrigger = 0.0f;
    }

    bool XboxController::IsButtonPressed(uint16_t aMask) const
    {
        return (myCurrentState.gamepad.buttons & aMask) != 0 && (myPreviousState.gamepad.buttons & aMask) == 0;
    }

    bool XboxController::IsButtonHeld(uint16_t aMask) const
    {
        return (myCurrentState.gamepad.buttons & aMask) != 0 && (myPreviousState.gamepad.buttons & aMask) != 0;
    }

    bool XboxController::IsButtonReleased(uint16_t aMask) const
    {
        return (myCurrentState.gamepad.buttons & aMask) == 0 && (myPreviousState.gamepad.buttons & aMask) != 0;
    }
}
