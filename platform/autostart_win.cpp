#include "autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace {

QSettings &runKey()
{
    static QSettings key(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                         QSettings::NativeFormat);
    return key;
}

const QString ValueName = QStringLiteral("Mochiten");

} // namespace

bool startsAtLogon()
{
    runKey().sync();
    return !runKey().value(ValueName).toString().isEmpty();
}

bool setStartsAtLogon(bool on)
{
    if (on)
        runKey().setValue(ValueName, QLatin1Char('"') + QDir::toNativeSeparators(QCoreApplication::applicationFilePath())
                                         + QLatin1Char('"'));
    else
        runKey().remove(ValueName);
    runKey().sync();
    if (runKey().status() == QSettings::NoError)
        return true;
    qWarning("Mochiten: the registry refused the Run value");
    return false;
}
