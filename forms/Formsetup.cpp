#include "Formsetup.h"
#include "ui_Formsetup.h"

Tform_Setup *form_Setup = nullptr;

Tform_Setup::Tform_Setup(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Setup)
{
    ui->setupUi(this);
}

Tform_Setup::~Tform_Setup()
{
    delete ui;
}

void Tform_Setup::FormShow() {}
void Tform_Setup::FormHide() {}
