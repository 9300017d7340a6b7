#include "application.h"

#include "look.h"
#include "version.h"

#include <QIcon>
#include <QMessageBox>

MochitenApplication::MochitenApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Mochiten"));
    // No display name: Qt would append it to every title bar, and the calculator's
    // title bar is its display. applicationDisplayName() falls back to the name above.
    setOrganizationName(QStringLiteral("HinokiWorks"));
    setApplicationVersion(QStringLiteral(MOCHITEN_VERSION_STRING));
    // Ties the windows to the installed desktop entry (Wayland's app_id, the task bar's icon).
    setDesktopFileName(QStringLiteral(MOCHITEN_APP_ID));
    // Windows without an icon of their own (the calculator) show the program's.
    setWindowIcon(programIcon(":/icons/mochiten.png"));
    // The tray keeps the program alive; it ends only through its exit sequence.
    setQuitOnLastWindowClosed(false);
}

bool MochitenApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showException(e);
    }
    return false;
}

void MochitenApplication::showException(const std::exception &e)
{
    QMessageBox::critical(nullptr, applicationDisplayName(), QString::fromLocal8Bit(e.what()));
}
