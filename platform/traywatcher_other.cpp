#include "traywatcher.h"

#include <QSystemTrayIcon>

// Windows has its notification area for as long as the desktop runs, and Qt puts
// the icon back itself when Explorer restarts; macOS has its menu bar.
class TrayWatcher::Sources
{
};

TrayWatcher::TrayWatcher(QObject *parent)
    : QObject(parent)
{
}

TrayWatcher::~TrayWatcher() = default;

std::optional<bool> TrayWatcher::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
