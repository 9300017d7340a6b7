#include "platform.h"

#include <QDesktopServices>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
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

// The installed families by their case-folded names, as Qt compares them (it
// also keeps the stand-ins in lower case); empty until read.
static QHash<QString, QString> &installedFamilies()
{
    static QHash<QString, QString> families;
    return families;
}

void readInstalledFaces()
{
    QHash<QString, QString> &installed = installedFamilies();
    for (QString family : QFontDatabase::families()) {
        // A family that several foundries make is listed once for each, as "Family [Foundry]".
        const qsizetype foundry = family.indexOf(QLatin1String(" ["));
        if (foundry > 0)
            family.truncate(foundry);
        installed.insert(family.toCaseFolded(), family);
    }
}

QString installedFace(const QString &face)
{
    const QHash<QString, QString> &installed = installedFamilies();
    if (installed.isEmpty() || installed.contains(face.toCaseFolded()))
        return face;
    const QStringList standIns = QFont::substitutes(face);
    for (const QString &standIn : standIns) {
        if (const auto found = installed.constFind(standIn.toCaseFolded()); found != installed.cend())
            return *found;
    }
    return face; // Qt finds what it can
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
