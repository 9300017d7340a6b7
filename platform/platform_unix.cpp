#include "platform.h"

#include "version.h"

#include <QFont>
#include <QGuiApplication>
#include <QWidget>

#include <unistd.h>

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
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    // Wayland stays as the fallback should the X server refuse us.
    const char *plugin = !qEnvironmentVariableIsEmpty("DISPLAY") ? "xcb;wayland"
                         : !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "wayland" : nullptr;
    return plugin && qputenv("QT_QPA_PLATFORM", plugin);
}

void installJapaneseFontSubstitutes()
{
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
}

std::optional<OsVersionRecord> osVersionRecord()
{
    return std::nullopt; // not Windows: osPrettyName() names the system
}

quint64 totalPhysicalMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return quint64(pages) * quint64(pageSize);
}

QString programFileVersion()
{
    return QStringLiteral(MOCHITEN_VERSION_STRING);
}

bool isTitleBarDoubleClick(const QByteArray &, void *)
{
    return false; // the window manager owns the title bar and keeps its clicks
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

void sendQueuedWindowRequests()
{
#ifdef MOCHITEN_HAVE_XCB
    if (xcb_connection_t *c = x11Connection())
        xcb_flush(c);
#endif
}
