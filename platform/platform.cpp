#include "platform.h"

#include "version.h"

#include <QDesktopServices>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QSysInfo>
#include <QPoint>
#include <QSize>
#include <QUrl>
#include <QWidget>

#ifdef Q_OS_WIN
#  include "win32.h"
#else
#  include <unistd.h>
#endif

#ifdef MOCHITEN_HAVE_XCB
#  include <xcb/xcb.h>
#  include <cstdlib>

static xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

bool choosePlatformPlugin()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    // Wayland stays as the fallback should the X server refuse us.
    const char *plugin = !qEnvironmentVariableIsEmpty("DISPLAY") ? "xcb;wayland"
                         : !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "wayland" : nullptr;
    return plugin && qputenv("QT_QPA_PLATFORM", plugin);
#else
    return false;
#endif
}

void installJapaneseFontSubstitutes()
{
#ifndef Q_OS_WIN
    // Proportional Gothic faces first: they match the metrics the layouts were made for.
    static const QStringList gothic = {
        QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"),
        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Takao PGothic"), QStringLiteral("Droid Sans Fallback"),
    };
    static const QStringList mincho = {
        QStringLiteral("IPAPMincho"), QStringLiteral("IPAexMincho"), QStringLiteral("IPAMincho"),
        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPGothic"),
    };
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), mincho);
#endif
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

void sendQueuedWindowRequests()
{
#ifdef MOCHITEN_HAVE_XCB
    if (xcb_connection_t *c = x11Connection())
        xcb_flush(c);
#endif
}

std::optional<OsVersionRecord> osVersionRecord()
{
#ifdef Q_OS_WIN
    OsVersion v;
    if (!win32OsVersion(v))
        return std::nullopt;
    return OsVersionRecord{v.platformId, v.minorVersion, v.buildNumber};
#else
    return std::nullopt;
#endif
}

QString osPrettyName()
{
    const QString name = QSysInfo::prettyProductName();
    if (!name.isEmpty() && name != QLatin1String("unknown"))
        return name;
    return QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
}

quint64 totalPhysicalMemory()
{
#ifdef Q_OS_WIN
    return win32TotalPhysicalMemory();
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return quint64(pages) * quint64(pageSize);
#endif
}

QString programFileVersion()
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(win32ProgramFileVersion());
#else
    return QStringLiteral(MOCHITEN_VERSION_STRING);
#endif
}

void openLink(const QString &url)
{
    // The desktop's answer is not reported: there is nothing useful to tell the user.
    QDesktopServices::openUrl(QUrl(url));
}

bool isTitleBarDoubleClick(const QByteArray &eventType, void *message)
{
#ifdef Q_OS_WIN
    return eventType == "windows_generic_MSG" && win32IsTitleBarDoubleClick(message);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
    return false;
#endif
}

bool isShownOnScreen(const QWidget *window)
{
    if (!window || !window->isVisible() || window->isMinimized())
        return false;
#ifdef MOCHITEN_HAVE_XCB
    xcb_connection_t *c = x11Connection();
    if (!c || !window->internalWinId())
        return true;
    const auto cookie = xcb_get_window_attributes(c, xcb_window_t(window->internalWinId()));
    xcb_get_window_attributes_reply_t *reply = xcb_get_window_attributes_reply(c, cookie, nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
#else
    return true;
#endif
}

bool windowPlacementWorks()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void mapAgain(QWidget *window)
{
#ifdef MOCHITEN_HAVE_XCB
    // A new map request makes the window manager take the window back.
    xcb_connection_t *c = x11Connection();
    if (!c || !window || !window->internalWinId())
        return;
    xcb_map_window(c, xcb_window_t(window->internalWinId()));
    xcb_flush(c);
#else
    Q_UNUSED(window);
#endif
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
