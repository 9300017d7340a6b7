#include "sandbox.h"

#include <csignal>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

static bool put(const QString &name, const QByteArray &b) { QFile f(name); return f.open(QIODevice::WriteOnly) && f.write(b) == b.size(); }
static mode_t typeOf(const QString &path) { struct stat st {}; return ::lstat(QFile::encodeName(path), &st) ? 0 : st.st_mode & S_IFMT; }
// Leaves at path what a broken or hostile machine might: a "folder" ("open folder": mode 0777), a
// "fifo", a "link to X", a file with the given text; "foreign ..." is another user's.
static void make(const QString &path, const QString &what)
{
    const QByteArray p = QFile::encodeName(path);
    if (what.endsWith("folder"))
        QVERIFY(::mkdir(p.constData(), 0700) == 0 && ::chmod(p.constData(), what == "open folder" ? 0777 : 0700) == 0);
    else if (what == "fifo")
        QCOMPARE(::mkfifo(p.constData(), 0600), 0);
    else if (what.startsWith("link to "))
        QVERIFY(QFile::link(what.mid(8), path));
    else
        QVERIFY(put(path, what.toUtf8()) && ::chmod(p.constData(), 0666) == 0);
    if (what.startsWith("foreign ") && ::chown(p.constData(), 65534, 65534) != 0)
        QSKIP("only root can give a file to another user");
}

// A connection to the program's socket, not waiting; -1 when its queue is full.
static int connectTo(const QString &socket)
{
    sockaddr_un a {AF_UNIX, {}};
    qstrncpy(a.sun_path, QFile::encodeName(socket).constData(), sizeof a.sun_path);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        fd = (::close(fd), -1);
    return fd;
}
// A second start's knock: true when the program read "show\n" and hung up (unread, it would be ECONNRESET).
static bool knock(const QString &socket)
{
    pollfd p {-1, POLLIN, 0};
    char c;
    const bool heard = QTest::qWaitFor([&] { return (p.fd = connectTo(socket)) >= 0; }, 10000)
                       && ::send(p.fd, "show\n", 5, MSG_NOSIGNAL) == 5 && ::poll(&p, 1, 10000) == 1 && ::recv(p.fd, &c, 1, 0) == 0;
    ::close(p.fd);
    return heard;
}
static long cpuTicks(pid_t pid) // user and system time
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = stat.open(QIODevice::ReadOnly) ? stat.readAll().split(')').last().split(' ') : QList<QByteArray>();
    return fields.size() > 13 ? fields[12].toLong() + fields[13].toLong() : -1;
}
static int descriptors(pid_t pid) { return QDir(QString("/proc/%1/fd").arg(pid), {}, QDir::NoSort, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).count(); }

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    // Whatever lies at the settings file or its lock, start and exit take under 2 s each and leave it as it
    // was; the settings are saved when a regular file can take them, and otherwise reported. One SIGTERM
    // while starting ends the program with nothing written; once it runs, a logout, "kill" or Ctrl+C (even
    // a flood of them) ends it the orderly way, at once.
    void terminated_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("signo");
        QTest::addColumn<bool>("whileStarting");
        QTest::addColumn<int>("storedNoMt"); // the store held 5; -1: it could not be written, nor read back
        const QString store = "HinokiWorks.conf", lock = "HinokiWorks.conf.lock", settings = "[Mochica]\nNoMt=5\n";
        QTest::newRow("store is a folder") << store << "folder" << int(SIGTERM) << false << -1;
        QTest::newRow("store is a FIFO") << store << "fifo" << int(SIGTERM) << false << -1;
        QTest::newRow("store links to nowhere: a new user's saved") << store << "link to gone.conf" << int(SIGTERM) << false << 0;
        QTest::newRow("lock is a FIFO") << lock << "fifo" << int(SIGTERM) << false << 1;
        QTest::newRow("lock of a program long gone") << lock << "99999\nother\nhost\n" << int(SIGTERM) << false << 1;
        QTest::newRow("SIGTERM while starting: nothing written") << store << settings << int(SIGTERM) << true << 5;
        QTest::newRow("SIGINT, as Ctrl+C sends") << store << settings << int(SIGINT) << false << 1;
        QTest::newRow("SIGHUP, as a logout sends") << store << settings << int(SIGHUP) << false << 1;
    }
    void terminated()
    {
        QFETCH(QString, path);
        QFETCH(QString, what);
        QFETCH(int, signo);
        QFETCH(bool, whileStarting);
        QFETCH(int, storedNoMt);
        Sandbox box;
        box.channels = QProcess::SeparateChannels;
        QVERIFY(put(box.storeFile(), "[Mochica]\nNoMt=5\n"));
        path = box.path("config/" + path);
        QFile::remove(path);
        make(path, what);
        const mode_t kind = typeOf(path);
        QElapsedTimer clock;
        clock.start();
        QProcess *p = box.start();
        if (!whileStarting)
            QVERIFY(box.waitUntilRunning() && clock.elapsed() < 2000);
        while (whileStarting && !QFile::exists(box.path("run/Mochica.lock")) && clock.elapsed() < 10000)
            QThread::usleep(200); // the lock comes first of all; the windows are still to come
        clock.restart();
        do {
            ::kill(pid_t(p->processId()), signo);
            QThread::usleep(500);
        } while (!whileStarting && !p->waitForFinished(0) && clock.elapsed() < 3000);
        QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(10000));
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(typeOf(path), kind);
        QVERIFY(QDir(box.path("tmp")).isEmpty()); // no private copy left behind
        QCOMPARE(p->readAllStandardError().contains("settings could not be written"), storedNoMt < 0);
        if (storedNoMt >= 0)
            QCOMPARE(QSettings(box.storeFile(), QSettings::IniFormat).value("Mochica/NoMt", -1).toInt(), storedNoMt);
    }

    // Whatever lies at the lock or in the fallback folder, a second ordinary start exits with 1 and leaves
    // the first running, its socket in place; nothing is made outside folders of our own.
    void instanceLockInTheWay_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("runDir"); // where lock and socket end up
        const QString fallback = QString("tmp/mochiten-%1").arg(::getuid());
        QTest::newRow("lock is a folder") << "run/Mochica.lock" << "folder" << "run";
        QTest::newRow("lock is a FIFO") << "run/Mochica.lock" << "fifo" << "run";
        QTest::newRow("lock links elsewhere") << "run/Mochica.lock" << "link to ../victim" << "run";
        QTest::newRow("lock of another user") << "run/Mochica.lock" << "foreign file" << "run";
        QTest::newRow("fallback of our own") << fallback << "folder" << fallback;
        QTest::newRow("fallback open to all") << fallback << "open folder" << "cache/mochiten";
        QTest::newRow("fallback of another user") << fallback << "foreign folder" << "cache/mochiten";
        QTest::newRow("fallback links elsewhere") << fallback << "link to ../victim" << "cache/mochiten";
    }
    void instanceLockInTheWay()
    {
        QFETCH(QString, path);
        QFETCH(QString, what);
        QFETCH(QString, runDir);
        Sandbox box;
        if (runDir != "run")
            box.env.remove("XDG_RUNTIME_DIR");
        make(box.path(path), what);
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning(runDir));
        QProcess *second = box.start({"/debug", "x"}); // not the switch: an ordinary start
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(Sandbox::stillRunningAfter(first, 200));
        QVERIFY(QFile::exists(box.path(runDir + "/Mochica.sock")));
        QVERIFY(!QFile::exists(box.path("victim")));
    }

    // A flood of idle connections to the socket that second starts knock on (up to 1,100, under the usual
    // limit of 1,024 descriptors or with the table all but full) costs no CPU and few descriptors; a second
    // start exits with 1, a knock is heard once the idle ones are let go and descriptors are back, and
    // SIGTERM amid the flood saves the settings, even with the table all but full.
    void socketFlood_data()
    {
        QTest::addColumn<int>("spare"); // descriptors left under the program's limit; 0: the limit is 1,024
        QTest::addColumn<bool>("givenBack"); // the limit is 1,024 again before the knock and the exit
        QTest::newRow("1,100 idle clients") << 0 << true;
        QTest::newRow("descriptors all but gone, then back") << 8 << true;
        QTest::newRow("descriptors all but gone at exit") << 8 << false;
    }
    void socketFlood()
    {
        QFETCH(int, spare);
        QFETCH(bool, givenBack);
        rlimit own {};
        if (::getrlimit(RLIMIT_NOFILE, &own) != 0 || own.rlim_max < 1200)
            QSKIP("the test cannot open 1,100 descriptors");
        own.rlim_cur = std::max(own.rlim_cur, rlim_t(1200));
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &own), 0);
        Sandbox box;
        box.childSetup = [] { const rlimit limit {1024, 1024}; ::setrlimit(RLIMIT_NOFILE, &limit); };
        QVERIFY(put(box.storeFile(), "[Mochica]\nNoMt=5\n"));
        QProcess *p = box.start();
        QVERIFY(box.waitUntilRunning());
        const pid_t pid = pid_t(p->processId());
        const int held = descriptors(pid);
        const rlimit squeezed {rlim_t(held + spare), 1024}, usual {1024, 1024};
        QVERIFY(held > 2 && (!spare || ::prlimit(pid, RLIMIT_NOFILE, &squeezed, nullptr) == 0));
        const QString socket = box.path("run/Mochica.sock");
        std::vector<int> idle;
        auto hangUp = qScopeGuard([&] { std::for_each(idle.begin(), idle.end(), ::close); });
        const auto flood = [&](int ms) { // as fast as the program takes them
            QElapsedTimer clock;
            for (clock.start(); idle.size() < 1100 && clock.elapsed() < ms; QThread::usleep(100))
                if (const int fd = connectTo(socket); fd >= 0)
                    idle.push_back(fd);
        };
        const long cpu = cpuTicks(pid);
        flood(1000);
        QVERIFY(descriptors(pid) < held + 16); // 8 heard at a time
        QTest::qWait(1000);
        QVERIFY2(cpu >= 0 && cpuTicks(pid) - cpu < ::sysconf(_SC_CLK_TCK) / 5, "over 10 % of a CPU"); // spinning on accept took 95 %
        QProcess *second = box.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(!spare || !givenBack || ::prlimit(pid, RLIMIT_NOFILE, &usual, nullptr) == 0);
        QVERIFY(!givenBack || knock(socket));
        flood(300);
        ::kill(pid, SIGTERM);
        QVERIFY(p->waitForFinished(10000) && p->exitStatus() == QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(QSettings(box.storeFile(), QSettings::IniFormat).value("Mochica/NoMt", -1).toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
