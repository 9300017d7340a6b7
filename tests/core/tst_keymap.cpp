#include "keymap.h"

#include <QtTest>

using A = KeyAction;

// A key press: the layout (JP Japanese, else any other), Qt's key and modifiers, and
// either Windows' virtual key or X11's keycode and the layout's two symbols on it ("" unknown).
enum Layout { JP, US, DE };
struct Key { Layout layout; int qtKey; int mods; uint vk, keycode; const char *symbols; A action; };
Q_DECLARE_METATYPE(Key)
constexpr int No = Qt::NoModifier, Sh = Qt::ShiftModifier, Kp = Qt::KeypadModifier;

class TestKeyMap : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<Key>("k");
        QTest::newRow("US Shift+8 multiplies") << Key{US, Qt::Key_Asterisk, Sh, 0, 17, "8*", A::Multiply};
        QTest::newRow("US = is equals") << Key{US, Qt::Key_Equal, No, 0, 21, "=+", A::Equals};
        QTest::newRow("US ; multiplies by place") << Key{US, Qt::Key_Semicolon, No, 0, 47, ";:", A::Multiply};
        QTest::newRow("US Shift+- subtracts by place") << Key{US, Qt::Key_Underscore, Sh, 0, 20, "-_", A::Subtract};
        QTest::newRow("US Shift+3 is 3 by place") << Key{US, Qt::Key_NumberSign, Sh, 0, 12, "3#", A::Digit3};
        QTest::newRow("DE Shift+7 divides") << Key{DE, Qt::Key_Slash, Sh, 0, 16, "7/", A::Divide};
        QTest::newRow("DE Shift+0 is equals") << Key{DE, Qt::Key_Equal, Sh, 0, 19, "0=", A::Equals};
        QTest::newRow("DE Shift+. is the point by place") << Key{DE, Qt::Key_Colon, Sh, 0, 60, ".:", A::Point};
        QTest::newRow("DE , does nothing") << Key{DE, Qt::Key_Comma, No, 0, 59, ",;", A::None};
        QTest::newRow("DE Shift+ß (?) does nothing") << Key{DE, Qt::Key_Question, Sh, 0, 20, "\xdf?", A::None};
        QTest::newRow("JP Shift+8 is 8") << Key{JP, Qt::Key_ParenLeft, Sh, 0, 17, "8(", A::Digit8};
        QTest::newRow("JP ; adds") << Key{JP, Qt::Key_Semicolon, No, 0, 47, ";+", A::Add};
        QTest::newRow("JP Shift+- subtracts") << Key{JP, Qt::Key_Equal, Sh, 0, 20, "-=", A::Subtract};
        QTest::newRow("keypad decimal comma") << Key{DE, Qt::Key_Comma, Kp, 0, 91, "", A::Point};
        QTest::newRow("NumLock off: keypad Home") << Key{JP, Qt::Key_Home, Kp, 0, 79, "", A::AllClear};
        QTest::newRow("Wayland Shift+1 is 1") << Key{US, Qt::Key_Exclam, Sh, 0, 10, "", A::Digit1};
        QTest::newRow("Wayland ; adds, as the JP key") << Key{US, Qt::Key_Semicolon, No, 0, 47, "", A::Add};
        QTest::newRow("JP typed Shift+= subtracts") << Key{JP, Qt::Key_Equal, Sh, 0, 0, "", A::Subtract};
        QTest::newRow("Win JP Shift+8 is 8") << Key{JP, Qt::Key_ParenLeft, Sh, '8', 0, "", A::Digit8};
        QTest::newRow("Win JP Shift+- subtracts") << Key{JP, Qt::Key_Equal, Sh, 189, 0, "", A::Subtract};
        QTest::newRow("Win US Shift+8 multiplies") << Key{US, Qt::Key_Asterisk, Sh, '8', 0, "", A::Multiply};
        QTest::newRow("Win US = is equals") << Key{US, Qt::Key_Equal, No, 187, 0, "", A::Equals};
        QTest::newRow("Win US ; multiplies by place") << Key{US, Qt::Key_Semicolon, No, 186, 0, "", A::Multiply};
    }
    void keys()
    {
        QFETCH(Key, k);
        KeyPress press{k.qtKey, Qt::KeyboardModifiers(k.mods), k.vk, k.keycode, std::nullopt, k.layout == JP};
        if (*k.symbols)
            press.symbols = KeySymbols{uchar(k.symbols[0]), uchar(k.symbols[1])};
        QCOMPARE(int(actionForKey(press)), int(k.action));
    }
};

QTEST_GUILESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
