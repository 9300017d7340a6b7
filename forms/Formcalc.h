#pragma once

#include "calcengine.h"

#include <QWidget>

class QMenu;
namespace Ui { class Tform_Calc; }

// The calculator: seventeen buttons, the keyboard, and the number shown as the
// window's own title. Closing it only hides it.
class Tform_Calc : public QWidget, public CalcDisplay
{
    Q_OBJECT

public:
    explicit Tform_Calc(QWidget *parent = nullptr);
    ~Tform_Calc() override;

    // Show and hide handlers; other windows call them directly too, whether or
    // not this window is visible.
    void FormShow();
    void FormHide();

    void DispEntry();
    void DispResult() override;
    void ReportDivisionByZero() override;

    CalcEngine &engine() { return m_engine; }
    QMenu *PopupMenu1 = nullptr;

public slots:
    void pm_CloseClick();

private:
    void FormCreate();

    Ui::Tform_Calc *ui;
    CalcEngine m_engine;
};

extern Tform_Calc *form_Calc;
