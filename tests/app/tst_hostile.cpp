#include "sandbox.h"

#include <csignal>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utime.h>

static bool put(const QString &name, const QByteArray &b) { QFile f(name); return f.open(QIODevice::WriteOnly) && f.write(b) == b.size(); }
static QByteArray bytesOf(const QString &name) { QFile f(name); return f.open(QIODevice::ReadOnly) ? f.readAll() : "(no file)"; }
static QStringList entries(const QString &folder) { return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot); }
// Starts the program, sends SIGTERM once it runs and, killAfterUs later, SIGKILL (none when negative);
// returns the microseconds from SIGTERM to its end, or -1 (also when, not killed, it did not exit with 0).
static qint64 startAndEnd(Sandbox &box, int killAfterUs = -1)
{
    QFile::remove(box.path("run/Mochica.sock")); // a killed one's, else taken for the new one's
    QProcess *p = box.start();
    if (!box.waitUntilRunning())
        return -1;
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(p->processId()), SIGTERM);
    if (killAfterUs >= 0)
        QThread::usleep(killAfterUs), ::kill(pid_t(p->processId()), SIGKILL);
    const bool ended = p->waitForFinished(10000) && (killAfterUs >= 0 || (p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0));
    return ended ? clock.nsecsElapsed() / 1000 : -1;
}
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

    // On a full or read-only disk, or one with a few pages left, the exit's save either stores everything,
    // another program's section too, or fails and says why on stderr, with every byte of the file kept; no
    // part of the save is left beside it, and the exit code stays 0.
    void unwritableDisk_data()
    {
        QTest::addColumn<int>("freePages"); // -1: read-only
        QTest::addColumn<QByteArray>("reason"); // must fail so; empty: may succeed
        QTest::newRow("full") << 0 << QByteArray("No space left on device");
        QTest::newRow("read-only") << -1 << QByteArray("Read-only file system");
        for (int pages = 1; pages <= 5; ++pages)
            QTest::newRow(qPrintable(QString("%1 pages free").arg(pages))) << pages << QByteArray();
    }
    void unwritableDisk()
    {
        QFETCH(int, freePages);
        QFETCH(QByteArray, reason);
        Sandbox box;
        box.channels = QProcess::SeparateChannels;
        const QByteArray folder = QFile::encodeName(box.path("config")), content = "[Mochica]\nNoMt=5\n[Other]\nkey=theirs\n";
        const int page = ::getpagesize();
        if (::getuid() != 0 || ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=" + QByteArray::number(16 * page)) != 0)
            QSKIP(qPrintable("a small file system of its own cannot be mounted: " + QString(::getuid() ? "not root" : std::strerror(errno))));
        const auto unmount = qScopeGuard([&] { ::umount2(folder.constData(), MNT_DETACH); });
        QVERIFY(put(box.storeFile(), content));
        QFile fill(box.path("config/fill"));
        QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (freePages <= 0 && fill.write(QByteArray(page, 'x')) > 0) {}
        QVERIFY(freePages <= 0 || fill.write(QByteArray(page * (15 - freePages), 'x')) > 0);
        fill.close();
        QVERIFY(freePages >= 0 || ::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        QProcess *p = box.start();
        QVERIFY(box.waitUntilRunning());
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(entries(box.path("config")), QStringList({"fill", "HinokiWorks.conf"}));
        const QByteArray errors = p->readAllStandardError();
        if (bytesOf(box.storeFile()) == content)
            QVERIFY2(errors.contains("settings could not be written") && errors.contains(reason), errors);
        else
            QVERIFY(reason.isEmpty() && QSettings(box.storeFile(), QSettings::IniFormat).allKeys().size() == 13
                    && QSettings(box.storeFile(), QSettings::IniFormat).value("Other/key") == "theirs");
    }

    // kill -9 at any moment of the exit's save leaves nothing in the temporary folder and the file whole,
    // old or new; what it leaves beside the file goes at a start a minute later.
    void killedWhileSaving()
    {
        Sandbox box;
        const QByteArray old = "[Other]\nk=1\n[Mochica]\nNoMt=5\n";
        QVERIFY(put(box.storeFile(), old));
        const qint64 exitUs = startAndEnd(box); // how long an exit takes here, the save included
        QVERIFY(exitUs > 0);
        const QByteArray saved = bytesOf(box.storeFile());
        QVERIFY(saved != old);
        qsizetype leftBehind = 0; // besides the file and the lock of a killed save
        for (int i = 0; i < 40 && (i < 20 || !leftBehind); ++i) {
            QVERIFY(put(box.storeFile(), old));
            QVERIFY(startAndEnd(box, QRandomGenerator::global()->bounded(int(exitUs))) >= 0);
            QVERIFY2(QDir(box.path("tmp")).isEmpty(), qPrintable(entries(box.path("tmp")).join(' ')));
            const QByteArray now = bytesOf(box.storeFile());
            QVERIFY2(now == old || now == saved, now);
            const QStringList left = entries(box.path("config"));
            leftBehind = left.size() - 1 - left.contains("HinokiWorks.conf.lock");
        }
        QVERIFY(leftBehind > 0); // else the kills missed the save
        const utimbuf hourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
        for (const QString &name : entries(box.path("config")))
            QCOMPARE(::utime(QFile::encodeName(box.path("config/" + name)).constData(), &hourAgo), 0);
        QVERIFY(startAndEnd(box) > 0);
        QCOMPARE(entries(box.path("config")), QStringList{"HinokiWorks.conf"});
        QCOMPARE(bytesOf(box.storeFile()), saved);
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
