#include "Formcalc.h"
#include "ui_Formcalc.h"

#include "setting.h"

Tform_Calc *form_Calc = nullptr;

Tform_Calc::Tform_Calc(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Calc), m_engine(*this)
{
    ui->setupUi(this);
    FormCreate();
}

Tform_Calc::~Tform_Calc()
{
    delete ui;
}

void Tform_Calc::FormCreate()
{
    m_engine.ClearEntry();
}

void Tform_Calc::FormShow() {}
void Tform_Calc::FormHide() {}
void Tform_Calc::DispEntry() {}
void Tform_Calc::DispResult() {}
void Tform_Calc::ReportDivisionByZero() {}
void Tform_Calc::pm_CloseClick() { close(); }
