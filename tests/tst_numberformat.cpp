#include "numberformat.h"

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void display_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        using L = std::numeric_limits<double>;

        QTest::newRow("-0 shows no sign") << -0.0 << "0";
        QTest::newRow("100 keeps its zeros") << 100.0 << "100";
        QTest::newRow("7-10") << (7.0 - 10.0) << "-3";
        QTest::newRow("-0.5") << -0.5 << "-0.5";
        QTest::newRow(".1+.2") << (0.1 + 0.2) << "0.3";
        QTest::newRow("1/3*3 rounds back") << (1.0 / 3.0 * 3.0) << "1";
        QTest::newRow("-2/3: fifteen digits") << (-2.0 / 3.0) << "-0.666666666666667";
        QTest::newRow("the 16th digit rounds") << 123456789012345.6 << "123456789012346";
        QTest::newRow("fifteen ones in full") << 111111111111111.0 << "111111111111111";
        QTest::newRow("1E15") << 1e15 << "1E15";
        QTest::newRow("rounding up to 1E15") << 999999999999999.9 << "1E15";
        QTest::newRow("sixteen ones") << 1111111111111111.0 << "1.11111111111111E15";
        QTest::newRow("largest double") << L::max() << "1.79769313486232E308";
        QTest::newRow("0.0001") << 0.0001 << "0.0001";
        QTest::newRow("just below 0.0001 rounds to it") << std::nextafter(0.0001, 0.0) << "0.0001";
        QTest::newRow("fifteen nines below 0.0001") << 0.0000999999999999999 << "9.99999999999999E-05";
        QTest::newRow("0.00001") << 0.00001 << "1E-05";
        QTest::newRow("1E-100") << 1e-100 << "1E-100";
        QTest::newRow("smallest subnormal") << L::denorm_min() << "4.94065645841247E-324";
        QTest::newRow("infinity") << L::infinity() << "INF";
        QTest::newRow("-infinity") << -L::infinity() << "-INF";
        QTest::newRow("NaN") << L::quiet_NaN() << "NAN";
    }

    // Every row also with a decimal comma, and with the system's own separator.
    void display()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(FormatNumber(value, QStringLiteral(".")), shown);
        QCOMPARE(FormatNumber(value, QStringLiteral(",")), QString(shown).replace('.', ','));
        QCOMPARE(FormatNumber(value), QString(shown).replace(QStringLiteral("."), QLocale::system().decimalPoint()));
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
