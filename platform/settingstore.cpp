#include "settingstore.h"

namespace {

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
