#include "setting.h"

#include "settingstore.h"

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

std::unique_ptr<QSettings> OpenSettingStore()
{
    return openUserSettingStore();
}

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

void LoadSetting(TSetting &setting)
{
    const auto store = OpenSettingStore();
    // Now, while the parse error is fresh: later handles share QSettings' cache
    // and no longer report it.
    preserveUnreadableStore(*store);
    for (const SettingValue &v : SettingValues) {
        const qint32 n = readInteger(*store, keyOf(v), v.defaultValue);
        if (v.flag)
            setting.*v.flag = (n != 0);
        else
            setting.*v.number = n;
    }
}

// QSettings writes through a temporary file that replaces the old one only when
// complete, so a crash in the middle of a save never leaves half a file behind.
static bool commit(QSettings &store)
{
    store.sync();
    return store.status() != QSettings::AccessError;
}

bool SaveSetting(const TSetting &setting)
{
    const auto store = OpenSettingStore();
    preserveUnreadableStore(*store);
    for (const SettingValue &v : SettingValues)
        store->setValue(keyOf(v), v.flag ? int(setting.*v.flag ? 1 : 0) : int(setting.*v.number));
    return commit(*store);
}

bool EraseSetting()
{
    const auto store = OpenSettingStore();
    preserveUnreadableStore(*store);
    store->remove(QLatin1String(SettingSection));
    return commit(*store);
}
