#include "keymap.h"

#include <QtTest>

using A = CalcKeyAction;

// A key as X11 reports it: the layout's unshifted and shifted symbols ("" when unknown).
struct Key { const char *name; int qtKey; int mods; uint keycode; const char *symbols; A action; };
constexpr int No = Qt::NoModifier, Sh = Qt::ShiftModifier, Kp = Qt::KeypadModifier;

static const Key Keys[] = {
    {"US Shift+8 is 8", Qt::Key_Asterisk, Sh, 17, "8*", A::Digit8},
    {"US Shift+= adds", Qt::Key_Plus, Sh, 21, "=+", A::Add},
    {"US ; multiplies", Qt::Key_Semicolon, No, 47, ";:", A::Multiply},
    {"JP ; adds", Qt::Key_Semicolon, No, 47, ";+", A::Add},
    {"JP : multiplies", Qt::Key_Colon, No, 48, ":*", A::Multiply},
    {"JP Shift+- subtracts", Qt::Key_Equal, Sh, 20, "-=", A::Subtract},
    {"JP ^ does nothing", Qt::Key_AsciiCircum, No, 21, "^~", A::None},
    {"keypad .", Qt::Key_Period, Kp, 91, "", A::Point},
    {"keypad decimal comma", Qt::Key_Comma, Kp, 91, "", A::Point},
    {"NumLock off: keypad Home", Qt::Key_Home, Kp, 79, "", A::AllClear},
    {"NumLock off: keypad 5", Qt::Key_Clear, Kp, 84, "", A::None},
    {"Shift alone", Qt::Key_Shift, Sh, 50, "", A::None},
    {"Wayland Shift+1 is 1", Qt::Key_Exclam, Sh, 10, "", A::Digit1},
    {"typed ; adds as on the JP key", Qt::Key_Semicolon, No, 0, "", A::Add},
    {"typed = adds (US key)", Qt::Key_Equal, No, 0, "", A::Add},
    {"typed Shift+= subtracts (JP key)", Qt::Key_Equal, Sh, 0, "", A::Subtract},
};

class TestKeyMap : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Keys)); ++i)
            QTest::newRow(Keys[i].name) << i;
    }
    void keys()
    {
        QFETCH(int, row);
        const Key &k = Keys[row];
        const auto layout = *k.symbols ? std::optional(KeySymbols{uchar(k.symbols[0]), uchar(k.symbols[1])}) : std::nullopt;
        const int vk = virtualKeyFromQtKey(k.qtKey, Qt::KeyboardModifiers(k.mods), k.keycode, layout);
        QCOMPARE(int(actionForVirtualKey(vk)), int(k.action));
    }
};

QTEST_GUILESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
