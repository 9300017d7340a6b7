#pragma once

#include "settings.h"

#include <QDialog>

namespace Ui { class SettingsDialog; }

// The settings dialog, modeless. It shows the settings it is given and reports
// what the user chose; nothing is stored before the program ends.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    // The boxes from the settings, but for the erase box: it keeps whatever the
    // user left it at when the dialog was last closed.
    // startsAtLogon: whether the desktop starts the program at logon now.
    void load(const Settings &settings, bool startsAtLogon);
    // The boxes into the settings, a disabled one too: the choice is kept for
    // when residency comes back.
    void store(Settings &settings) const;
    bool startAtLogonChosen() const;

    void setVisible(bool visible) override;

signals:
    // OK: the choices are to be stored and applied. The dialog then closes.
    void choicesAccepted();
    // A place back to the corner, at once and whatever OK or Cancel says later.
    void calculatorPositionReset();
    void logPositionReset();

private:
    Ui::SettingsDialog *ui;
};
