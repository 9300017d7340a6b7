#include "singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#ifdef Q_OS_WIN
#  include <windows.h>
#else
#  include <cerrno>
#  include <fcntl.h>
#  include <sys/file.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

static const char kName[] = "Mochica";

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
#ifdef Q_OS_WIN
    if (m_mutex) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
#else
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock; the file stays for the next start
#endif
}

#ifndef Q_OS_WIN
// The per-user runtime directory of the login session; a private folder under
// the temporary directory when the session does not provide one.
static QString runtimeDir()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(QString::fromLocal8Bit(xdg)).exists())
        return QString::fromLocal8Bit(xdg);
    const QString fallback = QDir::tempPath() + QStringLiteral("/mochiten-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(fallback).constData(), 0700);
    return fallback;
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
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return QStringLiteral("%1-%2").arg(QLatin1String(kName)).arg(session);
#else
    return runtimeDir() + QLatin1Char('/') + QLatin1String(kName) + QStringLiteral(".sock");
#endif
}

bool SingleInstance::acquire()
{
#ifdef Q_OS_WIN
    // A session-local named mutex; the system releases it when the process ends.
    m_mutex = CreateMutexA(nullptr, TRUE, kName);
    if (m_mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(m_mutex);
        m_mutex = nullptr;
        return false;
    }
    return true; // without a handle at all there is nothing to guard with; run
#else
    const QByteArray path = QFile::encodeName(lockPath());
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return true; // no place for a lock: better to run than to refuse to start
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool held = (errno == EWOULDBLOCK);
    ::close(m_fd);
    m_fd = -1;
    return !held;
#endif
}

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
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    QLocalServer::removeServer(serverName());
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
