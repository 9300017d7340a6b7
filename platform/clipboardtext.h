#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

class QEvent;
class QTimer;
class QWidget;

// The clipboard's text for a paste, read without waiting on the program that
// holds it. On X11, QClipboard::text() blocks the window for up to 15 seconds
// per paste when that program does not answer. Here the request goes out on a
// connection of our own and the answer comes back through the event loop, after
// a second at most; keys typed at the window meanwhile are held back and then
// delivered in their order, so that "Ctrl+V + 1" still adds 1 to what was
// pasted. Elsewhere (Wayland, Windows) QClipboard answers at once, as before.
class ClipboardText : public QObject
{
public:
    explicit ClipboardText(QWidget *window);
    ~ClipboardText() override;

    // Calls onText with the clipboard's text, or with an empty text when there
    // is none, it is no text, is longer than any number could be, comes in parts
    // (INCR) or not within DeadlineMs. A request while one is pending is ignored;
    // pastes typed while an owner kept silent past the deadline are refused at once.
    void request(std::function<void(const QString &text)> onText);
    bool isPending() const { return bool(m_onText); }

    static constexpr int DeadlineMs = 1000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct X11;
    bool connectX11();
    void convert(quint32 target);
    void readX11Events();
    void finish(const QString &text, bool timedOut = false);

    QWidget *m_window;
    QTimer *m_deadline;
    std::function<void(const QString &)> m_onText;
    std::deque<std::unique_ptr<QEvent>> m_heldKeys;
    std::unique_ptr<X11> m_x11;
    bool m_ownerSilent = false; // while the keys held for a paste that timed out are delivered
};
