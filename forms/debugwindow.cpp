#include "debugwindow.h"
#include "ui_debugwindow.h"

#include "look.h"

#include <QCloseEvent>

DebugWindow::DebugWindow(QWidget *parent)
    : QWidget(parent), ui(new Ui::DebugWindow)
{
    ui->setupUi(this);
    setFont(programFont());
}

DebugWindow::~DebugWindow()
{
    delete ui;
}

void DebugWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
