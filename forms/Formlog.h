#pragma once

#include <QWidget>

namespace Ui { class Tform_Log; }

class Tform_Log : public QWidget
{
    Q_OBJECT

public:
    explicit Tform_Log(QWidget *parent = nullptr);
    ~Tform_Log() override;

    void FormShow();
    void FormHide();

private:
    Ui::Tform_Log *ui;
};

extern Tform_Log *form_Log;
