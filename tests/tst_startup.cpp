#include "sandbox.h"
#include "startup.h"

#include <csignal>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    // The switch counts only when the whole argument text is "/debug", in any case.
    void debugSwitch_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("debug");
        QTest::newRow("/debug") << QStringList{"/debug"} << true;
        QTest::newRow("/dEbUg") << QStringList{"/dEbUg"} << true;
        QTest::newRow("none") << QStringList() << false;
        QTest::newRow("/debug x") << QStringList{"/debug", "x"} << false;
        QTest::newRow("-debug") << QStringList{"-debug"} << false;
        QTest::newRow("/debug ") << QStringList{"/debug "} << false;
    }
    void debugSwitch()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, debug);
        QCOMPARE(isDebugSwitch(commandLineText(QStringList{"mochiten"} + args)), debug);
    }

    void secondStartExitsWithOne_data()
    {
        QTest::addColumn<QStringList>("secondArgs");
        QTest::newRow("no arguments") << QStringList();
        QTest::newRow("switch with more text") << QStringList{"/debug", "x"};
        QTest::newRow("dash instead of slash") << QStringList{"-debug"};
    }
    void secondStartExitsWithOne()
    {
        QFETCH(QStringList, secondArgs);
        Sandbox box;
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        QProcess *second = box.start(secondArgs);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(Sandbox::stillRunningAfter(first, 200));
    }

    void debugInstancesRunBesideOthers()
    {
        Sandbox box;
        QProcess *ordinary = box.start();
        QVERIFY(box.waitUntilRunning());
        QProcess *debug1 = box.start({"/DEBUG"});
        QProcess *debug2 = box.start({"/debug"});
        QVERIFY(Sandbox::stillRunningAfter(debug1, 1500));
        QVERIFY(Sandbox::stillRunningAfter(debug2, 100));
        QCOMPARE(ordinary->state(), QProcess::Running);

        // A debug instance takes no lock: beside one, an ordinary start runs.
        Sandbox other;
        QVERIFY(Sandbox::stillRunningAfter(other.start({"/Debug"}), 1000));
        other.start();
        QVERIFY(other.waitUntilRunning()); // only an ordinary instance opens the socket
    }

    void killedInstanceDoesNotBlockTheNextStart()
    {
        Sandbox box;
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(Sandbox::stillRunningAfter(box.start(), 1500));
        QProcess *third = box.start(); // and the new one holds the lock again
        QVERIFY(third->waitForFinished(10000));
        QCOMPARE(third->exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
