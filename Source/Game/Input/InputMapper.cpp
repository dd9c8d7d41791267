#include "Input/InputMapper.h"

#include "mire/input/InputManager.h"
#include "Platform/input/Gamepad.h"
#include "Platform/window/VirtualKeys.h"

namespace
{
    size_t Index(InputAction anAction)
    {
        return static_cast<size_t>(anAction);
    }

    bool IsValid(InputAction anAction)
    {
        return static_cast<int32_t>(anAction) >= 0 && static_cast<int32_t>(anAction) < INPUT_ACTION_COUNT;
    }

    uint8_t LetterKey(char aLetter)
    {
        return static_cast<uint8_t>(Vela::Platform::VIRTUAL_KEY_A + (aLetter - 'A'));
    }
}

InputMapper::InputMapper(Vela::InputManager* anInputManager)
    : myInputManager(anInputManager)
{
    myGamepad.myDeadZoneX = DEAD_ZONE_X;
    myGamepad.myDeadZoneY = DEAD_ZONE_Y;
}

void InputMapper::BindKey(uint8_t aVirtualKey, InputAction anAction)
{
    if (IsValid(anAction))
        someKeys[Index(anAction)].push_back(aVirtualKey);
}

void InputMapper::BindButton(uint16_t aButtonMask, InputAction anAction)
{
    if (IsValid(anAction))
        someButtons[Index(anAction)].push_back(aButtonMask);
}

void InputMapper::AddObserver(Observers::InputObserver* anObserver, InputAction anAction)
{
    if (IsValid(anAction))
        someObservers[Index(anAction)].push_back(anObserver);
}

bool InputMapper::IsDown(InputAction anAction) const
{
    if (!IsValid(anAction))
        return false;
    if (myInputManager)
    {
        for (uint8_t key : someKeys[Index(anAction)])
        {
            if (myInputManager->IsKeyHeld(key))
                return true;
        }
    }
    for (uint16_t button : someButtons[Index(anAction)])
    {
        if (myGamepad.IsButtonHeld(button))
            return true;
    }
    switch (anAction)
    {
    case InputAction::MoveLeft: return myGamepad.myLeftStickX < -myStickThreshold;
    case InputAction::MoveRight: return myGamepad.myLeftStickX > myStickThreshold;
    case InputAction::Jump: return myGamepad.myLeftStickY > myStickThreshold;
    case InputAction::Crouch: return myGamepad.myLeftStickY < -myStickThreshold;
    default: return false;
    }
}

bool InputMapper::IsAnyKeyPressed(InputAction anAction) const
{
    if (!myInputManager)
        return false;
    for (uint8_t key : someKeys[Index(anAction)])
    {
        if (myInputManager->IsKeyPressed(key))
            return true;
    }
    return false;
}

bool InputMapper::IsAnyButtonPressed(InputAction anAction) const
{
    for (uint16_t button : someButtons[Index(anAction)])
    {
        if (myGamepad.IsButtonPressed(button))
            return true;
    }
    return false;
}

bool InputMapper::IsPressed(InputAction anAction)
{
    if (!IsValid(anAction))
        return false;
    if (IsAnyKeyPressed(anAction) || IsAnyButtonPressed(anAction))
        return true;

    // The stick counts once per push: the latch stays set until the stick is back near the centre.
    bool* latch = nullptr;
    bool beyond = false;
    switch (anAction)
    {
    case InputAction::MenuLeft: latch = &myHorizontalLatch; beyond = myGamepad.myLeftStickX < -myStickThreshold; break;
    case InputAction::MenuRight: latch = &myHorizontalLatch; beyond = myGamepad.myLeftStickX > myStickThreshold; break;
    case InputAction::MenuDown: latch = &myVerticalLatch; beyond = myGamepad.myLeftStickY < -myStickThreshold; break;
    case InputAction::MenuUp: latch = &myVerticalLatch; beyond = myGamepad.myLeftStickY > myStickThreshold; break;
    default: return false;
    }
    if (!beyond || *latch)
        return false;
    *latch = true;
    return true;
}

void InputMapper::Update()
{
    myGamepad.Update();

    bool consumed = false;
    for (int32_t action = 0; action < INPUT_ACTION_COUNT && !consumed; ++action)
    {
        const InputAction inputAction = static_cast<InputAction>(action);
        const bool keyPressed = IsAnyKeyPressed(inputAction);
        const bool buttonPressed = IsAnyButtonPressed(inputAction);
        if (!keyPressed && !buttonPressed)
            continue;
        for (Observers::InputObserver* observer : someObservers[Index(inputAction)])
        {
            InputEvent event;
            if (myInputManager)
            {
                const Vela::Vector2<float> mouse = myInputManager->GetMousePosition();
                event.x = mouse.x;
                event.y = mouse.y;
            }
            if (observer->OnInput(inputAction, event))
            {
                consumed = true;
                break;
            }
        }
    }

    if (myGamepad.myLeftStickY >= -STICK_RELEASE && myGamepad.myLeftStickY <= STICK_RELEASE)
        myVerticalLatch = false;
    if (myGamepad.myLeftStickX >= -STICK_RELEASE && myGamepad.myLeftStickX <= STICK_RELEASE)
        myHorizontalLatch = false;
}

void InputMapper::InstallDefaultBindings()
{
    using namespace Vela::Platform;
    // Movement and interaction keys.
    BindKey(LetterKey('A'), InputAction::MoveLeft);
    BindKey(VIRTUAL_KEY_LEFT, InputAction::MoveLeft);
    BindKey(LetterKey('D'), InputAction::MoveRight);
    BindKey(VIRTUAL_KEY_RIGHT, InputAction::MoveRight);
    BindKey(VIRTUAL_KEY_SPACE, InputAction::Jump);
    BindKey(VIRTUAL_KEY_CONTROL, InputAction::Crouch);
    BindKey(LetterKey('S'), InputAction::Crouch);
    BindKey(VIRTUAL_KEY_DOWN, InputAction::Crouch);
    BindKey(LetterKey('E'), InputAction::Interact);
    BindKey(LetterKey('E'), InputAction::Confirm);
    BindKey(VIRTUAL_KEY_LBUTTON, InputAction::Click);
    // Screen and menu keys.
    BindKey(VIRTUAL_KEY_RETURN, InputAction::Skip);
    BindKey(VIRTUAL_KEY_ESCAPE, InputAction::Pause);
    BindKey(VIRTUAL_KEY_ESCAPE, InputAction::CloseMenu);
    BindKey(VIRTUAL_KEY_ESCAPE, InputAction::Back);
    BindKey(LetterKey('M'), InputAction::KeyM);
    BindKey(LetterKey('Q'), InputAction::KeyQ);
    BindKey(LetterKey('A'), InputAction::MenuLeft);
    BindKey(VIRTUAL_KEY_LEFT, InputAction::MenuLeft);
    BindKey(LetterKey('D'), InputAction::MenuRight);
    BindKey(VIRTUAL_KEY_RIGHT, InputAction::MenuRight);
    BindKey(LetterKey('W'), InputAction::MenuUp);
    BindKey(VIRTUAL_KEY_UP, InputAction::MenuUp);
    BindKey(LetterKey('S'), InputAction::MenuDown);
    BindKey(VIRTUAL_KEY_DOWN, InputAction::MenuDown);
    // Gamepad buttons.
    BindButton(GAMEPAD_DPAD_LEFT, InputAction::MoveLeft);
    BindButton(GAMEPAD_LEFT_THUMB, InputAction::Crouch);
    BindButton(GAMEPAD_DPAD_RIGHT, InputAction::MoveRight);
    BindButton(GAMEPAD_DPAD_UP, InputAction::Jump);
    BindButton(GAMEPAD_A, InputAction::Jump);
    BindButton(GAMEPAD_DPAD_DOWN, InputAction::Crouch);
    BindButton(GAMEPAD_RIGHT_SHOULDER, InputAction::Interact);
    BindButton(GAMEPAD_A, InputAction::Confirm);
    BindButton(GAMEPAD_B, InputAction::Back);
    BindButton(GAMEPAD_X, InputAction::Click);
    BindButton(GAMEPAD_START, InputAction::Pause);
    BindButton(GAMEPAD_START, InputAction::CloseMenu);
    BindButton(GAMEPAD_START, InputAction::Skip);
}
