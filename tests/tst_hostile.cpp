#include "sandbox.h"

#include <QLocalServer>

#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

static bool put(const QString &name, const QByteArray &b) { QFile f(name); return f.open(QIODevice::WriteOnly) && f.write(b) == b.size(); }
static mode_t typeOf(const QString &path) { struct stat st {}; return ::lstat(QFile::encodeName(path), &st) ? 0 : st.st_mode & S_IFMT; }
// Leaves at path what a broken or hostile machine might: a "folder", a "fifo", a "device", a
// "socket", a "link to X", or a file with the given text.
static void make(const QString &path, const QString &what)
{
    const QByteArray p = QFile::encodeName(path);
    if (what.endsWith("folder"))
        QCOMPARE(::mkdir(p.constData(), 0700), 0);
    else if (what == "fifo")
        QCOMPARE(::mkfifo(p.constData(), 0600), 0);
    else if (what == "device") { // a null device of the sandbox's own
        if (::mknod(p.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("only root can make a device");
    } else if (what == "socket")
        QVERIFY((new QLocalServer(QCoreApplication::instance()))->listen(path)); // served for the rest of the test
    else if (what.startsWith("link to "))
        QVERIFY(QFile::link(what.mid(8), path));
    else
        QVERIFY(put(path, what.toUtf8()) && ::chmod(p.constData(), 0666) == 0);
}

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    // Whatever lies at the settings file or its lock, start and exit take under 2 s each and leave it
    // as it was; the settings are saved when a regular file can take them, and otherwise reported.
    void storeInTheWay_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("saved");
        QTest::newRow("store is a folder") << "HinokiWorks.conf" << "folder" << false;
        QTest::newRow("store is a FIFO") << "HinokiWorks.conf" << "fifo" << false;
        QTest::newRow("store is a socket") << "HinokiWorks.conf" << "socket" << false;
        QTest::newRow("store is a device") << "HinokiWorks.conf" << "device" << false;
        QTest::newRow("store links to nowhere") << "HinokiWorks.conf" << "link to gone.conf" << true;
        QTest::newRow("lock is a folder") << "HinokiWorks.conf.lock" << "folder" << true;
        QTest::newRow("lock is a FIFO") << "HinokiWorks.conf.lock" << "fifo" << true;
        QTest::newRow("lock of a program long gone") << "HinokiWorks.conf.lock" << "99999\nother\nhost\n" << true;
    }
    void storeInTheWay()
    {
        QFETCH(QString, path);
        QFETCH(QString, what);
        QFETCH(bool, saved);
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
        QVERIFY(box.waitUntilRunning());
        const qint64 started = clock.restart();
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QVERIFY(started < 2000 && clock.elapsed() < 2000);
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(typeOf(path), kind);
        QCOMPARE(p->readAllStandardError().contains("settings could not be written"), !saved);
        if (saved) // the one value the program writes whatever it read
            QCOMPARE(QSettings(box.storeFile(), QSettings::IniFormat).value("Mochica/Window_Log_Window_Height"), "300");
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
