#include "osversion.h"

#include <limits>

namespace {

constexpr quint32 AnyValue = std::numeric_limits<quint32>::max();

// The platform ids, minor versions and build numbers the box can name.
// The first matching row wins; the major version is not looked at.
struct WinVersionRow
{
    quint32 platformId;
    quint32 minorVersion;  // AnyValue: not looked at
    quint32 buildFrom, buildTo;
    const char *text;
};

const WinVersionRow WinVersionTable[] = {
    {0, AnyValue, 0, AnyValue, "Win32s on Windows 3.1"},
    {1, 0, 0, 1000, "Win32 on Windows 95"},
    {1, 0, 1001, AnyValue, "Win32 on Windows 95 OSR2"},
    {1, 10, 0, AnyValue, "Win32 on Windows 98"},
    {1, AnyValue, 0, AnyValue, "Win32 on Windows"},
    {2, AnyValue, 0, AnyValue, "Windows NT/2000"},
};

} // namespace

QString windowsVersionText(quint32 platformId, quint32 minorVersion, quint32 buildNumber,
                       const QString &previous)
{
    for (const WinVersionRow &row : WinVersionTable) {
        if (row.platformId != platformId)
            continue;
        if (row.minorVersion != AnyValue && row.minorVersion != minorVersion)
            continue;
        if (buildNumber < row.buildFrom || buildNumber > row.buildTo)
            continue;
        return QString::fromLatin1(row.text);
    }
    return previous;
}
