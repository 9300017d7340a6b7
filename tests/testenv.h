#pragma once

#include <QFile>

// Linked into every test: before main() runs, the settings store and the runtime
// folder (where the single-instance lock lives) are moved into a fresh temporary
// folder, so no test ever reads or writes the real user's files.

// The folder that holds the test's HinokiWorks.conf.
QString testConfigDir();
// The file the settings store writes.
QString testSettingsFile();

// The stored whole number under key (e.g. "Mochica/NoMt") in file, or -1 when there is none.
int storedValue(const QString &key, const QString &file = testSettingsFile());

// Writes a file whole; reads one, "(no file)" when it cannot.
inline bool put(const QString &name, const QByteArray &b) { QFile f(name); return f.open(QIODevice::WriteOnly) && f.write(b) == b.size(); }
inline QByteArray bytesOf(const QString &name) { QFile f(name); return f.open(QIODevice::ReadOnly) ? f.readAll() : "(no file)"; }
