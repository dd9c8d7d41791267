#pragma once
// One gamepad, polled once per frame: the first pad found in slots 0..3, its buttons for pressed/held/
// released tests, and its sticks and triggers after dead zone and rescaling.
#include "Platform/input/Gamepad.h"

#include <cstdint>

namespace Vela
{
    class XboxController
    {
    public:
        static constexpr uint32_t NO_PAD = 0xFFFFFFFFu;

        // False when no pad answers (the next call searches the slots again).
        bool Update();

        bool IsButtonPressed(uint16_t aMask) const;
        bool IsButtonHeld(uint16_t aMask) const;
        bool IsButtonReleased(uint16_t aMask) const;

        bool IsConnected() const { return myPadIndex != NO_PAD; }
        uint32_t GetPadIndex() const { return myPadIndex; }

        float myLeftStickX = 0.0f;
        float myLeftStickY = 0.0f;
        float myRightStickX = 0.0f;
        float myRightStickY = 0.0f;
        float myLeftTrigger = 0.0f;
        float myRightTrigger = 0.0f;

    private:
        void ClearInput();
        void ClearAxes();

        uint32_t myPadIndex = NO_PAD;
        Platform::GamepadState myPreviousState;
        Platform::GamepadState myCurrentState;

    public:
        // Set by the owner (the input mapper).
        float myDeadZoneX = 0.0f;
        float myDeadZoneY = 0.0f;
    };

    // One stick axis: -32768..32767 to -1..1, then the dead zone taken off and the rest rescaled to reach 1.
    float ApplyStickDeadZone(int16_t aRaw, float aDeadZone);
}
