#include "displayaccessible.h"

#include <QWidget>
#include <limits>

namespace {

// The number shown, kept on the window; NaN until the first. Its presence marks
// the windows that get a DisplayAccessible.
const char ShownNumber[] = "mochitenShownNumber";

QAccessibleInterface *createDisplayAccessible(const QString &, QObject *object)
{
    QWidget *window = object && object->isWidgetType() ? static_cast<QWidget *>(object) : nullptr;
    if (window && window->property(ShownNumber).isValid())
        return new DisplayAccessible(window);
    return nullptr;
}

} // namespace

void DisplayAccessible::install(QWidget *window)
{
    static const bool installed = (QAccessible::installFactory(createDisplayAccessible), true);
    Q_UNUSED(installed);
    window->setProperty(ShownNumber, std::numeric_limits<double>::quiet_NaN());
}

void DisplayAccessible::numberShown(QWidget *window, double value)
{
    window->setProperty(ShownNumber, value);
    // The name first: its event also makes a reader drop the name it holds, so
    // that what it reads on the value's change is the new title.
    QAccessibleEvent renamed(window, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleValueChangeEvent changed(window, value);
    QAccessible::updateAccessibility(&changed);
}

DisplayAccessible::DisplayAccessible(QWidget *window)
    : QAccessibleWidget(window, QAccessible::Window)
{
}

void *DisplayAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant DisplayAccessible::currentValue() const
{
    return widget()->property(ShownNumber);
}

QVariant DisplayAccessible::maximumValue() const
{
    return std::numeric_limits<double>::max();
}

QVariant DisplayAccessible::minimumValue() const
{
    return -std::numeric_limits<double>::max();
}

QVariant DisplayAccessible::minimumStepSize() const
{
    return 0.0;
}
