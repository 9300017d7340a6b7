#pragma once

#include "calculatorengine.h"
#include "keymap.h"
#include "windowplacement.h"

#include <QWidget>

class ClipboardText;
class QAction;
class QMenu;
namespace Ui { class CalculatorWindow; }

// The calculator: seventeen buttons, the keyboard, and the number shown as the
// window's own title. Closing it only hides it.
class CalculatorWindow : public QWidget, private CalculatorDisplay
{
    Q_OBJECT

public:
    // stored: the calculator's remembered place, read at each show, written at each hide.
    explicit CalculatorWindow(WindowSettings &stored, QWidget *parent = nullptr);
    ~CalculatorWindow() override;

    // The shared entries of the context menu, below the window's own "close"
    // (a separator action stands for a line).
    void addMenuActions(const QList<QAction *> &actions);
    void setFlatButtons(bool flat);

    // The stored place applied now, shown or not (the settings dialog's reset),
    // and the window's place copied into the settings (the exit, a logout).
    void restorePlacement() { m_placement.restore(); }
    void rememberPlacement() { m_placement.remember(); }

    void setVisible(bool visible) override;

signals:
    // Hidden by the user or the program, its place already remembered.
    void hidden();
    // A division by zero was refused; the engine waits until this returns.
    void divisionByZero();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void showNumber(double value) override;
    void reportDivisionByZero() override;
    void press(KeyAction key);
    // Ctrl+C or Ctrl+Insert; Ctrl+V or Shift+Insert. Both beep when refused.
    void copyNumber();
    void pasteNumber();
    void typeNumber(const QString &text);

    Ui::CalculatorWindow *ui;
    CalculatorEngine m_engine;
    WindowPlacement m_placement;
    QMenu *m_menu = nullptr; // PopupMenu1
    ClipboardText *m_clipboard;
    bool m_numberShown = false; // the title shows the program's name until the first number
};
