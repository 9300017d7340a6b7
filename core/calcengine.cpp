#include "calcengine.h"

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

void CalcEngine::ClearEntry()
{
    Entry = 0.0;
    DotEntered = false;
    DigitCount = 0;
    FracDigits = 0;
    Entering = false;
    ResetOnInput = false;
}

double CalcEngine::InputNumber(int digit, int point)
{
    Entering = true;
    if (ResetOnInput)
        ClearEntry(); // a digit right after equals starts a new number
    if (point != 0) {
        DotEntered = true;
        return 0.0;
    }
    if (DigitCount >= MaxDigits)
        return Entry;
    ++DigitCount;
    if (!DotEntered) {
        Entry = 10 * Entry;
        Entry = digit + Entry;
    } else {
        ++FracDigits;
        Entry = addFractionDigit(Entry, digit, FracDigits);
    }
    return Entry;
}

void CalcEngine::applyPending()
{
    switch (PendingOp) {
    case OP_ADD:
        Accumulator = Entry + Accumulator;
        break;
    case OP_SUB:
        Accumulator = Accumulator - Entry;
        break;
    case OP_MUL:
        Accumulator = Entry * Accumulator;
        break;
    case OP_DIV:
        if (Entry == 0.0)
            m_display.ReportDivisionByZero(); // Accumulator keeps the first operand
        else
            Accumulator = Accumulator / Entry;
        break;
    default: // OP_EQUAL: nothing to apply
        break;
    }
}

double CalcEngine::InputOperator(int op)
{
    if (!OperandHeld) {
        Accumulator = Entry;
        ClearEntry();
        OperandHeld = true;
        PendingOp = op;
        return 0.0;
    }
    if (Entering) {
        Entering = false;
        applyPending();
        if (op == OP_EQUAL) {
            m_display.DispResult();
            ClearEntry();
            Entry = Accumulator;
            OperandHeld = false;
            return Entry;
        }
    }
    m_display.DispResult();
    ClearEntry();
    PendingOp = op;
    return Accumulator;
}
