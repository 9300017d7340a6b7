#pragma once

#include <QFont>
#include <QIcon>
#include <QHideEvent>
#include <QShowEvent>

class QMenu;
class QWidget;

// What every window of the program does alike.

// The program's face, "ＭＳ Ｐゴシック" (a Japanese Gothic face stands in where it
// is missing), at a size in pixels.
QFont programFont(int pixels = 12);

// One of the program's PNG pictures (":/icons/...") as an icon. Read as PNG
// outright: left to guess, Qt would load every image-format plug-in to ask it.
QIcon programIcon(const char *resource);

// Puts the window in the middle of the screen it is on.
void centreOnScreen(QWidget *window);

// Makes a screen reader find the entries of menu under it when it opens, those
// it shares with another menu too.
void claimSharedEntries(QMenu *menu);

// A window whose formShown and formHidden run when the program shows or hides
// it, not when the system does (back from minimised, another desktop): those are
// not the user's shows and hides. Virtual calls, so that a window being
// destroyed no longer reaches its own handlers.
template <class Base>
class FormWindow : public Base
{
public:
    using Base::Base;

protected:
    virtual void formShown() {}
    virtual void formHidden() {}

    void showEvent(QShowEvent *event) override
    {
        Base::showEvent(event);
        if (!event->spontaneous())
            formShown();
    }
    void hideEvent(QHideEvent *event) override
    {
        Base::hideEvent(event);
        if (!event->spontaneous())
            formHidden();
    }
};
