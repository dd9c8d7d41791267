#pragma once
// Turns keys, mouse buttons, gamepad buttons and the left stick into the game's actions: polls for
// held and pressed, and once per frame offers every pressed action to its observers. Main thread only.
#include "Input/InputAction.h"

#include "mire/input/XboxController.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Vela
{
    class InputManager;
}

class InputMapper
{
public:
    static constexpr float STICK_THRESHOLD = 0.4f;
    static constexpr float STICK_RELEASE = 0.2f;
    static constexpr float DEAD_ZONE_X = 0.05f;
    static constexpr float DEAD_ZONE_Y = 0.02f;

    explicit InputMapper(Vela::InputManager* anInputManager);

    void BindKey(uint8_t aVirtualKey, InputAction anAction);
    void BindButton(uint16_t aButtonMask, InputAction anAction);
    void AddObserver(Observers::InputObserver* anObserver, InputAction anAction);

    // Held: keys and buttons from their second frame down, and the stick for the four move actions.
    bool IsDown(InputAction anAction) const;
    // Pressed this frame; the stick counts for the four menu directions once per return to centre.
    bool IsPressed(InputAction anAction);
    // Polls the gamepad, offers this frame's pressed actions in action order until one is consumed,
    // then releases the stick latches that returned to the centre.
    void Update();

    // The key, mouse button and pad bindings of the game, in their order.
    void InstallDefaultBindings();


private:
    bool IsAnyKeyPressed(InputAction anAction) const;
    bool IsAnyButtonPressed(InputAction anAction) const;

    bool myHorizontalLatch = false;
    bool myVerticalLatch = false;
    std::array<std::vector<uint8_t>, INPUT_ACTION_COUNT> someKeys;
    std::array<std::vector<uint16_t>, INPUT_ACTION_COUNT> someButtons;
    std::array<std::vector<Observers::InputObserver*>, INPUT_ACTION_COUNT> someObservers;
    Vela::InputManager* myInputManager = nullptr;
    Vela::XboxController myGamepad;
    float myStickThreshold = STICK_THRESHOLD;
};
