#include "look.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QMenu>
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

void claimSharedEntries(QMenu *menu)
{
    // Qt keeps one accessible entry per action, made for the menu that showed it
    // first: in the other menu a screen reader would find it hidden. Dropped as
    // this menu opens, the entry is made anew for it.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        if (!QAccessible::isActive())
            return;
        for (QAction *action : menu->actions()) {
            QAccessibleInterface *entry = QAccessible::queryAccessibleInterface(action);
            QAccessibleInterface *owner = entry ? entry->parent() : nullptr;
            if (owner && owner->object() != menu)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(entry));
        }
    });
}
