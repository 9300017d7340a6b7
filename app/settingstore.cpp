#include "settingstore.h"

#include <QFile>

std::unique_ptr<QSettings> openUserSettingStore()
{
#ifdef Q_OS_WIN
    // By its full path: a QSettings given only the organisation would land
    // under "OrganizationDefaults".
    auto store = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\HinokiWorks"),
                                             QSettings::NativeFormat);
#else
    auto store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("HinokiWorks"));
#endif
    // Only the user's own store counts; a system-wide file must not leak in.
    store->setFallbacksEnabled(false);
    return store;
}

void preserveUnreadableStore(const QSettings &store)
{
    // QSettings rewrites a file it could only partly parse from what it understood.
    if (store.status() != QSettings::FormatError)
        return;
    const QString file = store.fileName();
    const QString copy = file + QStringLiteral(".bad");
    QFile::remove(copy);
    QFile::copy(file, copy);
}
