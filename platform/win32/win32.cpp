#include "win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX // libstdc++ for MinGW defines it already
#  define NOMINMAX
#endif
#include <windows.h>
#include <winver.h> // GetFileVersionInfo*, VerQueryValue: not every windows.h brings it

#include <algorithm>
#include <vector>

bool win32OsVersion(OsVersion &out)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#  pragma warning(suppress : 4996) // deprecated, but it is the record the About box shows
#endif
    if (!GetVersionExA(&info))
        return false;
    out.platformId = info.dwPlatformId;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    return true;
}

std::uint64_t win32TotalPhysicalMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return 0;
    return status.ullTotalPhys;
}

// The full path of the running executable; empty on failure. The buffer grows
// because a path may be longer than MAX_PATH.
static std::wstring programPath()
{
    std::wstring path(MAX_PATH, L'\0');
    while (path.size() <= 32768) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) { // a path that filled the buffer may have been cut
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
    return std::wstring();
}

std::wstring win32ProgramFileVersion()
{
    const std::wstring path = programPath();
    if (path.empty())
        return std::wstring();
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
    if (size == 0)
        return std::wstring();
    std::vector<char> buffer(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()))
        return std::wstring();
    void *value = nullptr;
    UINT length = 0; // in characters; it may or may not count the terminating NUL
    if (!VerQueryValueW(buffer.data(), L"\\StringFileInfo\\041103A4\\FileVersion", &value, &length)
        || value == nullptr || length == 0)
        return std::wstring();
    const wchar_t *text = static_cast<const wchar_t *>(value);
    return std::wstring(text, std::find(text, text + length, L'\0'));
}

void *win32AcquireNamedMutex(const char *name, bool &alreadyRunning)
{
    // Owned from the start, so that two copies starting together cannot both win.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    alreadyRunning = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    if (alreadyRunning) {
        CloseHandle(mutex); // keeping it would keep the name alive after the holder quits
        return nullptr;
    }
    return mutex;
}

void win32ReleaseMutex(void *handle)
{
    if (handle == nullptr)
        return;
    ReleaseMutex(handle);
    CloseHandle(handle);
}

std::uint32_t win32SessionId()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return 0;
    return session;
}

bool win32IsTitleBarDoubleClick(const void *msg)
{
    const MSG *m = static_cast<const MSG *>(msg);
    return m != nullptr && m->message == WM_NCLBUTTONDBLCLK && m->wParam == static_cast<WPARAM>(HTCAPTION);
}

bool win32JapaneseKeyboardLayout()
{
    // The layout handle's low word is the layout's language.
    const auto language = LANGID(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)) & 0xFFFF);
    return PRIMARYLANGID(language) == LANG_JAPANESE;
}
