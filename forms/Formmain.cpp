#include "Formmain.h"
#include "formsupport.h"
#include "ui_Formmain.h"

#include "Formcalc.h"
#include "Formlog.h"
#include "Formsetup.h"
#include "about.h"
#include "helpviewer.h"
#include "platform.h"
#include "settingstore.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QSessionManager>
#include <iterator>

Tform_Main *form_Main = nullptr;

bool (*Tform_Main::systemTrayAvailable)() = &QSystemTrayIcon::isSystemTrayAvailable;

Tform_Main::Tform_Main(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Main)
{
    ui->setupUi(this);
    setFont(programFont());
    setWindowIcon(programIcon(":/icons/mochiten.png"));

    createActions();
    createTrayIcon();

    // A logout first asks us to save (and may still be cancelled); whichever way
    // the program is then told to go, it leaves the way Exit does.
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { commitSessionData(); });
#endif
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Tform_Main::sessionEnding);

    FormCreate();
}

Tform_Main::~Tform_Main()
{
    delete m_helpViewer;
    delete ui;
}

QIcon Tform_Main::imglst_Act(int index)
{
    static const char *const images[] = {
        ":/icons/setup.png", ":/icons/help.png", ":/icons/about.png", ":/icons/exit.png",
        ":/icons/calc.png", ":/icons/log.png", ":/icons/close.png",
    };
    if (index < 0 || index >= int(std::size(images)))
        return QIcon();
    return programIcon(images[index]);
}

void Tform_Main::createActions()
{
    struct ActionRow
    {
        QAction *Tform_Main::*action;
        const char *caption;
        int image;
        void (Tform_Main::*execute)();
    };
    static const ActionRow rows[] = {
        {&Tform_Main::act_Setup, "設定(&S)...", 0, &Tform_Main::act_SetupExecute},
        {&Tform_Main::act_Help, "ヘルプ(&H)", 1, &Tform_Main::act_HelpExecute},
        {&Tform_Main::act_About, "バージョン情報(&A)...", 2, &Tform_Main::act_AboutExecute},
        {&Tform_Main::act_Exit, "終了(&E)", 3, &Tform_Main::act_ExitExecute},
        {&Tform_Main::act_Calculation, "計算(&C)...", 4, &Tform_Main::act_CalculationExecute},
        {&Tform_Main::act_LogWindow, "計算ログ(&L)...", 5, &Tform_Main::act_LogWindowExecute},
    };
    for (const ActionRow &row : rows) {
        QAction *action = new QAction(imglst_Act(row.image), QString::fromUtf8(row.caption), this);
        action->setIconVisibleInMenu(true);
        connect(action, &QAction::triggered, this, row.execute);
        this->*row.action = action;
    }

    // F1 must work in every window of ours, not only in this hidden one.
    act_Help->setShortcut(QKeySequence(Qt::Key_F1));
    act_Help->setShortcutContext(Qt::ApplicationShortcut);
    shareHelpKeyWith(this);

    // Nothing is written to the log window yet, so its entries stay hidden.
    act_LogWindow->setVisible(false);
}

void Tform_Main::createTrayIcon()
{
    pm_RightBtn = new QMenu(this);
    claimSharedEntries(pm_RightBtn);
    pm_RightBtn->addAction(act_Calculation); // W1
    pm_RightBtn->addAction(act_LogWindow);   // L1
    pm_RightBtn->addAction(act_Setup);       // S1
    pm_RightBtn->addAction(act_Help);        // Help1
    N1 = pm_RightBtn->addSeparator();
    pm_RightBtn->addAction(act_About);       // About1
    pm_RightBtn->addAction(act_Exit);        // Exit1

    TrayIcon = new QSystemTrayIcon(programIcon(":/icons/mochiten.png"), this);
    TrayIcon->setToolTip(QStringLiteral("Mochiten"));
    // A StatusNotifierItem host (lxqt-panel, Plasma, the GNOME extension) shows
    // the menu it is handed and would ask us for nothing on a right click; an
    // XEmbed tray opens it too. The handler opens it where nothing else has.
    TrayIcon->setContextMenu(pm_RightBtn);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, &Tform_Main::TrayIconMouseUp);
}

void Tform_Main::FormCreate()
{
    LoadSetting(Setting);
    UpdateTrayIcon();
}

void Tform_Main::shareHelpKeyWith(QWidget *window)
{
    if (window)
        window->addAction(act_Help);
}

void Tform_Main::UpdateTrayIcon()
{
    if (!Setting.NoMt && !TrayIcon->isVisible())
        TrayIcon->show();
    else if (Setting.NoMt && TrayIcon->isVisible())
        TrayIcon->hide();
}

bool Tform_Main::trayIconShown() const
{
    return TrayIcon->isVisible() && systemTrayAvailable();
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

void Tform_Main::showCalculatorIfUnreachable(bool askWindowSystem)
{
    if (!form_Calc || trayIconShown() || anyWindowReachable(askWindowSystem))
        return;
    form_Calc->setWindowState(form_Calc->windowState() & ~Qt::WindowMinimized);
    if (form_Calc->isVisible())
        mapAgain(form_Calc);
    else
        form_Calc->show();
    form_Calc->raise();
    form_Calc->activateWindow();
}

void Tform_Main::secondStartRequested()
{
    showCalculatorIfUnreachable(true);
}

void Tform_Main::TrayIconMouseUp(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        act_CalculationExecute();
        break;
    case QSystemTrayIcon::Context:
        if (!pm_RightBtn->isVisible())
            pm_RightBtn->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

// Shows a window of ours and brings it in front of whatever covers it.
static void bringUp(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void Tform_Main::act_SetupExecute()
{
    bringUp(form_Setup);
}

void Tform_Main::act_HelpExecute()
{
    if (!m_helpViewer) {
        m_helpViewer = new HelpViewer;
        shareHelpKeyWith(m_helpViewer);
    }
    m_helpViewer->showContents();
}

void Tform_Main::act_AboutExecute()
{
    bringUp(form_About);
}

void Tform_Main::act_CalculationExecute()
{
    bringUp(form_Calc);
}

void Tform_Main::act_LogWindowExecute()
{
    bringUp(form_Log);
}

void Tform_Main::act_ExitExecute()
{
    // The first request wins: a logout, a signal or a second click while the
    // exit runs must not run it, and the save, once more.
    if (m_exiting || m_closed)
        return;
    m_exiting = true;
    // The hide handlers copy each window's geometry into Setting, visible or not.
    // Without residency the calculator's handler closes this window itself; the
    // close below then runs again and the log geometry is saved with the rest.
    if (form_Calc)
        form_Calc->FormHide();
    if (form_Log)
        form_Log->FormHide();
    close();
}

void Tform_Main::sessionEnding()
{
    if (!m_closed)
        act_ExitExecute();
}

void Tform_Main::commitSessionData()
{
    if (m_closed)
        return;
    // What Exit would store, without ending: the user may still cancel the logout.
    if (form_Calc)
        form_Calc->storePosition();
    if (form_Log)
        form_Log->FormHide();
    writeSetting();
}

void Tform_Main::writeSetting()
{
    // A store that cannot be written says why on stderr; the program goes on regardless.
    Setting.DelReg ? EraseSetting() : SaveSetting(Setting);
}

void Tform_Main::FormClose()
{
    if (m_helpViewer)
        m_helpViewer->close();
    writeSetting();
}

void Tform_Main::closeEvent(QCloseEvent *event)
{
    FormClose();
    m_closed = true;
    event->accept();
    // Not quit(): that asks every window to close first, and the calculator
    // only hides, which would cancel the quit.
    QCoreApplication::exit(0);
}
