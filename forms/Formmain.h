#pragma once

#include <QWidget>

class QAction;
class QMenu;
class QSystemTrayIcon;
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

    void UpdateTrayIcon();
    void FormClose();

    // A second start knocked: bring the calculator up if nothing else reaches it.
    void secondStartRequested();

    // The images of the shared actions, by index: 0 settings, 1 help,
    // 2 version information, 3 exit, 4 calculate, 5 calculation log, 6 close window.
    static QIcon imglst_Act(int index);

    QSystemTrayIcon *TrayIcon = nullptr;
    QMenu *pm_RightBtn = nullptr;
    QAction *act_Setup = nullptr;
    QAction *act_Help = nullptr;
    QAction *act_About = nullptr;
    QAction *act_Exit = nullptr;
    QAction *act_Calculation = nullptr;
    QAction *act_LogWindow = nullptr;

public slots:
    void act_SetupExecute();
    void act_HelpExecute();
    void act_AboutExecute();
    void act_ExitExecute();
    void act_CalculationExecute();
    void act_LogWindowExecute();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();

    Ui::Tform_Main *ui;
};

extern Tform_Main *form_Main;
