#include "settings.h"

#include <QSettings>
#include <limits>

const char SettingsSection[] = "Mochica";

const StoredValue StoredValues[12] = {
    {"ButtonFlat", 0, [](Settings &s) -> bool & { return s.flatButtons; }, nullptr},
    {"NoMt", 0, [](Settings &s) -> bool & { return s.notResident; }, nullptr},
    {"Window_Calc_SaveWindowPos", 1, [](Settings &s) -> bool & { return s.calculator.savePosition; }, nullptr},
    {"Window_Calc_OpenWindowAtBoot", 0, [](Settings &s) -> bool & { return s.calculator.hiddenAtStart; }, nullptr},
    {"Window_Calc_Window_Left", 0, nullptr, [](Settings &s) -> qint32 & { return s.calculator.left; }},
    {"Window_Calc_Window_Top", 0, nullptr, [](Settings &s) -> qint32 & { return s.calculator.top; }},
    {"Window_Log_SaveWindowPos", 1, [](Settings &s) -> bool & { return s.log.savePosition; }, nullptr},
    {"Window_Log_OpenWindowAtBoot", 1, [](Settings &s) -> bool & { return s.log.hiddenAtStart; }, nullptr},
    {"Window_Log_Window_Left", 0, nullptr, [](Settings &s) -> qint32 & { return s.log.left; }},
    {"Window_Log_Window_Top", 0, nullptr, [](Settings &s) -> qint32 & { return s.log.top; }},
    {"Window_Log_Window_Height", 300, nullptr, [](Settings &s) -> qint32 & { return s.log.height; }},
    {"Window_Log_Window_Width", 200, nullptr, [](Settings &s) -> qint32 & { return s.log.width; }},
};

namespace {

// The stored integer, or the default when it is missing, not a whole number,
// or beyond 32 bits.
qint32 readInteger(const QSettings &store, const QString &key, qint32 defaultValue)
{
    const QVariant value = store.value(key);
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong n = value.toString().trimmed().toLongLong(&ok);
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        return defaultValue;
    return qint32(n);
}

QString keyOf(const StoredValue &v)
{
    return QLatin1String(SettingsSection) + QLatin1Char('/') + QLatin1String(v.name);
}

} // namespace

void readSettings(const QSettings &store, Settings &settings)
{
    for (const StoredValue &v : StoredValues) {
        const qint32 n = readInteger(store, keyOf(v), v.defaultValue);
        if (v.flag)
            v.flag(settings) = (n != 0);
        else
            v.number(settings) = n;
    }
}

void writeSettings(QSettings &store, const Settings &settings)
{
    Settings &s = const_cast<Settings &>(settings); // the accessors only read here
    for (const StoredValue &v : StoredValues)
        store.setValue(keyOf(v), v.flag ? int(v.flag(s) ? 1 : 0) : int(v.number(s)));
}
