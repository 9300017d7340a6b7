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

    // The lock belongs to the ordinary instance's process: a second ordinary start
    // exits with 1, a debug one runs beside it, and a killed instance blocks nothing.
    void lockFollowsTheProcess()
    {
        Sandbox box;
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        QProcess *second = box.start({"/debug", "x"}); // not the switch: an ordinary start
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(Sandbox::stillRunningAfter(box.start({"/DEBUG"}), 1500));
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(Sandbox::stillRunningAfter(box.start(), 1500));
    }

    // A logout, "kill" or Ctrl+C leaves the way Exit does: settings saved, lock released.
    void signalEndsInAnOrderlyWay_data()
    {
        QTest::addColumn<int>("signo");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalEndsInAnOrderlyWay()
    {
        QFETCH(int, signo);
        Sandbox box;
        {
            QSettings ini(box.storeFile(), QSettings::IniFormat);
            ini.setValue("Mochica/NoMt", 5); // only an orderly exit rewrites this as 1
            ini.setValue("Mochica/Window_Calc_Window_Left", 37);
        }
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        ::kill(pid_t(first->processId()), signo);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);

        QSettings ini(box.storeFile(), QSettings::IniFormat);
        QCOMPARE(ini.value("Mochica/NoMt").toInt(), 1);
        QCOMPARE(ini.value("Mochica/Window_Calc_Window_Left").toInt(), 37);
        QCOMPARE(ini.value("Mochica/Window_Log_Window_Height").toInt(), 300); // the default, written too
        QVERIFY(Sandbox::stillRunningAfter(box.start(), 1500));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
