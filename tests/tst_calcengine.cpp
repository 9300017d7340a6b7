#include "calcengine.h"

#include <QtTest>
#include <cmath>

// Drives the engine the way the calculator's buttons do and records what the
// window would have shown.
class Recorder : public CalcDisplay
{
public:
    CalcEngine engine{*this};
    QList<double> shown;
    int divisionByZero = 0;

    void DispResult() override { shown << engine.Accumulator; }
    void ReportDivisionByZero() override { ++divisionByZero; }

    void type(const QString &keys)
    {
        for (QChar key : keys) {
            const char c = key.toLatin1();
            switch (c) {
            case '.': engine.InputNumber(0, 1); break; // the point does not refresh the display
            case '+': engine.InputOperator(OP_ADD); break;
            case '-': engine.InputOperator(OP_SUB); break;
            case '*': engine.InputOperator(OP_MUL); break;
            case '/': engine.InputOperator(OP_DIV); break;
            case '=': engine.InputOperator(OP_EQUAL); engine.ResetOnInput = true; break;
            case 'C': engine.ClearEntry(); engine.OperandHeld = false; shown << engine.Entry; break;
            default: engine.InputNumber(c - '0', 0); shown << engine.Entry; break;
            }
        }
    }
};

using Doubles = QList<double>;

static QString describe(const Doubles &list)
{
    QStringList parts;
    for (double d : list)
        parts << QString::number(d, 'g', 17);
    return parts.join(QLatin1String(", "));
}

class TestCalcEngine : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data();
    void sequences();
    void entryLimit_data();
    void entryLimit();
    void fractionalEntryIsRoundedOnce_data();
    void fractionalEntryIsRoundedOnce();
    void returnValues();
    void outOfRangeResultsKeepTheEngineWorking();
};

void TestCalcEngine::sequences_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<Doubles>("shown");
    QTest::addColumn<double>("entry");
    QTest::addColumn<double>("accumulator");
    QTest::addColumn<bool>("operandHeld");
    QTest::addColumn<int>("divisionMessages");

    // chaining without precedence
    QTest::newRow("1+2=") << "1+2=" << Doubles{1, 2, 3} << 3.0 << 3.0 << false << 0;
    QTest::newRow("1+2+3=") << "1+2+3=" << Doubles{1, 2, 3, 3, 6} << 6.0 << 6.0 << false << 0;
    QTest::newRow("2+3*4= has no precedence") << "2+3*4=" << Doubles{2, 3, 5, 4, 20} << 20.0 << 20.0 << false << 0;
    QTest::newRow("7-10=") << "7-10=" << Doubles{7, 1, 10, -3} << -3.0 << -3.0 << false << 0;
    QTest::newRow("1/4=") << "1/4=" << Doubles{1, 4, 0.25} << 0.25 << 0.25 << false << 0;
    QTest::newRow("10-2-3=") << "10-2-3=" << Doubles{1, 10, 2, 8, 3, 5} << 5.0 << 5.0 << false << 0;
    // results feed the next calculation; digits after equals start afresh
    QTest::newRow("1+2=+4=") << "1+2=+4=" << Doubles{1, 2, 3, 4, 7} << 7.0 << 7.0 << false << 0;
    QTest::newRow("1+2=4+1=") << "1+2=4+1=" << Doubles{1, 2, 3, 4, 1, 5} << 5.0 << 5.0 << false << 0;
    QTest::newRow("1+2=.5") << "1+2=.5" << Doubles{1, 2, 3, 0.5} << 0.5 << 3.0 << false << 0;
    // equals is never repeated
    QTest::newRow("1+2==") << "1+2==" << Doubles{1, 2, 3} << 0.0 << 3.0 << true << 0;
    QTest::newRow("1+2===") << "1+2===" << Doubles{1, 2, 3, 3} << 0.0 << 3.0 << true << 0;
    QTest::newRow("5= holds 5 quietly") << "5=" << Doubles{5} << 0.0 << 5.0 << true << 0;
    QTest::newRow("5=3+4= drops the 3") << "5=3+4=" << Doubles{5, 3, 5, 4, 9} << 9.0 << 9.0 << false << 0;
    // operators in a row: the later one wins
    QTest::newRow("2+-5=") << "2+-5=" << Doubles{2, 2, 5, -3} << -3.0 << -3.0 << false << 0;
    QTest::newRow("9*/+1=") << "9*/+1=" << Doubles{9, 9, 9, 1, 10} << 10.0 << 10.0 << false << 0;
    QTest::newRow("2+=") << "2+=" << Doubles{2, 2} << 0.0 << 2.0 << true << 0;
    QTest::newRow("2+=+3=") << "2+=+3=" << Doubles{2, 2, 2, 3, 5} << 5.0 << 5.0 << false << 0;
    QTest::newRow("+ first uses 0") << "+5=" << Doubles{5, 5} << 5.0 << 5.0 << false << 0;
    // the decimal point
    QTest::newRow(".1") << ".1" << Doubles{0.1} << 0.1 << 0.0 << false << 0;
    QTest::newRow("..5") << "..5" << Doubles{0.5} << 0.5 << 0.0 << false << 0;
    QTest::newRow("1.5.5") << "1.5.5" << Doubles{1, 1.5, 1.55} << 1.55 << 0.0 << false << 0;
    QTest::newRow("1.05") << "1.05" << Doubles{1, 1, 1.05} << 1.05 << 0.0 << false << 0;
    QTest::newRow(".1+.2=") << ".1+.2=" << Doubles{0.1, 0.2, 0.1 + 0.2} << 0.1 + 0.2 << 0.1 + 0.2 << false << 0;
    // all clear
    QTest::newRow("12+3C") << "12+3C" << Doubles{1, 12, 3, 0} << 0.0 << 12.0 << false << 0;
    QTest::newRow("12+3C4=") << "12+3C4=" << Doubles{1, 12, 3, 0, 4} << 0.0 << 4.0 << true << 0;
    QTest::newRow("1+2=C+5=") << "1+2=C+5=" << Doubles{1, 2, 3, 0, 5, 5} << 5.0 << 5.0 << false << 0;
    // division by zero: one message, the first operand kept, the engine carries on
    QTest::newRow("5/0=") << "5/0=" << Doubles{5, 0, 5} << 5.0 << 5.0 << false << 1;
    QTest::newRow("5/.=") << "5/.=" << Doubles{5, 5} << 5.0 << 5.0 << false << 1;
    QTest::newRow("5/0.0=") << "5/0.0=" << Doubles{5, 0, 0, 5} << 5.0 << 5.0 << false << 1;
    QTest::newRow("5/= is no division") << "5/=" << Doubles{5, 5} << 0.0 << 5.0 << true << 0;
    QTest::newRow("5/0+2= carries on") << "5/0+2=" << Doubles{5, 0, 5, 2, 7} << 7.0 << 7.0 << false << 1;
}

void TestCalcEngine::sequences()
{
    QFETCH(QString, keys);
    QFETCH(Doubles, shown);

    Recorder r;
    r.type(keys);
    QVERIFY2(r.shown == shown, qPrintable(describe(r.shown) + " != " + describe(shown)));
    QTEST(r.engine.Entry, "entry");
    QTEST(r.engine.Accumulator, "accumulator");
    QTEST(r.engine.OperandHeld, "operandHeld");
    QTEST(r.divisionByZero, "divisionMessages");
}

void TestCalcEngine::entryLimit_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<double>("entry");
    QTest::addColumn<int>("digitCount");

    QTest::newRow("16 ones") << QString(16, '1') << 1111111111111111.0 << 16;
    QTest::newRow("17th one ignored") << QString(17, '1') << 1111111111111111.0 << 16;
    QTest::newRow("20 nines") << QString(20, '9') << 9999999999999999.0 << 16;
    QTest::newRow("16 zeros use up the limit") << QString(16, '0') + "5" << 0.0 << 16;
    QTest::newRow("fraction digits count") << "1234567890.123456789" << 1234567890.123456 << 16;
    QTest::newRow("leading zero of a fraction counts") << "0.1234567890123456" << 0.123456789012345 << 16;
    QTest::newRow("operator starts a new entry") << QString(16, '1') + "+12" << 12.0 << 2;
}

void TestCalcEngine::entryLimit()
{
    QFETCH(QString, keys);
    Recorder r;
    r.type(keys);
    QTEST(r.engine.Entry, "entry");
    QTEST(r.engine.DigitCount, "digitCount");
}

void TestCalcEngine::fractionalEntryIsRoundedOnce_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<double>("entry");

    // Each fractional digit's quotient is added in extended precision and only the
    // sum is rounded to double; rounding the quotient first ends one unit away.
    QTest::newRow("0.879009") << "0.879009" << 0x1.c20d77b7c7821p-1;                 // not ...822p-1
    QTest::newRow("0.6620731") << "0.6620731" << 0x1.52fb3ed01f67ap-1;               // not ...679p-1
    QTest::newRow("0.965161") << "0.965161" << 0x1.ee299524bfd2fp-1;                 // not ...d2ep-1
    QTest::newRow("0.1597931808") << "0.1597931808" << 0x1.4741a5ad474d4p-3;         // not ...4d5p-3
    QTest::newRow("0.49471101039449") << "0.49471101039449" << 0x1.fa9585ea7638cp-2; // not ...38bp-2
}

void TestCalcEngine::fractionalEntryIsRoundedOnce()
{
    QFETCH(QString, keys);
    QFETCH(double, entry);
    Recorder r;
    r.type(keys);
    QVERIFY2(r.engine.Entry == entry,
             qPrintable(QString::number(r.engine.Entry, 'g', 17) + " != " + QString::number(entry, 'g', 17)));
}

void TestCalcEngine::returnValues()
{
    Recorder r;
    CalcEngine &e = r.engine;
    QCOMPARE(e.InputNumber(4, 0), 4.0);
    QCOMPARE(e.InputNumber(0, 1), 0.0);       // the point
    QCOMPARE(e.InputNumber(5, 0), 4.5);
    QCOMPARE(e.InputOperator(OP_MUL), 0.0);   // first operand stored
    QCOMPARE(e.InputNumber(2, 0), 2.0);
    QCOMPARE(e.InputOperator(OP_ADD), 9.0);   // running result
    QCOMPARE(e.InputOperator(OP_SUB), 9.0);   // no second operand: accumulator
    QCOMPARE(e.InputNumber(1, 0), 1.0);
    QCOMPARE(e.InputOperator(OP_EQUAL), 8.0); // completed equals
    e.ResetOnInput = true;
    for (int i = 0; i < 16; ++i)
        e.InputNumber(7, 0);
    QCOMPARE(e.InputNumber(7, 0), 7777777777777777.0); // refused digit: Entry unchanged
}

void TestCalcEngine::outOfRangeResultsKeepTheEngineWorking()
{
    Recorder r;
    const QString big(16, '9');
    r.type(big);
    for (int i = 0; i < 20; ++i)
        r.type("*" + big);
    r.type("=");
    QVERIFY(std::isinf(r.engine.Accumulator) && std::isinf(r.shown.last()));
    r.type("*0=");
    QVERIFY(std::isnan(r.engine.Accumulator) && std::isnan(r.shown.last())); // inf * 0
    r.type("/0=");
    QCOMPARE(r.divisionByZero, 1); // still reported, NaN kept
    QVERIFY(std::isnan(r.engine.Accumulator));
    r.type("C1+2=");
    QCOMPARE(r.shown.last(), 3.0);
    QCOMPARE(r.engine.OperandHeld, false);
}

QTEST_APPLESS_MAIN(TestCalcEngine)
#include "tst_calcengine.moc"
