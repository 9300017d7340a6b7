#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that a
// logout, a "kill" or Ctrl+C in a terminal ends the program through its
// orderly exit and the settings are saved instead of lost.
//
// The signal handler only writes the signal number into a pipe (the one thing
// it may safely do); a socket notifier on the other end calls onSignal from the
// event loop. One watcher per process; the previous handlers come back when it
// is destroyed.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(std::function<void(int)> onSignal, QObject *parent = nullptr);
    ~SignalWatcher() override;

    // False when the pipe or the handlers could not be set up; the program then
    // runs on with the system's default reaction to these signals.
    bool isActive() const { return m_notifier != nullptr; }

    // The signals that end the program in an orderly way.
    static const int watchedSignals[3];

private:
    void readSignals();

    std::function<void(int)> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};
