#include "signalwatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#  include <cerrno>
#  include <csignal>
#  include <fcntl.h>
#  include <unistd.h>
#endif

#ifdef Q_OS_UNIX
const int SignalWatcher::watchedSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the notifier. Plain ints: the handler may
// touch nothing else.
static int s_pipe[2] = {-1, -1};
static struct sigaction s_previous[3];

extern "C" void mochitenSignalHandler(int signo)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    // A full pipe already holds a pending request; dropping this one loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

static bool openPipe()
{
    if (::pipe(s_pipe) != 0)
        return false;
    for (int fd : s_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

static void closePipe()
{
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
#else
// Windows delivers no such signals to a GUI program; the session's end arrives
// as a window message, which Qt turns into commitDataRequest.
const int SignalWatcher::watchedSignals[3] = {0, 0, 0};
#endif

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
#ifdef Q_OS_UNIX
    if (s_pipe[0] >= 0 || !openPipe())
        return;

    struct sigaction action = {};
    action.sa_handler = mochitenSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // interrupted system calls resume instead of failing
    for (int i = 0; i < 3; ++i)
        ::sigaction(watchedSignals[i], &action, &s_previous[i]);

    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignals);
#endif
}

SignalWatcher::~SignalWatcher()
{
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(watchedSignals[i], &s_previous[i], nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    closePipe();
#endif
}

void SignalWatcher::readSignals()
{
#ifdef Q_OS_UNIX
    unsigned char buffer[16];
    ssize_t n;
    while ((n = ::read(s_pipe[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (m_onSignal)
                m_onSignal(buffer[i]);
        }
    }
#endif
}
