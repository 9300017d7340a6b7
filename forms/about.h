#pragma once

#include <QWidget>

namespace Ui { class Tform_About; }

class Tform_About : public QWidget
{
    Q_OBJECT

public:
    explicit Tform_About(QWidget *parent = nullptr);
    ~Tform_About() override;

    void FormShow();
    void FormHide();

private:
    Ui::Tform_About *ui;
};

extern Tform_About *form_About;
