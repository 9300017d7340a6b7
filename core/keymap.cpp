#include "keymap.h"

#include <cstddef>

namespace {

using A = KeyAction;

template <typename Key>
struct Binding
{
    Key key;
    KeyAction action;
};

template <typename Key, std::size_t N>
std::optional<KeyAction> find(const Binding<Key> (&table)[N], Key key)
{
    for (const Binding<Key> &b : table) {
        if (b.key == key)
            return b.action;
    }
    return std::nullopt;
}

KeyAction digit(int n) { return KeyAction(int(A::Digit0) + n); }
bool isDigit(int key) { return key >= Qt::Key_0 && key <= Qt::Key_9; }

// The keys as Windows names them, by virtual key; besides these, '0' to '9' (48 to 57)
// and VK_NUMPAD0 to VK_NUMPAD9 (96 to 105) are the digits. The OEM keys are named after
// the Japanese keyboard, where they carry the operators.
const Binding<quint32> VirtualKeys[] = {
    {8, A::AllClear},    // VK_BACK
    {13, A::Equals},     // VK_RETURN, also the keypad's Enter
    {27, A::HideWindow}, // VK_ESCAPE
    {35, A::HideWindow}, // VK_END
    {36, A::AllClear},   // VK_HOME
    {106, A::Multiply},  // VK_MULTIPLY, keypad
    {107, A::Add},       // VK_ADD, keypad
    {109, A::Subtract},  // VK_SUBTRACT, keypad
    {110, A::Point},     // VK_DECIMAL, keypad
    {111, A::Divide},    // VK_DIVIDE, keypad
    {186, A::Multiply},  // VK_OEM_1, the ":*" key
    {187, A::Add},       // VK_OEM_PLUS, the ";+" key
    {189, A::Subtract},  // VK_OEM_MINUS, the "-=" key
    {190, A::Point},     // VK_OEM_PERIOD, the ".>" key
    {191, A::Divide},    // VK_OEM_2, the "/?" key
};

// What a key types, where that decides (any layout but the Japanese); and the digits.
const Binding<int> TypedCharacters[] = {
    {Qt::Key_Period, A::Point}, {Qt::Key_Plus, A::Add}, {Qt::Key_Minus, A::Subtract},
    {Qt::Key_Asterisk, A::Multiply}, {Qt::Key_Slash, A::Divide}, {Qt::Key_Equal, A::Equals},
};

// Keys named for what they are, the same on every layout; with NumLock off the
// keypad sends these too (Home, End ...), as on Windows.
const Binding<int> NamedKeys[] = {
    {Qt::Key_Backspace, A::AllClear}, {Qt::Key_Home, A::AllClear},
    {Qt::Key_Return, A::Equals}, {Qt::Key_Enter, A::Equals},
    {Qt::Key_Escape, A::HideWindow}, {Qt::Key_End, A::HideWindow},
};

// The keypad, told apart by Qt::KeypadModifier; its digits besides. Some locales'
// keypad point types a comma.
const Binding<int> KeypadKeys[] = {
    {Qt::Key_Asterisk, A::Multiply}, {Qt::Key_Plus, A::Add}, {Qt::Key_Minus, A::Subtract},
    {Qt::Key_Period, A::Point}, {Qt::Key_Comma, A::Point}, {Qt::Key_Slash, A::Divide},
};

// A punctuation key is known by the symbols it carries, as Windows names it. Order
// matters: the US "=+" key is the add key, the Japanese "-=" key the subtract key,
// the German ".:" key the point key, the French ":/" key the divide key; a key
// with a comma does nothing.
const Binding<char> SymbolKeys[] = {
    {'+', A::Add}, {'-', A::Subtract}, {'.', A::Point}, {',', A::None},
    {'/', A::Divide}, {':', A::Multiply}, {';', A::Multiply},
};

// Without the layout's symbols, the symbol typed stands for its key. Where US and
// Japanese keyboards disagree, the Japanese key wins (";" is the add key there).
// "=" is decided apart: unshifted the US "=+" key, with Shift the Japanese "-=" key.
const Binding<int> TypedSymbols[] = {
    {Qt::Key_Plus, A::Add}, {Qt::Key_Semicolon, A::Add},
    {Qt::Key_Colon, A::Multiply}, {Qt::Key_Asterisk, A::Multiply},
    {Qt::Key_Minus, A::Subtract}, {Qt::Key_Underscore, A::Subtract},
    {Qt::Key_Period, A::Point}, {Qt::Key_Greater, A::Point},
    {Qt::Key_Slash, A::Divide}, {Qt::Key_Question, A::Divide},
};

// evdev KEY_1 .. KEY_0 are 2 .. 11; X and Wayland keycodes add 8.
constexpr quint32 FirstDigitRowKeycode = 2 + 8;
constexpr quint32 LastDigitRowKeycode = 11 + 8;

std::optional<KeyAction> byCharacter(int key)
{
    return isDigit(key) ? digit(key - Qt::Key_0) : find(TypedCharacters, key);
}

KeyAction byVirtualKey(quint32 vk)
{
    if (vk >= '0' && vk <= '9')
        return digit(int(vk - '0'));
    if (vk >= 96 && vk <= 105)
        return digit(int(vk - 96));
    return find(VirtualKeys, vk).value_or(A::None);
}

// The key's place, told from what X11 and Wayland deliver.
KeyAction byPlace(const KeyPress &press)
{
    const int key = press.key;
    if (press.modifiers & Qt::KeypadModifier) {
        if (isDigit(key))
            return digit(key - Qt::Key_0);
        return find(KeypadKeys, key).value_or(find(NamedKeys, key).value_or(A::None));
    }
    if (const auto action = find(NamedKeys, key))
        return *action;

    // X and Wayland report the shifted symbol (Shift+8 is "*" on a US keyboard),
    // while the place is the physical key: take the digit row by its keycode.
    if (press.keycode >= FirstDigitRowKeycode && press.keycode <= LastDigitRowKeycode)
        return digit(int((press.keycode - FirstDigitRowKeycode + 1) % 10));

    if (press.symbols) {
        for (const Binding<char> &s : SymbolKeys) {
            if (press.symbols->unshifted == quint32(s.key) || press.symbols->shifted == quint32(s.key))
                return s.action;
        }
    }
    if (isDigit(key))
        return digit(key - Qt::Key_0);
    if (press.symbols)
        return A::None; // the layout knows the key, and it is none of ours
    if (key == Qt::Key_Equal)
        return (press.modifiers & Qt::ShiftModifier) ? A::Subtract : A::Add;
    return find(TypedSymbols, key).value_or(A::None);
}

} // namespace

KeyAction actionForKey(const KeyPress &press)
{
    if (!press.japaneseLayout) {
        if (const auto action = byCharacter(press.key))
            return *action;
    }
    return press.virtualKey ? byVirtualKey(press.virtualKey) : byPlace(press);
}
