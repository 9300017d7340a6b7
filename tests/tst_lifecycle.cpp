#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The real program in a sandbox of its own settings and runtime folders.
class Sandbox
{
public:
    Sandbox()
    {
        QDir(m_dir.path()).mkpath("config");
        QDir(m_dir.path()).mkpath("run");
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
    QString storeFile() const { return m_dir.path() + "/config/HinokiWorks.conf"; }
    QString socket() const { return m_dir.path() + "/run/Mochica.sock"; }

    QProcess *start()
    {
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_dir.path() + "/run");
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(MOCHITEN_BINARY, QStringList());
        m_processes.append(p);
        return p;
    }
    // The knock socket appears once the windows exist and the signals are watched.
    bool waitUntilRunning()
    {
        return QTest::qWaitFor([this] { return QFile::exists(socket()); }, 10000);
    }

private:
    QTemporaryDir m_dir;
    QList<QProcess *> m_processes;
};

class TestLifecycle : public QObject
{
    Q_OBJECT

private slots:
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
            ini.setValue("Mochica/Window_Calc_Window_Top", 41);
        }
        QProcess *first = box.start();
        QVERIFY(box.waitUntilRunning());
        ::kill(pid_t(first->processId()), signo);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);

        QSettings ini(box.storeFile(), QSettings::IniFormat);
        ini.beginGroup("Mochica");
        QCOMPARE(ini.childKeys().size(), 12);
        QCOMPARE(ini.value("NoMt").toInt(), 1);
        QCOMPARE(ini.value("Window_Calc_Window_Left").toInt(), 37);
        QCOMPARE(ini.value("Window_Calc_Window_Top").toInt(), 41);
        QCOMPARE(ini.value("Window_Log_Window_Height").toInt(), 300);

        // The lock went with the process: the next start runs.
        QProcess *next = box.start();
        QVERIFY(!next->waitForFinished(1500));
        QCOMPARE(next->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
