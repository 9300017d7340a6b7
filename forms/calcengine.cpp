#include "calcengine.h"

#include <cmath>

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
        // The quotient stays in extended precision until the sum is stored, as the
        // x87 code this calculator has always used did: a quotient rounded to double
        // first would change the last digits of long fractional entries.
        const long double q = static_cast<long double>(digit) / std::pow(10.0, FracDigits);
        Entry = static_cast<double>(q + static_cast<long double>(Entry));
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
