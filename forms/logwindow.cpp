#include "logwindow.h"
#include "ui_logwindow.h"

#include "look.h"

#include <QShowEvent>
#include <QToolButton>

LogWindow::LogWindow(WindowSettings &stored, QWidget *parent)
    : QWidget(parent), ui(new Ui::LogWindow), m_placement(*this, stored, true)
{
    ui->setupUi(this);
    // A tool window: small caption bar, no task-bar button, resizable.
    setWindowFlags(Qt::Tool);
    setMinimumSize(1, 1);
    setFont(programFont(12));
    ui->memo->setFont(programFont(15));
    ui->firstToolAction->setIcon(programIcon(":/icons/tool1.png"));
    ui->secondToolAction->setIcon(programIcon(":/icons/tool2.png"));
}

LogWindow::~LogWindow()
{
    delete ui;
}

void LogWindow::setVisible(bool visible)
{
    if (visible)
        m_placement.beforeShow();
    QWidget::setVisible(visible);
}

void LogWindow::restorePlacement()
{
    m_placement.restore();
    // A flat tool bar's buttons rise only under the mouse.
    for (QAction *action : ui->toolBar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(ui->toolBar->widgetForAction(action)))
            button->setAutoRaise(m_flat);
    }
}

// Only the program's own shows and hides count, not the window system's (back
// from minimised, another desktop).
void LogWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        restorePlacement();
}

void LogWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_placement.remember();
}
