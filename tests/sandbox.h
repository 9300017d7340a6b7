#pragma once

#include <QtTest>

#include <memory>
#include <vector>

// Runs the real program in a sandbox of its own: its own settings folder and its
// own runtime folder, where the single-instance lock lives. Whatever is still
// running when the sandbox goes is killed (QProcess's destructor does that).
class Sandbox
{
public:
    Sandbox() { QDir(m_dir.path()).mkpath("config"), QDir(m_dir.path()).mkpath("run"); }
    QString storeFile() const { return m_dir.path() + "/config/HinokiWorks.conf"; }

    QProcess *start(const QStringList &args = {})
    {
        QProcess *p = m_processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", m_dir.path() + "/run");
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(MOCHITEN_BINARY, args);
        return p;
    }
    // The knock socket appears once an ordinary instance has its windows and watches its signals.
    bool waitUntilRunning()
    {
        return QTest::qWaitFor([this] { return QFile::exists(m_dir.path() + "/run/Mochica.sock"); }, 10000);
    }
    static bool stillRunningAfter(QProcess *p, int ms)
    {
        return !p->waitForFinished(ms) && p->state() == QProcess::Running;
    }

private:
    QTemporaryDir m_dir; // declared first, so the processes go before their folders
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
