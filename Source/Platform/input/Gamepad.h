#pragma once
// Gamepads read in the shape the engine's pad code expects: four slots, a packet number, a buttons word,
// 0..255 triggers and signed 16-bit sticks with y pointing up. The source is SDL's game controllers unless a
// test installs its own.
#include <cstdint>

namespace Vela::Platform
{
    constexpr uint32_t GAMEPAD_SLOT_COUNT = 4;

    // Results of GetGamepadState, with the numbers of the interface the engine was designed against.
    constexpr uint32_t GAMEPAD_RESULT_SUCCESS = 0;
    constexpr uint32_t GAMEPAD_RESULT_NOT_CONNECTED = 1167;

    // Bits of the buttons word.
    constexpr uint16_t GAMEPAD_DPAD_UP = 0x0001;
    constexpr uint16_t GAMEPAD_DPAD_DOWN = 0x0002;
    constexpr uint16_t GAMEPAD_DPAD_LEFT = 0x0004;
    constexpr uint16_t GAMEPAD_DPAD_RIGHT = 0x0008;
    constexpr uint16_t GAMEPAD_START = 0x0010;
    constexpr uint16_t GAMEPAD_BACK = 0x0020;
    constexpr uint16_t GAMEPAD_LEFT_THUMB = 0x0040;
    constexpr uint16_t GAMEPAD_RIGHT_THUMB = 0x0080;
    constexpr uint16_t GAMEPAD_LEFT_SHOULDER = 0x0100;
    constexpr uint16_t GAMEPAD_RIGHT_SHOULDER = 0x0200;
    constexpr uint16_t GAMEPAD_A = 0x1000;
    constexpr uint16_t GAMEPAD_B = 0x2000;
    constexpr uint16_t GAMEPAD_X = 0x4000;
    constexpr uint16_t GAMEPAD_Y = 0x8000;

    struct GamepadButtons
    {
        uint16_t buttons = 0;
        uint8_t leftTrigger = 0;
        uint8_t rightTrigger = 0;
        int16_t thumbLeftX = 0;
        int16_t thumbLeftY = 0;
        int16_t thumbRightX = 0;
        int16_t thumbRightY = 0;
    };

    struct GamepadState
    {
        uint32_t packetNumber = 0;
        GamepadButtons gamepad;
    };

    // Where pad states come from.
    class GamepadSource
    {
    public:
        virtual ~GamepadSource() = default;
        // True and the state when a pad is in the slot; false for an empty slot.
        virtual bool Read(uint32_t aSlot, GamepadState& aOut) = 0;
    };

    // The state of the pad in slot 0..3: GAMEPAD_RESULT_SUCCESS, or GAMEPAD_RESULT_NOT_CONNECTED for an empty
    // or out-of-range slot (aOut is then left as it was).
    uint32_t GetGamepadState(uint32_t aSlot, GamepadState& aOut);

    // Replaces the source (null restores SDL's game controllers). The caller keeps ownership.
    void SetGamepadSource(GamepadSource* aSource);

    // A source whose pads tests plug in, change and unplug by hand.
    class FakeGamepadSource final : public GamepadSource
    {
    public:
        bool Read(uint32_t aSlot, GamepadState& aOut) override;

        void Connect(uint32_t aSlot);
        void Disconnect(uint32_t aSlot);
        // Sets the slot's pad contents (connecting it) and advances its packet number.
        void SetState(uint32_t aSlot, const GamepadButtons& aButtons);

    private:
        bool myConnected[GAMEPAD_SLOT_COUNT] = {};
        GamepadState myStates[GAMEPAD_SLOT_COUNT] = {};
    };
}
