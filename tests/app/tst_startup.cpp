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

    // --help and --version answer and exit without a window, even beside a running
    // instance; without a display the program says so in one line and exits 1, no core dump.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // the start of what it prints on stdout, or on stderr
        QTest::newRow("--help") << QStringList{"--help"} << true << 0 << "Usage: mochiten [/debug | --help | --version]\n";
        QTest::newRow("--version") << QStringList{"--version"} << true << 0 << "Mochiten 2.1.0.3\n";
        QTest::newRow("--help x: a second start") << QStringList{"--help", "x"} << true << 1 << "";
        QTest::newRow("no display") << QStringList() << false << 1 << "Mochiten: no display to open (DISPLAY=(unset), WAYLAND_DISPLAY=(unset))\n";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, display);
        QFETCH(QString, out);
        Sandbox box;
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            if (!display)
                box.env.remove(name);
        if (!display)
            first->kill(), first->waitForFinished(); // the lock free: it really tries
        box.channels = QProcess::SeparateChannels;
        QProcess *p = box.start(args);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit); // a core dump is a crash
        QTEST(p->exitCode(), "code");
        const QString said = display ? p->readAllStandardOutput() : p->readAllStandardError();
        QVERIFY2(out.isEmpty() ? said.isEmpty() : said.startsWith(out) && (display || said == out), qPrintable(said));
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
