#include "sandbox.h"

// The arguments, the exit code, and the start of what the program prints on stdout (on stderr without a display).
struct Call { QStringList args; int code; QString out; bool display = true; };
Q_DECLARE_METATYPE(Call)

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    // --help and --version answer and exit without a window, even beside a running instance; anything
    // but the whole argument text "/debug", in any case, is an ordinary second start that exits with 1
    // (the switch itself: tst_hostile). Without a display the program says so in one line and exits 1,
    // no core dump.
    void commandLine_data()
    {
        QTest::addColumn<Call>("call");
        QTest::newRow("--help") << Call{{"--help"}, 0, "Usage: mochiten [/debug | --help | --version]\n"};
        QTest::newRow("--version") << Call{{"--version"}, 0, "Mochiten 2.1.0.3\n"};
        QTest::newRow("--help x: a second start") << Call{{"--help", "x"}, 1, ""};
        QTest::newRow("-debug: a second start") << Call{{"-debug"}, 1, ""};
        QTest::newRow("'/debug ': a second start") << Call{{"/debug "}, 1, ""};
        QTest::newRow("no display") << Call{{}, 1, "Mochiten: no display to open (DISPLAY=(unset), WAYLAND_DISPLAY=(unset))\n", false};
    }
    void commandLine()
    {
        QFETCH(Call, call);
        Sandbox box;
        QVERIFY(!call.display || box.run()); // without a display the lock is free: it really tries
        if (!call.display)
            for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                box.env.remove(name);
        box.channels = QProcess::SeparateChannels;
        QProcess *p = box.start(call.args);
        QCOMPARE(Sandbox::exitCode(p), call.code); // -1: a core dump, a crash
        const QString said = call.display ? p->readAllStandardOutput() : p->readAllStandardError();
        QVERIFY2(call.out.isEmpty() ? said.isEmpty() : said.startsWith(call.out) && (call.display || said == call.out), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
