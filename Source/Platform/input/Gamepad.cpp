#include "Platform/input/Gamepad.h"

#include <SDL2/SDL.h>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace Vela::Platform
{
    namespace
    {
        int16_t ClampToShort(int aValue)
        {
            return static_cast<int16_t>(aValue > 32767 ? 32767 : (aValue < -32768 ? -32768 : aValue));
        }

        uint8_t TriggerByte(int16_t aAxis)
        {
            const int positive = aAxis < 0 ? 0 : aAxis;
            return static_cast<uint8_t>((positive * 255 + 16383) / 32767);
        }

        constexpr struct
        {
            SDL_GameControllerButton button;
            uint16_t bit;
        } BUTTONS[] = {
            { SDL_CONTROLLER_BUTTON_DPAD_UP, GAMEPAD_DPAD_UP },
            { SDL_CONTROLLER_BUTTON_DPAD_DOWN, GAMEPAD_DPAD_DOWN },
            { SDL_CONTROLLER_BUTTON_DPAD_LEFT, GAMEPAD_DPAD_LEFT },
            { SDL_CONTROLLER_BUTTON_DPAD_RIGHT, GAMEPAD_DPAD_RIGHT },
            { SDL_CONTROLLER_BUTTON_START, GAMEPAD_START },
            { SDL_CONTROLLER_BUTTON_BACK, GAMEPAD_BACK },
            { SDL_CONTROLLER_BUTTON_LEFTSTICK, GAMEPAD_LEFT_THUMB },
            { SDL_CONTROLLER_BUTTON_RIGHTSTICK, GAMEPAD_RIGHT_THUMB },
            { SDL_CONTROLLER_BUTTON_LEFTSHOULDER, GAMEPAD_LEFT_SHOULDER },
            { SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, GAMEPAD_RIGHT_SHOULDER },
            { SDL_CONTROLLER_BUTTON_A, GAMEPAD_A },
            { SDL_CONTROLLER_BUTTON_B, GAMEPAD_B },
            { SDL_CONTROLLER_BUTTON_X, GAMEPAD_X },
            { SDL_CONTROLLER_BUTTON_Y, GAMEPAD_Y },
        };

        uint16_t ButtonBit(uint8_t aButton)
        {
            for (const auto& entry : BUTTONS)
            {
                if (entry.button == aButton)
                {
                    return entry.bit;
                }
            }
            return 0;
        }

        // SDL's game controllers, placed into the first free slot in the order they appear.
        class SdlGamepadSource final : public GamepadSource
        {
        public:
            ~SdlGamepadSource() override
            {
                if (myStarted)
                {
                    SDL_DelEventWatch(&SdlGamepadSource::WatchButtonDown, this);
                }
            }

            bool Read(uint32_t aSlot, GamepadState& aOut) override
            {
                std::lock_guard guard(myLock);
                if (!Start())
                {
                    return false;
                }
                SDL_GameControllerUpdate();
                RefreshSlots();
                SDL_GameController* controller = mySlots[aSlot];
                if (controller == nullptr)
                {
                    return false;
                }
                GamepadButtons pad;
                for (const auto& entry : BUTTONS)
                {
                    if (SDL_GameControllerGetButton(controller, entry.button) != 0)
                    {
                        pad.buttons |= entry.bit;
                    }
                }
                // A button tapped and let go since the last read still shows down this once.
                pad.buttons |= TakeTappedButtons(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)));
                pad.leftTrigger = TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
                pad.rightTrigger = TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
                pad.thumbLeftX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
                pad.thumbRightX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
                // SDL's y axes point down; the pad state's point up.
                pad.thumbLeftY = ClampToShort(-SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
                pad.thumbRightY = ClampToShort(-SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));

                GamepadState& last = myLastStates[aSlot];
                if (std::memcmp(&last.gamepad, &pad, sizeof(pad)) != 0)
                {
                    last.gamepad = pad;
                    ++last.packetNumber;
                }
                aOut = last;
                return true;
            }

        private:
            bool Start()
            {
                if (myStarted)
                {
                    return true;
                }
                if (myFailed)
                {
                    return false;
                }
                if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
                {
                    printf("Gamepads are not available: %s\n", SDL_GetError());
                    myFailed = true;
                    return false;
                }
                SDL_AddEventWatch(&SdlGamepadSource::WatchButtonDown, this);
                myStarted = true;
                return true;
            }

            // Called by SDL for every event it queues, also from inside SDL_GameControllerUpdate under myLock,
            // so the taps have a lock of their own.
            static int WatchButtonDown(void* aSource, SDL_Event* anEvent)
            {
                if (anEvent->type == SDL_CONTROLLERBUTTONDOWN)
                {
                    auto* source = static_cast<SdlGamepadSource*>(aSource);
                    std::lock_guard guard(source->myTapLock);
                    source->myTappedButtons[anEvent->cbutton.which] |= ButtonBit(anEvent->cbutton.button);
                }
                return 1;
            }

            uint16_t TakeTappedButtons(SDL_JoystickID anId)
            {
                std::lock_guard guard(myTapLock);
                const auto found = myTappedButtons.find(anId);
                if (found == myTappedButtons.end())
                {
                    return 0;
                }
                const uint16_t buttons = found->second;
                myTappedButtons.erase(found);
                return buttons;
            }

            bool IsInSlot(SDL_JoystickID aId) const
            {
                for (SDL_GameController* controller : mySlots)
                {
                    if (controller != nullptr &&
                        SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)) == aId)
                    {
                        return true;
                    }
                }
                return false;
            }

            void RefreshSlots()
            {
                bool anyEmpty = false;
                for (uint32_t slot = 0; slot < GAMEPAD_SLOT_COUNT; ++slot)
                {
                    if (mySlots[slot] != nullptr && SDL_GameControllerGetAttached(mySlots[slot]) == SDL_FALSE)
                    {
                        SDL_GameControllerClose(mySlots[slot]);
                        mySlots[slot] = nullptr;
                        myLastStates[slot] = {};
                    }
                    anyEmpty = anyEmpty || mySlots[slot] == nullptr;
                }
                const int count = SDL_NumJoysticks();
                if (!anyEmpty || count == myLastJoystickCount)
                {
                    return;
                }
                myLastJoystickCount = count;
                for (int index = 0; index < count; ++index)
                {
                    if (SDL_IsGameController(index) == SDL_FALSE || IsInSlot(SDL_JoystickGetDeviceInstanceID(index)))
                    {
                        continue;
                    }
                    for (SDL_GameController*& slot : mySlots)
                    {
                        if (slot == nullptr)
                        {
                            slot = SDL_GameControllerOpen(index);
                            break;
                        }
                    }
                }
            }

            std::mutex myLock;
            bool myStarted = false;
            bool myFailed = false;
            int myLastJoystickCount = -1;
            SDL_GameController* mySlots[GAMEPAD_SLOT_COUNT] = {};
            GamepadState myLastStates[GAMEPAD_SLOT_COUNT] = {};
            std::mutex myTapLock;
            // Buttons that went down since each pad's last read, by joystick instance.
            std::unordered_map<SDL_JoystickID, uint16_t> myTappedButtons;
        };

        SdlGamepadSource& SdlSource()
        {
            static SdlGamepadSource source;
            return source;
        }

        std::atomic<GamepadSource*> theInstalledSource{ nullptr };
    }

    uint32_t GetGamepadState(uint32_t aSlot, GamepadState& aOut)
    {
        if (aSlot >= GAMEPAD_SLOT_COUNT)
        {
            return GAMEPAD_RESULT_NOT_CONNECTED;
        }
        GamepadSource* source = theInstalledSource.load();
        if (source == nullptr)
        {
            source = &SdlSource();
        }
        GamepadState state;
        if (!source->Read(aSlot, state))
        {
            return GAMEPAD_RESULT_NOT_CONNECTED;
        }
        aOut = state;
        return GAMEPAD_RESULT_SUCCESS;
    }

    void SetGamepadSource(GamepadSource* aSource)
    {
        theInstalledSource.store(aSource);
    }

    bool FakeGamepadSource::Read(uint32_t aSlot, GamepadState& aOut)
    {
        if (aSlot >= GAMEPAD_SLOT_COUNT || !myConnected[aSlot])
        {
            return false;
        }
        aOut = myStates[aSlot];
        return true;
    }

    void FakeGamepadSource::Connect(uint32_t aSlot)
    {
        if (aSlot < GAMEPAD_SLOT_COUNT)
        {
            myConnected[aSlot] = true;
        }
    }

    void FakeGamepadSource::Disconnect(uint32_t aSlot)
    {
        if (aSlot < GAMEPAD_SLOT_COUNT)
        {
            myConnected[aSlot] = false;
            myStates[aSlot] = {};
        }
    }

    void FakeGamepadSource::SetState(uint32_t aSlot, const GamepadButtons& aButtons)
    {
        if (aSlot < GAMEPAD_SLOT_COUNT)
        {
            myConnected[aSlot] = true;
            myStates[aSlot].gamepad = aButtons;
            ++myStates[aSlot].packetNumber;
        }
    }
}
