#include "platform.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QPoint>
#include <QSize>
#include <QSysInfo>
#include <QUrl>

QString osPrettyName()
{
    const QString name = QSysInfo::prettyProductName();
    if (!name.isEmpty() && name != QLatin1String("unknown"))
        return name;
    return QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
}

void openLink(const QString &url)
{
    // The desktop's answer is not reported: there is nothing useful to tell the user.
    QDesktopServices::openUrl(QUrl(url));
}

bool windowPlacementWorks()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

namespace {
constexpr int CoordinateLimit = 32000;
constexpr int SizeLimit = 8192;
} // namespace

QPoint representablePosition(qint32 left, qint32 top)
{
    return QPoint(qBound(-CoordinateLimit, left, CoordinateLimit), qBound(-CoordinateLimit, top, CoordinateLimit));
}

QSize representableSize(qint32 width, qint32 height)
{
    return QSize(qBound(1, width, SizeLimit), qBound(1, height, SizeLimit));
}

void keepUnlessChanged(qint32 &stored, int now, int applied)
{
    if (now != applied)
        stored = now;
}
