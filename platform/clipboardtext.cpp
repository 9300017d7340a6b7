#include "clipboardtext.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#ifdef MOCHITEN_HAVE_XCB
#  include <xcb/xcb.h>
#  include <cstdlib>
#  include <cstring>

// Our own connection to the X server, so that an owner's slow answer, or none,
// holds up nothing of Qt's.
struct ClipboardText::X11
{
    xcb_connection_t *c = nullptr;
    xcb_window_t root = XCB_NONE;
    // A window per request: a late answer to one given up on then finds nobody.
    xcb_window_t requestor = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE, utf8 = XCB_NONE, property = XCB_NONE;
    std::unique_ptr<QSocketNotifier> notifier;

    ~X11()
    {
        notifier.reset();
        xcb_disconnect(c);
    }
};

namespace {
// Far more than a number with blanks around it; a longer text is refused unread.
constexpr quint32 MaxTextBytes = 64 * 1024;
} // namespace

bool ClipboardText::connectX11()
{
    if (m_x11) // broken only when the server went, which Qt's own connection ends the program for
        return !xcb_connection_has_error(m_x11->c);
    if (!qGuiApp || !qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return false;
    int screen = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screen); // $DISPLAY, as Qt's
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        qWarning("Mochiten: no second connection to the X server; a paste waits on the clipboard's owner");
        return false;
    }
    m_x11 = std::make_unique<X11>();
    X11 &x = *m_x11;
    x.c = c;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (; screen > 0 && it.rem > 1; --screen)
        xcb_screen_next(&it);
    x.root = it.data->root;
    const char *const names[] = {"CLIPBOARD", "UTF8_STRING", "MOCHITEN_PASTE"};
    xcb_atom_t *const atoms[] = {&x.clipboard, &x.utf8, &x.property};
    xcb_intern_atom_cookie_t cookies[3];
    for (int i = 0; i < 3; ++i) // asked together: one round trip
        cookies[i] = xcb_intern_atom(c, 0, quint16(std::strlen(names[i])), names[i]);
    for (int i = 0; i < 3; ++i) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
        *atoms[i] = reply ? reply->atom : XCB_NONE;
        std::free(reply);
    }
    x.notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(x.notifier.get(), &QSocketNotifier::activated, this, &ClipboardText::readX11Events);
    return true;
}

void ClipboardText::convert(quint32 target)
{
    X11 &x = *m_x11;
    xcb_convert_selection(x.c, x.requestor, x.clipboard, target, x.property, XCB_CURRENT_TIME);
    xcb_flush(x.c);
}

void ClipboardText::readX11Events()
{
    X11 &x = *m_x11;
    while (xcb_generic_event_t *event = xcb_poll_for_event(x.c)) {
        const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event);
        if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY || !isPending() || notify->requestor != x.requestor) {
            std::free(event);
            continue;
        }
        const xcb_atom_t target = notify->target, property = notify->property;
        std::free(event);
        if (property == XCB_NONE) {
            // Refused: an owner without UTF-8 may still hand over Latin-1.
            if (target == x.utf8)
                convert(XCB_ATOM_STRING);
            else
                finish(QString());
            continue;
        }
        // The X server holds the text now: this waits on the server, not on the owner.
        const auto cookie = xcb_get_property(x.c, 1, x.requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, MaxTextBytes / 4);
        xcb_get_property_reply_t *reply = xcb_get_property_reply(x.c, cookie, nullptr);
        QString text;
        // Only text handed over whole: an announced transfer in parts (INCR, of
        // format 32) could trickle on for ever, and a number never needs one.
        if (reply && reply->format == 8 && reply->bytes_after == 0) {
            const char *data = static_cast<const char *>(xcb_get_property_value(reply));
            const int size = xcb_get_property_value_length(reply);
            if (reply->type == x.utf8)
                text = QString::fromUtf8(data, size);
            else if (reply->type == XCB_ATOM_STRING)
                text = QString::fromLatin1(data, size);
        }
        std::free(reply);
        finish(text);
    }
    if (xcb_connection_has_error(x.c)) {
        x.notifier->setEnabled(false);
        if (isPending())
            finish(QString());
    }
}

#else

struct ClipboardText::X11 {};

bool ClipboardText::connectX11()
{
    return false;
}

void ClipboardText::convert(quint32) {}
void ClipboardText::readX11Events() {}

#endif

ClipboardText::ClipboardText(QWidget *window)
    : QObject(window), m_window(window), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] { finish(QString(), true); });
}

ClipboardText::~ClipboardText() = default;

void ClipboardText::request(std::function<void(const QString &text)> onText)
{
    if (isPending())
        return; // the answer to the first paste is still to come
    if (m_ownerSilent) { // a held Ctrl+V would only wait that second again, and again
        onText(QString());
        return;
    }
    if (!connectX11()) {
        onText(QGuiApplication::clipboard()->text());
        return;
    }
    m_onText = std::move(onText);
#ifdef MOCHITEN_HAVE_XCB
    X11 &x = *m_x11;
    x.requestor = xcb_generate_id(x.c);
    xcb_create_window(x.c, XCB_COPY_FROM_PARENT, x.requestor, x.root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    convert(x.utf8);
#endif
    m_deadline->start(DeadlineMs);
    m_window->installEventFilter(this);
}

void ClipboardText::finish(const QString &text, bool timedOut)
{
    m_deadline->stop();
#ifdef MOCHITEN_HAVE_XCB
    if (m_x11 && m_x11->requestor != XCB_NONE) {
        xcb_destroy_window(m_x11->c, m_x11->requestor);
        xcb_flush(m_x11->c);
        m_x11->requestor = XCB_NONE;
    }
#endif
    const std::function<void(const QString &)> onText = std::move(m_onText);
    m_onText = nullptr;
    if (onText)
        onText(text);
    // The keys typed meanwhile, in order; should one of them paste again, the
    // rest wait for that paste in turn.
    m_ownerSilent = timedOut;
    while (!isPending() && !m_heldKeys.empty()) {
        const std::unique_ptr<QEvent> key = std::move(m_heldKeys.front());
        m_heldKeys.pop_front();
        QCoreApplication::sendEvent(m_window, key.get());
    }
    m_ownerSilent = false;
    if (!isPending())
        m_window->removeEventFilter(this);
}

bool ClipboardText::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && isPending() && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        m_heldKeys.emplace_back(event->clone());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
