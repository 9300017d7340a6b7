#include "keymap.h"

#include <QtTest>

using A = KeyAction;

// A key press: the layout (JP Japanese, else any other), Qt's key and modifiers, and
// either Windows' virtual key or X11's keycode and the layout's two symbols on it ("" unknown).
enum Layout { JP, US, DE };
struct Key { const char *name; Layout layout; int qtKey; int mods; uint vk, keycode; const char *symbols; A action; };
constexpr int No = Qt::NoModifier, Sh = Qt::ShiftModifier, Kp = Qt::KeypadModifier;

static const Key Keys[] = {
    {"US Shift+8 multiplies", US, Qt::Key_Asterisk, Sh, 0, 17, "8*", A::Multiply},
    {"US = is equals", US, Qt::Key_Equal, No, 0, 21, "=+", A::Equals},
    {"US ; multiplies by place", US, Qt::Key_Semicolon, No, 0, 47, ";:", A::Multiply},
    {"US Shift+- subtracts by place", US, Qt::Key_Underscore, Sh, 0, 20, "-_", A::Subtract},
    {"US Shift+3 is 3 by place", US, Qt::Key_NumberSign, Sh, 0, 12, "3#", A::Digit3},
    {"DE Shift+7 divides", DE, Qt::Key_Slash, Sh, 0, 16, "7/", A::Divide},
    {"DE Shift+0 is equals", DE, Qt::Key_Equal, Sh, 0, 19, "0=", A::Equals},
    {"DE Shift+. is the point by place", DE, Qt::Key_Colon, Sh, 0, 60, ".:", A::Point},
    {"DE , does nothing", DE, Qt::Key_Comma, No, 0, 59, ",;", A::None},
    {"DE Shift+ß (?) does nothing", DE, Qt::Key_Question, Sh, 0, 20, "\xdf?", A::None},
    {"JP Shift+8 is 8", JP, Qt::Key_ParenLeft, Sh, 0, 17, "8(", A::Digit8},
    {"JP ; adds", JP, Qt::Key_Semicolon, No, 0, 47, ";+", A::Add},
    {"JP Shift+- subtracts", JP, Qt::Key_Equal, Sh, 0, 20, "-=", A::Subtract},
    {"keypad decimal comma", DE, Qt::Key_Comma, Kp, 0, 91, "", A::Point},
    {"NumLock off: keypad Home", JP, Qt::Key_Home, Kp, 0, 79, "", A::AllClear},
    {"Wayland Shift+1 is 1", US, Qt::Key_Exclam, Sh, 0, 10, "", A::Digit1},
    {"Wayland ; adds, as the JP key", US, Qt::Key_Semicolon, No, 0, 47, "", A::Add},
    {"JP typed Shift+= subtracts", JP, Qt::Key_Equal, Sh, 0, 0, "", A::Subtract},
    {"Win JP Shift+8 is 8", JP, Qt::Key_ParenLeft, Sh, '8', 0, "", A::Digit8},
    {"Win JP Shift+- subtracts", JP, Qt::Key_Equal, Sh, 189, 0, "", A::Subtract},
    {"Win US Shift+8 multiplies", US, Qt::Key_Asterisk, Sh, '8', 0, "", A::Multiply},
    {"Win US = is equals", US, Qt::Key_Equal, No, 187, 0, "", A::Equals},
    {"Win US ; multiplies by place", US, Qt::Key_Semicolon, No, 186, 0, "", A::Multiply},
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
        KeyPress press{k.qtKey, Qt::KeyboardModifiers(k.mods), k.vk, k.keycode, std::nullopt, k.layout == JP};
        if (*k.symbols)
            press.symbols = KeySymbols{uchar(k.symbols[0]), uchar(k.symbols[1])};
        QCOMPARE(int(actionForKey(press)), int(k.action));
    }
};

QTEST_GUILESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
