#include "look.h"

#include "platform.h"

#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

QFont programFont(int pixels)
{
    QFont font(installedFace(QStringLiteral("ＭＳ Ｐゴシック")));
    font.setPixelSize(pixels);
    return font;
}

void useInstalledFaces(const QList<QWidget *> &windows)
{
    for (QWidget *window : windows) {
        if (!window)
            continue;
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window); // first: the widgets that inherit its face follow it
        for (QWidget *widget : std::as_const(widgets)) {
            QFont font = widget->font();
            if (!(font.resolveMask() & (QFont::FamilyResolved | QFont::FamiliesResolved)))
                continue;
            const QString face = installedFace(font.family());
            if (face != font.family()) {
                font.setFamily(face);
                widget->setFont(font);
            }
        }
    }
}

QIcon programIcon(const char *resource)
{
    // Kept once read: the program's own icon alone is asked for three times at start.
    static QHash<QByteArray, QIcon> read;
    QIcon &icon = read[resource];
    if (icon.isNull()) {
        QImageReader reader(QString::fromLatin1(resource), "png");
        reader.setAutoDetectImageFormat(false);
        icon = QIcon(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window->move(screen->availableGeometry().center() - window->rect().center());
}
