// Console check of platform/win32, built with the program's version resource linked in
// and run under Wine or on Windows: one line per check, then the totals.
#include "win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX // libstdc++ for MinGW defines it already
#  define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <string>

#ifndef MOCHITEN_EXPECTED_VERSION
#  error "define MOCHITEN_EXPECTED_VERSION as the FileVersion string of the linked resource"
#endif

static bool titleBarDoubleClick(UINT message, WPARAM hit)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = hit;
    return win32IsTitleBarDoubleClick(&msg);
}

int main()
{
    const std::string expected = MOCHITEN_EXPECTED_VERSION;
    const std::wstring version = win32ProgramFileVersion();
    OsVersion os{};
    const bool osRead = win32OsVersion(os);

    // The flags start true so that a call which forgets to clear one is seen.
    const std::string name = "MochitenWin32Check-" + std::to_string(GetCurrentProcessId());
    bool firstRunning = true, secondRunning = false, againRunning = true;
    void *first = win32AcquireNamedMutex(name.c_str(), firstRunning);
    void *second = win32AcquireNamedMutex(name.c_str(), secondRunning);
    win32ReleaseMutex(first);
    void *again = win32AcquireNamedMutex(name.c_str(), againRunning);
    win32ReleaseMutex(again);

    const struct { const char *what; bool ok; } checks[] = {
        {"FileVersion reads back the resource's version", !expected.empty() && version == std::wstring(expected.begin(), expected.end())},
        {"total physical memory is not zero", win32TotalPhysicalMemory() != 0},
        {"OS version record is an NT one", osRead && os.platformId == VER_PLATFORM_WIN32_NT && os.buildNumber != 0},
        {"first acquire owns the mutex", first != nullptr && !firstRunning},
        {"second acquire of the name sees it running", second == nullptr && secondRunning},
        {"acquire after release owns it again", again != nullptr && !againRunning},
        {"double click on the caption", titleBarDoubleClick(WM_NCLBUTTONDBLCLK, HTCAPTION)},
        {"double click in the client area", !titleBarDoubleClick(WM_NCLBUTTONDBLCLK, HTCLIENT)},
        {"single click on the caption", !titleBarDoubleClick(WM_NCLBUTTONDOWN, HTCAPTION)},
        {"client double click with a caption-like wParam", !titleBarDoubleClick(WM_LBUTTONDBLCLK, HTCAPTION)},
        {"no message", !win32IsTitleBarDoubleClick(nullptr)},
    };
    int passed = 0, failed = 0;
    for (const auto &check : checks) {
        std::printf("%s %s\n", check.ok ? "PASS" : "FAIL", check.what);
        ++(check.ok ? passed : failed);
    }
    if (!checks[0].ok)
        std::printf("  FileVersion read \"%ls\", expected \"%s\"\n", version.c_str(), expected.c_str());
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
