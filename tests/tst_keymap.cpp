#include "keymap.h"

#include <QtTest>

#include <map>

Q_DECLARE_METATYPE(CalcKeyAction)
Q_DECLARE_METATYPE(KeySymbols)

using A = CalcKeyAction;

// X keycodes (evdev + 8) of a PC keyboard.
enum Keycode : quint32 {
    X_Esc = 9, X_1 = 10, X_5 = 14, X_8 = 17, X_0 = 19, X_Minus = 20, X_Equal = 21,
    X_Backspace = 22, X_Return = 36, X_CtrlL = 37, X_Semicolon = 47, X_Apostrophe = 48,
    X_ShiftL = 50, X_Comma = 59, X_Period = 60, X_Slash = 61, X_KpMultiply = 63,
    X_NumLock = 77, X_Kp7 = 79, X_KpMinus = 82, X_KpPlus = 86, X_Kp1 = 87, X_Kp0 = 90,
    X_KpDecimal = 91, X_KpEnter = 104, X_KpDivide = 106, X_Home = 110, X_End = 115,
    X_Delete = 119, X_Ro = 97,
};

static KeySymbols sym(char unshifted, char shifted)
{
    return KeySymbols{quint32(uchar(unshifted)), quint32(uchar(shifted))};
}

class TestKeyMap : public QObject
{
    Q_OBJECT

private slots:
    void everyVirtualKey_data();
    void everyVirtualKey();
    void keyEvents_data();
    void keyEvents();
};

void TestKeyMap::everyVirtualKey_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<CalcKeyAction>("action");

    // The whole keyboard of the calculator; every other code does nothing.
    const std::map<int, A> expected = {
        {8, A::AllClear}, {13, A::Equals}, {27, A::HideWindow}, {35, A::HideWindow},
        {36, A::AllClear},
        {48, A::Digit0}, {49, A::Digit1}, {50, A::Digit2}, {51, A::Digit3}, {52, A::Digit4},
        {53, A::Digit5}, {54, A::Digit6}, {55, A::Digit7}, {56, A::Digit8}, {57, A::Digit9},
        {96, A::Digit0}, {97, A::Digit1}, {98, A::Digit2}, {99, A::Digit3}, {100, A::Digit4},
        {101, A::Digit5}, {102, A::Digit6}, {103, A::Digit7}, {104, A::Digit8}, {105, A::Digit9},
        {106, A::Multiply}, {107, A::Add}, {109, A::Subtract}, {110, A::Point}, {111, A::Divide},
        {186, A::Multiply}, {187, A::Add}, {189, A::Subtract}, {190, A::Point}, {191, A::Divide},
    };
    for (int vk = 0; vk <= 255; ++vk) {
        const auto it = expected.find(vk);
        QTest::addRow("VK %d", vk) << vk << (it == expected.end() ? A::None : it->second);
    }
}

void TestKeyMap::everyVirtualKey()
{
    QFETCH(int, virtualKey);
    QFETCH(CalcKeyAction, action);
    QCOMPARE(int(actionForVirtualKey(virtualKey)), int(action));
}

void TestKeyMap::keyEvents_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<uint>("keycode");
    QTest::addColumn<bool>("haveSymbols");
    QTest::addColumn<KeySymbols>("symbols");
    QTest::addColumn<int>("virtualKey");

    const int none = Qt::NoModifier, shift = Qt::ShiftModifier, kp = Qt::KeypadModifier;
    const KeySymbols noSymbols;
    auto row = [&](const char *name, int key, int mods, quint32 code, int vk) {
        QTest::newRow(name) << key << mods << uint(code) << false << noSymbols << vk;
    };
    auto rowWith = [&](const char *name, int key, int mods, quint32 code, KeySymbols s, int vk) {
        QTest::newRow(name) << key << mods << uint(code) << true << s << vk;
    };

    // US layout on X11: the server tells the symbols on each key.
    rowWith("US 5", Qt::Key_5, none, X_5, sym('5', '%'), '5');
    rowWith("US Shift+8 is the digit 8", Qt::Key_Asterisk, shift, X_8, sym('8', '*'), '8');
    rowWith("US Shift+0 is the digit 0", Qt::Key_ParenRight, shift, X_0, sym('0', ')'), '0');
    rowWith("US = adds", Qt::Key_Equal, none, X_Equal, sym('=', '+'), VKEY_OEM_PLUS);
    rowWith("US Shift+= adds", Qt::Key_Plus, shift, X_Equal, sym('=', '+'), VKEY_OEM_PLUS);
    rowWith("US - subtracts", Qt::Key_Minus, none, X_Minus, sym('-', '_'), VKEY_OEM_MINUS);
    rowWith("US Shift+- subtracts", Qt::Key_Underscore, shift, X_Minus, sym('-', '_'), VKEY_OEM_MINUS);
    rowWith("US ; multiplies", Qt::Key_Semicolon, none, X_Semicolon, sym(';', ':'), VKEY_OEM_1);
    rowWith("US Shift+; multiplies", Qt::Key_Colon, shift, X_Semicolon, sym(';', ':'), VKEY_OEM_1);
    rowWith("US . is the point", Qt::Key_Period, none, X_Period, sym('.', '>'), VKEY_OEM_PERIOD);
    rowWith("US Shift+. is the point", Qt::Key_Greater, shift, X_Period, sym('.', '>'), VKEY_OEM_PERIOD);
    rowWith("US / divides", Qt::Key_Slash, none, X_Slash, sym('/', '?'), VKEY_OEM_2);
    rowWith("US Shift+/ divides", Qt::Key_Question, shift, X_Slash, sym('/', '?'), VKEY_OEM_2);
    rowWith("US , is no key of ours", Qt::Key_Comma, none, X_Comma, sym(',', '<'), VKEY_OEM_COMMA);
    rowWith("US ' is no key of ours", Qt::Key_Apostrophe, none, X_Apostrophe, sym('\'', '"'), VKEY_NONE);

    // Japanese layout on X11.
    rowWith("JP Shift+8 is the digit 8", Qt::Key_ParenLeft, shift, X_8, sym('8', '('), '8');
    rowWith("JP ; adds", Qt::Key_Semicolon, none, X_Semicolon, sym(';', '+'), VKEY_OEM_PLUS);
    rowWith("JP Shift+; adds", Qt::Key_Plus, shift, X_Semicolon, sym(';', '+'), VKEY_OEM_PLUS);
    rowWith("JP : multiplies", Qt::Key_Colon, none, X_Apostrophe, sym(':', '*'), VKEY_OEM_1);
    rowWith("JP Shift+: multiplies", Qt::Key_Asterisk, shift, X_Apostrophe, sym(':', '*'), VKEY_OEM_1);
    rowWith("JP - subtracts", Qt::Key_Minus, none, X_Minus, sym('-', '='), VKEY_OEM_MINUS);
    rowWith("JP Shift+- subtracts", Qt::Key_Equal, shift, X_Minus, sym('-', '='), VKEY_OEM_MINUS);
    rowWith("JP ^ is no key of ours", Qt::Key_AsciiCircum, none, X_Equal, sym('^', '~'), VKEY_NONE);
    rowWith("JP \\ is no key of ours", Qt::Key_Backslash, none, X_Ro, sym('\\', '_'), VKEY_NONE);
    rowWith("JP / divides", Qt::Key_Slash, none, X_Slash, sym('/', '?'), VKEY_OEM_2);

    // Keys whose code does not depend on the layout.
    row("Enter", Qt::Key_Return, none, X_Return, VKEY_RETURN);
    row("Backspace", Qt::Key_Backspace, none, X_Backspace, VKEY_BACK);
    row("Escape", Qt::Key_Escape, none, X_Esc, VKEY_ESCAPE);
    row("Home", Qt::Key_Home, none, X_Home, VKEY_HOME);
    row("End", Qt::Key_End, none, X_End, VKEY_END);
    row("Delete", Qt::Key_Delete, none, X_Delete, VKEY_DELETE);
    row("Shift+End", Qt::Key_End, shift, X_End, VKEY_END);

    // The numeric keypad.
    row("keypad 0", Qt::Key_0, kp, X_Kp0, VKEY_NUMPAD0);
    row("keypad 7", Qt::Key_7, kp, X_Kp7, VKEY_NUMPAD0 + 7);
    row("keypad *", Qt::Key_Asterisk, kp, X_KpMultiply, VKEY_MULTIPLY);
    row("keypad +", Qt::Key_Plus, kp, X_KpPlus, VKEY_ADD);
    row("keypad -", Qt::Key_Minus, kp, X_KpMinus, VKEY_SUBTRACT);
    row("keypad /", Qt::Key_Slash, kp, X_KpDivide, VKEY_DIVIDE);
    row("keypad .", Qt::Key_Period, kp, X_KpDecimal, VKEY_DECIMAL);
    row("keypad decimal comma", Qt::Key_Comma, kp, X_KpDecimal, VKEY_DECIMAL);
    row("keypad Enter", Qt::Key_Enter, kp, X_KpEnter, VKEY_RETURN);
    row("NumLock off: keypad Home", Qt::Key_Home, kp, X_Kp7, VKEY_HOME);
    row("NumLock off: keypad End", Qt::Key_End, kp, X_Kp1, VKEY_END);
    row("NumLock off: keypad Delete", Qt::Key_Delete, kp, X_KpDecimal, VKEY_DELETE);
    row("NumLock off: keypad 5", Qt::Key_Clear, kp, X_Kp7 + 5, VKEY_NONE);
    row("keypad = is no key of ours", Qt::Key_Equal, kp, 0, VKEY_NONE);

    // Modifier-only presses.
    row("Shift", Qt::Key_Shift, shift, X_ShiftL, VKEY_NONE);
    row("Control", Qt::Key_Control, Qt::ControlModifier, X_CtrlL, VKEY_NONE);
    row("NumLock", Qt::Key_NumLock, none, X_NumLock, VKEY_NONE);
    row("Alt", Qt::Key_Alt, Qt::AltModifier, 0, VKEY_NONE);

    // Without the layout's symbols (Wayland): the scan code still finds the digit row.
    row("Wayland Shift+8", Qt::Key_Asterisk, shift, X_8, '8');
    row("Wayland Shift+1", Qt::Key_Exclam, shift, X_1, '1');
    // Without scan code or symbols (made-up events): the symbol typed decides.
    row("typed 8", Qt::Key_8, none, 0, '8');
    row("typed ; adds as on the Japanese key", Qt::Key_Semicolon, none, 0, VKEY_OEM_PLUS);
    row("typed + adds", Qt::Key_Plus, shift, 0, VKEY_OEM_PLUS);
    row("typed = adds (US = key)", Qt::Key_Equal, none, 0, VKEY_OEM_PLUS);
    row("typed Shift+= subtracts (Japanese - key)", Qt::Key_Equal, shift, 0, VKEY_OEM_MINUS);
    row("typed : multiplies", Qt::Key_Colon, none, 0, VKEY_OEM_1);
    row("typed * multiplies", Qt::Key_Asterisk, shift, 0, VKEY_OEM_1);
    row("typed - subtracts", Qt::Key_Minus, none, 0, VKEY_OEM_MINUS);
    row("typed . is the point", Qt::Key_Period, none, 0, VKEY_OEM_PERIOD);
    row("typed / divides", Qt::Key_Slash, none, 0, VKEY_OEM_2);
    row("typed , is the comma key", Qt::Key_Comma, none, 0, VKEY_OEM_COMMA);
    row("typed letter", Qt::Key_Q, none, 0, VKEY_A + ('Q' - 'A'));
    row("typed @ is no key of ours", Qt::Key_At, none, 0, VKEY_NONE);
}

void TestKeyMap::keyEvents()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(uint, keycode);
    QFETCH(bool, haveSymbols);
    QFETCH(KeySymbols, symbols);
    QFETCH(int, virtualKey);

    const std::optional<KeySymbols> layout = haveSymbols ? std::optional<KeySymbols>(symbols) : std::nullopt;
    QCOMPARE(virtualKeyFromQtKey(qtKey, Qt::KeyboardModifiers(modifiers), keycode, layout), virtualKey);
}

QTEST_GUILESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
