#pragma once

// The program's direct Win32 calls, kept out of the Qt sources so that they build
// and are checked on their own (cross-built with MinGW-w64 and run under Wine).
// Plain C++17: callers see neither Qt nor <windows.h>. Windows only; the
// implementation links kernel32 and version (GetFileVersionInfo*).

#include <cstdint>
#include <string>

// The three fields of the system's version record that the About box shows.
struct OsVersion
{
    std::uint32_t platformId = 0; // 2 (VER_PLATFORM_WIN32_NT) on every current Windows
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
};

// Fills out from GetVersionExA; false when the system refuses. The call is deprecated
// and answers what the program's manifest allows, but that record is what is shown.
bool win32OsVersion(OsVersion &out);

// Total physical memory in bytes; 0 when the system does not say.
std::uint64_t win32TotalPhysicalMemory();

// The FileVersion string of the running program's own version resource, read from the
// Japanese string table "041103A4" it is written in; empty when it cannot be read.
std::wstring win32ProgramFileVersion();

// Creates and owns the named mutex that keeps a second copy of the program from running.
// Returns its handle for win32ReleaseMutex. Returns null with alreadyRunning set when
// another holder of the name exists, and null with alreadyRunning clear when the system
// gives no mutex at all: then there is nothing to guard with, and the caller runs.
void *win32AcquireNamedMutex(const char *name, bool &alreadyRunning);

// Releases and closes a handle from win32AcquireNamedMutex, on the thread that acquired
// it; null is ignored. The system also lets go of it when the process ends.
void win32ReleaseMutex(void *handle);

// The current process's login session id (0 when it cannot be had). Pipe names are
// machine-wide, so the id keeps the instances of different sessions apart.
std::uint32_t win32SessionId();

// True when msg, a native MSG*, is a double click on a window's title bar. Null is false.
bool win32IsTitleBarDoubleClick(const void *msg);

// True when the keyboard layout active on the calling thread is a Japanese one
// (language 0x0411), whose keys the calculator reads by their place.
bool win32JapaneseKeyboardLayout();
