#include "keyboard.h"

#include "keymap.h"

#include <QKeyEvent>

#ifdef MOCHITEN_HAVE_XCB
#  include <QAbstractNativeEventFilter>
#  include <QGuiApplication>
#  include <xcb/xcb.h>
#  include <cstdlib>
#  include <vector>
#endif

#ifdef MOCHITEN_HAVE_XCB
namespace {

// The layout's symbols for every keycode, read in one request when first needed
// rather than with a round trip to the X server at every key press. Dropped when
// the server says the mapping changed (a new layout, setxkbmap); every client
// gets that event, asked for or not.
class KeyboardMapping : public QAbstractNativeEventFilter
{
public:
    std::optional<KeySymbols> symbols(quint32 keycode)
    {
        if (!m_loaded)
            load();
        if (keycode >= m_table.size() || m_table[keycode].unshifted == 0)
            return std::nullopt;
        return m_table[keycode];
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const int kind = event->response_type & 0x7f;
        // The core event, or XKB's new-keyboard and map notices (its first two kinds),
        // which XKB-aware clients such as Qt get instead.
        if (kind == XCB_MAPPING_NOTIFY || (m_xkbEvent && kind == m_xkbEvent && event->pad0 <= 1))
            m_loaded = false;
        return false;
    }

private:
    void load()
    {
        m_table.assign(256, KeySymbols{});
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection())
            return;
        xcb_connection_t *c = x11->connection();
        if (!m_filtering) {
            qGuiApp->installNativeEventFilter(this);
            m_filtering = true;
            const auto query = xcb_query_extension(c, 9, "XKEYBOARD");
            if (xcb_query_extension_reply_t *xkb = xcb_query_extension_reply(c, query, nullptr)) {
                m_xkbEvent = xkb->present ? xkb->first_event : 0;
                std::free(xkb);
            }
        }
        const xcb_setup_t *setup = xcb_get_setup(c);
        const int first = setup->min_keycode, count = setup->max_keycode - setup->min_keycode + 1;
        const auto cookie = xcb_get_keyboard_mapping(c, xcb_keycode_t(first), quint8(count));
        xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
        if (!reply)
            return;
        const int perKey = reply->keysyms_per_keycode;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int i = 0; perKey > 0 && i < count && first + i < 256; ++i) {
            const xcb_keysym_t *key = syms + i * perKey;
            // The core protocol repeats the unshifted symbol when a key has only one.
            if (key[0] != 0)
                m_table[first + i] = KeySymbols{key[0], perKey > 1 && key[1] != 0 ? key[1] : key[0]};
        }
        std::free(reply);
        m_loaded = true;
    }

    std::vector<KeySymbols> m_table;
    bool m_loaded = false;
    bool m_filtering = false;
    int m_xkbEvent = 0; // where XKB's events start; 0 without XKB
};

} // namespace
#endif

std::optional<KeySymbols> keySymbolsForScanCode(quint32 nativeScanCode)
{
#ifdef MOCHITEN_HAVE_XCB
    static KeyboardMapping mapping;
    // X keycodes run from 8 to 255.
    if (nativeScanCode < 8 || nativeScanCode > 255 || !qGuiApp)
        return std::nullopt;
    return mapping.symbols(nativeScanCode);
#else
    Q_UNUSED(nativeScanCode);
    return std::nullopt;
#endif
}

int virtualKeyOf(const QKeyEvent &event)
{
#if defined(Q_OS_WIN)
    // Events made up by tests or other programs carry no native key.
    if (event.nativeVirtualKey() != 0)
        return int(event.nativeVirtualKey());
    const quint32 keycode = 0;
#elif defined(Q_OS_MACOS)
    const quint32 keycode = 0; // not an X keycode
#else
    const quint32 keycode = event.nativeScanCode();
#endif
    return virtualKeyFromQtKey(event.key(), event.modifiers(), keycode,
                               keycode ? keySymbolsForScanCode(keycode) : std::nullopt);
}
