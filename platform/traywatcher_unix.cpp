#include "traywatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <functional>
#include <utility>

#ifdef MOCHITEN_HAVE_XCB
#  include <QAbstractNativeEventFilter>
#  include <xcb/xcb.h>
#  include <cstdlib>
#endif

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");

// A StatusNotifierWatcher on the session bus with a host registered with it, which
// is what Qt asks for before it makes a D-Bus tray icon. Asked without blocking.
class StatusNotifierHost : public QObject
{
    Q_OBJECT

public:
    StatusNotifierHost(const QDBusConnection &bus, std::function<void(bool)> report, QObject *parent)
        : QObject(parent), m_bus(bus), m_report(std::move(report))
    {
        // The watcher coming and going, and a host registering with it later:
        // Plasma's watcher is up before its panel is.
        auto *names = new QDBusServiceWatcher(WatcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(names, &QDBusServiceWatcher::serviceOwnerChanged, this, &StatusNotifierHost::ask);
        for (const char *signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            m_bus.connect(WatcherService, WatcherPath, WatcherService, QLatin1String(signal), this, SLOT(ask()));
        ask();
    }

public slots:
    void ask()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(WatcherService, WatcherPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
        const int asked = ++m_asked;
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, asked] {
            call->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *call;
            if (asked == m_asked) // an older answer may come last
                m_report(reply.isValid() && reply.value().variant().toBool());
        });
    }

private:
    QDBusConnection m_bus;
    std::function<void(bool)> m_report;
    int m_asked = 0;
};

#ifdef MOCHITEN_HAVE_XCB
// An owner of the X screen's tray selection, _NET_SYSTEM_TRAY_S<n>: a new one
// says so in a MANAGER message to the root window, and it goes with its window.
class XEmbedTray : public QAbstractNativeEventFilter
{
public:
    XEmbedTray(xcb_connection_t *x, std::function<void(bool)> report)
        : m_x(x), m_report(std::move(report))
    {
        int display = 0, screen = 0; // the screen Qt opened too: DISPLAY's
        if (char *host = nullptr; xcb_parse_display(nullptr, &host, &display, &screen))
            std::free(host);
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
        const auto selection = xcb_intern_atom(x, false, name.size(), name.constData());
        const auto manager = xcb_intern_atom(x, false, 7, "MANAGER");
        m_selection = atom(xcb_intern_atom_reply(x, selection, nullptr));
        m_manager = atom(xcb_intern_atom_reply(x, manager, nullptr));
        xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(x));
        for (; screen > 0 && roots.rem > 1; --screen)
            xcb_screen_next(&roots);
        if (!m_selection || !m_manager || !roots.rem || !listen(roots.data->root))
            return;
        QCoreApplication::instance()->installNativeEventFilter(this);
        follow();
    }
    ~XEmbedTray() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool present() const { return m_owner != XCB_NONE; }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const auto *manager = static_cast<const xcb_client_message_event_t *>(message);
        const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
        const uint8_t type = event->response_type & 0x7f;
        if ((type == XCB_CLIENT_MESSAGE && manager->type == m_manager && manager->data.data32[1] == m_selection)
            || (type == XCB_DESTROY_NOTIFY && destroyed->window == m_owner))
            follow();
        return false; // Qt's own tray code wants them too
    }

private:
    static xcb_atom_t atom(xcb_intern_atom_reply_t *reply)
    {
        const xcb_atom_t a = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return a;
    }

    // Adds structure events (a destroyed window, a message to the root) to what
    // Qt already hears from the window. False when the window is gone.
    bool listen(xcb_window_t window)
    {
        xcb_generic_error_t *error = nullptr; // taken here, not reported by Qt as a fault
        xcb_get_window_attributes_reply_t *now =
            xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), &error);
        if (now) {
            const uint32_t mask = now->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            error = xcb_request_check(m_x, xcb_change_window_attributes_checked(m_x, window, XCB_CW_EVENT_MASK, &mask));
        }
        const bool listening = now && !error;
        std::free(now);
        std::free(error);
        return listening;
    }

    // The present owner, watched for its end. One that is gone already counts as
    // none: a tray that takes over after it announces itself.
    void follow()
    {
        xcb_get_selection_owner_reply_t *reply =
            xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, m_selection), nullptr);
        m_owner = reply && reply->owner != XCB_NONE && listen(reply->owner) ? reply->owner : XCB_NONE;
        std::free(reply);
        m_report(present());
    }

    xcb_connection_t *m_x;
    std::function<void(bool)> m_report;
    xcb_atom_t m_selection = XCB_NONE, m_manager = XCB_NONE;
    xcb_window_t m_owner = XCB_NONE;
};

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

} // namespace

class TrayWatcher::Sources
{
public:
    std::optional<bool> available() const { return xembed ? std::optional<bool>(true) : host; }

    // A source's news: changed() follows from the event loop if the answer is
    // another by then, so news in one turn makes one signal at most.
    void update(TrayWatcher *watcher)
    {
        QMetaObject::invokeMethod(
            watcher, [this, watcher] {
                if (available() != reported) {
                    reported = available();
                    emit watcher->changed();
                }
            }, Qt::QueuedConnection);
    }

    std::optional<bool> host; // empty until the bus answers
    bool xembed = false;
    std::optional<bool> reported; // what available() last gave
#ifdef MOCHITEN_HAVE_XCB
    std::unique_ptr<XEmbedTray> x11;
#endif
};

TrayWatcher::TrayWatcher(QObject *parent)
    : QObject(parent), m_sources(std::make_unique<Sources>())
{
    Sources *s = m_sources.get();
#ifdef MOCHITEN_HAVE_XCB
    if (xcb_connection_t *x = x11Connection())
        s->x11 = std::make_unique<XEmbedTray>(x, [this, s](bool present) { s->xembed = present; s->update(this); });
#endif
    // The bus answers from the event loop; until then available() is empty, unless an XEmbed tray is there.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        new StatusNotifierHost(bus, [this, s](bool present) { s->host = present; s->update(this); }, this);
    else
        s->host = false;
    s->reported = s->available();
}

TrayWatcher::~TrayWatcher() = default;

std::optional<bool> TrayWatcher::available() const
{
    return m_sources->available();
}

#include "traywatcher_unix.moc"
