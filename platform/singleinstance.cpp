#include "singleinstance.h"

#include <QDir>
#include <QObject>

#ifdef Q_OS_WIN
#  include <QCoreApplication>
#  include <QLocalServer>
#  include <QLocalSocket>
#else
#  include <QSocketNotifier>
#  include <memory>
#endif

#ifdef Q_OS_WIN
#  include "win32.h"
#else
#  include <cerrno>
#  include <fcntl.h>
#  include <cstring>
#  include <sys/file.h>
#  include <sys/socket.h>
#  include <sys/stat.h>
#  include <sys/un.h>
#  include <unistd.h>
#endif

static const char kName[] = "Mochica";

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
#ifdef Q_OS_WIN
    if (m_mutex)
        win32ReleaseMutex(m_mutex);
#else
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock; the file stays for the next start
    if (m_serverFd >= 0)
        ::close(m_serverFd);
#endif
}

#ifndef Q_OS_WIN
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
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 50) != 0) {
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
#endif

QString SingleInstance::lockPath()
{
#ifdef Q_OS_WIN
    return QString::fromLatin1(kName);
#else
    return runtimeDir() + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".lock");
#endif
}

QString SingleInstance::serverName()
{
#ifdef Q_OS_WIN
    // Pipe names are machine-wide; the session id keeps users and sessions apart.
    return QStringLiteral("%1-%2").arg(QLatin1String(kName)).arg(win32SessionId());
#else
    return runtimeDir() + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".sock");
#endif
}

bool SingleInstance::acquire()
{
#ifdef Q_OS_WIN
    // A session-local named mutex; the system releases it when the process ends.
    bool alreadyRunning = false;
    m_mutex = win32AcquireNamedMutex(kName, alreadyRunning);
    return !alreadyRunning; // without a handle at all there is nothing to guard with; run
#else
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
#endif
}

#ifdef Q_OS_WIN
void SingleInstance::notifyRunningInstance(int argc, char **argv)
{
    QCoreApplication core(argc, argv); // sockets want an application object; no display needed
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(500))
        return;
    socket.write("show\n");
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
}

void SingleInstance::listen(QObject *parent, std::function<void()> onRequest)
{
    auto *server = new QLocalServer(parent);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(serverName()))
        return;
    QObject::connect(server, &QLocalServer::newConnection, server, [server, onRequest] {
        while (QLocalSocket *client = server->nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QLocalSocket::readyRead, client, [client, onRequest] {
                if (client->readAll().contains("show"))
                    onRequest();
            });
        }
    });
}
#else
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

// Closes a socket when the object that watches it goes.
class SocketOwner : public QObject
{
public:
    SocketOwner(int fd, QObject *parent) : QObject(parent), m_fd(fd) {}
    ~SocketOwner() override { ::close(m_fd); }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Reads what one second start writes, and then lets it go.
void serveKnock(int fd, QObject *parent, const std::function<void()> &onRequest)
{
    auto *client = new SocketOwner(fd, parent);
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, client);
    auto received = std::make_shared<QByteArray>();
    QObject::connect(notifier, &QSocketNotifier::activated, client, [client, notifier, received, onRequest] {
        char buffer[64];
        const ssize_t n = ::recv(client->fd(), buffer, sizeof buffer, 0);
        if (n > 0 && received->size() < 64) {
            received->append(buffer, int(n));
            if (!received->contains("show"))
                return;
            onRequest();
        } else if (n < 0 && errno == EAGAIN) {
            return;
        }
        notifier->setEnabled(false); // said its piece, hung up, or failed
        client->deleteLater();
    });
}

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
    auto *server = new SocketOwner(m_serverFd, parent);
    m_serverFd = -1; // the server's from now on
    auto *notifier = new QSocketNotifier(server->fd(), QSocketNotifier::Read, server);
    QObject::connect(notifier, &QSocketNotifier::activated, server, [server, onRequest] {
        int client;
        while ((client = ::accept4(server->fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0)
            serveKnock(client, server, onRequest);
    });
}
#endif
