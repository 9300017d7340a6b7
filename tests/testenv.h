#pragma once

#include <QString>

// Linked into every test: before main() runs, the settings store and the runtime
// folder (where the single-instance lock lives) are moved into a fresh temporary
// folder, so no test ever reads or writes the real user's files.

// The folder that holds the test's HinokiWorks.conf.
QString testConfigDir();
// The file the settings store writes.
QString testSettingsFile();
// Removes the stored settings, as for a user who never ran the program.
void removeTestSettings();
