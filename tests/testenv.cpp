#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <cstdlib>
#include <string>

static QString s_root;

static void isolateFromTheUser()
{
    std::string pattern = QDir::tempPath().toStdString() + "/mochiten-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        std::abort(); // never fall back to the real configuration
    s_root = QString::fromStdString(pattern);
    QDir(s_root).mkpath(QStringLiteral("config"));
    QDir(s_root).mkpath(QStringLiteral("run"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(s_root + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(s_root + QStringLiteral("/run")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, testConfigDir());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, testConfigDir());
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
Q_CONSTRUCTOR_FUNCTION(isolateFromTheUser)

static void removeTheSandbox()
{
    if (!s_root.isEmpty())
        QDir(s_root).removeRecursively();
}
Q_DESTRUCTOR_FUNCTION(removeTheSandbox)

QString testConfigDir()
{
    return s_root + QStringLiteral("/config");
}

QString testSettingsFile()
{
    return testConfigDir() + QStringLiteral("/HinokiWorks.conf");
}

int storedValue(const QString &key)
{
    return QSettings(testSettingsFile(), QSettings::IniFormat).value(key, -1).toInt();
}

int runUntilExit(const std::function<void()> &step)
{
    QTimer::singleShot(0, step);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
    return QCoreApplication::exec();
}
