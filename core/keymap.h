#pragma once

#include <Qt>
#include <QtGlobal>
#include <optional>

// The symbols that the current keyboard layout prints on a physical key,
// unshifted (level 0) and shifted (level 1), as X keysyms; for the printable
// ASCII range a keysym is the character's own code.
struct KeySymbols
{
    quint32 unshifted = 0;
    quint32 shifted = 0;
};

// What a key does in the calculator window. The digits come first and in order,
// so that a digit's action minus Digit0 is the digit.
enum class CalcKeyAction {
    None,
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Point,
    Add,
    Subtract,
    Multiply,
    Divide,
    Equals,
    AllClear,
    HideWindow,
};

// Windows virtual-key codes (VK_BACK ...), the calculator's key language on every
// platform; named VKEY_ so as not to clash with the macros of <windows.h>.
enum VirtualKey : int {
    VKEY_NONE = 0,
    VKEY_BACK = 8,
    VKEY_TAB = 9,
    VKEY_RETURN = 13,
    VKEY_ESCAPE = 27,
    VKEY_SPACE = 32,
    VKEY_PRIOR = 33,
    VKEY_NEXT = 34,
    VKEY_END = 35,
    VKEY_HOME = 36,
    VKEY_LEFT = 37,
    VKEY_UP = 38,
    VKEY_RIGHT = 39,
    VKEY_DOWN = 40,
    VKEY_INSERT = 45,
    VKEY_DELETE = 46,
    VKEY_0 = 48,          // '0' .. '9' follow
    VKEY_A = 65,          // 'A' .. 'Z' follow
    VKEY_NUMPAD0 = 96,    // .. VKEY_NUMPAD9 = 105
    VKEY_MULTIPLY = 106,
    VKEY_ADD = 107,
    VKEY_SEPARATOR = 108,
    VKEY_SUBTRACT = 109,
    VKEY_DECIMAL = 110,
    VKEY_DIVIDE = 111,
    VKEY_OEM_1 = 186,      // US ";:", Japanese ":*"
    VKEY_OEM_PLUS = 187,   // US "=+", Japanese ";+"
    VKEY_OEM_COMMA = 188,
    VKEY_OEM_MINUS = 189,  // US "-_", Japanese "-="
    VKEY_OEM_PERIOD = 190,
    VKEY_OEM_2 = 191,      // "/?"
};

struct CalcKeyBinding
{
    int virtualKey;
    CalcKeyAction action;
};

// The calculator's whole keyboard: every key not listed does nothing.
// Modifiers are not consulted, so a key acts the same with Shift, Ctrl or Alt.
extern const CalcKeyBinding CalcKeyMap[];
extern const int CalcKeyMapSize;

CalcKeyAction actionForVirtualKey(int virtualKey);

// Translates a key event as the non-Windows toolkits report it into the virtual
// key that Windows would report for the same physical key, so that one key map
// serves every platform.
//  - qtKey and modifiers: QKeyEvent::key() and modifiers(); KeypadModifier marks
//    the numeric keypad.
//  - nativeScanCode: the X/Wayland keycode (evdev code + 8), or 0 when unknown.
//  - symbols: the unshifted and shifted symbols the layout prints on that key,
//    when the window system can tell (X11); otherwise key() and Shift decide.
// Returns VKEY_NONE for keys without a virtual key of interest and for
// modifier-only presses.
int virtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                        std::optional<KeySymbols> symbols = std::nullopt);
