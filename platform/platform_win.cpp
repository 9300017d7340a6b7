#include "platform.h"

#include "win32.h"

#include <QWidget>

bool choosePlatformPlugin()
{
    return false; // Windows has one window system
}

void installJapaneseFontSubstitutes()
{
    // The faces the windows ask for come with Japanese Windows.
}

std::optional<OsVersionRecord> osVersionRecord()
{
    OsVersion v;
    if (!win32OsVersion(v))
        return std::nullopt;
    return OsVersionRecord{v.platformId, v.minorVersion, v.buildNumber};
}

quint64 totalPhysicalMemory()
{
    return win32TotalPhysicalMemory();
}

QString programFileVersion()
{
    return QString::fromStdWString(win32ProgramFileVersion());
}

bool isTitleBarDoubleClick(const QByteArray &eventType, void *message)
{
    return eventType == "windows_generic_MSG" && win32IsTitleBarDoubleClick(message);
}

bool isShownOnScreen(const QWidget *window)
{
    return window && window->isVisible() && !window->isMinimized();
}

void mapAgain(QWidget *)
{
    // Windows keeps no window withdrawn behind the program's back.
}

void sendQueuedWindowRequests()
{
    // Windows has no request queue of Qt's to send.
}
