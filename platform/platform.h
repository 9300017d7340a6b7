#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

class QPoint;
class QSize;
class QWidget;

// What the program needs from the operating system beyond Qt.

// Picks the window-system plugin; call before the application object exists.
// Where an X server is at hand, Wayland session or not, the program runs as an
// X11 client: only there can it put its windows back where they were and show
// the number in its title bar. With Wayland alone it runs as a Wayland client,
// unplaced. A QT_QPA_PLATFORM of the user's own is left as it is. Returns true
// when it set the variable, which programs we start should then not inherit.
bool choosePlatformPlugin();

// The windows ask for "ＭＳ Ｐゴシック" and "ＭＳ Ｐ明朝", which only Windows has;
// elsewhere an installed Japanese face stands in so that no text shows as boxes.
void installJapaneseFontSubstitutes();

// Reads which font families are installed, the longest step of a start: until
// then installedFace() answers with the face it is asked for.
void readInstalledFaces();
// The face to name in place of face: face itself where it is installed (or the
// fonts are not read yet), otherwise its first installed stand-in. Asked for a
// face the system lacks, Qt ranks every installed font against it twice, at the
// first text it draws, before it takes the stand-in.
QString installedFace(const QString &face);

// Sends the window system what Qt has queued for it (a window's map among it)
// now, not at the next turn of the event loop.
void sendQueuedWindowRequests();

// The three fields of the Windows version record that the About box looks at.
struct OsVersionRecord
{
    quint32 platformId = 0;
    quint32 minorVersion = 0;
    quint32 buildNumber = 0;
};

// The running system's version record; empty where the system has none (not Windows).
std::optional<OsVersionRecord> osVersionRecord();

// The operating system's own name for itself, e.g. "Debian GNU/Linux 12 (bookworm)".
QString osPrettyName();

// Total physical memory in bytes; 0 when the system does not say.
quint64 totalPhysicalMemory();

// The running program's file version, e.g. "2.1.0.3"; empty when it cannot be read.
QString programFileVersion();

// Hands a web address or a "mailto:" link to the desktop. Failures are silent.
void openLink(const QString &url);

// True when a native window message is a double click on the window's title bar.
// Only Windows lets the program see it; elsewhere the window manager owns the title bar.
bool isTitleBarDoubleClick(const QByteArray &eventType, void *message);

// True when the window system really shows the window: on X11 it is mapped.
// Qt's own flag can say visible for a window the window manager has withdrawn.
bool isShownOnScreen(const QWidget *window);

// False where windows are neither put where asked nor told where they are
// (Wayland): the places stored from an X11 or Windows session are kept there.
bool windowPlacementWorks();

// Asks the window system to map again a window that Qt already takes for shown.
void mapAgain(QWidget *window);

// What the window system can take of a stored place and size. X11 keeps
// coordinates in 16 bits (kept clear of the limit, to leave room for the frame)
// and maps no window without a pixel each way; sizes stop at 8192, since a window
// drawn larger would take gigabytes of memory to paint.
QPoint representablePosition(qint32 left, qint32 top);
QSize representableSize(qint32 width, qint32 height);

// Only what is applied is bounded: while the window keeps what a stored value
// gave it (applied), that value stays as it was stored.
void keepUnlessChanged(qint32 &stored, int now, int applied);
