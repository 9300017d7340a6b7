#pragma once

#include "formsupport.h"

#include <QDialog>

namespace Ui { class Tform_Setup; }

// The settings dialog, modeless. OK copies the check boxes into Setting and
// applies what can be applied at once; nothing is stored before the program ends.
class Tform_Setup : public FormWindow<QDialog>
{
    Q_OBJECT

public:
    explicit Tform_Setup(QWidget *parent = nullptr);
    ~Tform_Setup() override;

    // Reloads the check boxes from Setting; runs on every show. The erase box
    // keeps whatever the user left it at.
    void FormShow();

    Ui::Tform_Setup *form() const { return ui; }

public slots:
    void cbbox_NoMtClick();
    void BitBtn1Click(); // OK
    void BitBtn2Click(); // Cancel
    void BitBtn3Click(); // calculator position back to the corner, at once
    void BitBtn4Click(); // log window position back to the corner, at once

protected:
    void formShown() override;

private:
    Ui::Tform_Setup *ui;
    bool m_centred = false;
};

extern Tform_Setup *form_Setup;
