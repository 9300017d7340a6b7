#pragma once

#include "settings.h"

class QWidget;

// Where one of our windows goes and what of its place is remembered: the stored
// place at every show while the user keeps places, the middle of the screen at
// the first show otherwise, and at every hide the place (and, where kept, the
// client size) read back into the settings.
class WindowPlacement
{
public:
    WindowPlacement(QWidget &window, WindowSettings &stored, bool keepsSize);

    // From the window's setVisible(true). Its first placement happens before
    // the native window exists: only then does X11 take a position as the
    // frame's, the frame not being known yet.
    void beforeShow();
    // The stored place (when kept) and size, now, shown or not: every show
    // and the settings dialog's reset run it.
    void restore();
    // The window's place and size into the settings. Values the window still
    // holds as they were applied stay as stored, out-of-range ones included, and
    // a window never shown leaves them all alone.
    void remember();

private:
    QWidget &m_window;
    WindowSettings &m_stored;
    const bool m_keepsSize;
    const bool m_centreAtFirstShow;
    bool m_shown = false;
};
