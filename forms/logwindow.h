#pragma once

#include "windowplacement.h"

#include <QWidget>

namespace Ui { class LogWindow; }

// The calculation log: a memo under a small tool bar, in a resizable tool window
// that remembers its place and client size. Closing it only hides it.
class LogWindow : public QWidget
{
    Q_OBJECT

public:
    // stored: the log's remembered place and size, read at each show, written at each hide.
    explicit LogWindow(WindowSettings &stored, QWidget *parent = nullptr);
    ~LogWindow() override;

    // Applies to the tool bar at the next show or placement reset.
    void setFlatToolBar(bool flat) { m_flat = flat; }

    // The stored place and size applied now, shown or not (the settings
    // dialog's reset), and the window's own copied into the settings (the exit).
    void restorePlacement();
    void rememberPlacement() { m_placement.remember(); }

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Ui::LogWindow *ui;
    WindowPlacement m_placement;
    bool m_flat = false;
};
