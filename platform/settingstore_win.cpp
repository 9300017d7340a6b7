#include "settingstore.h"

SettingStore::SettingStore(Purpose)
    // By its full path: a QSettings given only the organisation would land
    // under "OrganizationDefaults".
    : m_settings(std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\HinokiWorks"),
                                             QSettings::NativeFormat))
{
    m_settings->setFallbacksEnabled(false);
}

SettingStore::~SettingStore() = default;

bool SettingStore::commit()
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        return fail(QStringLiteral("the registry refused the values"));
    return true;
}

QString SettingStore::fileName()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\HinokiWorks");
}

void SettingStore::removeLeftoverSaveFiles() {}
