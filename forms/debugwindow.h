#pragma once

#include <QWidget>

namespace Ui { class DebugWindow; }

// The window a "/debug" start shows: captioned "form_Main", with one button
// "Button1" that does nothing. Closing it ends the program.
class DebugWindow : public QWidget
{
    Q_OBJECT

public:
    explicit DebugWindow(QWidget *parent = nullptr);
    ~DebugWindow() override;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Ui::DebugWindow *ui;
};
