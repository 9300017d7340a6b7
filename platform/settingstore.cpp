#include "settingstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>

#ifndef Q_OS_WIN
#  include <cerrno>
#  include <ctime>
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

namespace {

// A settings file is a few hundred bytes; anything this large is not one, and
// reading it whole could exhaust memory.
constexpr qint64 MaxStoreBytes = 16 * 1024 * 1024;
// Another program of the shared store holds its lock for milliseconds; a lock
// that stays longer is broken and must not hold up the exit.
constexpr int LockWaitMs = 500;
// A save file this old belongs to nobody: a save takes milliseconds.
constexpr time_t LeftoverAgeSeconds = 60;

bool isReadableLine(QByteArrayView line)
{
    for (const char c : line) {
        if ((uchar(c) < 0x20 && c != '\t') || c == 0x7f)
            return false;
    }
    const QByteArrayView t = line.trimmed();
    return t.isEmpty() || t.front() == ';' || t.front() == '#'
           || (t.front() == '[' && t.back() == ']') || t.indexOf('=') > 0;
}

} // namespace

bool SettingStore::readablePart(const QByteArray &content, QByteArray &readable)
{
    readable.clear();
    QByteArrayView text(content);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    // UTF-16 or binary: no line of it can be trusted.
    if (text.contains('\0') || !text.isValidUtf8())
        return text.isEmpty();
    bool whole = true;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line = text.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (isReadableLine(line))
            readable.append(line.data(), line.size()).append('\n');
        else
            whole = false;
        start = end + 1;
    }
    return whole;
}

bool SettingStore::fail(const QString &reason) const
{
    qWarning("Mochiten: the settings could not be written: %s", qUtf8Printable(reason));
    return false;
}

#ifdef Q_OS_WIN

SettingStore::SettingStore(Purpose)
    // By its full path: a QSettings given only the organisation would land
    // under "OrganizationDefaults".
    : m_settings(std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\HinokiWorks"),
                                             QSettings::NativeFormat))
{
    m_settings->setFallbacksEnabled(false);
}

SettingStore::~SettingStore() = default;

bool SettingStore::commit()
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        return fail(QStringLiteral("the registry refused the values"));
    return true;
}

QString SettingStore::fileName()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\HinokiWorks");
}

void SettingStore::removeLeftoverSaveFiles() {}

#else

// Reads path when it is a regular file. Looks before it opens, and opens
// without waiting, so that a FIFO, a socket or a device is never opened.
SettingStore::FileState SettingStore::readRegularFile(const QString &path, QByteArray &content)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
    if (!S_ISREG(st.st_mode))
        return FileState::NotAFile;
    if (st.st_size > MaxStoreBytes)
        return FileState::TooLarge;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
    FileState found = FileState::Readable;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        found = FileState::NotAFile; // swapped for something else since we looked
    } else {
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && content.size() <= MaxStoreBytes)
            content.append(buffer, n);
        if (n < 0)
            found = FileState::Unreadable;
        else if (content.size() > MaxStoreBytes)
            found = FileState::TooLarge;
    }
    ::close(fd);
    return found;
}

namespace {

// The file a save replaces: the target of a symbolic link rather than the link.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// QLockFile reads whatever lies at its path and waits while it cannot replace
// it; only a regular file or nothing at all is safe to hand it.
bool lockPathUsable(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

bool writeWhole(const QString &path, const QByteArray &content, QString &error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

} // namespace

SettingStore::SettingStore(Purpose purpose)
    : m_copyDir(std::make_unique<QTemporaryDir>())
{
    m_target = resolvedTarget(fileName());
    if (purpose == Write) {
        QDir().mkpath(QFileInfo(m_target).absolutePath());
        const QString lockName = m_target + QStringLiteral(".lock");
        // Waited for once: the exit may save twice, and must not wait twice.
        static bool lockInTheWay = false;
        if (lockPathUsable(lockName)) {
            m_lock = std::make_unique<QLockFile>(lockName);
            if (!m_lock->tryLock(lockInTheWay ? 0 : LockWaitMs))
                m_lock.reset();
        }
        if (!m_lock) {
            lockInTheWay = true;
            qWarning("Mochiten: %s is in the way; saving without it", qUtf8Printable(lockName));
        }
    }

    m_state = readRegularFile(m_target, m_original);
    QByteArray readable;
    if (m_state == FileState::Readable)
        m_keepAside = !readablePart(m_original, readable);

    // QSettings reads and writes only this private copy, never the file itself.
    const QString copy = m_copyDir->filePath(QStringLiteral("HinokiWorks.conf"));
    QFile copyFile(copy);
    if (m_copyDir->isValid() && copyFile.open(QIODevice::WriteOnly))
        copyFile.write(readable);
    copyFile.close();
    m_settings = std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

SettingStore::~SettingStore()
{
    // First: QSettings writes what it still holds when it goes, and would make the
    // private folder anew if that were gone already.
    m_settings.reset();
}

bool SettingStore::commit()
{
    switch (m_state) {
    case FileState::NotAFile:
        return fail(QStringLiteral("%1 is not a regular file").arg(m_target));
    case FileState::Unreadable:
        return fail(QStringLiteral("%1 cannot be read, and what it holds would be lost").arg(m_target));
    case FileState::TooLarge:
        return fail(QStringLiteral("%1 is too large to be a settings file").arg(m_target));
    case FileState::Missing:
    case FileState::Readable:
        break;
    }
    m_settings->sync();
    QFile copy(m_settings->fileName());
    if (!m_copyDir->isValid() || m_settings->status() != QSettings::NoError || !copy.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no private copy could be made in %1").arg(QDir::tempPath()));
    const QByteArray result = copy.readAll();
    if (m_state == FileState::Missing && result.isEmpty())
        return true; // nothing to store, and no file to make for it

    QString error;
    if (m_keepAside && !writeWhole(m_target + QStringLiteral(".bad"), m_original, error))
        return fail(QStringLiteral("the unreadable file could not be kept aside: ") + error);
    if (!writeWhole(m_target, result, error))
        return fail(error);
    return true;
}

QString SettingStore::fileName()
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QString folder = configHome.startsWith('/') ? QFile::decodeName(configHome)
                                                      : QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/HinokiWorks.conf");
}

void SettingStore::removeLeftoverSaveFiles()
{
    // QSaveFile names its file "<name>.XXXXXX", six random letters, beside the target.
    const QFileInfo target(resolvedTarget(fileName()));
    const QDir folder = target.absoluteDir();
    const QString prefix = target.fileName() + QLatin1Char('.');
    // Matched by hand: a wildcard filter would pull in the regular-expression engine.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QString suffix = name.mid(prefix.size());
        if (!std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLetter() && c.unicode() < 128; }))
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()
            && std::time(nullptr) - st.st_mtime > LeftoverAgeSeconds)
            ::unlink(path.constData());
    }
}

#endif

void loadSettings(Settings &settings)
{
    SettingStore::removeLeftoverSaveFiles();
    SettingStore store(SettingStore::Read);
    readSettings(store.settings(), settings);
}

bool saveSettings(const Settings &settings)
{
    SettingStore store(SettingStore::Write);
    writeSettings(store.settings(), settings);
    return store.commit();
}

bool eraseSettings()
{
    SettingStore store(SettingStore::Write);
    store.settings().remove(QLatin1String(SettingsSection));
    return store.commit();
}
