#include "Platform/window/VirtualKeys.h"

#include <SDL2/SDL_keyboard.h>

namespace Vela::Platform
{
    namespace
    {
        uint8_t FromKeyCode(SDL_Keycode aKey)
        {
            if (aKey >= SDLK_a && aKey <= SDLK_z)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_A + (aKey - SDLK_a));
            }
            if (aKey >= SDLK_0 && aKey <= SDLK_9)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_0 + (aKey - SDLK_0));
            }
            if (aKey >= SDLK_F1 && aKey <= SDLK_F12)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_F1 + (aKey - SDLK_F1));
            }
            if (aKey >= SDLK_F13 && aKey <= SDLK_F24)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_F1 + 12 + (aKey - SDLK_F13));
            }
            if (aKey >= SDLK_KP_1 && aKey <= SDLK_KP_9)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_NUMPAD0 + 1 + (aKey - SDLK_KP_1));
            }
            switch (aKey)
            {
            case SDLK_BACKSPACE: return VIRTUAL_KEY_BACK;
            case SDLK_TAB: return VIRTUAL_KEY_TAB;
            case SDLK_RETURN: return VIRTUAL_KEY_RETURN;
            case SDLK_RETURN2: return VIRTUAL_KEY_RETURN;
            case SDLK_KP_ENTER: return VIRTUAL_KEY_RETURN;
            case SDLK_LSHIFT: return VIRTUAL_KEY_SHIFT;
            case SDLK_RSHIFT: return VIRTUAL_KEY_SHIFT;
            case SDLK_LCTRL: return VIRTUAL_KEY_CONTROL;
            case SDLK_RCTRL: return VIRTUAL_KEY_CONTROL;
            case SDLK_LALT: return VIRTUAL_KEY_ALT;
            case SDLK_RALT: return VIRTUAL_KEY_ALT;
            case SDLK_PAUSE: return VIRTUAL_KEY_PAUSE;
            case SDLK_CAPSLOCK: return VIRTUAL_KEY_CAPSLOCK;
            case SDLK_ESCAPE: return VIRTUAL_KEY_ESCAPE;
            case SDLK_SPACE: return VIRTUAL_KEY_SPACE;
            case SDLK_PAGEUP: return VIRTUAL_KEY_PAGEUP;
            case SDLK_PAGEDOWN: return VIRTUAL_KEY_PAGEDOWN;
            case SDLK_END: return VIRTUAL_KEY_END;
            case SDLK_HOME: return VIRTUAL_KEY_HOME;
            case SDLK_LEFT: return VIRTUAL_KEY_LEFT;
            case SDLK_UP: return VIRTUAL_KEY_UP;
            case SDLK_RIGHT: return VIRTUAL_KEY_RIGHT;
            case SDLK_DOWN: return VIRTUAL_KEY_DOWN;
            case SDLK_PRINTSCREEN: return VIRTUAL_KEY_PRINTSCREEN;
            case SDLK_INSERT: return VIRTUAL_KEY_INSERT;
            case SDLK_DELETE: return VIRTUAL_KEY_DELETE;
            case SDLK_LGUI: return VIRTUAL_KEY_LEFT_SYSTEM;
            case SDLK_RGUI: return VIRTUAL_KEY_RIGHT_SYSTEM;
            case SDLK_APPLICATION: return VIRTUAL_KEY_APPLICATION;
            case SDLK_KP_0: return VIRTUAL_KEY_NUMPAD0;
            case SDLK_KP_MULTIPLY: return VIRTUAL_KEY_MULTIPLY;
            case SDLK_KP_PLUS: return VIRTUAL_KEY_ADD;
            case SDLK_KP_MINUS: return VIRTUAL_KEY_SUBTRACT;
            case SDLK_KP_PERIOD: return VIRTUAL_KEY_DECIMAL;
            case SDLK_KP_DIVIDE: return VIRTUAL_KEY_DIVIDE;
            case SDLK_NUMLOCKCLEAR: return VIRTUAL_KEY_NUMLOCK;
            case SDLK_SCROLLLOCK: return VIRTUAL_KEY_SCROLLLOCK;
            case SDLK_SEMICOLON: return VIRTUAL_KEY_OEM_1;
            case SDLK_EQUALS: return VIRTUAL_KEY_OEM_PLUS;
            case SDLK_PLUS: return VIRTUAL_KEY_OEM_PLUS;
            case SDLK_COMMA: return VIRTUAL_KEY_OEM_COMMA;
            case SDLK_MINUS: return VIRTUAL_KEY_OEM_MINUS;
            case SDLK_PERIOD: return VIRTUAL_KEY_OEM_PERIOD;
            case SDLK_SLASH: return VIRTUAL_KEY_OEM_2;
            case SDLK_BACKQUOTE: return VIRTUAL_KEY_OEM_3;
            case SDLK_LEFTBRACKET: return VIRTUAL_KEY_OEM_4;
            case SDLK_BACKSLASH: return VIRTUAL_KEY_OEM_5;
            case SDLK_RIGHTBRACKET: return VIRTUAL_KEY_OEM_6;
            case SDLK_QUOTE: return VIRTUAL_KEY_OEM_7;
            case SDLK_LESS: return VIRTUAL_KEY_OEM_102;
            default: return 0;
            }
        }

        // Physical position on a US keyboard, for key codes the table above does not know.
        uint8_t FromScanCode(SDL_Scancode aScan)
        {
            if (aScan >= SDL_SCANCODE_A && aScan <= SDL_SCANCODE_Z)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_A + (aScan - SDL_SCANCODE_A));
            }
            if (aScan >= SDL_SCANCODE_1 && aScan <= SDL_SCANCODE_9)
            {
                return static_cast<uint8_t>(VIRTUAL_KEY_0 + 1 + (aScan - SDL_SCANCODE_1));
            }
            switch (aScan)
            {
            case SDL_SCANCODE_0: return VIRTUAL_KEY_0;
            case SDL_SCANCODE_SEMICOLON: return VIRTUAL_KEY_OEM_1;
            case SDL_SCANCODE_EQUALS: return VIRTUAL_KEY_OEM_PLUS;
            case SDL_SCANCODE_COMMA: return VIRTUAL_KEY_OEM_COMMA;
            case SDL_SCANCODE_MINUS: return VIRTUAL_KEY_OEM_MINUS;
            case SDL_SCANCODE_PERIOD: return VIRTUAL_KEY_OEM_PERIOD;
            case SDL_SCANCODE_SLASH: return VIRTUAL_KEY_OEM_2;
            case SDL_SCANCODE_GRAVE: return VIRTUAL_KEY_OEM_3;
            case SDL_SCANCODE_LEFTBRACKET: return VIRTUAL_KEY_OEM_4;
            case SDL_SCANCODE_BACKSLASH: return VIRTUAL_KEY_OEM_5;
            case SDL_SCANCODE_RIGHTBRACKET: return VIRTUAL_KEY_OEM_6;
            case SDL_SCANCODE_APOSTROPHE: return VIRTUAL_KEY_OEM_7;
            case SDL_SCANCODE_NONUSBACKSLASH: return VIRTUAL_KEY_OEM_102;
            default: return 0;
            }
        }
    }

    uint8_t VirtualKeyFromSdl(int32_t aSdlKeyCode, int32_t aSdlScanCode)
    {
        const uint8_t fromKey = FromKeyCode(static_cast<SDL_Keycode>(aSdlKeyCode));
        if (fromKey != 0)
        {
            return fromKey;
        }
        return FromScanCode(static_cast<SDL_Scancode>(aSdlScanCode));
    }
}
