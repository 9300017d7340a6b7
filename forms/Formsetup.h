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

    // The dialog's contents, built if they are not yet.
    Ui::Tform_Setup *form();

    void setVisible(bool visible) override;

public slots:
    void cbbox_NoMtClick();
    void BitBtn1Click(); // OK
    void BitBtn2Click(); // Cancel
    void BitBtn3Click(); // calculator position back to the corner, at once
    void BitBtn4Click(); // log window position back to the corner, at once

protected:
    void formShown() override;

private:
    void buildContents();
    Ui::Tform_Setup *ui;
    bool m_built = false;
    bool m_centred = false;
};

extern Tform_Setup *form_Setup;
