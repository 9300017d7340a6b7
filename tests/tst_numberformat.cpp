#include "numberformat.h"

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void display_data();
    void display();
    void decimalSeparator_data();
    void decimalSeparator();
    void usesTheLocaleSeparator();
};

void TestNumberFormat::display_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    // Integers and plain fractions
    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("-0 shows no sign") << -0.0 << "0";
    QTest::newRow("1") << 1.0 << "1";
    QTest::newRow("100 keeps its zeros") << 100.0 << "100";
    QTest::newRow("7-10") << (7.0 - 10.0) << "-3";
    QTest::newRow("0.25") << 0.25 << "0.25";
    QTest::newRow("-0.5") << -0.5 << "-0.5";
    QTest::newRow("1.05") << 1.05 << "1.05";
    QTest::newRow("1234567.125") << 1234567.125 << "1234567.125";

    // Fifteen significant digits
    QTest::newRow(".1+.2") << (0.1 + 0.2) << "0.3";
    QTest::newRow("2/3") << (2.0 / 3.0) << "0.666666666666667";
    QTest::newRow("-2/3") << (-2.0 / 3.0) << "-0.666666666666667";
    QTest::newRow("1/3*3 rounds back") << (1.0 / 3.0 * 3.0) << "1";
    QTest::newRow("15 digits, the 16th rounds") << 123456789012345.6 << "123456789012346";
    QTest::newRow("fifteen ones in full") << 111111111111111.0 << "111111111111111";
    QTest::newRow("fifteen nines in full") << 999999999999999.0 << "999999999999999";
    QTest::newRow("-fifteen nines") << -999999999999999.0 << "-999999999999999";
    QTest::newRow("1E14 in full") << 1e14 << "100000000000000";

    // Past fifteen integer digits: scientific, positive exponent without sign
    QTest::newRow("sixteen ones") << 1111111111111111.0 << "1.11111111111111E15";
    QTest::newRow("-sixteen ones") << -1111111111111111.0 << "-1.11111111111111E15";
    QTest::newRow("1E15") << 1e15 << "1E15";
    QTest::newRow("rounding up to 1E15") << 999999999999999.9 << "1E15";
    QTest::newRow("sixteen nines") << 9999999999999999.0 << "1E16";
    QTest::newRow("1.5E20") << 1.5e20 << "1.5E20";
    QTest::newRow("1E100") << 1e100 << "1E100";
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << "1.79769313486232E308";

    // Small magnitudes: plain down to 0.0001, scientific below
    QTest::newRow("0.001") << 0.001 << "0.001";
    QTest::newRow("0.0001") << 0.0001 << "0.0001";
    QTest::newRow("0.00012345") << 0.00012345 << "0.00012345";
    QTest::newRow("next double below 0.0001 rounds to it") << std::nextafter(0.0001, 0.0) << "0.0001";
    QTest::newRow("fifteen nines below 0.0001") << 0.0000999999999999999 << "9.99999999999999E-05";
    QTest::newRow("0.00001") << 0.00001 << "1E-05";
    QTest::newRow("0.000012345") << 0.000012345 << "1.2345E-05";
    QTest::newRow("-0.00001") << -0.00001 << "-1E-05";
    QTest::newRow("1E-06") << 1e-6 << "1E-06";
    QTest::newRow("1E-100") << 1e-100 << "1E-100";
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << "4.94065645841247E-324";

    // What overflow and invalid operations leave behind
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "INF";
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << "-INF";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "NAN";
}

void TestNumberFormat::display()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(FormatNumber(value, QStringLiteral(".")), shown);
}

void TestNumberFormat::decimalSeparator_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("0.5") << 0.5 << "0,5";
    QTest::newRow("integer has none") << 42.0 << "42";
    QTest::newRow("scientific mantissa") << 0.000015 << "1,5E-05";
    QTest::newRow("large") << 1111111111111111.0 << "1,11111111111111E15";
}

void TestNumberFormat::decimalSeparator()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(FormatNumber(value, QStringLiteral(",")), shown);
}

void TestNumberFormat::usesTheLocaleSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    QCOMPARE(FormatNumber(2.5), QStringLiteral("2") + point + QStringLiteral("5"));
    QCOMPARE(FormatNumber(-3.0), QStringLiteral("-3"));
}

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
