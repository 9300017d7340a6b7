#include "singleinstance.h"

#include <QDir>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

static const char kName[] = "Mochica";

// A second start says its piece at once. These bound what a flood of connections
// (a stuck script, a hostile program) can take: a few heard at a time, each let
// go after a second without it.
static const int kMaxKnocks = 8;
static const int kKnockTimeoutMs = 1000;

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock; the file stays for the next start
    if (m_serverFd >= 0)
        ::close(m_serverFd);
}

static bool ownedBy(const struct stat &st, mode_t type)
{
    return (st.st_mode & S_IFMT) == type && st.st_uid == ::getuid();
}

// A folder of our own under `parent`, made if need be; empty when what is there
// is not ours alone. Checked with lstat, so a link to someone's folder counts as theirs.
static QString privateFolder(const QString &parent, const QString &name)
{
    const QString folder = parent + QLatin1Char('/') + name;
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !ownedBy(st, S_IFDIR) || (st.st_mode & 0777) != 0700)
        return QString();
    return folder;
}

// The per-user runtime directory of the login session. Without one, a folder
// under the temporary directory, where every local user may create names: used
// only when it is ours alone, or else one under the user's cache directory.
static QString findRuntimeDir()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(QString::fromLocal8Bit(xdg)).exists())
        return QString::fromLocal8Bit(xdg);
    const QString shared = privateFolder(QDir::tempPath(), QStringLiteral("mochiten-%1").arg(::getuid()));
    if (!shared.isEmpty())
        return shared;
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    const QString cacheHome = cache.startsWith('/') ? QFile::decodeName(cache)
                                                    : QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cacheHome);
    const QString own = cacheHome + QStringLiteral("/mochiten");
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    ::chmod(QFile::encodeName(own).constData(), 0700); // made earlier under another umask
    return own;
}

static QString runtimeDir()
{
    static const QString dir = findRuntimeDir(); // the lock and the socket must agree
    return dir;
}

static bool socketAddress(const QString &name, sockaddr_un &address)
{
    const QByteArray path = QFile::encodeName(name);
    address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// True when an instance listens on the socket: it is running, whatever the lock says.
static bool serverAnswers(const QString &name)
{
    sockaddr_un address;
    if (!socketAddress(name, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A full backlog answers EAGAIN: busy, but alive.
    const bool answers = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
                         || errno == EAGAIN;
    ::close(fd);
    return answers;
}

// Without a usable lock the socket is the lock: bound at once, so that the
// next start finds it while this one is still building its windows.
static int claimSocket(const QString &name)
{
    sockaddr_un address;
    if (!socketAddress(name, address))
        return -1;
    struct stat st {};
    if (::lstat(address.sun_path, &st) == 0) {
        if (!ownedBy(st, S_IFSOCK))
            return -1;
        ::unlink(address.sun_path); // nobody answered on it: left by an instance that died
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // A short queue: a second start that finds it full exits at once without
    // knocking, and a real knock is not held back long behind a flood.
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, kMaxKnocks) != 0) {
        ::close(fd);
        return -1;
    }
    ::chmod(address.sun_path, 0600);
    return fd;
}

// The lock file, when it is a regular file of ours: never through a link, never
// anything that could block or that someone else could hold for us.
static int openLockFile(const QString &name)
{
    const QByteArray path = QFile::encodeName(name);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !ownedBy(st, S_IFREG)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QString SingleInstance::lockPath()
{
    return runtimeDir() + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".lock");
}

QString SingleInstance::serverName()
{
    return runtimeDir() + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".sock");
}

bool SingleInstance::acquire()
{
    m_fd = openLockFile(lockPath());
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = (errno == EWOULDBLOCK);
        ::close(m_fd);
        m_fd = -1;
        if (held)
            return false;
    }
    // An instance that found the lock unusable is known by its socket alone.
    if (serverAnswers(serverName()))
        return false;
    if (m_fd < 0)
        m_serverFd = claimSocket(serverName());
    return true; // with neither lock nor socket there is nothing to guard with; run
}

void SingleInstance::notifyRunningInstance(int, char **)
{
    // A plain socket: a second start needs no event loop, and the program no
    // network library.
    sockaddr_un address;
    if (!socketAddress(serverName(), address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        [[maybe_unused]] const ssize_t n = ::send(fd, "show\n", 5, MSG_NOSIGNAL);
    ::close(fd);
}

namespace {

// Descriptors that second starts never take, for what the program must still
// do, above all its exit save.
const int kSpareDescriptors = 16;
const int kRetryMs = 200;

// Descriptors are handed out lowest first: the next one tells how full the table is.
bool descriptorsShort(int fd)
{
    const int next = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (next < 0)
        return true;
    ::close(next);
    rlimit limit {};
    return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
           && rlim_t(next) + kSpareDescriptors >= limit.rlim_cur;
}

// One second start, heard out or let go after a second of silence.
class Knock : public QObject
{
public:
    Knock(int fd, QObject *parent, const std::function<void()> &onRequest, std::function<void()> onEnd)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read), m_onRequest(onRequest), m_onEnd(std::move(onEnd))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Knock::read);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &Knock::end);
        m_deadline.start(kKnockTimeoutMs);
    }
    ~Knock() override
    {
        m_notifier.setEnabled(false);
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    void read()
    {
        char buffer[64];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n > 0 && m_received.size() < 64) {
            m_received.append(buffer, int(n));
            if (!m_received.contains("show"))
                return;
            m_onRequest();
        }
        end(); // said its piece, hung up, failed, or wrote too much
    }
    // The descriptor goes back at once, the object once the event loop is done with it.
    void end()
    {
        if (m_fd < 0)
            return;
        m_notifier.setEnabled(false);
        m_deadline.stop();
        ::close(m_fd);
        m_fd = -1;
        deleteLater();
        m_onEnd();
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QTimer m_deadline;
    QByteArray m_received;
    std::function<void()> m_onRequest;
    std::function<void()> m_onEnd;
};

// The listening socket, not watched while kMaxKnocks are being heard. When
// descriptors run short it stays readable: rather than being asked again and again,
// it is left alone for a moment, its callers waiting in the queue. (A reserve
// descriptor to take and drop them with would turn them away for nothing.)
class KnockServer : public QObject
{
public:
    KnockServer(int fd, QObject *parent, std::function<void()> onRequest)
        : QObject(parent), m_fd(fd), m_listener(fd, QSocketNotifier::Read), m_onRequest(std::move(onRequest))
    {
        connect(&m_listener, &QSocketNotifier::activated, this, &KnockServer::acceptKnocks);
        m_retry.setSingleShot(true);
        m_retry.setInterval(kRetryMs);
        connect(&m_retry, &QTimer::timeout, this, &KnockServer::watch);
    }
    ~KnockServer() override
    {
        m_listener.setEnabled(false);
        ::close(m_fd);
    }

private:
    void watch() { m_listener.setEnabled(!m_retry.isActive() && m_knocks < kMaxKnocks); }

    void acceptKnocks()
    {
        while (m_knocks < kMaxKnocks) {
            if (descriptorsShort(m_fd)) {
                waitForDescriptors("too few file descriptors left");
                break;
            }
            const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0 && (errno == EINTR || errno == ECONNABORTED))
                continue;
            if (fd < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK)
                    waitForDescriptors(std::strerror(errno)); // EMFILE, ENFILE, ENOBUFS, ENOMEM
                break;
            }
            m_short = false;
            ++m_knocks;
            new Knock(fd, this, m_onRequest, [this] {
                --m_knocks;
                watch();
            });
        }
        watch();
    }

    void waitForDescriptors(const char *reason)
    {
        if (!m_short) // once, not at every try
            qWarning("Mochiten: second starts have to wait: %s", reason);
        m_short = true;
        m_retry.start();
    }

    int m_fd;
    QSocketNotifier m_listener;
    QTimer m_retry;
    int m_knocks = 0;
    bool m_short = false;
    std::function<void()> m_onRequest;
};

} // namespace

void SingleInstance::listen(QObject *parent, std::function<void()> onRequest)
{
    // A socket that nobody answers on was left by a crashed instance; one that
    // answers belongs to a live instance and is never taken from it.
    if (m_serverFd < 0 && !serverAnswers(serverName()))
        m_serverFd = claimSocket(serverName());
    if (m_serverFd < 0)
        return;
    ::fcntl(m_serverFd, F_SETFL, ::fcntl(m_serverFd, F_GETFL) | O_NONBLOCK);
    new KnockServer(m_serverFd, parent, std::move(onRequest));
    m_serverFd = -1; // the server's from now on
}
