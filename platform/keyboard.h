#pragma once

#include "keymap.h"

#include <QtGlobal>
#include <optional>

class QKeyEvent;


// Looks the key up in the X server's keyboard mapping. Empty when the program
// does not run on X11 or the key is unknown; callers then fall back to what the
// key event itself carries.
std::optional<KeySymbols> keySymbolsForScanCode(quint32 nativeScanCode);

// The Windows virtual-key code of a key press: on Windows the event's own; on
// X11 and Wayland the code Windows would give the same physical key (see
// virtualKeyFromQtKey in keymap.h). 0 when the key has none of interest.
int virtualKeyOf(const QKeyEvent &event);
