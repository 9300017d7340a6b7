#include "keyboard.h"

#include "keymap.h"

#include <QKeyEvent>

#ifdef MOCHITEN_HAVE_XCB
#  include <QGuiApplication>
#  include <xcb/xcb.h>
#  include <cstdlib>
#endif

std::optional<KeySymbols> keySymbolsForScanCode(quint32 nativeScanCode)
{
#ifdef MOCHITEN_HAVE_XCB
    // X keycodes run from 8 to 255.
    if (nativeScanCode < 8 || nativeScanCode > 255 || !qGuiApp)
        return std::nullopt;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t *c = x11->connection();
    const auto cookie = xcb_get_keyboard_mapping(c, xcb_keycode_t(nativeScanCode), 1);
    xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<KeySymbols> result;
    const int count = xcb_get_keyboard_mapping_keysyms_length(reply);
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
    if (count > 0 && syms[0] != 0) {
        // The core protocol repeats the unshifted symbol when a key has only one.
        result = KeySymbols{syms[0], count > 1 && syms[1] != 0 ? syms[1] : syms[0]};
    }
    std::free(reply);
    return result;
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
