#include "Formlog.h"
#include "ui_Formlog.h"

Tform_Log *form_Log = nullptr;

Tform_Log::Tform_Log(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Log)
{
    ui->setupUi(this);
}

Tform_Log::~Tform_Log()
{
    delete ui;
}

void Tform_Log::FormShow() {}
void Tform_Log::FormHide() {}
