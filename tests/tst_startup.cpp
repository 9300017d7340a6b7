#include "startup.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// Starts the real program in a sandbox of its own: its own settings folder and
// its own runtime folder, where the single-instance lock lives.
class Sandbox
{
public:
    Sandbox()
    {
        QDir(m_dir.path()).mkpath("config");
        QDir(m_dir.path()).mkpath("run");
    }
    QString runtimeDir() const { return m_dir.path() + "/run"; }

    QProcess *start(const QStringList &args)
    {
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", runtimeDir());
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(MOCHITEN_BINARY, args);
        m_processes.append(p);
        return p;
    }
    // The knock socket appears once the first instance has created its windows.
    bool waitUntilRunning()
    {
        return QTest::qWaitFor([this] { return QFile::exists(runtimeDir() + "/Mochica.sock"); }, 10000);
    }
    ~Sandbox()
    {
        for (QProcess *p : m_processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
    }

private:
    QTemporaryDir m_dir;
    QList<QProcess *> m_processes;
};

static bool stillRunningAfter(QProcess *p, int ms)
{
    return !p->waitForFinished(ms) && p->state() == QProcess::Running;
}

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void debugSwitch_data();
    void debugSwitch();
    void commandLineJoinsArguments();
    void secondStartExitsWithOne_data();
    void secondStartExitsWithOne();
    void debugInstancesRunBesideOthers();
    void killedInstanceDoesNotBlockTheNextStart();
};

void TestStartup::debugSwitch_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("debug");

    QTest::newRow("/debug") << "/debug" << true;
    QTest::newRow("/DEBUG") << "/DEBUG" << true;
    QTest::newRow("/Debug") << "/Debug" << true;
    QTest::newRow("/dEbUg") << "/dEbUg" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("/debug x") << "/debug x" << false;
    QTest::newRow("-debug") << "-debug" << false;
    QTest::newRow("/debugx") << "/debugx" << false;
    QTest::newRow("debug") << "debug" << false;
    QTest::newRow(" /debug") << " /debug" << false;
    QTest::newRow("/debug ") << "/debug " << false;
}

void TestStartup::debugSwitch()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, debug);
    QCOMPARE(isDebugSwitch(commandLine), debug);
}

void TestStartup::commandLineJoinsArguments()
{
    QCOMPARE(commandLineText({"mochiten"}), QString());
    QCOMPARE(commandLineText({"mochiten", "/DEBUG"}), QString("/DEBUG"));
    QCOMPARE(commandLineText({"mochiten", "/debug", "x"}), QString("/debug x"));
    QVERIFY(!isDebugSwitch(commandLineText({"mochiten", "/debug", "x"})));
}

void TestStartup::secondStartExitsWithOne_data()
{
    QTest::addColumn<QStringList>("secondArgs");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("switch with more text") << QStringList{"/debug", "x"};
    QTest::newRow("dash instead of slash") << QStringList{"-debug"};
}

void TestStartup::secondStartExitsWithOne()
{
    QFETCH(QStringList, secondArgs);
    Sandbox box;
    QProcess *first = box.start({});
    QVERIFY(box.waitUntilRunning());

    QProcess *second = box.start(secondArgs);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 1);
    QVERIFY(stillRunningAfter(first, 200)); // untouched
}

void TestStartup::debugInstancesRunBesideOthers()
{
    Sandbox box;
    QProcess *ordinary = box.start({});
    QVERIFY(box.waitUntilRunning());
    QProcess *debug1 = box.start({"/DEBUG"});
    QProcess *debug2 = box.start({"/debug"});
    QVERIFY(stillRunningAfter(debug1, 1500));
    QVERIFY(stillRunningAfter(debug2, 100));
    QVERIFY(ordinary->state() == QProcess::Running);

    // A debug instance takes no lock: with only debug instances up, an ordinary start runs.
    Sandbox other;
    QProcess *debugAlone = other.start({"/Debug"});
    QVERIFY(stillRunningAfter(debugAlone, 1000));
    QProcess *ordinaryBeside = other.start({});
    QVERIFY(other.waitUntilRunning());
    QVERIFY(stillRunningAfter(ordinaryBeside, 200));
}

void TestStartup::killedInstanceDoesNotBlockTheNextStart()
{
    Sandbox box;
    QProcess *first = box.start({});
    QVERIFY(box.waitUntilRunning());
    ::kill(pid_t(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(5000));

    QProcess *next = box.start({});
    QVERIFY(stillRunningAfter(next, 1500));
    QProcess *third = box.start({});
    QVERIFY(third->waitForFinished(10000));
    QCOMPARE(third->exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
