#include "look.h"

#include "platform.h"

#include <QAccessible>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QMenu>
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
        const auto readPng = [](const QString &name) {
            QImageReader reader(name, "png");
            reader.setAutoDetectImageFormat(false);
            return reader.read();
        };
        const QString name = QString::fromLatin1(resource);
        const QImage image = readPng(name);
        icon.addPixmap(QPixmap::fromImage(image));
        // For a screen at twice the scale: the picture drawn at that size where
        // there is one ("name@2x.png", rendered from the drawing), else each pixel
        // doubled, which stays sharp where a smooth enlargement would blur.
        const QString drawn2x = QString(name).insert(name.size() - 4, QLatin1String("@2x"));
        QImage doubled = QFile::exists(drawn2x) ? readPng(drawn2x) : QImage();
        if (doubled.isNull())
            doubled = image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        icon.addPixmap(QPixmap::fromImage(doubled));
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
