#include "sandbox.h"

#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utime.h>

static QStringList entries(const QString &folder) { return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot); }
// Starts the program, sends SIGTERM once it runs and, killAfterUs later, SIGKILL (none when negative);
// returns the microseconds from SIGTERM to its end, or -1 (also when, not killed, it did not exit with 0).
static qint64 startAndEnd(Sandbox &box, int killAfterUs = -1)
{
    QFile::remove(box.path("run/Mochica.sock")); // a killed one's, else taken for the new one's
    QProcess *p = box.run();
    QElapsedTimer clock;
    clock.start();
    if (!p || ::kill(pid_t(p->processId()), SIGTERM) != 0)
        return -1;
    if (killAfterUs >= 0)
        QThread::usleep(killAfterUs), ::kill(pid_t(p->processId()), SIGKILL);
    const bool ended = killAfterUs >= 0 ? p->waitForFinished(10000) : Sandbox::exitCode(p) == 0;
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
    const QList<QByteArray> fields = bytesOf(QString("/proc/%1/stat").arg(pid)).split(')').last().split(' ');
    return fields.size() > 13 ? fields[12].toLong() + fields[13].toLong() : -1;
}
static int descriptors(pid_t pid) { return QDir(QString("/proc/%1/fd").arg(pid), {}, QDir::NoSort, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).count(); }

// What lies at path in the settings folder (as make() takes it), the signal, whether it comes while the program
// starts, and what the store then holds under NoMt: it held 5; -1: it could not be written, nor read back.
struct Termination { QString path, what; int signo; bool whileStarting; int storedNoMt; };
Q_DECLARE_METATYPE(Termination)
// What lies where (as make() takes it), and the folder that the lock and the socket then end up in.
struct InTheWay { QString path, what, runDir; };
Q_DECLARE_METATYPE(InTheWay)

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
        QTest::addColumn<Termination>("t");
        const QString store = "HinokiWorks.conf", lock = "HinokiWorks.conf.lock", settings = "[Mochica]\nNoMt=5\n";
        QTest::newRow("store is a folder") << Termination{store, "folder", SIGTERM, false, -1};
        QTest::newRow("store is a FIFO") << Termination{store, "fifo", SIGTERM, false, -1};
        QTest::newRow("store links to nowhere: a new user's saved") << Termination{store, "link to gone.conf", SIGTERM, false, 0};
        QTest::newRow("lock is a FIFO") << Termination{lock, "fifo", SIGTERM, false, 1};
        QTest::newRow("lock of a program long gone") << Termination{lock, "99999\nother\nhost\n", SIGTERM, false, 1};
        QTest::newRow("SIGTERM while starting: nothing written") << Termination{store, settings, SIGTERM, true, 5};
        QTest::newRow("SIGINT, as Ctrl+C sends") << Termination{store, settings, SIGINT, false, 1};
        QTest::newRow("SIGHUP, as a logout sends") << Termination{store, settings, SIGHUP, false, 1};
    }
    void terminated()
    {
        QFETCH(Termination, t);
        Sandbox box;
        box.channels = QProcess::SeparateChannels;
        QVERIFY(put(box.storeFile(), "[Mochica]\nNoMt=5\n"));
        const QString path = box.path("config/" + t.path);
        QFile::remove(path);
        make(path, t.what);
        const mode_t kind = typeOf(path);
        QElapsedTimer clock;
        clock.start();
        QProcess *p = box.start();
        if (!t.whileStarting)
            QVERIFY(box.waitUntilRunning() && clock.elapsed() < 2000);
        while (t.whileStarting && !QFile::exists(box.path("run/Mochica.lock")) && clock.elapsed() < 10000)
            QThread::usleep(200); // the lock comes first of all; the windows are still to come
        clock.restart();
        do // once it runs, a flood of them
            ::kill(pid_t(p->processId()), t.signo), QThread::usleep(500);
        while (!t.whileStarting && !p->waitForFinished(0) && clock.elapsed() < 3000);
        QVERIFY(Sandbox::exitCode(p) == 0 && clock.elapsed() < 2000);
        QCOMPARE(typeOf(path), kind);
        QCOMPARE(p->readAllStandardError().contains("settings could not be written"), t.storedNoMt < 0);
        QCOMPARE(t.storedNoMt < 0 ? -1 : storedValue("Mochica/NoMt", box.storeFile()), t.storedNoMt);
    }

    // Whatever lies at the lock or in the fallback folder, a second ordinary start exits with 1 and leaves
    // the first running, its socket in place; a debug start runs beside it (the lock belongs to the
    // ordinary instance's process); nothing is made outside folders of our own.
    void instanceLockInTheWay_data()
    {
        QTest::addColumn<InTheWay>("w");
        const QString lock = "run/Mochica.lock", fallback = QString("tmp/mochiten-%1").arg(::getuid()), cache = "cache/mochiten";
        QTest::newRow("lock is a folder") << InTheWay{lock, "folder", "run"};
        QTest::newRow("lock is a FIFO") << InTheWay{lock, "fifo", "run"};
        QTest::newRow("lock links elsewhere") << InTheWay{lock, "link to ../victim", "run"};
        QTest::newRow("lock of another user") << InTheWay{lock, "foreign file", "run"};
        QTest::newRow("fallback of our own") << InTheWay{fallback, "folder", fallback};
        QTest::newRow("fallback open to all") << InTheWay{fallback, "open folder", cache};
        QTest::newRow("fallback of another user") << InTheWay{fallback, "foreign folder", cache};
        QTest::newRow("fallback links elsewhere") << InTheWay{fallback, "link to ../victim", cache};
    }
    void instanceLockInTheWay()
    {
        QFETCH(InTheWay, w);
        Sandbox box;
        if (w.runDir != "run")
            box.env.remove("XDG_RUNTIME_DIR");
        make(box.path(w.path), w.what);
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning(w.runDir));
        QProcess *debug = box.start({"/dEbUg"}); // the switch, in any case: it runs beside the first
        QCOMPARE(Sandbox::exitCode(box.start({"/debug", "x"})), 1); // not the switch: an ordinary start
        QVERIFY(Sandbox::stillRunningAfter(first, 200) && Sandbox::stillRunningAfter(debug, 200));
        QVERIFY(QFile::exists(box.path(w.runDir + "/Mochica.sock")));
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
        const QByteArray folder = QFile::encodeName(box.path("config")), content = "[Mochica]\nNoMt=5\n[Other]\nkey=7\n";
        if (::getuid() != 0 || ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=" + QByteArray::number(16 * ::getpagesize())) != 0)
            QSKIP(qPrintable("a small file system of its own cannot be mounted: " + QString(::getuid() ? "not root" : std::strerror(errno))));
        const auto unmount = qScopeGuard([&] { ::umount2(folder.constData(), MNT_DETACH); });
        QVERIFY(put(box.storeFile(), content));
        // The file holds one of the 16 pages: a fill of 16 fills the disk, and fails
        QVERIFY(put(box.path("config/fill"), QByteArray(::getpagesize() * (freePages > 0 ? 15 - freePages : 16), 'x')) == (freePages > 0));
        QVERIFY(freePages >= 0 || ::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        QProcess *p = box.run();
        QVERIFY(p && Sandbox::end(p));
        QCOMPARE(entries(box.path("config")), QStringList({"fill", "HinokiWorks.conf"}));
        const QByteArray errors = p->readAllStandardError();
        if (bytesOf(box.storeFile()) == content)
            QVERIFY2(errors.contains("settings could not be written") && errors.contains(reason), errors);
        else
            QVERIFY(reason.isEmpty() && QSettings(box.storeFile(), QSettings::IniFormat).allKeys().size() == 13
                    && storedValue("Other/key", box.storeFile()) == 7);
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
        const rlimit own {1200, 1200};
        if (::setrlimit(RLIMIT_NOFILE, &own) != 0)
            QSKIP("the test cannot open 1,100 descriptors");
        Sandbox box;
        box.childSetup = [] { const rlimit limit {1024, 1024}; ::setrlimit(RLIMIT_NOFILE, &limit); };
        QVERIFY(put(box.storeFile(), "[Mochica]\nNoMt=5\n"));
        QProcess *p = box.run();
        QVERIFY(p);
        const pid_t pid = pid_t(p->processId());
        const int held = descriptors(pid);
        const rlimit squeezed {rlim_t(held + spare), 1024}, usual {1024, 1024};
        QVERIFY(held > 2 && (!spare || ::prlimit(pid, RLIMIT_NOFILE, &squeezed, nullptr) == 0));
        const QString socket = box.path("run/Mochica.sock");
        std::vector<int> idle;
        auto hangUp = qScopeGuard([&] { std::for_each(idle.begin(), idle.end(), ::close); });
        const auto flood = [&](int ms) { // as fast as the program takes them
            for (const QDeadlineTimer end(ms); idle.size() < 1100 && !end.hasExpired(); QThread::usleep(100))
                if (const int fd = connectTo(socket); fd >= 0)
                    idle.push_back(fd);
        };
        const long cpu = cpuTicks(pid);
        flood(1000);
        QVERIFY(descriptors(pid) < held + 16); // 8 heard at a time
        QTest::qWait(1000);
        QVERIFY2(cpu >= 0 && cpuTicks(pid) - cpu < ::sysconf(_SC_CLK_TCK) / 5, "over 10 % of a CPU"); // spinning on accept took 95 %
        QCOMPARE(Sandbox::exitCode(box.start()), 1);
        QVERIFY(!spare || !givenBack || ::prlimit(pid, RLIMIT_NOFILE, &usual, nullptr) == 0);
        QVERIFY(!givenBack || knock(socket));
        flood(300);
        QVERIFY(Sandbox::end(p));
        QCOMPARE(storedValue("Mochica/NoMt", box.storeFile()), 1);
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
