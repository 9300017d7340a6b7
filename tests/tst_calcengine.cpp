#include "calcengine.h"

#include <QtTest>
#include <cmath>
#include <limits>

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

    void press(QChar key)
    {
        const char c = key.toLatin1();
        if (c >= '0' && c <= '9') {
            engine.InputNumber(c - '0', 0);
            shown << engine.Entry; // the digit buttons refresh the display
        } else if (c == '.') {
            engine.InputNumber(0, 1); // the point does not
        } else if (c == '+') {
            engine.InputOperator(OP_ADD);
        } else if (c == '-') {
            engine.InputOperator(OP_SUB);
        } else if (c == '*') {
            engine.InputOperator(OP_MUL);
        } else if (c == '/') {
            engine.InputOperator(OP_DIV);
        } else if (c == '=') {
            engine.InputOperator(OP_EQUAL);
            engine.ResetOnInput = true;
        } else if (c == 'C') { // all clear
            engine.ClearEntry();
            engine.OperandHeld = false;
            shown << engine.Entry;
        }
    }
    void type(const QString &keys)
    {
        for (QChar k : keys)
            press(k);
    }
};

using Doubles = QList<double>;

static bool sameDouble(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

static QString describe(const Doubles &list)
{
    QStringList parts;
    for (double d : list)
        parts << QString::number(d, 'g', 17);
    return QLatin1Char('[') + parts.join(QLatin1String(", ")) + QLatin1Char(']');
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
    void divisionByZero_data();
    void divisionByZero();
    void returnValues();
    void outOfRangeResultsKeepTheEngineWorking();
    void clearEntryKeepsTheHeldOperand();
};

void TestCalcEngine::sequences_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<Doubles>("shown");
    QTest::addColumn<double>("entry");
    QTest::addColumn<double>("accumulator");
    QTest::addColumn<bool>("operandHeld");

    // chaining without precedence
    QTest::newRow("1+2=") << "1+2=" << Doubles{1, 2, 3} << 3.0 << 3.0 << false;
    QTest::newRow("1+2+3=") << "1+2+3=" << Doubles{1, 2, 3, 3, 6} << 6.0 << 6.0 << false;
    QTest::newRow("2+3*4= has no precedence") << "2+3*4=" << Doubles{2, 3, 5, 4, 20} << 20.0 << 20.0 << false;
    QTest::newRow("7-10=") << "7-10=" << Doubles{7, 1, 10, -3} << -3.0 << -3.0 << false;
    QTest::newRow("1/4=") << "1/4=" << Doubles{1, 4, 0.25} << 0.25 << 0.25 << false;
    QTest::newRow("6*7=") << "6*7=" << Doubles{6, 7, 42} << 42.0 << 42.0 << false;
    QTest::newRow("10-2-3=") << "10-2-3=" << Doubles{1, 10, 2, 8, 3, 5} << 5.0 << 5.0 << false;
    QTest::newRow("8/2/2=") << "8/2/2=" << Doubles{8, 2, 4, 2, 2} << 2.0 << 2.0 << false;

    // results feed the next calculation; digits after equals start afresh
    QTest::newRow("1+2=+4=") << "1+2=+4=" << Doubles{1, 2, 3, 4, 7} << 7.0 << 7.0 << false;
    QTest::newRow("1+2=4+1=") << "1+2=4+1=" << Doubles{1, 2, 3, 4, 1, 5} << 5.0 << 5.0 << false;
    QTest::newRow("1+2=*10=") << "1+2=*10=" << Doubles{1, 2, 3, 1, 10, 30} << 30.0 << 30.0 << false;

    // equals is never repeated
    QTest::newRow("1+2==") << "1+2==" << Doubles{1, 2, 3} << 0.0 << 3.0 << true;
    QTest::newRow("1+2===") << "1+2===" << Doubles{1, 2, 3, 3} << 0.0 << 3.0 << true;
    QTest::newRow("5= holds 5 quietly") << "5=" << Doubles{5} << 0.0 << 5.0 << true;
    QTest::newRow("5=3+4= drops the 3") << "5=3+4=" << Doubles{5, 3, 5, 4, 9} << 9.0 << 9.0 << false;

    // operators in a row: the later one wins
    QTest::newRow("2+-5=") << "2+-5=" << Doubles{2, 2, 5, -3} << -3.0 << -3.0 << false;
    QTest::newRow("9*/+1=") << "9*/+1=" << Doubles{9, 9, 9, 1, 10} << 10.0 << 10.0 << false;
    QTest::newRow("2+=") << "2+=" << Doubles{2, 2} << 0.0 << 2.0 << true;
    QTest::newRow("2+=+3=") << "2+=+3=" << Doubles{2, 2, 2, 3, 5} << 5.0 << 5.0 << false;
    QTest::newRow("+ first uses 0") << "+5=" << Doubles{5, 5} << 5.0 << 5.0 << false;

    // the decimal point
    QTest::newRow(".1") << ".1" << Doubles{0.1} << 0.1 << 0.0 << false;
    QTest::newRow("..5") << "..5" << Doubles{0.5} << 0.5 << 0.0 << false;
    QTest::newRow("1.5.5") << "1.5.5" << Doubles{1, 1.5, 1.55} << 1.55 << 0.0 << false;
    QTest::newRow("1.05") << "1.05" << Doubles{1, 1, 1.05} << 1.05 << 0.0 << false;
    QTest::newRow(".1+.2=") << ".1+.2=" << Doubles{0.1, 0.2, 0.1 + 0.2} << 0.1 + 0.2 << 0.1 + 0.2 << false;
    QTest::newRow("1+2=.5") << "1+2=.5" << Doubles{1, 2, 3, 0.5} << 0.5 << 3.0 << false;

    // all clear
    QTest::newRow("12+3C") << "12+3C" << Doubles{1, 12, 3, 0} << 0.0 << 12.0 << false;
    QTest::newRow("12+3C4=") << "12+3C4=" << Doubles{1, 12, 3, 0, 4} << 0.0 << 4.0 << true;
    QTest::newRow("1+2=C+5=") << "1+2=C+5=" << Doubles{1, 2, 3, 0, 5, 5} << 5.0 << 5.0 << false;
}

void TestCalcEngine::sequences()
{
    QFETCH(QString, keys);
    QFETCH(Doubles, shown);
    QFETCH(double, entry);
    QFETCH(double, accumulator);
    QFETCH(bool, operandHeld);

    Recorder r;
    r.type(keys);
    QVERIFY2(r.shown == shown, qPrintable(describe(r.shown) + " != " + describe(shown)));
    QCOMPARE(r.engine.Entry, entry);
    QCOMPARE(r.engine.Accumulator, accumulator);
    QCOMPARE(r.engine.OperandHeld, operandHeld);
    QCOMPARE(r.divisionByZero, 0);
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
    QFETCH(double, entry);
    QFETCH(int, digitCount);

    Recorder r;
    r.type(keys);
    QCOMPARE(r.engine.Entry, entry);
    QCOMPARE(r.engine.DigitCount, digitCount);
    QVERIFY(r.engine.FracDigits <= r.engine.DigitCount);
}

void TestCalcEngine::fractionalEntryIsRoundedOnce_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<double>("entry");

    // Each fractional digit's quotient is added in extended precision and only the
    // sum is rounded to double; rounding the quotient first ends one unit away.
    QTest::newRow("0.879009") << "0.879009" << 0x1.c20d77b7c7821p-1;      // not ...822p-1
    QTest::newRow("0.6620731") << "0.6620731" << 0x1.52fb3ed01f67ap-1;    // not ...679p-1
    QTest::newRow("0.965161") << "0.965161" << 0x1.ee299524bfd2fp-1;      // not ...d2ep-1
    QTest::newRow("0.1597931808") << "0.1597931808" << 0x1.4741a5ad474d4p-3; // not ...4d5p-3
    QTest::newRow("0.49471101039449") << "0.49471101039449" << 0x1.fa9585ea7638cp-2; // not ...38bp-2
    QTest::newRow("3.14159265358979") << "3.14159265358979" << 0x1.921fb54442d11p+1;
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

void TestCalcEngine::divisionByZero_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("messages");
    QTest::addColumn<Doubles>("shown");
    QTest::addColumn<double>("entry");
    QTest::addColumn<double>("accumulator");
    QTest::addColumn<bool>("operandHeld");

    QTest::newRow("5/0=") << "5/0=" << 1 << Doubles{5, 0, 5} << 5.0 << 5.0 << false;
    QTest::newRow("5/.=") << "5/.=" << 1 << Doubles{5, 5} << 5.0 << 5.0 << false;
    QTest::newRow("5/0.0=") << "5/0.0=" << 1 << Doubles{5, 0, 0, 5} << 5.0 << 5.0 << false;
    QTest::newRow("5/= is no division") << "5/=" << 0 << Doubles{5, 5} << 0.0 << 5.0 << true;
    QTest::newRow("5/0+2= carries on") << "5/0+2=" << 1 << Doubles{5, 0, 5, 2, 7} << 7.0 << 7.0 << false;
    QTest::newRow("0/0=") << "0/0=" << 1 << Doubles{0, 0, 0} << 0.0 << 0.0 << false;
    QTest::newRow("9/3=") << "9/3=" << 0 << Doubles{9, 3, 3} << 3.0 << 3.0 << false;
}

void TestCalcEngine::divisionByZero()
{
    QFETCH(QString, keys);
    QFETCH(int, messages);
    QFETCH(Doubles, shown);
    QFETCH(double, entry);
    QFETCH(double, accumulator);
    QFETCH(bool, operandHeld);

    Recorder r;
    r.type(keys);
    QCOMPARE(r.divisionByZero, messages);
    QVERIFY2(r.shown == shown, qPrintable(describe(r.shown) + " != " + describe(shown)));
    QCOMPARE(r.engine.Entry, entry);
    QCOMPARE(r.engine.Accumulator, accumulator);
    QCOMPARE(r.engine.OperandHeld, operandHeld);
}

void TestCalcEngine::returnValues()
{
    Recorder r;
    CalcEngine &e = r.engine;
    QCOMPARE(e.InputNumber(4, 0), 4.0);
    QCOMPARE(e.InputNumber(0, 1), 0.0);               // the point
    QCOMPARE(e.InputNumber(5, 0), 4.5);
    QCOMPARE(e.InputOperator(OP_MUL), 0.0);           // first operand stored
    QCOMPARE(e.InputNumber(2, 0), 2.0);
    QCOMPARE(e.InputOperator(OP_ADD), 9.0);           // running result
    QCOMPARE(e.InputOperator(OP_SUB), 9.0);           // no second operand: accumulator
    QCOMPARE(e.InputNumber(1, 0), 1.0);
    QCOMPARE(e.InputOperator(OP_EQUAL), 8.0);         // completed equals
    QCOMPARE(e.PendingOp, int(OP_SUB));               // kept, never read again
    e.ResetOnInput = true; // as the window does after equals
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
    QVERIFY(std::isinf(r.engine.Accumulator) && r.engine.Accumulator > 0);
    QVERIFY(std::isinf(r.shown.last()));

    r.type("*0=");
    QVERIFY(std::isnan(r.engine.Accumulator)); // inf * 0
    QVERIFY(std::isnan(r.shown.last()));

    r.type("/0=");
    QCOMPARE(r.divisionByZero, 1); // still reported, NaN kept
    QVERIFY(std::isnan(r.engine.Accumulator));

    r.type("C1+2=");
    QVERIFY(sameDouble(r.shown.last(), 3.0));
    QCOMPARE(r.engine.OperandHeld, false);
}

void TestCalcEngine::clearEntryKeepsTheHeldOperand()
{
    Recorder r;
    r.type("3.25*");
    r.engine.DotEntered = true;
    r.engine.ClearEntry();
    QCOMPARE(r.engine.Entry, 0.0);
    QCOMPARE(r.engine.DotEntered, false);
    QCOMPARE(r.engine.DigitCount, 0);
    QCOMPARE(r.engine.FracDigits, 0);
    QCOMPARE(r.engine.Entering, false);
    QCOMPARE(r.engine.ResetOnInput, false);
    QCOMPARE(r.engine.OperandHeld, true);
    QCOMPARE(r.engine.Accumulator, 3.25);
    QCOMPARE(r.engine.PendingOp, int(OP_MUL));
}

QTEST_APPLESS_MAIN(TestCalcEngine)
#include "tst_calcengine.moc"
