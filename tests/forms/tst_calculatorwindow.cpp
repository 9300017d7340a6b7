#include "calculatorwindow.h"

#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <climits>

// Clicks the buttons: digits, ".+-*/=", and A for all clear. The keys are left to the desktop tests.
static void click(CalculatorWindow &calc, const QString &keys)
{
    static const QHash<QChar, QString> names{{'.', "point"}, {'+', "add"}, {'-', "subtract"}, {'*', "multiply"}, {'/', "divide"}, {'=', "equals"}, {'A', "allClear"}};
    for (const QChar c : keys)
        QTest::mouseClick(calc.findChild<QToolButton *>(names.value(c, QString("digit") + c) + "Button"), Qt::LeftButton);
}

class TestCalculatorWindow : public QObject
{
    Q_OBJECT

private slots:
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
        WindowSettings stored;
        CalculatorWindow calc(stored);
        QSignalSpy notices(&calc, &CalculatorWindow::divisionByZero);
        click(calc, keys);
        QTEST(calc.windowTitle(), "title");
        QTEST(int(notices.count()), "notices");
    }

    // Shown as from the tray, closed from its context menu and shown again. What is stored before the first
    // show, or after one without a move, the log window's test shows: the same placement serves both.
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
        WindowSettings stored{!placed.isNull(), true, saved.x(), saved.y()};
        CalculatorWindow calc(stored);
        calc.setFlatButtons(!placed.isNull());
        calc.show();
        const QPoint centred = calc.screen()->availableGeometry().center() - calc.rect().center();
        QCOMPARE(calc.pos(), placed.isNull() ? centred : placed);
        for (const QToolButton *b : calc.findChildren<QToolButton *>()) // no focus: keys must reach the window
            QVERIFY(b->autoRaise() == !placed.isNull() && b->focusPolicy() == Qt::NoFocus);
        QSignalSpy hidden(&calc, &CalculatorWindow::hidden);
        calc.move(70, 90);
        calc.findChild<QMenu *>()->actions().first()->trigger(); // "ウィンドウを閉じる(&C)"
        QVERIFY(!calc.isVisible() && hidden.count() == 1); // the hide also stores the place: tst_controller
        calc.show();
        QCOMPARE(calc.pos(), QPoint(70, 90)); // where it was, saving or not
    }
};

QTEST_MAIN(TestCalculatorWindow)
#include "tst_calculatorwindow.moc"
