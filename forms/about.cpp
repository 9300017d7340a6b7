#include "about.h"
#include "ui_about.h"

Tform_About *form_About = nullptr;

Tform_About::Tform_About(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_About)
{
    ui->setupUi(this);
}

Tform_About::~Tform_About()
{
    delete ui;
}

void Tform_About::FormShow() {}
void Tform_About::FormHide() {}
