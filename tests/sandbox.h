#pragma once

#include "testenv.h"

#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

// Runs the real program in a sandbox of its own: its own settings folder and its
// own runtime folder, where the single-instance lock lives; without a runtime
// folder, its temporary, cache and home folders are the sandbox's too. Whatever
// is still running when the sandbox goes is killed (QProcess's destructor does that).
class Sandbox
{
public:
    Sandbox()
    {
        for (const auto &[name, folder] : {std::pair{"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "run"},
                                          {"TMPDIR", "tmp"}, {"XDG_CACHE_HOME", "cache"}, {"HOME", "home"}})
            QDir(m_dir.path()).mkpath(folder), env.insert(name, path(folder));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); // as a session's is
    }
    QString path(const QString &name) const { return m_dir.path() + '/' + name; }
    QString storeFile() const { return path("config/HinokiWorks.conf"); }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel;
    std::function<void()> childSetup = [] {}; // runs in the child before the program

    QProcess *start(const QStringList &args = {})
    {
        QProcess *p = m_processes.emplace_back(std::make_unique<QProcess>()).get();
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(channels);
        p->setChildProcessModifier(childSetup);
        p->start(MOCHITEN_BINARY, args);
        return p;
    }
    // With a usable lock the knock socket appears once an ordinary instance has its
    // windows and watches its signals; without one, as soon as it claims the socket.
    bool waitUntilRunning(const QString &runDir = "run") { return QTest::qWaitFor([&] { return QFile::exists(path(runDir + "/Mochica.sock")); }, 10000); }
    // Started, and running as an ordinary instance; null when it does not get that far.
    QProcess *run() { QProcess *p = start(); return waitUntilRunning() ? p : nullptr; }

    static bool stillRunningAfter(QProcess *p, int ms) { return !p->waitForFinished(ms) && p->state() == QProcess::Running; }
    // Waits for the program's end: its exit code; -1 when it crashed or still runs.
    static int exitCode(QProcess *p) { return (p->state() == QProcess::NotRunning || p->waitForFinished(10000))
                                              && p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1; }
    // Sends signo; true when the program then ends the orderly way, with 0.
    static bool end(QProcess *p, int signo = SIGTERM) { return ::kill(pid_t(p->processId()), signo) == 0 && exitCode(p) == 0; }

private:
    QTemporaryDir m_dir; // declared first, so the processes go before their folders
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
