// Console check of platform/win32 and the linked version resource, under Wine or on Windows.
#include "win32.h"

#include <windows.h>

#include <cstdio>
#include <string>

static bool titleBarDoubleClick(UINT message, WPARAM hit) { const MSG msg{nullptr, message, hit, 0, 0, {0, 0}}; return win32IsTitleBarDoubleClick(&msg); }

int main()
{
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
        {"FileVersion reads back the resource's version", !version.empty() && version == L"" MOCHITEN_EXPECTED_VERSION},
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
    std::printf("(FileVersion read \"%ls\", expected \"%s\")\n", version.c_str(), MOCHITEN_EXPECTED_VERSION);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
