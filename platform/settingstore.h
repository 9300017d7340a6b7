#pragma once

#include "settings.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <memory>

class QLockFile;
class QTemporaryDir;

// One use of the per-user store that holds the program's settings: the registry
// key HKEY_CURRENT_USER\Software\HinokiWorks on Windows, the file HinokiWorks.conf
// in the user's configuration folder elsewhere.
//
// The file is shared with other programs and may be anything a broken or hostile
// machine leaves there, so QSettings never touches it directly: it reads a copy
// in memory of what could be read, or, to save, works on a copy in a private
// folder beside the file; commit() puts the result in place once all of it is on
// the disk. Nothing here waits without a time limit, and only regular files are
// opened.
class SettingStore
{
public:
    enum Purpose { Read, Write };
    explicit SettingStore(Purpose purpose);
    ~SettingStore();
    SettingStore(const SettingStore &) = delete;
    SettingStore &operator=(const SettingStore &) = delete;

    QSettings &settings() { return *m_settings; }

    // Writes the changes back. False, with the reason on stderr, when they could
    // not be written; the store is then left as it was.
    bool commit();

    // HinokiWorks.conf in $XDG_CONFIG_HOME, or in ~/.config when that is not set.
    static QString fileName();
    // Removes what an interrupted save left beside the file, once it is a minute old.
    static void removeLeftoverSaveFiles();

    // Drops what cannot be read as settings: all of a binary file (NUL bytes or
    // invalid UTF-8), or the lines of a text file that are neither a section, a
    // key=value, a comment nor blank. Returns true when nothing had to go.
    static bool readablePart(const QByteArray &content, QByteArray &readable);

private:
    enum class FileState { Missing, Readable, Unreadable, NotAFile, TooLarge };

    static FileState readRegularFile(const QString &path, QByteArray &content);
    bool fail(const QString &reason) const;

    std::unique_ptr<QSettings> m_settings;
#ifndef Q_OS_WIN
    int m_copy = -1; // the file in memory that a reading QSettings parses
    std::unique_ptr<QTemporaryDir> m_workDir; // where a saving QSettings works
    QString m_error; // why a save cannot be made
    std::unique_ptr<QLockFile> m_lock;
    QString m_target;     // the file itself, past any symbolic link
    FileState m_state = FileState::Missing;
    QByteArray m_original;   // as read, for the copy kept aside
    bool m_keepAside = false; // some of it could not be read
#endif
};

// The store is the registry key HKCU\Software\HinokiWorks on Windows, the file
// HinokiWorks.conf in the user's configuration folder elsewhere (see SettingStore above).

// Fills the stored fields; a missing, unreadable or malformed value gives its default.
// eraseOnExit is left alone. Also clears away what an interrupted save left behind.
void loadSettings(Settings &settings);

// Writes the stored fields, keeping a copy of a file that could not be read
// ("<file>.bad") before writing over it. Returns false, with the reason on
// stderr, when the store could not be written; the program carries on either way.
bool saveSettings(const Settings &settings);

// Removes the whole section, leaving anything else in the store alone.
bool eraseSettings();
