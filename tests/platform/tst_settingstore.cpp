#include "settingstore.h"
#include "testenv.h"

#include <QtTest>
#include <utime.h>

// The twelve values, "name=value" in store order: those of s, or with s null those the file holds.
static QString describe(Settings *s)
{
    const QSettings file(testSettingsFile(), QSettings::IniFormat);
    QStringList parts;
    for (const StoredValue &v : StoredValues)
        parts << QString(v.name) + '=' + (s ? QString::number(v.flag ? int(v.flag(*s)) : v.number(*s))
                                             : file.value(QString("Mochica/") + v.name).toString());
    return parts.join(' ');
}
static QStringList keys() { return QSettings(testSettingsFile(), QSettings::IniFormat).allKeys(); }
static const QString NewUser = "ButtonFlat=0 NoMt=0 Window_Calc_SaveWindowPos=1 Window_Calc_OpenWindowAtBoot=0 "
    "Window_Calc_Window_Left=0 Window_Calc_Window_Top=0 Window_Log_SaveWindowPos=1 Window_Log_OpenWindowAtBoot=1 "
    "Window_Log_Window_Left=0 Window_Log_Window_Top=0 Window_Log_Window_Height=300 Window_Log_Window_Width=200";

// What the file holds; the value then read (the others are a new user's); the other sections a save keeps;
// whether the save first keeps the original aside as <file>.bad, byte for byte.
struct Load { QByteArray content; QString read; QStringList survivors; bool keptAside; };
Q_DECLARE_METATYPE(Load)

class TestSettingStore : public QObject
{
    Q_OBJECT
private slots:
    void init() { QDir(testConfigDir()).removeRecursively(), QDir().mkpath(testConfigDir()); }

    void loadThenSave_data()
    {
        QTest::addColumn<Load>("load");
        QTest::newRow("new user: nothing read, nothing made") << Load{{}, "NoMt=0", {}, false};
        QTest::newRow("NoMt 5 is true, saved as 1") << Load{"[O]\nk=1\n[Mochica]\nNoMt=5", "NoMt=1", {"O/k"}, false};
        QTest::newRow("0 over a default 1") << Load{"[Mochica]\nWindow_Calc_SaveWindowPos=0", "Window_Calc_SaveWindowPos=0", {}, false};
        QTest::newRow("negative, blanks around") << Load{"[Mochica]\nWindow_Calc_Window_Left= -300 ", "Window_Calc_Window_Left=-300", {}, false};
        QTest::newRow("text: default") << Load{"[Mochica]\nWindow_Log_Window_Height=abc", "Window_Log_Window_Height=300", {}, false};
        QTest::newRow("beyond int32: default") << Load{"[Mochica]\nWindow_Log_Window_Width=2147483648", "Window_Log_Window_Width=200", {}, false};
        QTest::newRow("UTF-16") << Load{QStringEncoder(QStringEncoder::Utf16)(u"[Mochica]\nNoMt=1\n"), "NoMt=0", {}, true};
        QTest::newRow("invalid UTF-8") << Load{"[Mochica]\nNoMt=1\xff\n", "NoMt=0", {}, true};
        QTest::newRow("a 1 MB line without =") << Load{"[O]\nk=1\n" + QByteArray(1 << 20, 'x'), "NoMt=0", {"O/k"}, true};
        QTest::newRow("a broken section line") << Load{"[O]\nk=1\n[Mochica\n", "NoMt=0", {"O/k"}, true};
    }
    void loadThenSave()
    {
        QFETCH(Load, load);
        const auto &[content, read, survivors, keptAside] = load;
        const QString file = testSettingsFile(), bad = file + ".bad";
        const QFile::Permissions mine = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QVERIFY(content.isNull() || (put(file, content) && QFile::setPermissions(file, mine)));
        Settings s;
        s.notResident = s.flatButtons = true; // a value not read would show
        loadSettings(s);
        QCOMPARE(describe(&s), QString(NewUser).replace(QRegularExpression("\\b" + read.section('=', 0, 0) + "=-?\\d+"), read));
        QCOMPARE(QFile::exists(file), !content.isNull()); // reading makes nothing
        s.eraseOnExit = true;
        QVERIFY(put(bad, "an older copy") && saveSettings(s));
        QCOMPARE(describe(nullptr), describe(&s)); // all twelve, booleans as 0 or 1
        QCOMPARE(keys().size(), 12 + survivors.size()); // nothing of the junk, and no DelReg
        QCOMPARE(bytesOf(bad), keptAside ? content : "an older copy");
        QVERIFY(content.isNull() || (QFile::permissions(file) == mine && (QFile::permissions(bad) == mine) == keptAside)); // private stays private
        QVERIFY(eraseSettings());
        QCOMPARE(keys(), survivors); // erasing leaves the other sections alone
    }

    // What a cut-off save leaves, "<file>.XXXXXX" (a file, or a folder with a copy in it) and QLockFile's
    // "<file>.lock.rmlock...", goes at the next load once a minute old; a save file being written and the lock stay.
    void leftoverOfACutOffSaveGoes()
    {
        const QString f = testSettingsFile();
        const utimbuf hourAgo{time(nullptr) - 3600, time(nullptr) - 3600};
        QVERIFY(QDir().mkpath(f + ".MnOpQr") && put(f + ".MnOpQr/HinokiWorks.conf", "[O]\n") && put(f + ".GhIjKl", "[O]\n"));
        for (const char *name : {".MnOpQr", ".AbCdEf", ".lock", ".lock.rmlock", ".lock.rmlock.rmlock"})
            QVERIFY((QFile::exists(f + name) || put(f + name, "[O]\n")) && ::utime(QFile::encodeName(f + name).constData(), &hourAgo) == 0);
        Settings s;
        loadSettings(s);
        QCOMPARE(QDir(testConfigDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"HinokiWorks.conf.GhIjKl", "HinokiWorks.conf.lock"}));
    }
};

QTEST_GUILESS_MAIN(TestSettingStore)
#include "tst_settingstore.moc"
