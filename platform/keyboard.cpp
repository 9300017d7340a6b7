#include "keyboard.h"

#include <QKeyEvent>

#ifdef Q_OS_WIN
#  include "win32.h"
#endif

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
    // Adds the layout's symbols on the pressed key and whether the layout is Japanese.
    void describe(KeyPress &press)
    {
        if (!m_loaded)
            load();
        press.japaneseLayout = m_japanese;
        if (press.keycode < m_table.size() && m_table[press.keycode].unshifted != 0)
            press.symbols = m_table[press.keycode];
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
        m_japanese = false;
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
        // Of the layouts X ships, only the Japanese (jp and the vendors' copies; not its
        // kana, Dvorak or NICOLA variants) has ":" and "*" on the key right of ";" (AC11)
        // and "@" right of "P" (AD11). The keys, unlike the layout's name, also tell
        // under XWayland, which takes its keymap from the compositor.
        const KeySymbols ac11 = m_table[40 + 8], ad11 = m_table[26 + 8]; // evdev code + 8
        m_japanese = ac11.unshifted == ':' && ac11.shifted == '*' && ad11.unshifted == '@';
        m_loaded = true;
    }

    std::vector<KeySymbols> m_table;
    bool m_loaded = false;
    bool m_japanese = false;
    bool m_filtering = false;
    int m_xkbEvent = 0; // where XKB's events start; 0 without XKB
};

} // namespace
#endif

KeyAction actionForKeyEvent(const QKeyEvent &event)
{
    KeyPress press;
    press.key = event.key();
    press.modifiers = event.modifiers();
#if defined(Q_OS_WIN)
    press.virtualKey = event.nativeVirtualKey(); // 0 in events made up by tests or other programs
    press.japaneseLayout = win32JapaneseKeyboardLayout();
#elif !defined(Q_OS_MACOS) // a macOS scan code is no X keycode
    press.keycode = event.nativeScanCode();
#  ifdef MOCHITEN_HAVE_XCB
    static KeyboardMapping mapping;
    if (qGuiApp)
        mapping.describe(press);
#  endif
#endif
    return actionForKey(press);
}
