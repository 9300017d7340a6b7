#pragma once

// The calculator's arithmetic: an immediate-execution engine (no precedence,
// each operator applies the one before it) with a sixteen-digit entry.
// It knows nothing of widgets; it reaches its window only through CalcDisplay.

enum : int {
    OP_EQUAL = 10,
    OP_ADD = 11,
    OP_SUB = 12,
    OP_MUL = 13,
    OP_DIV = 14,
};

class CalcDisplay
{
public:
    virtual ~CalcDisplay() = default;
    // Show the engine's Accumulator.
    virtual void DispResult() = 0;
    // Tell the user that a division by zero was refused; returns once acknowledged.
    virtual void ReportDivisionByZero() = 0;
};

class CalcEngine
{
public:
    explicit CalcEngine(CalcDisplay &display) : m_display(display) {}

    void ClearEntry();
    // A digit when point is 0, the decimal point otherwise.
    double InputNumber(int digit, int point);
    // One of OP_EQUAL .. OP_DIV.
    double InputOperator(int op);

    static constexpr int MaxDigits = 16;

    bool OperandHeld = false;   // Accumulator holds the first operand, PendingOp waits
    double Entry = 0.0;         // the number being typed, or the last result
    bool DotEntered = false;
    int DigitCount = 0;         // digits in the entry, both sides of the point
    int FracDigits = 0;         // digits after the point
    bool Entering = false;      // a number was typed since the last operator
    bool ResetOnInput = false;  // set by the window after equals: next digit starts afresh
    double Accumulator = 0.0;
    int PendingOp = 0;

private:
    void applyPending();

    CalcDisplay &m_display;
};
