#pragma once

#include <QString>

#include <functional>

// Linked into every test: before main() runs, the settings store and the runtime
// folder (where the single-instance lock lives) are moved into a fresh temporary
// folder, so no test ever reads or writes the real user's files.

// The folder that holds the test's HinokiWorks.conf.
QString testConfigDir();
// The file the settings store writes.
QString testSettingsFile();

// The stored whole number under key (e.g. "Mochica/NoMt"), or -1 when there is none.
int storedValue(const QString &key);
// Queues step, then runs the event loop until the program ends itself; returns the
// exit code, or -1 when it has not ended within 5 s.
int runUntilExit(const std::function<void()> &step);
