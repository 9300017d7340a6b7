#pragma once

#include "formsupport.h"

#include "calcengine.h"
#include "keymap.h"

#include <QWidget>
#include <functional>

class ClipboardText;
class QAction;
class QMenu;
namespace Ui { class Tform_Calc; }

// The calculator: seventeen buttons, the keyboard, and the number shown as the
// window's own title. Closing it only hides it.
class Tform_Calc : public FormWindow<QWidget>, public CalcDisplay
{
    Q_OBJECT

public:
    explicit Tform_Calc(QWidget *parent = nullptr);
    ~Tform_Calc() override;

    // Show and hide handlers; other windows call them directly too, whether or
    // not this window is visible.
    void FormShow();
    void FormHide();
    // Copies the window's place into Setting, as every hide does.
    void storePosition();

    void DispEntry();
    void DispResult() override;
    void ReportDivisionByZero() override;

    // Tells the user that a division by zero was refused, and returns once they
    // have acknowledged it. A modal message box unless replaced (tests count calls).
    static std::function<void(QWidget *parent)> divisionByZeroNotice;
    static void showDivisionByZeroBox(QWidget *parent);

    CalcEngine &engine() { return m_engine; }

    QMenu *PopupMenu1 = nullptr;
    QAction *pm_Close = nullptr;
    QAction *S1 = nullptr;
    QAction *L1 = nullptr;
    QAction *Help1 = nullptr;
    QAction *N1 = nullptr;
    QAction *About1 = nullptr;
    QAction *Exit1 = nullptr;

public slots:
    void spbtn_0Click();
    void spbtn_1Click();
    void spbtn_2Click();
    void spbtn_3Click();
    void spbtn_4Click();
    void spbtn_5Click();
    void spbtn_6Click();
    void spbtn_7Click();
    void spbtn_8Click();
    void spbtn_9Click();
    void spbtn_DotClick();
    void spbtn_AddClick();
    void spbtn_SubClick();
    void spbtn_MulClick();
    void spbtn_DivClick();
    void spbtn_EqualClick();
    void spbtn_AcClick();
    void pm_CloseClick();

    void setVisible(bool visible) override;

protected:
    void formShown() override;
    void formHidden() override;
    void FormKeyDown(QKeyEvent *event);
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void FormCreate();
    void createPopupMenu();
    void applySavedPosition();
    void digitClick(int digit);
    // Shows a number in the title and tells a screen reader when it changed.
    void showNumber(double value);
    // Ctrl+C or Ctrl+Insert; Ctrl+V or Shift+Insert. Both beep when refused.
    void copyNumber();
    void pasteNumber();
    void typeNumber(const QString &text);
    void runKeyAction(CalcKeyAction action);

    Ui::Tform_Calc *ui;
    CalcEngine m_engine;
    ClipboardText *m_clipboard;
    // Until the window has been on screen, its position is the one stored.
    bool m_placedOnScreen = false;
    bool m_centreAtFirstShow = false;
    // The title shows the program's name until the first number.
    bool m_numberShown = false;
};

extern Tform_Calc *form_Calc;
