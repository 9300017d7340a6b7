#pragma once

#include "settings.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class AboutBox;
class CalculatorWindow;
class DebugWindow;
class HelpViewer;
class LogWindow;
class QAction;
class QMenu;
class QWidget;
class SettingsDialog;

struct ControllerOptions
{
    bool debugMode = false; // "/debug": the debug window, and the About box's test label
    // Whether the desktop has a tray, empty until it has said; tests play both
    // desktops. Unset, a TrayWatcher asks, and reports when a tray comes or goes.
    std::function<std::optional<bool>()> trayAvailable = {};
};

// The program: it owns the settings, the tray icon with its menu, the actions
// every menu shares, and the windows, and applies the rules between them
// (residency, what OK in the settings dialog changes, how the program ends).
// The windows show what they are given and report what the user did.
class Controller : public QObject
{
    Q_OBJECT

public:
    // Loads the settings, then makes the tray icon and the windows that show at start.
    explicit Controller(ControllerOptions options = {});
    ~Controller() override;

    // A second start knocked: the calculator comes forward.
    void secondStartRequested();
    // The exit sequence ("終了"): the windows' places into the settings, then the
    // settings saved (or erased), and the event loop ended. Runs once.
    void exit();
    // A logout that may yet be cancelled: store what the exit would, keep running.
    void commitSessionData();

    const Settings &settings() const { return m_settings; }
    Settings &settings() { return m_settings; }
    CalculatorWindow *calculator() const { return m_calculator.get(); }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    // The windows made at their first use; null until then.
    SettingsDialog *settingsDialog() const { return m_settingsDialog.get(); }
    LogWindow *logWindow() const { return m_log.get(); }
    HelpViewer *helpViewer() const { return m_help.get(); }

private:
    void createActions();
    void createTrayMenu();
    void createCalculator();
    void watchTray();
    // A tray came or went: the icon made anew (or removed), and the calculator
    // shown if nothing else leads to the program.
    void trayChanged();
    // The tray icon shown or removed to match the residency setting.
    void updateTrayIcon();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    // With no tray icon on screen and no window of ours visible the user could
    // not reach the program at all; then the calculator is shown.
    void showCalculatorIfUnreachable(bool askWindowSystem);
    // The calculator brought up, unminimised, mapped again if need be ("計算").
    void showCalculator();

    void showSettings();
    void showLog();
    LogWindow *makeLogWindow();
    void showHelp();
    void showAbout();
    void applyChoices();
    void calculatorHidden();
    // Saves (or erases) the settings and ends the event loop; the help goes.
    void finish();
    void writeSettings();
    void rememberPlacements();
    // A window made at its first use, with the help key, brought to the front.
    void prepare(QWidget *window);

    ControllerOptions m_options;
    Settings m_settings;
    QAction *m_calculateAction = nullptr;
    QAction *m_logAction = nullptr;
    QAction *m_settingsAction = nullptr;
    QAction *m_helpAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_exitAction = nullptr;
    std::unique_ptr<QMenu> m_trayMenu; // pm_RightBtn
    QSystemTrayIcon *m_trayIcon = nullptr; // only while the desktop has a tray
    bool m_trayAnswered = false; // whether the desktop has said if it has a tray
    std::unique_ptr<CalculatorWindow> m_calculator;
    std::unique_ptr<LogWindow> m_log;
    std::unique_ptr<SettingsDialog> m_settingsDialog;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<HelpViewer> m_help;
    std::unique_ptr<DebugWindow> m_debugWindow;
    bool m_finished = false;
};
