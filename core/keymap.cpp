#include "keymap.h"

#include <iterator>

const CalcKeyBinding CalcKeyMap[] = {
    {VKEY_BACK, CalcKeyAction::AllClear},
    {VKEY_RETURN, CalcKeyAction::Equals},
    {VKEY_ESCAPE, CalcKeyAction::HideWindow},
    {VKEY_END, CalcKeyAction::HideWindow},
    {VKEY_HOME, CalcKeyAction::AllClear},
    {VKEY_0 + 0, CalcKeyAction::Digit0},
    {VKEY_0 + 1, CalcKeyAction::Digit1},
    {VKEY_0 + 2, CalcKeyAction::Digit2},
    {VKEY_0 + 3, CalcKeyAction::Digit3},
    {VKEY_0 + 4, CalcKeyAction::Digit4},
    {VKEY_0 + 5, CalcKeyAction::Digit5},
    {VKEY_0 + 6, CalcKeyAction::Digit6},
    {VKEY_0 + 7, CalcKeyAction::Digit7},
    {VKEY_0 + 8, CalcKeyAction::Digit8},
    {VKEY_0 + 9, CalcKeyAction::Digit9},
    {VKEY_NUMPAD0 + 0, CalcKeyAction::Digit0},
    {VKEY_NUMPAD0 + 1, CalcKeyAction::Digit1},
    {VKEY_NUMPAD0 + 2, CalcKeyAction::Digit2},
    {VKEY_NUMPAD0 + 3, CalcKeyAction::Digit3},
    {VKEY_NUMPAD0 + 4, CalcKeyAction::Digit4},
    {VKEY_NUMPAD0 + 5, CalcKeyAction::Digit5},
    {VKEY_NUMPAD0 + 6, CalcKeyAction::Digit6},
    {VKEY_NUMPAD0 + 7, CalcKeyAction::Digit7},
    {VKEY_NUMPAD0 + 8, CalcKeyAction::Digit8},
    {VKEY_NUMPAD0 + 9, CalcKeyAction::Digit9},
    {VKEY_MULTIPLY, CalcKeyAction::Multiply},
    {VKEY_ADD, CalcKeyAction::Add},
    {VKEY_SUBTRACT, CalcKeyAction::Subtract},
    {VKEY_DECIMAL, CalcKeyAction::Point},
    {VKEY_DIVIDE, CalcKeyAction::Divide},
    {VKEY_OEM_1, CalcKeyAction::Multiply},
    {VKEY_OEM_PLUS, CalcKeyAction::Add},
    {VKEY_OEM_MINUS, CalcKeyAction::Subtract},
    {VKEY_OEM_PERIOD, CalcKeyAction::Point},
    {VKEY_OEM_2, CalcKeyAction::Divide},
};
const int CalcKeyMapSize = int(std::size(CalcKeyMap));

CalcKeyAction actionForVirtualKey(int virtualKey)
{
    for (const CalcKeyBinding &binding : CalcKeyMap) {
        if (binding.virtualKey == virtualKey)
            return binding.action;
    }
    return CalcKeyAction::None;
}

namespace {

struct QtKeyBinding
{
    int qtKey;
    int virtualKey;
};

// Keys whose virtual key does not depend on the layout.
const QtKeyBinding NamedKeys[] = {
    {Qt::Key_Backspace, VKEY_BACK}, {Qt::Key_Tab, VKEY_TAB},
    {Qt::Key_Return, VKEY_RETURN}, {Qt::Key_Enter, VKEY_RETURN},
    {Qt::Key_Escape, VKEY_ESCAPE}, {Qt::Key_Space, VKEY_SPACE},
    {Qt::Key_PageUp, VKEY_PRIOR}, {Qt::Key_PageDown, VKEY_NEXT},
    {Qt::Key_End, VKEY_END}, {Qt::Key_Home, VKEY_HOME},
    {Qt::Key_Left, VKEY_LEFT}, {Qt::Key_Up, VKEY_UP},
    {Qt::Key_Right, VKEY_RIGHT}, {Qt::Key_Down, VKEY_DOWN},
    {Qt::Key_Insert, VKEY_INSERT}, {Qt::Key_Delete, VKEY_DELETE},
};

// The numeric keypad, told apart by Qt::KeypadModifier. With NumLock off its
// keys arrive as Home, End, Delete ... and fall through to NamedKeys, as on
// Windows. Some locales' keypad point types a comma; Windows calls it VKEY_DECIMAL.
const QtKeyBinding KeypadKeys[] = {
    {Qt::Key_Asterisk, VKEY_MULTIPLY}, {Qt::Key_Plus, VKEY_ADD},
    {Qt::Key_Minus, VKEY_SUBTRACT}, {Qt::Key_Period, VKEY_DECIMAL},
    {Qt::Key_Comma, VKEY_DECIMAL}, {Qt::Key_Slash, VKEY_DIVIDE},
};

// Without the layout's symbols, the symbol typed stands for its key. Where US and
// Japanese keyboards disagree, the Japanese key wins (";" is the add key there).
// "*" is the Japanese ":*" key; Shift+8 on a US keyboard is told apart by its scan code.
const QtKeyBinding TypedSymbols[] = {
    {Qt::Key_Plus, VKEY_OEM_PLUS}, {Qt::Key_Semicolon, VKEY_OEM_PLUS},
    {Qt::Key_Colon, VKEY_OEM_1}, {Qt::Key_Asterisk, VKEY_OEM_1},
    {Qt::Key_Minus, VKEY_OEM_MINUS}, {Qt::Key_Underscore, VKEY_OEM_MINUS},
    {Qt::Key_Period, VKEY_OEM_PERIOD}, {Qt::Key_Greater, VKEY_OEM_PERIOD},
    {Qt::Key_Comma, VKEY_OEM_COMMA}, {Qt::Key_Less, VKEY_OEM_COMMA},
    {Qt::Key_Slash, VKEY_OEM_2}, {Qt::Key_Question, VKEY_OEM_2},
};

// Windows names a punctuation key after the symbols it carries. Order matters:
// the US "=+" key is the plus key, the Japanese "-=" key the minus key, the
// German ".:" key the period key, the French ":/" key the slash key.
const struct { char symbol; int virtualKey; } SymbolKeys[] = {
    {'+', VKEY_OEM_PLUS}, {'-', VKEY_OEM_MINUS}, {'.', VKEY_OEM_PERIOD},
    {',', VKEY_OEM_COMMA}, {'/', VKEY_OEM_2}, {':', VKEY_OEM_1}, {';', VKEY_OEM_1},
};

// evdev KEY_1 .. KEY_0 are 2 .. 11; X and Wayland keycodes add 8.
constexpr quint32 FirstDigitRowKeycode = 2 + 8;
constexpr quint32 LastDigitRowKeycode = 11 + 8;

int lookUp(const QtKeyBinding *begin, const QtKeyBinding *end, int qtKey)
{
    for (const QtKeyBinding *b = begin; b != end; ++b) {
        if (b->qtKey == qtKey)
            return b->virtualKey;
    }
    return VKEY_NONE;
}

bool isModifierOnly(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Meta: case Qt::Key_Alt:
    case Qt::Key_AltGr: case Qt::Key_CapsLock: case Qt::Key_NumLock: case Qt::Key_ScrollLock:
    case Qt::Key_Super_L: case Qt::Key_Super_R: case Qt::Key_Hyper_L: case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

int virtualKeyFromSymbols(const KeySymbols &symbols)
{
    for (const auto &s : SymbolKeys) {
        if (symbols.unshifted == quint32(s.symbol) || symbols.shifted == quint32(s.symbol))
            return s.virtualKey;
    }
    return VKEY_NONE;
}

} // namespace

int virtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                        std::optional<KeySymbols> symbols)
{
    if (isModifierOnly(qtKey))
        return VKEY_NONE;

    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return VKEY_NUMPAD0 + (qtKey - Qt::Key_0);
        if (const int vk = lookUp(std::begin(KeypadKeys), std::end(KeypadKeys), qtKey))
            return vk;
        // Keypad Enter is VKEY_RETURN on Windows too; NumLock-off keys are named keys.
    }
    if (const int vk = lookUp(std::begin(NamedKeys), std::end(NamedKeys), qtKey))
        return vk;
    if (modifiers & Qt::KeypadModifier)
        return VKEY_NONE;

    // X and Wayland report the shifted symbol (Shift+8 is "*" on a US keyboard),
    // while Windows names the physical key: take the digit row by its keycode.
    if (nativeScanCode >= FirstDigitRowKeycode && nativeScanCode <= LastDigitRowKeycode)
        return VKEY_0 + int((nativeScanCode - FirstDigitRowKeycode + 1) % 10);

    if (symbols) {
        if (const int vk = virtualKeyFromSymbols(*symbols))
            return vk;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VKEY_0 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return VKEY_A + (qtKey - Qt::Key_A);
    if (symbols)
        return VKEY_NONE; // the layout knows the key, and it is none of ours
    if (qtKey == Qt::Key_Equal) {
        // Unshifted "=" is the US "=+" key; "=" with Shift the Japanese "-=" key.
        return (modifiers & Qt::ShiftModifier) ? VKEY_OEM_MINUS : VKEY_OEM_PLUS;
    }
    return lookUp(std::begin(TypedSymbols), std::end(TypedSymbols), qtKey);
}
