#pragma once

#include <QFont>
#include <QIcon>

class QMenu;
class QWidget;

// What every window of the program looks like alike.

// The program's face, "ＭＳ Ｐゴシック" (a Japanese Gothic face stands in where it
// is missing), at a size in pixels.
QFont programFont(int pixels = 12);

// The windows made before the installed faces were read (readInstalledFaces()),
// and every widget in them that names a face of its own, take the installed
// face in place of one the system lacks: it draws the same and is found at once.
void useInstalledFaces(const QList<QWidget *> &windows);

// One of the program's PNG pictures (":/icons/...") as an icon. Read as PNG
// outright: left to guess, Qt would load every image-format plug-in to ask it.
QIcon programIcon(const char *resource);

// Puts the window in the middle of the screen it is on.
void centreOnScreen(QWidget *window);

// Makes a screen reader find the entries of menu under it when it opens, those
// it shares with another menu too.
void claimSharedEntries(QMenu *menu);
