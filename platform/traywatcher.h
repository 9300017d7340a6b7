#pragma once

#include <QObject>
#include <memory>
#include <optional>

// Whether the desktop has a tray to hold our icon, and when that changes: a
// StatusNotifierItem host on the session bus (lxqt-panel, Plasma, GNOME's
// AppIndicator extension) or an XEmbed tray on the X screen. At login the
// program often starts before the panel, and a panel may be restarted.
//
// Qt chooses between its D-Bus and its XEmbed tray when the first icon is made,
// and never again; so no icon may be made (nor Qt asked whether there is a tray)
// before a tray is there, and each new tray wants an icon made anew.
class TrayWatcher : public QObject
{
    Q_OBJECT

public:
    // Asks the desktop; the answer may come later, with changed().
    explicit TrayWatcher(QObject *parent = nullptr);
    ~TrayWatcher() override;

    // Empty until the desktop has answered.
    std::optional<bool> available() const;

signals:
    // The first answer, or a tray came, went or was replaced. Sent from the
    // event loop, at most once a turn.
    void changed();

private:
    class Sources;
    std::unique_ptr<Sources> m_sources;
};
