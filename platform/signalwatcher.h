#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into one orderly exit, so that a logout, a
// "kill" or Ctrl+C in a terminal ends the program with its settings saved.
//
// The handlers go in before anything that can take time (installHandlers()).
// Until a watcher exists the windows are not up and nothing has changed, so a
// signal ends the process at once with nothing written. Once it exists, the
// handler only writes the signal number into a pipe (the one thing it may
// safely do), and the watcher calls onSignal from the event loop, once: later
// signals are ignored while the exit runs, and so is any signal after the
// watcher is gone, so the program is never cut off half-way through its end.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(std::function<void()> onSignal, QObject *parent = nullptr);
    ~SignalWatcher() override;

    // False when the pipe could not be made; the system's default reaction to
    // the signals then stays.
    static bool installHandlers();

    bool isActive() const { return m_notifier != nullptr; }

private:
    void readSignals();

    std::function<void()> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};
