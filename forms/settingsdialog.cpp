#include "settingsdialog.h"
#include "ui_settingsdialog.h"

#include "look.h"

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::SettingsDialog)
{
    ui->setupUi(this);
    setFont(programFont());
    setWindowIcon(programIcon(":/icons/setup.png"));
    ui->okButton->setIcon(programIcon(":/icons/ok.png"));
    // The boxes sit where a Windows group box leaves room under its caption: draw
    // the caption across the frame's top edge, as there, so the first box stays clear.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }"));

    // A program that is not resident always shows its calculator at start.
    connect(ui->notResidentBox, &QCheckBox::toggled, ui->calculatorHiddenAtStartBox, &QWidget::setDisabled);
    connect(ui->okButton, &QPushButton::clicked, this, [this] {
        emit choicesAccepted();
        close();
    });
    // Escape and the title bar's close box close the dialog as Cancel does.
    connect(ui->cancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->resetCalculatorButton, &QPushButton::clicked, this, &SettingsDialog::calculatorPositionReset);
    connect(ui->resetLogButton, &QPushButton::clicked, this, &SettingsDialog::logPositionReset);
}

SettingsDialog::~SettingsDialog()
{
    delete ui;
}

void SettingsDialog::setVisible(bool visible)
{
    if (visible && !testAttribute(Qt::WA_WState_Created)) // its first showing
        centreOnScreen(this);
    QDialog::setVisible(visible);
}

void SettingsDialog::load(const Settings &settings, bool startsAtLogon) // FormShow
{
    ui->startAtLogonBox->setChecked(startsAtLogon);
    ui->flatButtonsBox->setChecked(settings.flatButtons);
    ui->notResidentBox->setChecked(settings.notResident);
    ui->calculatorHiddenAtStartBox->setEnabled(!settings.notResident);
    ui->calculatorHiddenAtStartBox->setChecked(settings.calculator.hiddenAtStart);
    ui->calculatorSavePositionBox->setChecked(settings.calculator.savePosition);
    ui->logHiddenAtStartBox->setChecked(settings.log.hiddenAtStart);
    ui->logSavePositionBox->setChecked(settings.log.savePosition);
}

void SettingsDialog::store(Settings &settings) const
{
    settings.eraseOnExit = ui->eraseOnExitBox->isChecked();
    settings.flatButtons = ui->flatButtonsBox->isChecked();
    settings.notResident = ui->notResidentBox->isChecked();
    settings.calculator.hiddenAtStart = ui->calculatorHiddenAtStartBox->isChecked();
    settings.calculator.savePosition = ui->calculatorSavePositionBox->isChecked();
    settings.log.hiddenAtStart = ui->logHiddenAtStartBox->isChecked();
    settings.log.savePosition = ui->logSavePositionBox->isChecked();
}

bool SettingsDialog::startAtLogonChosen() const
{
    return ui->startAtLogonBox->isChecked();
}
