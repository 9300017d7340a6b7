#include "calculatorengine.h"

#include <QStringView>

#include <cmath>
#include <cstdint>

namespace {

// The calculator has always added a fractional digit the way x87 code does:
// the quotient digit / 10^n and the sum are each rounded to a 64-bit mantissa,
// and only the sum is rounded to double. `long double` is that wide only on some
// compilers (not with MSVC or on ARM), so the two roundings are done here by hand.

// A positive number mantissa * 2^exponent, the mantissa's top bit set.
struct Extended
{
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

// Rounds to nearest, ties to even, given the bit below the last kept one and
// whether anything below that is set. Returns false when the mantissa overflowed.
bool roundUp(std::uint64_t &mantissa, bool half, bool sticky)
{
    if (!half || (!sticky && !(mantissa & 1)))
        return true;
    return ++mantissa != 0;
}

// digit / 10^n for digit 1..9 and n 1..16.
Extended divideByPowerOfTen(unsigned digit, int n)
{
    std::uint64_t divisor = 1;
    for (int i = 0; i < n; ++i)
        divisor *= 10;
    std::uint64_t rest = digit;
    int exponent = 0;
    while (rest < divisor) { // divisor < 2^54, so the shifts cannot overflow
        rest <<= 1;
        --exponent;
    }
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 64; ++i) { // long division, one quotient bit a step
        mantissa <<= 1;
        if (rest >= divisor) {
            mantissa |= 1;
            rest -= divisor;
        }
        rest <<= 1;
    }
    const bool half = rest >= divisor;
    if (half)
        rest -= divisor;
    Extended q{mantissa, exponent - 63};
    if (!roundUp(q.mantissa, half, rest != 0))
        q = {std::uint64_t(1) << 63, q.exponent + 1};
    return q;
}

// a + b, rounded to 64 bits. b is exact in a double.
Extended add(Extended a, double b)
{
    if (b == 0.0)
        return a;
    int bExp = 0;
    Extended e{std::uint64_t(std::ldexp(std::frexp(b, &bExp), 64)), bExp - 64};
    Extended x = a.exponent >= e.exponent ? a : e; // the larger exponent
    const Extended y = a.exponent >= e.exponent ? e : a;
    // x.mantissa * 2^64 + y aligned below it, as a 128-bit hi:lo pair plus sticky bits.
    const int shift = x.exponent - y.exponent;
    std::uint64_t hi = x.mantissa, lo = 0;
    bool sticky = false;
    if (shift == 0) {
        hi += y.mantissa; // both top bits set: always carries out
        const bool carryBit = hi & 1;
        hi = (hi >> 1) | (std::uint64_t(1) << 63);
        lo = carryBit ? std::uint64_t(1) << 63 : 0;
        ++x.exponent;
    } else {
        std::uint64_t addHi = 0, addLo = 0;
        if (shift < 64) {
            addHi = y.mantissa >> shift;
            addLo = y.mantissa << (64 - shift);
        } else if (shift < 128) {
            addLo = y.mantissa >> (shift - 64);
            sticky = shift > 64 && (y.mantissa << (128 - shift)) != 0;
        } else {
            sticky = true;
        }
        lo += addLo;
        const bool carry = lo < addLo;
        const std::uint64_t before = hi;
        hi += addHi + carry;
        if (hi < before) { // carried out of the top: one bit to the right
            sticky = sticky || (lo & 1);
            lo = (lo >> 1) | (hi << 63);
            hi = (hi >> 1) | (std::uint64_t(1) << 63);
            ++x.exponent;
        }
    }
    const std::uint64_t halfway = std::uint64_t(1) << 63;
    Extended sum{hi, x.exponent};
    if (!roundUp(sum.mantissa, lo >= halfway, sticky || (lo & ~halfway) != 0))
        sum = {halfway, sum.exponent + 1};
    return sum;
}

double toDouble(Extended v)
{
    std::uint64_t m = v.mantissa >> 11;
    const std::uint64_t rest = v.mantissa & 0x7FF;
    if (rest > 0x400 || (rest == 0x400 && (m & 1)))
        ++m; // may reach 2^53, which a double still holds exactly
    return std::ldexp(double(m), v.exponent + 11);
}

double addFractionDigit(double entry, int digit, int place)
{
    if (digit == 0)
        return entry; // adds nothing, and entry is already a double
    return toDouble(add(divideByPowerOfTen(unsigned(digit), place), entry));
}

} // namespace

CalculatorEngine::CalculatorEngine(CalculatorDisplay &display)
    : m_display(display)
{
}

void CalculatorEngine::clearEntry() // ClearEntry
{
    m_entry = 0.0;
    m_pointEntered = false;
    m_digitCount = 0;
    m_fractionDigits = 0;
    m_entering = false;
    m_resetOnInput = false;
}

void CalculatorEngine::startEntry()
{
    m_entering = true;
    if (m_resetOnInput)
        clearEntry(); // a digit right after equals starts a new number
}

void CalculatorEngine::digit(int value) // InputNumber(digit, 0)
{
    addDigit(value);
    // Shown even when refused: the display then simply keeps its number.
    m_display.showNumber(m_entry);
}

void CalculatorEngine::addDigit(int value)
{
    startEntry();
    if (m_digitCount >= MaxDigits)
        return;
    ++m_digitCount;
    if (!m_pointEntered) {
        m_entry = 10 * m_entry;
        m_entry = value + m_entry;
    } else {
        ++m_fractionDigits;
        m_entry = addFractionDigit(m_entry, value, m_fractionDigits);
    }
}

void CalculatorEngine::enterNumber(QStringView keys)
{
    clearEntry();
    for (const QChar key : keys) {
        if (key == u'.')
            point();
        else
            addDigit(key.digitValue());
    }
    m_display.showNumber(m_entry);
}

void CalculatorEngine::point() // InputNumber(0, 1)
{
    startEntry();
    m_pointEntered = true; // counts as no digit and leaves the number shown alone
}

void CalculatorEngine::applyPending()
{
    switch (m_pendingOperator) {
    case Operator::Add:
        m_accumulator = m_entry + m_accumulator;
        break;
    case Operator::Subtract:
        m_accumulator = m_accumulator - m_entry;
        break;
    case Operator::Multiply:
        m_accumulator = m_entry * m_accumulator;
        break;
    case Operator::Divide:
        if (m_entry == 0.0)
            m_display.reportDivisionByZero(); // the accumulator keeps the first operand
        else
            m_accumulator = m_accumulator / m_entry;
        break;
    case Operator::Equals: // nothing waits to be applied
        break;
    }
}

void CalculatorEngine::apply(Operator op) // InputOperator
{
    if (!m_operandHeld) {
        m_accumulator = m_entry;
        clearEntry();
        m_operandHeld = true;
        m_pendingOperator = op;
        return;
    }
    if (m_entering) {
        m_entering = false;
        applyPending();
        if (op == Operator::Equals) {
            m_display.showNumber(m_accumulator);
            clearEntry();
            m_entry = m_accumulator;
            m_operandHeld = false;
            return;
        }
    }
    m_display.showNumber(m_accumulator);
    clearEntry();
    m_pendingOperator = op;
}

void CalculatorEngine::equals()
{
    apply(Operator::Equals);
    m_resetOnInput = true; // the next digit starts a new number
}

void CalculatorEngine::allClear()
{
    clearEntry();
    m_operandHeld = false; // the accumulator's stale value is overwritten by the next operator
    m_display.showNumber(m_entry);
}
