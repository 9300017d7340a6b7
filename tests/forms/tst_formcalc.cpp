#include "Formcalc.h"
#include "setting.h"

#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <climits>

// Clicks the buttons: digits, ".+-*/=", and A for all clear. The keys are left to the desktop tests.
static void click(Tform_Calc &calc, const QString &keys)
{
    static const QHash<QChar, QString> names{{'.', "Dot"}, {'+', "Add"}, {'-', "Sub"}, {'*', "Mul"}, {'/', "Div"}, {'=', "Equal"}, {'A', "Ac"}};
    for (const QChar c : keys)
        QTest::mouseClick(calc.findChild<QToolButton *>("spbtn_" + names.value(c, c)), Qt::LeftButton);
}

class TestFormCalc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Tform_Calc::divisionByZeroNotice = [](QWidget *c) { c->setProperty("notices", c->property("notices").toInt() + 1); }; }

    void sequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("notices");
        QTest::newRow("all clear drops the operand") << "5+A3=" << "3" << 0;
        QTest::newRow("a digit after = starts afresh; a point alone shows nothing") << "1+2=4+1=." << "5" << 0;
        QTest::newRow("5/0= tells once and shows 5") << "5/0=" << "5" << 1;
    }
    void sequences()
    {
        QFETCH(QString, keys);
        Tform_Calc calc;
        click(calc, keys);
        QTEST(calc.windowTitle(), "title");
        QTEST(calc.property("notices").toInt(), "notices");
    }

    // Hidden at start, shown as from the tray, closed from its context menu and shown again.
    void placement_data()
    {
        QTest::addColumn<QPoint>("saved");
        QTest::addColumn<QPoint>("placed"); // none: not saving, so centred
        QTest::newRow("saved, made representable; flat") << QPoint(INT_MAX, INT_MIN) << QPoint(32000, -32000);
        QTest::newRow("not saved: centred; not flat") << QPoint(33, 44) << QPoint();
    }
    void placement()
    {
        QFETCH(QPoint, saved);
        QFETCH(QPoint, placed);
        Setting.Window_Calc_SaveWindowPos = Setting.ButtonFlat = !placed.isNull();
        Setting.Window_Calc_OpenWindowAtBoot = true;
        Setting.Window_Calc_Window_Left = saved.x();
        Setting.Window_Calc_Window_Top = saved.y();
        Tform_Calc calc;
        calc.FormHide(); // the exit sequence before it was ever shown: the stored place stays
        QCOMPARE(QPoint(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top), saved);
        calc.show();
        const QPoint centred = calc.screen()->availableGeometry().center() - calc.rect().center();
        QCOMPARE(calc.pos(), placed.isNull() ? centred : placed);
        calc.FormHide(); // shown but not moved: what was stored is kept, not what could be applied
        QCOMPARE(QPoint(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top), placed.isNull() ? centred : saved);
        for (const QToolButton *b : calc.findChildren<QToolButton *>()) // no focus: keys must reach the window
            QVERIFY(b->autoRaise() == Setting.ButtonFlat && b->focusPolicy() == Qt::NoFocus);
        calc.move(70, 90);
        calc.pm_Close->trigger();
        QVERIFY(!calc.isVisible());
        calc.show();
        QCOMPARE(calc.pos(), QPoint(70, 90)); // where it was, saving or not
    }
};

QTEST_MAIN(TestFormCalc)
#include "tst_formcalc.moc"
