#include "Formmain.h"
#include "ui_Formmain.h"

#include "Formcalc.h"
#include "Formlog.h"
#include "Formsetup.h"
#include "about.h"
#include "setting.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

Tform_Main *form_Main = nullptr;

Tform_Main::Tform_Main(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Main)
{
    ui->setupUi(this);
    act_Setup = new QAction(QStringLiteral("設定(&S)..."), this);
    act_Help = new QAction(QStringLiteral("ヘルプ(&H)"), this);
    act_About = new QAction(QStringLiteral("バージョン情報(&A)..."), this);
    act_Exit = new QAction(QStringLiteral("終了(&E)"), this);
    act_Calculation = new QAction(QStringLiteral("計算(&C)..."), this);
    act_LogWindow = new QAction(QStringLiteral("計算ログ(&L)..."), this);
    act_LogWindow->setVisible(false);
    connect(act_Exit, &QAction::triggered, this, &Tform_Main::act_ExitExecute);
    FormCreate();
}

Tform_Main::~Tform_Main()
{
    delete ui;
}

QIcon Tform_Main::imglst_Act(int)
{
    return QIcon();
}

void Tform_Main::FormCreate()
{
    LoadSetting(Setting);
    UpdateTrayIcon();
}

void Tform_Main::UpdateTrayIcon() {}

void Tform_Main::FormClose()
{
    if (Setting.DelReg)
        EraseSetting();
    else
        SaveSetting(Setting);
}

void Tform_Main::secondStartRequested() {}

void Tform_Main::act_SetupExecute() {}
void Tform_Main::act_HelpExecute() {}
void Tform_Main::act_AboutExecute() {}
void Tform_Main::act_CalculationExecute() {}
void Tform_Main::act_LogWindowExecute() {}

void Tform_Main::act_ExitExecute()
{
    close();
}

void Tform_Main::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    QCoreApplication::exit(0);
}
