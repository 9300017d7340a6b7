#include "controller.h"

#include "aboutbox.h"
#include "autostart.h"
#include "calculatorwindow.h"
#include "debugwindow.h"
#include "helpviewer.h"
#include "logwindow.h"
#include "look.h"
#include "platform.h"
#include "settingsdialog.h"
#include "settingstore.h"
#include "traywatcher.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QSessionManager>
#include <utility>

Controller::Controller(ControllerOptions options)
    : m_options(std::move(options))
{
    loadSettings(m_settings);
    createActions();
    createTrayMenu();
    createCalculator();

    // Without residency the calculator is the program, and shows at start whatever
    // the start-up flag says.
    if (!m_settings.calculator.hiddenAtStart || m_settings.notResident)
        m_calculator->show();
    if (!m_settings.log.hiddenAtStart)
        makeLogWindow()->show();
    if (m_options.debugMode) {
        m_debugWindow = std::make_unique<DebugWindow>();
        m_debugWindow->addAction(m_helpAction);
        connect(m_debugWindow.get(), &DebugWindow::closed, this, &Controller::finish);
        m_debugWindow->show();
    }
    watchTray();
    // The fonts are read once the windows shown at start are on their way to the
    // screen (reading them takes longer than anything else at start), and those
    // windows name installed faces before they paint.
    sendQueuedWindowRequests();
    readInstalledFaces();
    useInstalledFaces({m_calculator.get(), m_log.get(), m_debugWindow.get()});

    // A logout first asks us to save (and may still be cancelled); whichever way
    // the program is then told to go, it leaves the way Exit does.
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { commitSessionData(); });
#endif
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Controller::exit);
}

Controller::~Controller()
{
    m_finished = true; // the windows going now are not the user's hides
}

void Controller::createActions()
{
    struct ActionRow
    {
        QAction *Controller::*action;
        const char *caption;
        const char *icon;
        void (Controller::*execute)();
    };
    static const ActionRow rows[] = {
        {&Controller::m_settingsAction, "設定(&S)...", ":/icons/setup.png", &Controller::showSettings},    // act_Setup
        {&Controller::m_helpAction, "ヘルプ(&H)", ":/icons/help.png", &Controller::showHelp},               // act_Help
        {&Controller::m_aboutAction, "バージョン情報(&A)...", ":/icons/about.png", &Controller::showAbout}, // act_About
        {&Controller::m_exitAction, "終了(&E)", ":/icons/exit.png", &Controller::exit},                     // act_Exit
        {&Controller::m_calculateAction, "計算(&C)...", ":/icons/calc.png", nullptr},                      // act_Calculation
        {&Controller::m_logAction, "計算ログ(&L)...", ":/icons/log.png", &Controller::showLog},             // act_LogWindow
    };
    for (const ActionRow &row : rows) {
        auto *action = new QAction(programIcon(row.icon), QString::fromUtf8(row.caption), this);
        action->setIconVisibleInMenu(true);
        if (row.execute)
            connect(action, &QAction::triggered, this, row.execute);
        this->*row.action = action;
    }
    connect(m_calculateAction, &QAction::triggered, this, &Controller::showCalculator);

    // F1 works in every window of ours (each window carries the action).
    m_helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_helpAction->setShortcutContext(Qt::ApplicationShortcut);

    // Nothing is written to the log window yet, so its entries stay hidden.
    m_logAction->setVisible(false);
}

void Controller::createTrayMenu()
{
    m_trayMenu = std::make_unique<QMenu>();
    claimSharedEntries(m_trayMenu.get());
    m_trayMenu->addActions({m_calculateAction, m_logAction, m_settingsAction, m_helpAction});
    m_trayMenu->addSeparator();
    m_trayMenu->addActions({m_aboutAction, m_exitAction});
}

void Controller::watchTray()
{
    if (!m_options.trayAvailable) {
        auto *watcher = new TrayWatcher(this);
        m_options.trayAvailable = [watcher] { return watcher->available(); };
        connect(watcher, &TrayWatcher::changed, this, &Controller::trayChanged);
    }
    if (m_options.trayAvailable().has_value()) // else the first answer comes with changed()
        trayChanged();
}

void Controller::trayChanged()
{
    // Qt chooses between its D-Bus and XEmbed trays when an icon is made, and
    // only once a tray is there can it choose the right one: so an icon is made
    // only then, and made anew for each tray that comes.
    delete m_trayIcon;
    m_trayIcon = nullptr;
    if (m_options.trayAvailable().value_or(false)) {
        m_trayIcon = new QSystemTrayIcon(programIcon(":/icons/mochiten.png"), this);
        m_trayIcon->setToolTip(QStringLiteral("Mochiten"));
        // A StatusNotifierItem host (lxqt-panel, Plasma, the GNOME extension) shows
        // the menu it is handed and would ask us for nothing on a right click; an
        // XEmbed tray opens it too. trayActivated opens it where nothing else has.
        m_trayIcon->setContextMenu(m_trayMenu.get());
        connect(m_trayIcon, &QSystemTrayIcon::activated, this, &Controller::trayActivated);
    }
    updateTrayIcon();
    // Without a tray to hold our icon, nothing else would lead to the program. The
    // first answer comes while the windows shown at start may not be mapped yet.
    showCalculatorIfUnreachable(std::exchange(m_trayAnswered, true));
}

void Controller::createCalculator()
{
    m_calculator = std::make_unique<CalculatorWindow>(m_settings.calculator);
    m_calculator->setFlatButtons(m_settings.flatButtons);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    m_calculator->addMenuActions({m_settingsAction, m_logAction, m_helpAction, separator, m_aboutAction, m_exitAction});
    m_calculator->addAction(m_helpAction);
    connect(m_calculator.get(), &CalculatorWindow::hidden, this, &Controller::calculatorHidden);
    connect(m_calculator.get(), &CalculatorWindow::divisionByZero, this, [this] {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error!"), QStringLiteral("０で除算はできません。"),
                        QMessageBox::Ok, m_calculator.get());
        box.exec();
    });
}

void Controller::updateTrayIcon()
{
    if (m_trayIcon)
        m_trayIcon->setVisible(!m_settings.notResident);
}

void Controller::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_calculateAction->trigger();
        break;
    case QSystemTrayIcon::Context:
        if (!m_trayMenu->isVisible())
            m_trayMenu->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

// Whether some window of ours can be seen. At start the windows are only asked
// for; later the window system is asked, since a window Qt takes for shown may
// have been withdrawn by the window manager.
static bool anyWindowReachable(bool askWindowSystem)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
            continue;
        if (askWindowSystem ? isShownOnScreen(w) : w->isVisible() && !w->isMinimized())
            return true;
    }
    return false;
}

void Controller::showCalculatorIfUnreachable(bool askWindowSystem)
{
    // Asked only once an icon is made: Qt's answer fixes its choice of tray.
    const bool trayIconShown = m_trayIcon && m_trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayIconShown && !anyWindowReachable(askWindowSystem))
        showCalculator();
}

void Controller::secondStartRequested()
{
    // Started again from a menu or a terminal: the user wants the calculator,
    // tray icon or not.
    showCalculator();
}

void Controller::showCalculator()
{
    // A window Qt takes for shown may have been withdrawn by the window manager,
    // or its showing dropped by one that was ending; it is asked to map it again.
    m_calculator->setWindowState(m_calculator->windowState() & ~Qt::WindowMinimized);
    if (m_calculator->isVisible() && !isShownOnScreen(m_calculator.get()))
        mapAgain(m_calculator.get());
    prepare(m_calculator.get());
}

void Controller::prepare(QWidget *window)
{
    window->addAction(m_helpAction);
    window->show();
    window->raise();
    window->activateWindow();
}

void Controller::showSettings()
{
    if (!m_settingsDialog) {
        m_settingsDialog = std::make_unique<SettingsDialog>();
        connect(m_settingsDialog.get(), &SettingsDialog::choicesAccepted, this, &Controller::applyChoices);
        connect(m_settingsDialog.get(), &SettingsDialog::calculatorPositionReset, this, [this] {
            m_settings.calculator.left = m_settings.calculator.top = 1; // one, not zero
            m_calculator->restorePlacement();
        });
        connect(m_settingsDialog.get(), &SettingsDialog::logPositionReset, this, [this] {
            m_settings.log.left = m_settings.log.top = 1;
            if (m_log) { // a log window never made is placed there when it is
                m_log->setFlatToolBar(m_settings.flatButtons);
                m_log->restorePlacement();
            }
        });
    }
    // Reloaded on every opening, not when the dialog is already up.
    if (!m_settingsDialog->isVisible())
        m_settingsDialog->load(m_settings, startsAtLogon());
    prepare(m_settingsDialog.get());
}

void Controller::applyChoices()
{
    m_settingsDialog->store(m_settings);
    const bool logon = m_settingsDialog->startAtLogonChosen();
    if (logon != startsAtLogon())
        setStartsAtLogon(logon); // says on stderr when it could not; the box shows the truth next time
    // The calculator's place is stored and the new settings applied to it as a
    // hide and a show would. The window itself is not hidden and shown again: on
    // X11 it could be mapped again before the window manager has withdrawn it,
    // and then it stays off screen for good.
    m_calculator->setFlatButtons(m_settings.flatButtons);
    if (m_calculator->isVisible()) {
        m_calculator->rememberPlacement();
        m_calculator->restorePlacement();
    }
    updateTrayIcon();
}

LogWindow *Controller::makeLogWindow()
{
    if (!m_log) {
        m_log = std::make_unique<LogWindow>(m_settings.log);
        m_log->addAction(m_helpAction);
    }
    m_log->setFlatToolBar(m_settings.flatButtons); // read at each showing, not at OK
    return m_log.get();
}

void Controller::showLog()
{
    prepare(makeLogWindow());
}

void Controller::showHelp()
{
    if (!m_help) {
        m_help = std::make_unique<HelpViewer>();
        connect(m_help.get(), &HelpViewer::linkActivated, this, &openLink);
        m_help->addAction(m_helpAction);
    }
    m_help->showContents();
}

void Controller::showAbout()
{
    if (!m_about) {
        m_about = std::make_unique<AboutBox>(m_options.debugMode);
        connect(m_about.get(), &AboutBox::linkActivated, this, &openLink);
    }
    prepare(m_about.get());
}

void Controller::calculatorHidden()
{
    if (m_finished)
        return;
    // Without a tray icon the calculator is the program: hiding it ends the
    // program, except while the settings dialog, which may be about to change
    // that, is open. The log window's place stays as it last was.
    if (m_settings.notResident && !(m_settingsDialog && m_settingsDialog->isVisible()))
        finish();
}

void Controller::exit()
{
    if (m_finished)
        return;
    rememberPlacements();
    finish();
}

void Controller::commitSessionData()
{
    if (m_finished)
        return;
    rememberPlacements();
    writeSettings();
}

void Controller::rememberPlacements()
{
    // Each window's place into the settings, visible or not; a log window never
    // made keeps the place it was loaded with.
    m_calculator->rememberPlacement();
    if (m_log)
        m_log->rememberPlacement();
}

void Controller::writeSettings()
{
    // A store that cannot be written says why on stderr; the program goes on regardless.
    m_settings.eraseOnExit ? eraseSettings() : saveSettings(m_settings);
}

void Controller::finish()
{
    // The first request wins: a logout, a signal or a second click while the
    // exit runs must not run it, and the save, once more.
    if (m_finished)
        return;
    m_finished = true;
    if (m_help)
        m_help->close();
    writeSettings();
    // Not quit(): that asks every window to close first, and the calculator
    // only hides, which would cancel the quit.
    QCoreApplication::exit(0);
}
