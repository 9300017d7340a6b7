#pragma once

#include <Qt>
#include <QtGlobal>
#include <optional>

// What a key does in the calculator window. The digits come first and in order,
// so that a digit's action minus Digit0 is the digit.
enum class KeyAction {
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

// The symbols that the current keyboard layout prints on a physical key,
// unshifted (level 0) and shifted (level 1), as X keysyms; for the printable
// ASCII range a keysym is the character's own code.
struct KeySymbols
{
    quint32 unshifted = 0;
    quint32 shifted = 0;
};

// One key press, as the window system reports it.
struct KeyPress
{
    int key = 0;                       // QKeyEvent::key(): for a printable key, the character typed
    Qt::KeyboardModifiers modifiers;   // QKeyEvent::modifiers(); KeypadModifier marks the keypad
    quint32 virtualKey = 0;            // Windows' virtual-key code; 0 elsewhere and for made-up events
    quint32 keycode = 0;               // the X/Wayland keycode (evdev code + 8); 0 when unknown
    std::optional<KeySymbols> symbols; // the layout's symbols on that key, when known (X11)
    bool japaneseLayout = false;       // the keyboard layout is Japanese
};

// The calculator's whole keyboard.
//  - A Japanese layout is read by the place of the key, as the calculator always
//    has been: Windows' virtual key where there is one, elsewhere the key's symbols
//    and keycode standing for it. Modifiers are not consulted there, so the ":*"
//    key multiplies and the ";+" key adds with or without Shift.
//  - Any other layout: a key typing a digit, ".", "+", "-", "*", "/" or "=" acts as
//    that character ("=" is equals); every other key is read by its place as above.
// Modifier-only presses and keys of no use to the calculator give KeyAction::None.
KeyAction actionForKey(const KeyPress &press);
