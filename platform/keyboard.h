#pragma once

#include "keymap.h"

class QKeyEvent;

// What a key press does in the calculator window (see actionForKey in keymap.h).
// Adds what the window system knows of the keyboard: on Windows the virtual key and
// whether the thread's active layout is Japanese; on X11 the layout's symbols on the
// key and whether the layout is Japanese, read from the X server once and again only
// when it says the keyboard changed. Elsewhere (Wayland without X, made-up events)
// the layout is unknown and taken for a non-Japanese one: the character typed decides.
KeyAction actionForKeyEvent(const QKeyEvent &event);
