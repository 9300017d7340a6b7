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
        QTest::newRow("/dEbUg") << QStringList{"/dEbUg"} << true;
        QTest::newRow("none") << QStringList() << false;
        QTest::newRow("/debug x") << QStringList{"/debug", "x"} << false;
        QTest::newRow("-debug") << QStringList{"-debug"} << false;
        QTest::newRow("/debug ") << QStringList{"/debug "} << false;
    }
    void debugSwitch()
    {
        QFETCH(QStringList, args);
        QTEST(isDebugSwitch(commandLineText(QStringList{"mochiten"} + args)), "debug");
    }

    // The lock belongs to the ordinary instance's process: a debug start runs beside it (an
    // ordinary one exits: tst_hostile), and a killed instance blocks nothing.
    void lockFollowsTheProcess()
    {
        Sandbox box;
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        QVERIFY(Sandbox::stillRunningAfter(box.start({"/DEBUG"}), 1500));
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(Sandbox::stillRunningAfter(box.start(), 1500));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
