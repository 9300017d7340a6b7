#include "Formsetup.h"
#include "formsupport.h"
#include "ui_Formsetup.h"

#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "setting.h"


Tform_Setup *form_Setup = nullptr;

Tform_Setup::Tform_Setup(QWidget *parent)
    : FormWindow<QDialog>(parent), ui(new Ui::Tform_Setup)
{
    setFont(programFont());
    setWindowIcon(programIcon(":/icons/setup.png"));
}

Ui::Tform_Setup *Tform_Setup::form()
{
    buildContents();
    return ui;
}

void Tform_Setup::setVisible(bool visible)
{
    if (visible)
        buildContents();
    FormWindow<QDialog>::setVisible(visible);
}

void Tform_Setup::buildContents()
{
    // Built at the first showing: a dialog that is never opened costs none of its
    // boxes and buttons.
    if (m_built)
        return;
    m_built = true;
    ui->setupUi(this);
    ui->BitBtn1->setIcon(programIcon(":/icons/ok.png"));

    connect(ui->cbbox_NoMt, &QCheckBox::toggled, this, &Tform_Setup::cbbox_NoMtClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &Tform_Setup::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &Tform_Setup::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &Tform_Setup::BitBtn3Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &Tform_Setup::BitBtn4Click);
    // Escape and the title bar's close box already close the dialog as Cancel does.
}

Tform_Setup::~Tform_Setup()
{
    delete ui;
}

void Tform_Setup::formShown()
{
    // Only a real show reloads the boxes: back from minimised, the user's ticks stay.
    if (!m_centred) {
        m_centred = true;
        // Styled at the first showing: a dialog that is never opened costs nothing.
        // The boxes sit where a Windows group box leaves room under its caption: draw
        // the caption across the frame's top edge, as there, so the first box stays clear.
        setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }"));
        centreOnScreen(this);
    }
    FormShow();
}

void Tform_Setup::FormShow()
{
    ui->cbbox_BtnFlat->setChecked(Setting.ButtonFlat);
    ui->cbbox_NoMt->setChecked(Setting.NoMt);
    cbbox_NoMtClick();
    ui->cbbox_Calc_Hide->setChecked(Setting.Window_Calc_OpenWindowAtBoot);
    ui->cbbox_Calc_SavePos->setChecked(Setting.Window_Calc_SaveWindowPos);
    ui->cbbox_Log_Hide->setChecked(Setting.Window_Log_OpenWindowAtBoot);
    ui->cbbox_Log_SavePos->setChecked(Setting.Window_Log_SaveWindowPos);
}

void Tform_Setup::cbbox_NoMtClick()
{
    // A program that is not resident always shows its calculator at start.
    ui->cbbox_Calc_Hide->setEnabled(!ui->cbbox_NoMt->isChecked());
}

void Tform_Setup::BitBtn1Click()
{
    Setting.DelReg = ui->cbbox_DelReg->isChecked();
    Setting.ButtonFlat = ui->cbbox_BtnFlat->isChecked();
    Setting.NoMt = ui->cbbox_NoMt->isChecked();
    // Copied even while disabled: the choice is kept for when residency comes back.
    Setting.Window_Calc_OpenWindowAtBoot = ui->cbbox_Calc_Hide->isChecked();
    Setting.Window_Calc_SaveWindowPos = ui->cbbox_Calc_SavePos->isChecked();
    Setting.Window_Log_OpenWindowAtBoot = ui->cbbox_Log_Hide->isChecked();
    Setting.Window_Log_SaveWindowPos = ui->cbbox_Log_SavePos->isChecked();

    // The calculator's hide and show handlers store its place and apply the new
    // settings; this dialog is still open, so the hide handler never ends the
    // program here. The window itself is not hidden and shown again: on X11 it
    // could be mapped again before the window manager has withdrawn it, and then
    // it stays off screen for good.
    if (form_Calc && form_Calc->isVisible()) {
        form_Calc->FormHide();
        form_Calc->FormShow();
    }
    if (form_Main)
        form_Main->UpdateTrayIcon();
    close();
}

void Tform_Setup::BitBtn2Click()
{
    close();
}

void Tform_Setup::BitBtn3Click()
{
    Setting.Window_Calc_Window_Left = 1;
    Setting.Window_Calc_Window_Top = 1;
    if (form_Calc)
        form_Calc->FormShow();
}

void Tform_Setup::BitBtn4Click()
{
    Setting.Window_Log_Window_Left = 1;
    Setting.Window_Log_Window_Top = 1;
    if (form_Log)
        form_Log->FormShow();
}
