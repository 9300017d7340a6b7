#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

// A window whose title is the number it shows, as a screen reader meets it: a
// frame named by its title that also offers that number as its value. Orca
// speaks a focused frame's name when its value changes; it cannot speak the
// name-change event of Qt 6.4, which carries the window, not its new name.
class DisplayAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    // Makes this the window's accessible object; call before anything asks Qt
    // for one, first thing in the window's constructor.
    static void install(QWidget *window);
    // Tells a screen reader that the window's title now shows value.
    static void numberShown(QWidget *window, double value);

    explicit DisplayAccessible(QWidget *window);

    void *interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {} // the number is the calculator's to change
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;
};
