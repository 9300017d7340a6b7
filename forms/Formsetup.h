#pragma once

#include <QWidget>

namespace Ui { class Tform_Setup; }

class Tform_Setup : public QWidget
{
    Q_OBJECT

public:
    explicit Tform_Setup(QWidget *parent = nullptr);
    ~Tform_Setup() override;

    void FormShow();
    void FormHide();

private:
    Ui::Tform_Setup *ui;
};

extern Tform_Setup *form_Setup;
