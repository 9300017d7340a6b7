#include "testenv.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

// Made before isolateFromTheUser runs, being first in this file; removed, with all it holds, at exit.
static const QTemporaryDir s_root(QDir::tempPath() + QStringLiteral("/mochiten-test-XXXXXX"));

static void isolateFromTheUser()
{
    if (!s_root.isValid())
        std::abort(); // never fall back to the real configuration
    for (const auto &[variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "run"}})
        QDir().mkpath(s_root.filePath(folder)), qputenv(variable, QFile::encodeName(s_root.filePath(folder)));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, testConfigDir());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, testConfigDir());
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
Q_CONSTRUCTOR_FUNCTION(isolateFromTheUser)

QString testConfigDir() { return s_root.filePath(QStringLiteral("config")); }
QString testSettingsFile() { return testConfigDir() + QStringLiteral("/HinokiWorks.conf"); }
int storedValue(const QString &key, const QString &file) { return QSettings(file, QSettings::IniFormat).value(key, -1).toInt(); }
