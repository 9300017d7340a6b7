#include "calculatorengine.h"

#include <QtTest>
#include <cmath>

// Drives the engine as the calculator's buttons do; records what the window shows.
struct Recorder : CalculatorDisplay
{
    CalculatorEngine engine{*this};
    QList<double> shown;
    int divisionByZero = 0;

    void showNumber(double value) override { shown << value; }
    void reportDivisionByZero() override { ++divisionByZero; }

    Recorder &type(const QString &keys)
    {
        for (QChar key : keys)
            switch (key.unicode()) {
            case '.': engine.point(); break;
            case '=': engine.equals(); break;
            case 'C': engine.allClear(); break;
            case '+': engine.apply(Operator::Add); break;
            case '-': engine.apply(Operator::Subtract); break;
            case '*': engine.apply(Operator::Multiply); break;
            case '/': engine.apply(Operator::Divide); break;
            default: engine.digit(key.digitValue());
            }
        return *this;
    }
};

using Doubles = QList<double>;

class TestCalculatorEngine : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<Doubles>("shown"); // after each key
        QTest::addColumn<int>("divisionMessages");
        QTest::newRow("2+3*4= has no precedence") << "2+3*4=" << Doubles{2, 3, 5, 4, 20} << 0;
        QTest::newRow("a result feeds the next operator") << "1+2=+4=" << Doubles{1, 2, 3, 4, 7} << 0;
        QTest::newRow("equals is never repeated") << "1+2===" << Doubles{1, 2, 3, 3} << 0;
        QTest::newRow("5= holds 5 quietly, then 3 is dropped") << "5=3+4=" << Doubles{5, 3, 5, 4, 9} << 0;
        QTest::newRow("the later operator wins") << "2+-5=" << Doubles{2, 2, 5, -3} << 0;
        QTest::newRow("+ first uses 0") << "+5=" << Doubles{5, 5} << 0;
        QTest::newRow("a second point is ignored") << "1.5.5" << Doubles{1, 1.5, 1.55} << 0;
        QTest::newRow(".1+.2=") << ".1+.2=" << Doubles{0.1, 0.2, 0.1 + 0.2} << 0;
        QTest::newRow("all clear drops the operand") << "12+3C4=" << Doubles{1, 12, 3, 0, 4} << 0;
        QTest::newRow("5/0+2=: one message, the first operand kept, carries on") << "5/0+2=" << Doubles{5, 0, 5, 2, 7} << 1;
        QTest::newRow("5/.=") << "5/.=" << Doubles{5, 5} << 1;
        QTest::newRow("5/= is no division") << "5/=" << Doubles{5, 5} << 0;
    }
    void sequences()
    {
        QFETCH(QString, keys);
        Recorder r;
        QTEST(r.type(keys).shown, "shown");
        QTEST(r.divisionByZero, "divisionMessages");
    }

    // The entry as shown after the last key. At most sixteen digits, the point's zeros included. Each fractional digit's
    // quotient is added in extended precision and only the sum is rounded to
    // double; rounding the quotient first ends one unit away (the "not" values).
    void entry_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("entry");
        QTest::newRow("17th one ignored") << QString(17, '1') << 1111111111111111.0;
        QTest::newRow("16 zeros use up the limit") << QString(16, '0') + "5" << 0.0;
        QTest::newRow("fraction digits count") << "1234567890.123456789" << 1234567890.123456;
        QTest::newRow("operator starts a new entry") << QString(16, '1') + "+12" << 12.0;
        QTest::newRow("0.879009") << "0.879009" << 0x1.c20d77b7c7821p-1;                 // not ...822p-1
        QTest::newRow("0.6620731") << "0.6620731" << 0x1.52fb3ed01f67ap-1;               // not ...679p-1
        QTest::newRow("0.965161") << "0.965161" << 0x1.ee299524bfd2fp-1;                 // not ...d2ep-1
        QTest::newRow("0.1597931808") << "0.1597931808" << 0x1.4741a5ad474d4p-3;         // not ...4d5p-3
        QTest::newRow("0.49471101039449") << "0.49471101039449" << 0x1.fa9585ea7638cp-2; // not ...38bp-2
    }
    void entry() // compared as 17 digits: QCOMPARE would forgive the last unit
    {
        QFETCH(QString, keys);
        QFETCH(double, entry);
        QCOMPARE(QString::number(Recorder().type(keys).shown.last(), 'g', 17), QString::number(entry, 'g', 17));
    }

    void outOfRangeResultsKeepTheEngineWorking()
    {
        Recorder r;
        const QString big(16, '9');
        QVERIFY(std::isinf(r.type(big + QString('*' + big).repeated(20) + '=').shown.last()));
        QVERIFY(std::isnan(r.type("*0=").shown.last())); // inf * 0
        QVERIFY(r.type("/0=").divisionByZero == 1 && std::isnan(r.shown.last())); // still reported, NaN kept
        QCOMPARE(r.type("C1+2=").shown.last(), 3.0);
    }
};

QTEST_APPLESS_MAIN(TestCalculatorEngine)
#include "tst_calculatorengine.moc"
