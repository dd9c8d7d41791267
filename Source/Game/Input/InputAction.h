#pragma once
// The game's actions (also indexes into the input mapper's per-action lists), the event handed to
// their observers, and the observer interface.
#include <cstdint>

enum class InputAction : int32_t
{
    StartGame = 0,
    OpenOptions = 1,
    Pause = 2,
    KeyM = 3,
    Skip = 4,
    CloseMenu = 5,
    KeyQ = 6,
    MoveLeft = 7,
    MoveRight = 8,
    Jump = 9,
    Crouch = 10,
    Interact = 11,
    Click = 12,
    Confirm = 13,
    Back = 14,
    MenuDown = 15,
    MenuUp = 16,
    MenuRight = 17,
    MenuLeft = 18,
};

constexpr int32_t INPUT_ACTION_COUNT = 19;

struct InputEvent
{
    static constexpr uint32_t PRESSED = 1;

    uint32_t kind = PRESSED; // the only kind the mapper sends
    float x = 0.0f;          // mouse position at dispatch time
    float y = 0.0f;
};

namespace Observers
{
    class InputObserver
    {
    public:
        // True means consumed: the frame's dispatch ends there.
        virtual bool OnInput(InputAction anAction, const InputEvent& anEvent) = 0;
        virtual ~InputObserver() = default;
    };
}
