#pragma once

#include <QtGlobal>
#include <optional>

class QKeyEvent;

// The symbols that the current keyboard layout prints on a physical key,
// unshifted (level 0) and shifted (level 1), as X keysyms; for the printable
// ASCII range a keysym is the character's own code.
struct KeySymbols
{
    quint32 unshifted = 0;
    quint32 shifted = 0;
};

// Looks the key up in the X server's keyboard mapping. Empty when the program
// does not run on X11 or the key is unknown; callers then fall back to what the
// key event itself carries.
std::optional<KeySymbols> keySymbolsForScanCode(quint32 nativeScanCode);

// The Windows virtual-key code of a key press: on Windows the event's own; on
// X11 and Wayland the code Windows would give the same physical key (see
// virtualKeyFromQtKey in keymap.h). 0 when the key has none of interest.
int virtualKeyOf(const QKeyEvent &event);
