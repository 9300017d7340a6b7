#include "keymap.h"

#include <QtTest>

using A = CalcKeyAction;
Q_DECLARE_METATYPE(CalcKeyAction)

class TestKeyMap : public QObject
{
    Q_OBJECT

private slots:
    // A key as X11 reports it (the layout's unshifted and shifted symbols, "" if unknown) and its action.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<uint>("keycode");
        QTest::addColumn<QString>("symbols");
        QTest::addColumn<CalcKeyAction>("action");
        const int no = Qt::NoModifier, sh = Qt::ShiftModifier, kp = Qt::KeypadModifier;
        const auto row = [](const char *name, int key, int mods, uint code, const char *syms, A action) {
            QTest::newRow(name) << key << mods << code << QString::fromLatin1(syms) << action;
        };
        row("US Shift+8 is 8", Qt::Key_Asterisk, sh, 17, "8*", A::Digit8);
        row("US Shift+= adds", Qt::Key_Plus, sh, 21, "=+", A::Add);
        row("US ; multiplies", Qt::Key_Semicolon, no, 47, ";:", A::Multiply);
        row("JP Shift+8 is 8", Qt::Key_ParenLeft, sh, 17, "8(", A::Digit8);
        row("JP ; adds", Qt::Key_Semicolon, no, 47, ";+", A::Add);
        row("JP Shift+; adds", Qt::Key_Plus, sh, 47, ";+", A::Add);
        row("JP : multiplies", Qt::Key_Colon, no, 48, ":*", A::Multiply);
        row("JP Shift+- subtracts", Qt::Key_Equal, sh, 20, "-=", A::Subtract);
        row("JP ^ does nothing", Qt::Key_AsciiCircum, no, 21, "^~", A::None);
        row("Shift+End", Qt::Key_End, sh, 115, "", A::HideWindow);
        row("Delete does nothing", Qt::Key_Delete, no, 119, "", A::None);
        row("keypad *", Qt::Key_Asterisk, kp, 63, "", A::Multiply);
        row("keypad +", Qt::Key_Plus, kp, 86, "", A::Add);
        row("keypad .", Qt::Key_Period, kp, 91, "", A::Point);
        row("keypad decimal comma", Qt::Key_Comma, kp, 91, "", A::Point);
        row("keypad Enter", Qt::Key_Enter, kp, 104, "", A::Equals);
        row("NumLock off: keypad Home", Qt::Key_Home, kp, 79, "", A::AllClear);
        row("NumLock off: keypad End", Qt::Key_End, kp, 87, "", A::HideWindow);
        row("NumLock off: keypad 5", Qt::Key_Clear, kp, 84, "", A::None);
        row("Shift alone", Qt::Key_Shift, sh, 50, "", A::None);
        row("Wayland Shift+1 is 1", Qt::Key_Exclam, sh, 10, "", A::Digit1);
        row("typed ; adds as on the JP key", Qt::Key_Semicolon, no, 0, "", A::Add);
        row("typed = adds (US key)", Qt::Key_Equal, no, 0, "", A::Add);
        row("typed Shift+= subtracts (JP key)", Qt::Key_Equal, sh, 0, "", A::Subtract);
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(uint, keycode);
        QFETCH(QString, symbols);
        QFETCH(CalcKeyAction, action);
        const auto layout = symbols.isEmpty() ? std::nullopt
                                              : std::optional(KeySymbols{symbols.at(0).unicode(), symbols.at(1).unicode()});
        const int vk = virtualKeyFromQtKey(key, Qt::KeyboardModifiers(mods), keycode, layout);
        QCOMPARE(int(actionForVirtualKey(vk)), int(action));
    }
};

QTEST_GUILESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
