#include "mire/input/InputManager.h"

#include "Platform/window/MessageQueue.h"
#include "Platform/window/VirtualKeys.h"

namespace Vela
{
    namespace
    {
        int16_t LowWord(uint64_t aValue)
        {
            return static_cast<int16_t>(aValue & 0xFFFF);
        }

        int16_t HighWord(uint64_t aValue)
        {
            return static_cast<int16_t>((aValue >> 16) & 0xFFFF);
        }

        bool InRange(int aKey)
        {
            return aKey >= 0 && aKey < InputManager::KEY_COUNT;
        }
    }

    InputManager::InputManager(Platform::WindowHandle aWindow)
        : myWindow(aWindow)
    {
        Platform::RegisterRawMouseInput(aWindow);
    }

    bool InputManager::UpdateEvents(Platform::MessageId aMessage, Platform::WParam aWParam, Platform::LParam aLParam)
    {
        using namespace Platform;
        switch (aMessage)
        {
        case MESSAGE_KEYDOWN:
        case MESSAGE_SYSKEYDOWN:
            SetKey(aWParam, true);
            return true;
        case MESSAGE_KEYUP:
        case MESSAGE_SYSKEYUP:
            SetKey(aWParam, false);
            return true;
        case MESSAGE_INPUT:
        {
            RawInput input;
            if (GetRawInputData(aLParam, input) && input.type == RawInputType::Mouse)
            {
                myLiveMouseDelta.x += input.lastX;
                myLiveMouseDelta.y += input.lastY;
            }
            return true;
        }
        case MESSAGE_MOUSEMOVE:
            myLiveMousePosition = { LowWord(static_cast<uint64_t>(aLParam)), HighWord(static_cast<uint64_t>(aLParam)) };
            return true;
        case MESSAGE_LBUTTONDOWN:
        case MESSAGE_LBUTTONUP:
            SetKey(VIRTUAL_KEY_LBUTTON, aMessage == MESSAGE_LBUTTONDOWN);
            return true;
        case MESSAGE_RBUTTONDOWN:
        case MESSAGE_RBUTTONUP:
            SetKey(VIRTUAL_KEY_RBUTTON, aMessage == MESSAGE_RBUTTONDOWN);
            return true;
        case MESSAGE_MBUTTONDOWN:
        case MESSAGE_MBUTTONUP:
            SetKey(VIRTUAL_KEY_MBUTTON, aMessage == MESSAGE_MBUTTONDOWN);
            return true;
        case MESSAGE_MOUSEWHEEL:
            myMouseWheel = static_cast<float>(HighWord(aWParam));
            return true;
        case MESSAGE_XBUTTONDOWN:
        case MESSAGE_XBUTTONUP:
        {
            const bool first = static_cast<WParam>(static_cast<uint16_t>(HighWord(aWParam))) == XBUTTON_1;
            SetKey(first ? VIRTUAL_KEY_XBUTTON1 : VIRTUAL_KEY_XBUTTON2, aMessage == MESSAGE_XBUTTONDOWN);
            return true;
        }
        default:
            return false;
        }
    }

    void InputManager::Update()
    {
        myPreviousMousePosition = myMousePosition;
        myMousePosition = myLiveMousePosition;
        myMouseDelta = myLiveMouseDelta;
        myLiveMouseDelta = { 0, 0 };
        myMouseWheel = 0.0f;
        myPreviousKeys = myCurrentKeys;
        // A key tapped and let go between two snapshots is down for this one and up for the next.
        myCurrentKeys = myLiveKeys | myKeysDownSinceUpdate;
        myKeysDownSinceUpdate.reset();
    }

    bool InputManager::IsKeyPressed(int aKey) const
    {
        return InRange(aKey) && myCurrentKeys[static_cast<size_t>(aKey)] && !myPreviousKeys[static_cast<size_t>(aKey)];
    }

    bool InputManager::IsKeyHeld(int aKey) const
    {
        return InRange(aKey) && myCurrentKeys[static_cast<size_t>(aKey)] && myPreviousKeys[static_cast<size_t>(aKey)];
    }

    bool InputManager::IsKeyReleased(int aKey) const
    {
        return InRange(aKey) && !myCurrentKeys[static_cast<size_t>(aKey)] && myPreviousKeys[static_cast<size_t>(aKey)];
    }

    Vector2<float> InputManager::GetMousePosition() const
    {
        return { static_cast<float>(myMousePosition.x), static_cast<float>(myMousePosition.y) };
    }

    Vector2<float> InputManager::GetPreviousMousePosition() const
    {
        return { static_cast<float>(myPreviousMousePosition.x), static_cast<float>(myPreviousMousePosition.y) };
    }

    Vector2<int32_t> InputManager::GetMouseDelta() const
    {
        return myMouseDelta;
    }

    float InputManager::GetMouseWheel() const
    {
        return myMouseWheel;
    }

    void InputManager::SetKey(Platform::WParam aKey, bool aDown)
    {
        // A key message carries any number; only 0..255 have a bit.
        if (aKey >= static_cast<Platform::WParam>(KEY_COUNT))
        {
            return;
        }
        myLiveKeys[static_cast<size_t>(aKey)] = aDown;
        if (aDown)
        {
            myKeysDownSinceUpdate[static_cast<size_t>(aKey)] = true;
        }
    }
}
