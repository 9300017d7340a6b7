#include "look.h"

#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

QFont programFont(int pixels)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixels);
    return font;
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
