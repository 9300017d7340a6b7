#include "numberformat.h"

#include "calculatorengine.h"

#include <QLocale>
#include <cmath>

namespace {

constexpr int SignificantDigits = 15;
constexpr int ExponentDigits = 2;
// Plain notation from 1E-4 up to the last number with fifteen integer digits.
constexpr int LowestPlainExponent = -4;
constexpr int HighestPlainExponent = SignificantDigits - 1;

} // namespace

QString formatNumber(double value, const QString &decimalPoint)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0.0)
        return QStringLiteral("0"); // negative zero too

    // Rounding to fifteen significant digits first decides the notation, so that
    // 999999999999999.9 becomes 1E15 and not a sixteen-digit integer.
    // Qt's 'e' format is locale-independent: "d.dddddddddddddde[+-]XX".
    const QString scientific = QString::number(std::fabs(value), 'e', SignificantDigits - 1);
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    const int exponent = scientific.mid(e + 1).toInt();
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString text = value < 0 ? QStringLiteral("-") : QString();
    if (exponent < LowestPlainExponent || exponent > HighestPlainExponent) {
        text += digits.left(1);
        if (digits.size() > 1)
            text += decimalPoint + digits.mid(1);
        text += QLatin1Char('E');
        if (exponent < 0)
            text += QLatin1Char('-');
        text += QString::number(std::abs(exponent)).rightJustified(ExponentDigits, QLatin1Char('0'));
    } else if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        text += digits.left(integerDigits).leftJustified(integerDigits, QLatin1Char('0'));
        if (digits.size() > integerDigits)
            text += decimalPoint + digits.mid(integerDigits);
    } else {
        text += QLatin1Char('0') + decimalPoint + QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    return text;
}

QString formatNumber(double value)
{
    return formatNumber(value, QLocale::system().decimalPoint());
}

QString pastedNumberKeys(const QString &text, const QString &decimalPoint)
{
    QString keys;
    int digits = 0;
    for (const QChar c : text.trimmed()) {
        if (c >= u'0' && c <= u'9') {
            keys += c;
            ++digits;
        } else if ((c == u'.' || QString(c) == decimalPoint) && !keys.contains(u'.')) {
            keys += u'.';
        } else {
            return {}; // nothing of a text that is not wholly a number
        }
    }
    return digits > 0 && digits <= CalculatorEngine::MaxDigits ? keys : QString();
}
