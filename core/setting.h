#pragma once

#include <QtGlobal>

class QSettings;

// Every user setting, shared by all windows for the life of the process.
// Loaded when the main window is created, written back when it closes.
struct TSetting
{
    bool NoMt = false;                        // not resident: no tray icon, hiding the calculator ends the program
    bool ButtonFlat = false;
    bool DelReg = false;                      // erase the stored section at exit; never stored itself
    bool Window_Calc_SaveWindowPos = false;
    bool Window_Calc_OpenWindowAtBoot = false; // set means: do NOT show the calculator at start
    qint32 Window_Calc_Window_Left = 0;
    qint32 Window_Calc_Window_Top = 0;
    bool Window_Log_SaveWindowPos = false;
    bool Window_Log_OpenWindowAtBoot = false;  // set means: do NOT show the log window at start
    qint32 Window_Log_Window_Left = 0;
    qint32 Window_Log_Window_Top = 0;
    qint32 Window_Log_Window_Height = 0;       // client area
    qint32 Window_Log_Window_Width = 0;        // client area
};

extern TSetting Setting;

// One stored value: its name in the store, the field that carries it, its default.
struct SettingValue
{
    const char *name;
    bool TSetting::*flag;     // set for a boolean value
    qint32 TSetting::*number; // set for an integer value
    qint32 defaultValue;
};

// The twelve stored values, in the order they are read and written.
extern const SettingValue SettingValues[12];

// The section the values live in.
extern const char SettingSection[];

// The stored fields read from, and written to, the section in store. A missing,
// malformed or out-of-range value reads as its default; DelReg is left alone.
void readSetting(const QSettings &store, TSetting &setting);
void writeSetting(QSettings &store, const TSetting &setting);
