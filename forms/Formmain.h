#pragma once

#include <QSystemTrayIcon>
#include <QWidget>

class QAction;
class QMenu;
class HelpViewer;
namespace Ui { class Tform_Main; }

// The application's main window: hidden in ordinary use (shown only in debug
// mode), it owns the tray icon, the tray menu and the actions every menu shares,
// loads the settings when created and saves them when closed. Closing it ends
// the program.
class Tform_Main : public QWidget
{
    Q_OBJECT

public:
    explicit Tform_Main(QWidget *parent = nullptr);
    ~Tform_Main() override;

    // Shows or removes the tray icon to match Setting.NoMt.
    void UpdateTrayIcon();
    // Closes the help and saves the settings, or erases them when the user asked to.
    void FormClose();

    // A second start knocked: bring the calculator up if nothing else reaches it.
    void secondStartRequested();
    // With no tray icon on screen and no window of ours visible the user could
    // not reach the program at all; then the calculator is shown.
    void showCalculatorIfUnreachable(bool askWindowSystem = false);
    // True when the desktop actually shows our tray icon.
    bool trayIconShown() const;
    // Whether the desktop has a tray at all; replaceable so tests can play both desktops.
    static bool (*systemTrayAvailable)();

    // F1 opens the help from whichever of our windows is active.
    void shareHelpKeyWith(QWidget *window);

    // The images of the shared actions, by index: 0 settings, 1 help,
    // 2 version information, 3 exit, 4 calculate, 5 calculation log, 6 close window.
    static QIcon imglst_Act(int index);

    HelpViewer *helpViewer() const { return m_helpViewer; }

    QSystemTrayIcon *TrayIcon = nullptr;
    QMenu *pm_RightBtn = nullptr;
    QAction *act_Setup = nullptr;
    QAction *act_Help = nullptr;
    QAction *act_About = nullptr;
    QAction *act_Exit = nullptr;
    QAction *act_Calculation = nullptr;
    QAction *act_LogWindow = nullptr;
    QAction *N1 = nullptr;

public slots:
    void act_SetupExecute();
    void act_HelpExecute();
    void act_AboutExecute();
    void act_ExitExecute();
    void act_CalculationExecute();
    void act_LogWindowExecute();
    void TrayIconMouseUp(QSystemTrayIcon::ActivationReason reason);
    // The login session ends, or the application is told to quit from outside:
    // run the exit sequence unless it has already run.
    void sessionEnding();
    // The desktop asks us to save before a logout that may yet be cancelled:
    // store what Exit would store, and keep running.
    void commitSessionData();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void createActions();
    void createTrayIcon();
    void writeSetting();

    Ui::Tform_Main *ui;
    HelpViewer *m_helpViewer = nullptr;
    bool m_closed = false; // the close handler has run at least once
    bool m_exiting = false; // the exit sequence has begun
};

extern Tform_Main *form_Main;
