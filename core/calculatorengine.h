#pragma once

#include <QStringView>

// The calculator's arithmetic: an immediate-execution engine (no precedence,
// each operator applies the one before it) with a sixteen-digit entry. It knows
// nothing of widgets and reaches its window only through CalculatorDisplay.

enum class Operator { Equals, Add, Subtract, Multiply, Divide };

class CalculatorDisplay
{
public:
    virtual ~CalculatorDisplay() = default;
    // The number the calculator shows now: the entry after a digit, the
    // accumulator after an operator.
    virtual void showNumber(double value) = 0;
    // A division by zero was refused; returns once the user has acknowledged it.
    virtual void reportDivisionByZero() = 0;
};

class CalculatorEngine
{
public:
    explicit CalculatorEngine(CalculatorDisplay &display);

    void digit(int value); // 0 to 9; a seventeenth digit is ignored
    void point();          // the decimal point; a second one in an entry is ignored
    void apply(Operator op);
    void equals();         // apply(Equals), and the next digit starts a new number
    void allClear();       // the "AC" key: the entry and the held operand go
    // A number typed at once, as keys ("0.25"): it replaces the entry as a new
    // number does, within the same limits, and is shown once.
    void enterNumber(QStringView keys);

    static constexpr int MaxDigits = 16;

private:
    void clearEntry();
    void addDigit(int value);
    void startEntry();
    void applyPending();

    CalculatorDisplay &m_display;
    bool m_operandHeld = false;    // OperandHeld: the accumulator holds the first operand
    double m_entry = 0.0;          // Entry: the number being typed, or the last result
    bool m_pointEntered = false;   // DotEntered
    int m_digitCount = 0;          // DigitCount: both sides of the point
    int m_fractionDigits = 0;      // FracDigits
    bool m_entering = false;       // Entering: a number was typed since the last operator
    bool m_resetOnInput = false;   // ResetOnInput: set by equals
    double m_accumulator = 0.0;    // Accumulator
    Operator m_pendingOperator = Operator::Equals; // PendingOp
};
