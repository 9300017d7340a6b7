#include "Formcalc.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"

#include <QAction>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <climits>

static int s_notices = 0;

static QPoint stored() { return {Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top}; }
static void store(QPoint p) { Setting.Window_Calc_Window_Left = p.x(), Setting.Window_Calc_Window_Top = p.y(); }

// One character per key (A: Backspace, s: Shift+8 as X11 reports it, e: Escape, n: End); click uses the button if any.
static void press(QWidget *calc, const QString &keys, bool click = false)
{
    struct Key { int key; Qt::KeyboardModifiers mods; quint32 scanCode; QString button; };
    static const QHash<QChar, Key> map = {
        {'.', {Qt::Key_Period, {}, 0, "Dot"}}, {'+', {Qt::Key_Plus, {}, 0, "Add"}}, {'-', {Qt::Key_Minus, {}, 0, "Sub"}},
        {'*', {Qt::Key_Asterisk, {}, 0, "Mul"}}, {'/', {Qt::Key_Slash, {}, 0, "Div"}}, {'=', {Qt::Key_Return, {}, 0, "Equal"}},
        {'A', {Qt::Key_Backspace, {}, 0, "Ac"}}, {'s', {Qt::Key_Asterisk, Qt::ShiftModifier, 17, ""}},
        {'e', {Qt::Key_Escape, {}, 9, ""}}, {'n', {Qt::Key_End, {}, 115, ""}},
    };
    for (const QChar c : keys) {
        const Key k = c.isDigit() ? Key{Qt::Key_0 + c.digitValue(), {}, 0, c} : map.value(c);
        if (click && !k.button.isEmpty()) {
            QTest::mouseClick(calc->findChild<QToolButton *>("spbtn_" + k.button), Qt::LeftButton);
            continue;
        }
        QKeyEvent event(QEvent::KeyPress, k.key, k.mods, k.scanCode, 0, 0);
        QApplication::sendEvent(calc, &event);
    }
}

class TestFormCalc : public QObject
{
    Q_OBJECT

private slots:
    void init() // a user who never ran the program
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Tform_Calc::divisionByZeroNotice = [](QWidget *) { ++s_notices; };
        removeTestSettings();
        LoadSetting(Setting);
    }

    void sequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("title"); // written with "."; the window uses the locale's point
        QTest::addColumn<int>("notices");
        QTest::newRow("a first operator keeps the caption") << "+" << "Mochiten V2" << 0;
        QTest::newRow("the point does not refresh") << "1+2=." << "3" << 0;
        QTest::newRow("7-10=") << "7-10=" << "-3" << 0;
        QTest::newRow(".1+.2=") << ".1+.2=" << "0.3" << 0;
        QTest::newRow("fifteen ones in full") << "111111111111111" << "111111111111111" << 0;
        QTest::newRow("sixteen ones") << "1111111111111111" << "1.11111111111111E15" << 0;
        QTest::newRow("all clear shows 0") << "12A" << "0" << 0;
        QTest::newRow("all clear drops the operand") << "5+A3=" << "3" << 0;
        QTest::newRow("a digit after = starts afresh") << "1+2=4+1=" << "5" << 0;
        QTest::newRow("5/0= tells once and shows 5") << "5/0=" << "5" << 1;
        QTest::newRow("Shift+8 types 8") << "s" << "8" << 0;
    }

    void sequences() // typed, then clicked
    {
        QFETCH(QString, keys);
        QFETCH(QString, title);
        QFETCH(int, notices);
        for (const bool click : {false, true}) {
            s_notices = 0;
            Tform_Calc calc;
            QVERIFY(calc.isVisible()); // shown at start by default
            press(&calc, keys, click);
            QCOMPARE(calc.windowTitle(), title.replace('.', QLocale::system().decimalPoint()));
            QCOMPARE(s_notices, notices);
        }
    }

    void placement_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QPoint>("saved");
        QTest::addColumn<QPoint>("placed"); // when saving; otherwise centred
        QTest::addColumn<QString>("hide");  // keys, or "menu"
        QTest::newRow("new user: top-left corner; Escape") << true << QPoint(0, 0) << QPoint(0, 0) << "e";
        QTest::newRow("saved point; End") << true << QPoint(33, 44) << QPoint(33, 44) << "n";
        QTest::newRow("INT_MIN made representable; Escape") << true << QPoint(INT_MIN, INT_MIN) << QPoint(-32000, -32000) << "e";
        QTest::newRow("INT_MAX, INT_MIN; menu") << true << QPoint(INT_MAX, INT_MIN) << QPoint(32000, -32000) << "menu";
        QTest::newRow("saving off: centred; Escape") << false << QPoint(33, 44) << QPoint() << "e";
    }

    void placement()
    {
        QFETCH(bool, saving);
        QFETCH(QPoint, saved);
        QFETCH(QPoint, placed);
        QFETCH(QString, hide);
        Setting.Window_Calc_SaveWindowPos = saving;
        store(saved);
        Tform_Calc calc;
        const QPoint centred = calc.screen()->availableGeometry().center() - calc.rect().center();
        QCOMPARE(calc.pos(), saving ? placed : centred);
        calc.FormHide(); // not moved: what was stored is kept, not what could be applied
        QCOMPARE(stored(), saving ? saved : centred);
        calc.move(70, 90); // moved, hidden mid-calculation, shown again: where and as it was, saving or not
        press(&calc, "12+3");
        hide == "menu" ? calc.pm_Close->trigger() : press(&calc, hide);
        QCOMPARE(stored(), QPoint(70, 90));
        calc.show();
        QCOMPARE(calc.pos(), QPoint(70, 90));
        press(&calc, "=");
        QCOMPARE(calc.windowTitle(), QStringLiteral("15"));
    }

    void flatButtonsFollowTheSetting()
    {
        Tform_Calc calc;
        for (const bool flat : {true, false}) {
            Setting.ButtonFlat = flat;
            calc.hide();
            calc.show(); // applied by the next show
            for (const QToolButton *b : calc.findChildren<QToolButton *>()) // no focus: keys must reach the window
                QVERIFY(b->autoRaise() == flat && b->focusPolicy() == Qt::NoFocus);
        }
    }

    void handlersWorkOnAHiddenWindow()
    {
        Setting.Window_Calc_OpenWindowAtBoot = true; // hidden at start
        store({300, 200});
        Tform_Calc calc;
        QVERIFY(!calc.isVisible());
        calc.FormHide(); // never placed: the stored position is kept, not the toolkit's default
        QCOMPARE(stored(), QPoint(300, 200));
        store({1, 1}); // the settings dialog's reset
        calc.FormShow();
        QVERIFY(!calc.isVisible());
        QCOMPARE(calc.pos(), QPoint(1, 1));
        calc.FormHide(); // as the exit sequence does
        QCOMPARE(stored(), QPoint(1, 1));
    }
};

QTEST_MAIN(TestFormCalc)
#include "tst_formcalc.moc"
