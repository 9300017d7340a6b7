#include "autostart.h"

#include "version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString entryPath()
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QString folder = configHome.startsWith('/') ? QFile::decodeName(configHome)
                                                      : QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/autostart/" MOCHITEN_APP_ID ".desktop");
}

// A path as a desktop entry's Exec key takes it: quoted, with the characters
// that are special inside quotes escaped.
QString quotedForExec(QString path)
{
    for (const char *special : {"\\", "\"", "`", "$"})
        path.replace(QLatin1String(special), QLatin1Char('\\') + QLatin1String(special));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

bool fail(const char *what, const QString &path, const QString &reason)
{
    qWarning("Mochiten: the autostart entry could not be %s: %s: %s", what, qUtf8Printable(path), qUtf8Printable(reason));
    return false;
}

} // namespace

bool startsAtLogon()
{
    QFile entry(entryPath());
    if (!QFileInfo(entry).isFile() || entry.size() > 65536 || !entry.open(QIODevice::ReadOnly))
        return false;
    // An entry the user switched off in the desktop's own settings stays, marked so.
    for (const QByteArray &line : entry.readAll().split('\n')) {
        const QByteArray t = line.trimmed();
        if (t == "Hidden=true" || t == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

bool setStartsAtLogon(bool on)
{
    const QString path = entryPath();
    if (!on) {
        if (!QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
            return true;
        QFile entry(path);
        return entry.remove() || fail("removed", path, entry.errorString());
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray content = "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=Mochiten\n"
                               "Comment=Calculator in the notification area\n"
                               "Exec=" + quotedForExec(QCoreApplication::applicationFilePath()).toUtf8() + "\n"
                               "Icon=" MOCHITEN_APP_ID "\n"
                               "Terminal=false\n"
                               "X-GNOME-Autostart-enabled=true\n";
    QSaveFile entry(path);
    // Flushed by hand: a full disk shows only there, and the entry must be whole.
    if (!entry.open(QIODevice::WriteOnly) || entry.write(content) != content.size() || !entry.flush()) {
        const QString reason = entry.errorString();
        entry.cancelWriting();
        return fail("written", path, reason);
    }
    return entry.commit() || fail("written", path, entry.errorString());
}
