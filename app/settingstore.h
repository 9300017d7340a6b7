#pragma once

#include <QSettings>
#include <memory>

// The per-user store that holds the program's settings: the registry key
// HKEY_CURRENT_USER\Software\HinokiWorks on Windows, the file HinokiWorks.conf
// in the user's configuration folder elsewhere.
std::unique_ptr<QSettings> openUserSettingStore();

// Before the store is written over: when its file could not be parsed, keep a
// copy beside it ("<file>.bad"), so whatever it held is not lost.
void preserveUnreadableStore(const QSettings &store);
