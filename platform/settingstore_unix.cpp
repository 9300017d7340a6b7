#include "settingstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A settings file is a few hundred bytes; anything this large is not one, and
// reading it whole could exhaust memory.
constexpr qint64 MaxStoreBytes = 16 * 1024 * 1024;
// Another program of the shared store holds its lock for milliseconds; a lock
// that stays longer is broken and must not hold up the exit.
constexpr int LockWaitMs = 500;
// A save file this old belongs to nobody: a save takes milliseconds.
constexpr time_t LeftoverAgeSeconds = 60;

} // namespace

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

// Set when the settings could not be read at start: a save would put defaults in their place.
bool readFailed = false;

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

QString systemError(const QString &path)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Writes all of content to fd, however the kernel splits it up, and closes fd; with toDisk,
// waits until it is on the disk. False, with errno set, when any step failed.
bool writeAndClose(int fd, const QByteArray &content, bool toDisk)
{
    bool ok = true;
    for (qsizetype done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            ok = false, errno = EIO;
        else
            ok = errno == EINTR;
    }
    ok = ok && (!toDisk || ::fsync(fd) == 0);
    const int error = errno;
    if (::close(fd) != 0)
        return false;
    errno = error;
    return ok;
}

// A file in memory that goes with the process however it ends, reached by QSettings as
// /proc/self/fd/<fd>; -1 when there is none.
int memoryFile(const QByteArray &content)
{
    const int fd = ::memfd_create("HinokiWorks.conf", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    // QSettings keeps what it parsed by path and trusts it while size and time match, and the
    // path comes back with the next file of that number: each file gets a time of its own.
    static time_t stamp = 0;
    const timespec times[2] = {{0, UTIME_OMIT}, {++stamp, 0}};
    const int copy = ::dup(fd);
    if (copy >= 0 && writeAndClose(copy, content, false) && ::futimens(fd, times) == 0
        && ::access(QFile::encodeName(QStringLiteral("/proc/self/fd/%1").arg(fd)).constData(), R_OK) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

// QSaveFile, which QSettings writes with, reports success when a full disk cut its file
// short: a result counts only when it holds every key and ends with a whole line.
bool holdsEveryKey(const QByteArray &result, const QSettings &settings)
{
    const int fd = memoryFile(result);
    const bool whole = fd >= 0 && (result.isEmpty() || result.endsWith('\n'))
                       && QSettings(QStringLiteral("/proc/self/fd/%1").arg(fd), QSettings::IniFormat).allKeys()
                              == settings.allKeys();
    if (fd >= 0)
        ::close(fd);
    return whole;
}

// Puts content in place of path: written whole to a new file beside the settings file store
// ("<store>.XXXXXX", six letters as QSaveFile's, so that a crash's leftover is known at the next
// start), on the disk, then renamed over path. Any failure leaves path as it was. The new file
// gets store's permissions, as it holds what store holds.
bool replaceFile(const QString &path, const QString &store, const QByteArray &content, QString &error)
{
    struct stat st {};
    const bool existed = ::stat(QFile::encodeName(store).constData(), &st) == 0;
    const mode_t mode = existed ? (st.st_mode & 07777) : 0666;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = QFile::encodeName(store) + '.';
        for (int i = 0; i < 6; ++i) {
            const int r = QRandomGenerator::global()->bounded(52);
            temp += char(r < 26 ? 'a' + r : 'A' + r - 26);
        }
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = systemError(QFileInfo(path).absolutePath());
        return false;
    }
    if (existed)
        ::fchmod(fd, mode); // the umask may have taken some away
    if (!writeAndClose(fd, content, true) || ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        error = systemError(path);
        ::unlink(temp.constData());
        return false;
    }
    // The rename on the disk too; some file systems cannot sync a folder, and the file is in place.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
        ::fsync(folder), ::close(folder);
    return true;
}

} // namespace

SettingStore::SettingStore(Purpose purpose)
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

    // QSettings never touches the file itself. Should nothing else be had, it gets a path
    // under which nothing can ever be written.
    QString copy = QStringLiteral("/dev/null/HinokiWorks.conf");
    if (purpose == Read) {
        // To read, it parses a copy in memory, and writes nothing.
        m_copy = memoryFile(readable);
        if (m_copy >= 0) {
            copy = QStringLiteral("/proc/self/fd/%1").arg(m_copy);
        } else {
            readFailed = true;
            qWarning("Mochiten: the settings could not be read: %s; they will not be saved", std::strerror(errno));
        }
    } else if (m_state == FileState::Missing || m_state == FileState::Readable) {
        // QSettings writes only through files of a real folder: for a save it works on a copy
        // in a private folder beside the file ("<file>.XXXXXX"), which a crash may leave behind
        // for the next start to clear away; the temporary folder would keep it for good.
        m_workDir = std::make_unique<QTemporaryDir>(m_target + QStringLiteral(".XXXXXX"));
        const QString work = m_workDir->filePath(QStringLiteral("HinokiWorks.conf"));
        const int fd = m_workDir->isValid()
                           ? ::open(QFile::encodeName(work).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)
                           : -1;
        if (fd >= 0 && writeAndClose(fd, readable, false))
            copy = work;
        else
            m_error = QStringLiteral("no working copy could be made beside %1: %2")
                          .arg(m_target, fd < 0 && !m_workDir->isValid() ? m_workDir->errorString()
                                                                         : QString::fromLocal8Bit(std::strerror(errno)));
    }
    m_settings = std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

SettingStore::~SettingStore()
{
    // First: QSettings writes what it still holds when it goes, and would make its
    // folder anew if that were gone already.
    m_settings.reset();
    if (m_copy >= 0)
        ::close(m_copy);
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
    if (readFailed)
        return fail(QStringLiteral("they could not be read at start, and would be replaced by defaults"));
    if (!m_error.isEmpty())
        return fail(m_error);
    m_settings->sync();
    const QString work = m_settings->fileName();
    QByteArray result;
    // QSettings tells no reason; the one it most likely had is named.
    if (m_settings->status() != QSettings::NoError || readRegularFile(work, result) != FileState::Readable
        || !holdsEveryKey(result, *m_settings))
        return fail(QStringLiteral("the working copy beside %1 could not be written whole; is the disk full?").arg(m_target));
    if (m_state == FileState::Missing && result.isEmpty())
        return true; // nothing to store, and no file to make for it

    QString error;
    if (m_keepAside && !replaceFile(m_target + QStringLiteral(".bad"), m_target, m_original, error))
        return fail(QStringLiteral("the unreadable file could not be kept aside: ") + error);
    if (!replaceFile(m_target, m_target, result, error))
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
    // A save's new file and its private folder, as QSaveFile's own file, are "<name>.XXXXXX",
    // six random letters, beside the target. QLockFile clears a stale lock under a lock of its
    // own, "<lock>.rmlock", that one under "<lock>.rmlock.rmlock", and so on; killed meanwhile, it
    // leaves them, and takes any as old as these for stale itself.
    const QFileInfo target(resolvedTarget(fileName()));
    const QDir folder = target.absoluteDir();
    const QString prefix = target.fileName() + QLatin1Char('.'), lock = prefix + QStringLiteral("lock");
    // Matched by hand: a wildcard filter would pull in the regular-expression engine.
    const QStringList names = folder.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString suffix = name.mid(prefix.size());
        const bool saveFile = name.startsWith(prefix) && suffix.size() == 6
                              && std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLetter() && c.unicode() < 128; });
        const bool lockHelper = name.size() > lock.size() && name.startsWith(lock)
                                && name.mid(lock.size()).remove(QLatin1String(".rmlock")).isEmpty();
        if (!saveFile && !lockHelper)
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || st.st_uid != ::getuid()
            || std::time(nullptr) - st.st_mtime <= LeftoverAgeSeconds)
            continue;
        if (S_ISREG(st.st_mode)) {
            ::unlink(path.constData());
        } else if (S_ISDIR(st.st_mode)) {
            // The folder holds a copy, QSettings' lock and QSaveFile's file, and no folders.
            QDir work(folder.filePath(name));
            for (const QString &file : work.entryList(QDir::Files | QDir::System | QDir::Hidden))
                work.remove(file);
            ::rmdir(path.constData());
        }
    }
}
