#pragma once

#include <QtGlobal>

class QSettings;

// What is remembered of one window: whether it goes back to its place, whether
// it opens at start, and its place (and, for the log window, client size).
struct WindowSettings
{
    bool savePosition = false;
    bool hiddenAtStart = false; // stored as "..._OpenWindowAtBoot", whose 1 means: do not open
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;  // client area; kept for the log window only
    qint32 height = 0;
};

// Every user setting, loaded before any window exists and saved at the end.
struct Settings
{
    bool notResident = false;  // "NoMt": no tray icon, and hiding the calculator ends the program
    bool flatButtons = false;  // "ButtonFlat"
    bool eraseOnExit = false;  // "DelReg": the stored section goes at exit; never stored itself
    WindowSettings calculator;
    WindowSettings log;
};

// One stored value: its name in the store, its default, and the field that
// carries it, a yes/no (stored as 0 or 1, any non-zero read as yes) or a number.
struct StoredValue
{
    const char *name;
    qint32 defaultValue;
    bool &(*flag)(Settings &);
    qint32 &(*number)(Settings &);
};

// The twelve stored values, in the order they are read and written.
extern const StoredValue StoredValues[12];

// The section the values live in.
extern const char SettingsSection[];

// The stored fields read from, and written to, the section in store, by the
// names other programs and earlier versions know. A missing, malformed or
// out-of-range value reads as its default; eraseOnExit is left alone.
void readSettings(const QSettings &store, Settings &settings);
void writeSettings(QSettings &store, const Settings &settings);
