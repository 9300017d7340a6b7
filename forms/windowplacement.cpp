#include "windowplacement.h"

#include "look.h"
#include "platform.h"

#include <QWidget>

WindowPlacement::WindowPlacement(QWidget &window, WindowSettings &stored, bool keepsSize)
    : m_window(window), m_stored(stored), m_keepsSize(keepsSize), m_centreAtFirstShow(!stored.savePosition)
{
}

void WindowPlacement::beforeShow()
{
    // Closing a window destroys its native window, so this comes again later.
    if (!m_window.testAttribute(Qt::WA_WState_Created)) {
        restore();
        if (m_centreAtFirstShow && !m_shown)
            centreOnScreen(&m_window);
    }
    m_shown = true;
}

void WindowPlacement::restore()
{
    if (m_keepsSize)
        m_window.resize(representableSize(m_stored.width, m_stored.height));
    if (!m_stored.savePosition)
        return;
    // Moving again to where the window already is would, between creating the
    // native window and mapping it, make X11 take the point for the client area.
    // But a window never moved is placed by the window manager, so the stored
    // point (0, 0 for a new user) is asked for once.
    const QPoint saved = representablePosition(m_stored.left, m_stored.top);
    if (m_window.pos() != saved || !m_window.testAttribute(Qt::WA_Moved))
        m_window.move(saved);
}

void WindowPlacement::remember()
{
    // A window never shown has no place of its own yet.
    if (!m_shown)
        return;
    // Where the window system places windows itself (Wayland) there is no place
    // of ours to read: the stored one stays.
    if (windowPlacementWorks()) {
        const QPoint applied = representablePosition(m_stored.left, m_stored.top);
        keepUnlessChanged(m_stored.left, m_window.x(), applied.x());
        keepUnlessChanged(m_stored.top, m_window.y(), applied.y());
    }
    if (m_keepsSize) {
        const QSize applied = representableSize(m_stored.width, m_stored.height);
        keepUnlessChanged(m_stored.width, m_window.width(), applied.width());
        keepUnlessChanged(m_stored.height, m_window.height(), applied.height());
    }
}
