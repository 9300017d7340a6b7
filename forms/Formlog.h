#pragma once

#include "formsupport.h"

#include <QWidget>

class QPlainTextEdit;
namespace Ui { class Tform_Log; }

// The calculation log: a memo under a small tool bar, in a resizable tool window
// that remembers its place and client size. Closing it only hides it.
class Tform_Log : public FormWindow<QWidget>
{
    Q_OBJECT

public:
    explicit Tform_Log(QWidget *parent = nullptr);
    ~Tform_Log() override;

    // Show and hide handlers; the settings dialog's reset and the exit sequence
    // call them directly too, whether or not the window is visible.
    void FormShow();
    void FormHide();

    void setVisible(bool visible) override;

protected:
    void formShown() override;
    void formHidden() override { FormHide(); }

private:
    void FormCreate();
    void setToolBarFlat(bool flat);
    Ui::Tform_Log *ui;
    QPlainTextEdit *m_memo = nullptr; // made at the first showing
    bool m_centreAtFirstShow = false;
    bool m_shownBefore = false;
};

extern Tform_Log *form_Log;
