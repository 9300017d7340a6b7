#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum Phase : int { Starting, Watching, Ending };

// Written by the main thread, read by the handler; the handler may touch
// nothing but these.
volatile sig_atomic_t s_phase = Starting;
int s_pipe[2] = {-1, -1};

extern "C" void mochitenSignalHandler(int signo)
{
    if (s_phase == Starting)
        ::_exit(0); // nothing is loaded that could be lost, and nothing is being written
    if (s_phase != Watching)
        return;
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    // A full pipe already holds a pending request; dropping this one loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

bool SignalWatcher::installHandlers()
{
    if (s_pipe[0] >= 0)
        return true;
    if (::pipe(s_pipe) != 0)
        return false;
    for (int fd : s_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = mochitenSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // interrupted system calls resume instead of failing
    for (int signo : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signo, &action, nullptr);
    return true;
}

SignalWatcher::SignalWatcher(std::function<void()> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    if (s_phase != Starting || !installHandlers())
        return;
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignals);
    s_phase = Watching;
}

SignalWatcher::~SignalWatcher()
{
    s_phase = Ending;
}

void SignalWatcher::readSignals()
{
    unsigned char buffer[64];
    bool requested = false;
    while (::read(s_pipe[0], buffer, sizeof buffer) > 0)
        requested = true;
    if (!requested || s_phase != Watching)
        return;
    s_phase = Ending;
    if (m_onSignal)
        m_onSignal();
}
