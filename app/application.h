#pragma once

#include <QApplication>
#include <exception>

// The one place an exception escaping an event handler ends up: it is shown in a
// standard error box and the program carries on.
class MochitenApplication : public QApplication
{
public:
    MochitenApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void showException(const std::exception &e);
};
