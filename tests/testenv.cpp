#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

// Made before isolateFromTheUser runs, being first in this file; removed, with all it holds, at exit.
static const QTemporaryDir s_root(QDir::tempPath() + QStringLiteral("/mochiten-test-XXXXXX"));

static void isolateFromTheUser()
{
    if (!s_root.isValid())
        std::abort(); // never fall back to the real configuration
    QDir(s_root.path()).mkpath(QStringLiteral("config"));
    QDir(s_root.path()).mkpath(QStringLiteral("run"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(testConfigDir()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(s_root.filePath(QStringLiteral("run"))));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, testConfigDir());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, testConfigDir());
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
Q_CONSTRUCTOR_FUNCTION(isolateFromTheUser)

QString testConfigDir() { return s_root.filePath(QStringLiteral("config")); }
QString testSettingsFile() { return testConfigDir() + QStringLiteral("/HinokiWorks.conf"); }
int storedValue(const QString &key) { return QSettings(testSettingsFile(), QSettings::IniFormat).value(key, -1).toInt(); }

int runUntilExit(const std::function<void()> &step)
{
    QTimer::singleShot(0, step);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
    return QCoreApplication::exec();
}
