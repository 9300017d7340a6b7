#include "sandbox.h"

#include <csignal>

class TestLifecycle : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
