#pragma once

#include <QString>

// The calculator's display text for a number: at most fifteen significant
// digits, trailing zeros and a needless point dropped, a leading minus.
// Scientific notation ("1.11111111111111E15", "1E-05": the exponent's sign only
// when negative, at least two digits) once the integer part would need more
// than fifteen digits or the magnitude falls below 0.0001. Zero of either sign
// is "0"; infinities and NaN read "INF", "-INF" and "NAN".
QString formatNumber(double value, const QString &decimalPoint);

// The same with the decimal separator of the user's locale.
QString formatNumber(double value);

// A number pasted into the calculator, as the keys that would type it: its
// digits and "." for its decimal separator, which may be "." or decimalPoint
// (the locale's). Blanks around it are ignored. Empty when no keys could type
// it: no digit, more than CalculatorEngine::MaxDigits digits, a second separator, or
// anything else (a sign, an exponent, letters, a thousands separator).
QString pastedNumberKeys(const QString &text, const QString &decimalPoint);
