#pragma once
// Virtual-key numbers: the key codes that key messages carry in wParam and that the input manager indexes
// its key bits by. The numbers are those of the desktop system the engine was designed for, so key tables
// written against it read the same keys here.
#include <cstdint>

namespace Vela::Platform
{
    constexpr uint8_t VIRTUAL_KEY_LBUTTON = 0x01;
    constexpr uint8_t VIRTUAL_KEY_RBUTTON = 0x02;
    constexpr uint8_t VIRTUAL_KEY_MBUTTON = 0x04;
    constexpr uint8_t VIRTUAL_KEY_XBUTTON1 = 0x05;
    constexpr uint8_t VIRTUAL_KEY_XBUTTON2 = 0x06;
    constexpr uint8_t VIRTUAL_KEY_BACK = 0x08;
    constexpr uint8_t VIRTUAL_KEY_TAB = 0x09;
    constexpr uint8_t VIRTUAL_KEY_RETURN = 0x0D;
    constexpr uint8_t VIRTUAL_KEY_SHIFT = 0x10;
    constexpr uint8_t VIRTUAL_KEY_CONTROL = 0x11;
    constexpr uint8_t VIRTUAL_KEY_ALT = 0x12;
    constexpr uint8_t VIRTUAL_KEY_PAUSE = 0x13;
    constexpr uint8_t VIRTUAL_KEY_CAPSLOCK = 0x14;
    constexpr uint8_t VIRTUAL_KEY_ESCAPE = 0x1B;
    constexpr uint8_t VIRTUAL_KEY_SPACE = 0x20;
    constexpr uint8_t VIRTUAL_KEY_PAGEUP = 0x21;
    constexpr uint8_t VIRTUAL_KEY_PAGEDOWN = 0x22;
    constexpr uint8_t VIRTUAL_KEY_END = 0x23;
    constexpr uint8_t VIRTUAL_KEY_HOME = 0x24;
    constexpr uint8_t VIRTUAL_KEY_LEFT = 0x25;
    constexpr uint8_t VIRTUAL_KEY_UP = 0x26;
    constexpr uint8_t VIRTUAL_KEY_RIGHT = 0x27;
    constexpr uint8_t VIRTUAL_KEY_DOWN = 0x28;
    constexpr uint8_t VIRTUAL_KEY_PRINTSCREEN = 0x2C;
    constexpr uint8_t VIRTUAL_KEY_INSERT = 0x2D;
    constexpr uint8_t VIRTUAL_KEY_DELETE = 0x2E;
    constexpr uint8_t VIRTUAL_KEY_0 = 0x30; // '0'..'9' follow
    constexpr uint8_t VIRTUAL_KEY_A = 0x41; // 'A'..'Z' follow
    constexpr uint8_t VIRTUAL_KEY_LEFT_SYSTEM = 0x5B;
    constexpr uint8_t VIRTUAL_KEY_RIGHT_SYSTEM = 0x5C;
    constexpr uint8_t VIRTUAL_KEY_APPLICATION = 0x5D;
    constexpr uint8_t VIRTUAL_KEY_NUMPAD0 = 0x60; // numpad 0..9 follow
    constexpr uint8_t VIRTUAL_KEY_MULTIPLY = 0x6A;
    constexpr uint8_t VIRTUAL_KEY_ADD = 0x6B;
    constexpr uint8_t VIRTUAL_KEY_SUBTRACT = 0x6D;
    constexpr uint8_t VIRTUAL_KEY_DECIMAL = 0x6E;
    constexpr uint8_t VIRTUAL_KEY_DIVIDE = 0x6F;
    constexpr uint8_t VIRTUAL_KEY_F1 = 0x70; // F1..F24 follow
    constexpr uint8_t VIRTUAL_KEY_NUMLOCK = 0x90;
    constexpr uint8_t VIRTUAL_KEY_SCROLLLOCK = 0x91;
    constexpr uint8_t VIRTUAL_KEY_OEM_1 = 0xBA;      // ;:
    constexpr uint8_t VIRTUAL_KEY_OEM_PLUS = 0xBB;   // =+
    constexpr uint8_t VIRTUAL_KEY_OEM_COMMA = 0xBC;
    constexpr uint8_t VIRTUAL_KEY_OEM_MINUS = 0xBD;
    constexpr uint8_t VIRTUAL_KEY_OEM_PERIOD = 0xBE;
    constexpr uint8_t VIRTUAL_KEY_OEM_2 = 0xBF;      // /?
    constexpr uint8_t VIRTUAL_KEY_OEM_3 = 0xC0;      // `~
    constexpr uint8_t VIRTUAL_KEY_OEM_4 = 0xDB;      // [{
    constexpr uint8_t VIRTUAL_KEY_OEM_5 = 0xDC;      // \|
    constexpr uint8_t VIRTUAL_KEY_OEM_6 = 0xDD;      // ]}
    constexpr uint8_t VIRTUAL_KEY_OEM_7 = 0xDE;      // '"
    constexpr uint8_t VIRTUAL_KEY_OEM_102 = 0xE2;    // the extra key beside left shift

    // The virtual key for an SDL key: by key code (so letters follow the keyboard layout), falling back on
    // the physical position for keys whose code has no virtual key (letters with accents on other layouts).
    // 0 when the key has no virtual key. Left and right shift, control and alt give the generic codes.
    uint8_t VirtualKeyFromSdl(int32_t aSdlKeyCode, int32_t aSdlScanCode);
}
