#include "numberformat.h"

#include <QtTest>
#include <cmath>
#include <limits>

using L = std::numeric_limits<double>;

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void display_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("-0 shows no sign") << -0.0 << "0";
        QTest::newRow("100 keeps its zeros") << 100.0 << "100";
        QTest::newRow(".1+.2") << (0.1 + 0.2) << "0.3";
        QTest::newRow("-2/3: fifteen digits") << (-2.0 / 3.0) << "-0.666666666666667";
        QTest::newRow("the 16th digit rounds") << 123456789012345.6 << "123456789012346";
        QTest::newRow("rounding up to 1E15") << 999999999999999.9 << "1E15";
        QTest::newRow("sixteen ones") << 1111111111111111.0 << "1.11111111111111E15";
        QTest::newRow("largest double") << L::max() << "1.79769313486232E308";
        QTest::newRow("just below 0.0001 rounds to it") << std::nextafter(0.0001, 0.0) << "0.0001";
        QTest::newRow("fifteen nines below 0.0001") << 0.0000999999999999999 << "9.99999999999999E-05";
        QTest::newRow("smallest subnormal") << L::denorm_min() << "4.94065645841247E-324";
        QTest::newRow("infinity") << L::infinity() << "INF";
        QTest::newRow("-infinity") << -L::infinity() << "-INF";
        QTest::newRow("NaN") << L::quiet_NaN() << "NAN";
    }
    // Every row also with a decimal comma; the calculator's title shows the locale's own.
    void display()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(formatNumber(value, QStringLiteral(".")), shown);
        QCOMPARE(formatNumber(value, QStringLiteral(",")), shown.replace('.', ','));
    }

    // The keys a paste types, or none. "." is always a point; the locale's separator here is ",".
    void paste_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");
        QTest::newRow("blanks around, point") << " \t12.5\n" << "12.5";
        QTest::newRow("locale's comma") << "3,25" << "3.25";
        QTest::newRow("16 digits, leading zero too") << "0123456789.012345" << "0123456789.012345";
        QTest::newRow("17 digits") << "01234567890123456" << "";
        QTest::newRow("thousands separator: two points") << "1.234,5" << "";
        QTest::newRow("sign") << "-5" << "";
        QTest::newRow("exponent") << "1e5" << "";
        QTest::newRow("no digit") << "." << "";
    }
    void paste()
    {
        QFETCH(QString, text);
        QTEST(pastedNumberKeys(text, QStringLiteral(",")), "keys");
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
