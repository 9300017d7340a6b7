#include "singleinstance.h"

#include "win32.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

static const char kName[] = "Mochica";

// A second start says its piece at once. These bound what a flood of connections
// (a stuck script, a hostile program) can take: a few heard at a time, each let
// go after a second without it.
static const int kMaxKnocks = 8;
static const int kKnockTimeoutMs = 1000;

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        win32ReleaseMutex(m_mutex);
}

QString SingleInstance::lockPath()
{
    return QString::fromLatin1(kName);
}

QString SingleInstance::serverName()
{
    // Pipe names are machine-wide; the session id keeps users and sessions apart.
    return QStringLiteral("%1-%2").arg(QLatin1String(kName)).arg(win32SessionId());
}

bool SingleInstance::acquire()
{
    // A session-local named mutex; the system releases it when the process ends.
    bool alreadyRunning = false;
    m_mutex = win32AcquireNamedMutex(kName, alreadyRunning);
    return !alreadyRunning; // without a handle at all there is nothing to guard with; run
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

namespace {

// Qt fetches no more connections than kMaxKnocks until they are taken; they are
// taken only while fewer than that are being heard.
class KnockServer : public QLocalServer
{
public:
    KnockServer(QObject *parent, std::function<void()> onRequest) : QLocalServer(parent), m_onRequest(std::move(onRequest))
    {
        setSocketOptions(QLocalServer::UserAccessOption);
        setMaxPendingConnections(kMaxKnocks);
        connect(this, &QLocalServer::newConnection, this, &KnockServer::takeKnocks);
    }

private:
    void takeKnocks()
    {
        while (m_knocks < kMaxKnocks) {
            QLocalSocket *client = nextPendingConnection();
            if (!client)
                return;
            ++m_knocks;
            connect(client, &QObject::destroyed, this, [this] {
                --m_knocks;
                takeKnocks();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QTimer::singleShot(kKnockTimeoutMs, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, client, [this, client] {
                if (!client->readAll().contains("show"))
                    return;
                m_onRequest();
                client->deleteLater();
            });
        }
    }

    int m_knocks = 0;
    std::function<void()> m_onRequest;
};

} // namespace

void SingleInstance::listen(QObject *parent, std::function<void()> onRequest)
{
    auto *server = new KnockServer(parent, std::move(onRequest));
    if (!server->listen(serverName()))
        delete server;
}
