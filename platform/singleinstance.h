#pragma once

#include <QString>
#include <functional>

class QObject;

// One ordinary instance per user and login session, named "Mochica".
// The lock belongs to the process: the system drops it however the process ends,
// so a crashed instance never blocks the next start.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process may run: it holds the lock, or the lock cannot be
    // used and no instance answers on the socket. False when another instance runs.
    bool acquire();

    // Second start: tell the running instance that someone tried to start it.
    // Waits at most a moment and never fails loudly.
    void notifyRunningInstance(int argc, char **argv);

    // First start: call onRequest (on the GUI thread) whenever a second start knocks.
    // The server lives as long as parent.
    void listen(QObject *parent, std::function<void()> onRequest);

    // Where the lock and the knock live; follows XDG_RUNTIME_DIR so tests can isolate them.
    static QString lockPath();
    static QString serverName();

private:
#ifdef Q_OS_WIN
    void *m_mutex = nullptr;
#else
    int m_fd = -1;       // the lock file, held
    int m_serverFd = -1; // the socket, bound when the lock could not be used
#endif
};
