#include "setting.h"

#include <QSettings>
#include <limits>

TSetting Setting;

const char SettingSection[] = "Mochica";

const SettingValue SettingValues[12] = {
    {"ButtonFlat", &TSetting::ButtonFlat, nullptr, 0},
    {"NoMt", &TSetting::NoMt, nullptr, 0},
    {"Window_Calc_SaveWindowPos", &TSetting::Window_Calc_SaveWindowPos, nullptr, 1},
    {"Window_Calc_OpenWindowAtBoot", &TSetting::Window_Calc_OpenWindowAtBoot, nullptr, 0},
    {"Window_Calc_Window_Left", nullptr, &TSetting::Window_Calc_Window_Left, 0},
    {"Window_Calc_Window_Top", nullptr, &TSetting::Window_Calc_Window_Top, 0},
    {"Window_Log_SaveWindowPos", &TSetting::Window_Log_SaveWindowPos, nullptr, 1},
    {"Window_Log_OpenWindowAtBoot", &TSetting::Window_Log_OpenWindowAtBoot, nullptr, 1},
    {"Window_Log_Window_Left", nullptr, &TSetting::Window_Log_Window_Left, 0},
    {"Window_Log_Window_Top", nullptr, &TSetting::Window_Log_Window_Top, 0},
    {"Window_Log_Window_Height", nullptr, &TSetting::Window_Log_Window_Height, 300},
    {"Window_Log_Window_Width", nullptr, &TSetting::Window_Log_Window_Width, 200},
};

// The stored integer, or the default when it is missing, not a whole number,
// or beyond 32 bits.
static qint32 readInteger(const QSettings &store, const QString &key, qint32 defaultValue)
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

static QString keyOf(const SettingValue &v)
{
    return QLatin1String(SettingSection) + QLatin1Char('/') + QLatin1String(v.name);
}

void readSetting(const QSettings &store, TSetting &setting)
{
    for (const SettingValue &v : SettingValues) {
        const qint32 n = readInteger(store, keyOf(v), v.defaultValue);
        if (v.flag)
            setting.*v.flag = (n != 0);
        else
            setting.*v.number = n;
    }
}

void writeSetting(QSettings &store, const TSetting &setting)
{
    for (const SettingValue &v : SettingValues)
        store.setValue(keyOf(v), v.flag ? int(setting.*v.flag ? 1 : 0) : int(setting.*v.number));
}
