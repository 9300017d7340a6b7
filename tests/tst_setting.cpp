#include "setting.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <sys/stat.h>

static void writeStoreFile(const QByteArray &content)
{
    QFile f(testSettingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

static QByteArray readStoreFile()
{
    QFile f(testSettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

static QString storedValue(const char *name)
{
    QSettings ini(testSettingsFile(), QSettings::IniFormat);
    return ini.value(QStringLiteral("Mochica/") + QLatin1String(name)).toString();
}

// Every field set away from its default, so a field that is not stored shows.
static TSetting unusualSetting()
{
    TSetting s;
    s.NoMt = true;
    s.ButtonFlat = true;
    s.Window_Calc_SaveWindowPos = false;
    s.Window_Calc_OpenWindowAtBoot = true;
    s.Window_Calc_Window_Left = -1200;
    s.Window_Calc_Window_Top = 2147483647;
    s.Window_Log_SaveWindowPos = false;
    s.Window_Log_OpenWindowAtBoot = false;
    s.Window_Log_Window_Left = -2147483647 - 1;
    s.Window_Log_Window_Top = 77;
    s.Window_Log_Window_Height = 31;
    s.Window_Log_Window_Width = 4096;
    return s;
}

static bool sameStoredFields(const TSetting &a, const TSetting &b)
{
    for (const SettingValue &v : SettingValues) {
        if (v.flag ? a.*v.flag != b.*v.flag : a.*v.number != b.*v.number)
            return false;
    }
    return true;
}

class TestSetting : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeTestSettings(); QFile::remove(testSettingsFile() + ".bad"); }

    void defaultsForANewUser();
    void roundTripKeepsEveryValue();
    void savedFileUsesTheKnownNames();
    void valuesRead_data();
    void valuesRead();
    void loadLeavesDelRegAlone();
    void unparsableFileGivesDefaultsAndIsKeptAside();
    void otherSectionsSurviveSaveAndErase();
    void eraseRemovesOnlyTheSection();
    void unwritableStoreKeepsTheProgramRunning();
    void saveReplacesTheFileWhole();
};

void TestSetting::defaultsForANewUser()
{
    TSetting s = unusualSetting();
    LoadSetting(s);
    QCOMPARE(s.NoMt, false);
    QCOMPARE(s.ButtonFlat, false);
    QCOMPARE(s.Window_Calc_SaveWindowPos, true);
    QCOMPARE(s.Window_Calc_OpenWindowAtBoot, false);
    QCOMPARE(s.Window_Calc_Window_Left, 0);
    QCOMPARE(s.Window_Calc_Window_Top, 0);
    QCOMPARE(s.Window_Log_SaveWindowPos, true);
    QCOMPARE(s.Window_Log_OpenWindowAtBoot, true);
    QCOMPARE(s.Window_Log_Window_Left, 0);
    QCOMPARE(s.Window_Log_Window_Top, 0);
    QCOMPARE(s.Window_Log_Window_Height, 300);
    QCOMPARE(s.Window_Log_Window_Width, 200);
    QVERIFY(!QFile::exists(testSettingsFile())); // reading creates nothing
}

void TestSetting::roundTripKeepsEveryValue()
{
    const TSetting saved = unusualSetting();
    QVERIFY(SaveSetting(saved));
    TSetting loaded;
    LoadSetting(loaded);
    QVERIFY(sameStoredFields(saved, loaded));
}

void TestSetting::savedFileUsesTheKnownNames()
{
    TSetting s = unusualSetting();
    s.DelReg = true;
    QVERIFY(SaveSetting(s));
    const QByteArray text = readStoreFile();
    QVERIFY(text.startsWith("[Mochica]\n"));
    QCOMPARE(storedValue("NoMt"), QString("1"));
    QCOMPARE(storedValue("ButtonFlat"), QString("1"));
    QCOMPARE(storedValue("Window_Calc_SaveWindowPos"), QString("0"));
    QCOMPARE(storedValue("Window_Calc_OpenWindowAtBoot"), QString("1"));
    QCOMPARE(storedValue("Window_Calc_Window_Left"), QString("-1200"));
    QCOMPARE(storedValue("Window_Calc_Window_Top"), QString("2147483647"));
    QCOMPARE(storedValue("Window_Log_SaveWindowPos"), QString("0"));
    QCOMPARE(storedValue("Window_Log_OpenWindowAtBoot"), QString("0"));
    QCOMPARE(storedValue("Window_Log_Window_Left"), QString("-2147483648"));
    QCOMPARE(storedValue("Window_Log_Window_Top"), QString("77"));
    QCOMPARE(storedValue("Window_Log_Window_Height"), QString("31"));
    QCOMPARE(storedValue("Window_Log_Window_Width"), QString("4096"));
    QVERIFY(!text.contains("DelReg"));
    QCOMPARE(QSettings(testSettingsFile(), QSettings::IniFormat).allKeys().size(), 12);
}

void TestSetting::valuesRead_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint32>("expected"); // booleans as 0/1

    QTest::newRow("NoMt 5 is true") << QByteArray("NoMt=5") << QByteArray("NoMt") << 1;
    QTest::newRow("NoMt -1 is true") << QByteArray("NoMt=-1") << QByteArray("NoMt") << 1;
    QTest::newRow("ButtonFlat 0 is false") << QByteArray("ButtonFlat=0") << QByteArray("ButtonFlat") << 0;
    QTest::newRow("SaveWindowPos 0 overrides default 1") << QByteArray("Window_Calc_SaveWindowPos=0")
                                                        << QByteArray("Window_Calc_SaveWindowPos") << 0;
    QTest::newRow("negative position kept") << QByteArray("Window_Calc_Window_Left=-300")
                                            << QByteArray("Window_Calc_Window_Left") << -300;
    QTest::newRow("off-screen position kept") << QByteArray("Window_Log_Window_Top=99999")
                                              << QByteArray("Window_Log_Window_Top") << 99999;
    QTest::newRow("int32 min kept") << QByteArray("Window_Calc_Window_Top=-2147483648")
                                    << QByteArray("Window_Calc_Window_Top") << (-2147483647 - 1);
    QTest::newRow("blanks around a number") << QByteArray("Window_Log_Window_Width= 640 ")
                                            << QByteArray("Window_Log_Window_Width") << 640;
    // Anything that is not a 32-bit whole number gives the default.
    QTest::newRow("text") << QByteArray("Window_Log_Window_Height=abc") << QByteArray("Window_Log_Window_Height") << 300;
    QTest::newRow("empty") << QByteArray("Window_Log_Window_Width=") << QByteArray("Window_Log_Window_Width") << 200;
    QTest::newRow("beyond 32 bits") << QByteArray("Window_Log_Window_Height=4294967296")
                                    << QByteArray("Window_Log_Window_Height") << 300;
    QTest::newRow("just beyond int32 max") << QByteArray("Window_Calc_Window_Left=2147483648")
                                           << QByteArray("Window_Calc_Window_Left") << 0;
    QTest::newRow("fraction") << QByteArray("Window_Log_Window_Width=12.5") << QByteArray("Window_Log_Window_Width") << 200;
    QTest::newRow("hex") << QByteArray("Window_Log_Window_Width=0x20") << QByteArray("Window_Log_Window_Width") << 200;
    QTest::newRow("list") << QByteArray("Window_Log_OpenWindowAtBoot=0, 0") << QByteArray("Window_Log_OpenWindowAtBoot") << 1;
    QTest::newRow("variant blob") << QByteArray("Window_Log_Window_Height=@Rect(1 2 3 4)")
                                  << QByteArray("Window_Log_Window_Height") << 300;
    QTest::newRow("boolean word") << QByteArray("Window_Calc_SaveWindowPos=false")
                                  << QByteArray("Window_Calc_SaveWindowPos") << 1;
}

void TestSetting::valuesRead()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(qint32, expected);

    writeStoreFile("[Mochica]\n" + line + "\n");
    TSetting s;
    LoadSetting(s);
    for (const SettingValue &v : SettingValues) {
        if (name != v.name)
            continue;
        const qint32 got = v.flag ? qint32(s.*v.flag) : s.*v.number;
        QCOMPARE(got, expected);
        return;
    }
    QFAIL("no such value");
}

void TestSetting::loadLeavesDelRegAlone()
{
    writeStoreFile("[Mochica]\nDelReg=1\n");
    TSetting s;
    LoadSetting(s);
    QCOMPARE(s.DelReg, false); // never read from the store
    s.DelReg = true;
    LoadSetting(s);
    QCOMPARE(s.DelReg, true);  // and left as it was
}

void TestSetting::unparsableFileGivesDefaultsAndIsKeptAside()
{
    const QByteArray junk("\x00\x01\x02\xff\xfe not an ini file\n[[[\n=\n\xff\xd8", 33);
    writeStoreFile(junk);
    TSetting s = unusualSetting();
    LoadSetting(s);
    TSetting defaults;
    removeTestSettings();
    LoadSetting(defaults);
    QVERIFY(sameStoredFields(s, defaults));

    writeStoreFile(junk);
    const TSetting saved = unusualSetting();
    SaveSetting(saved);
    TSetting loaded;
    LoadSetting(loaded);
    QVERIFY(sameStoredFields(saved, loaded));
    QFile kept(testSettingsFile() + ".bad");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), junk);
}

void TestSetting::otherSectionsSurviveSaveAndErase()
{
    writeStoreFile("[Other]\nkeep=me\n\n[Mochica]\nNoMt=1\n");
    QVERIFY(SaveSetting(TSetting()));
    QCOMPARE(QSettings(testSettingsFile(), QSettings::IniFormat).value("Other/keep").toString(), QString("me"));
    QVERIFY(EraseSetting());
    QCOMPARE(QSettings(testSettingsFile(), QSettings::IniFormat).value("Other/keep").toString(), QString("me"));
    QVERIFY(!QFile::exists(testSettingsFile() + ".bad"));
}

void TestSetting::eraseRemovesOnlyTheSection()
{
    QVERIFY(SaveSetting(unusualSetting()));
    QVERIFY(EraseSetting());
    QVERIFY(!readStoreFile().contains("Mochica"));
    TSetting s = unusualSetting();
    LoadSetting(s);
    TSetting defaults;
    removeTestSettings();
    LoadSetting(defaults);
    QVERIFY(sameStoredFields(s, defaults)); // the next start sees every default
    QVERIFY(EraseSetting());                // erasing nothing is fine too
}

void TestSetting::unwritableStoreKeepsTheProgramRunning()
{
    // A folder where the file should be: it can be neither read nor written.
    QVERIFY(QDir().mkpath(testSettingsFile()));
    TSetting s = unusualSetting();
    LoadSetting(s);
    QCOMPARE(s.Window_Log_Window_Height, 300);
    QVERIFY(!SaveSetting(s));
    QVERIFY(!EraseSetting());
    QVERIFY(QDir().rmdir(testSettingsFile()));
    QVERIFY(SaveSetting(s)); // and works again once the way is clear
}

void TestSetting::saveReplacesTheFileWhole()
{
    // A save writes a new file and renames it over the old one, so a crash in the
    // middle leaves either the old file or the new one, never half of it.
    QVERIFY(SaveSetting(TSetting()));
    struct stat st1 {}, st2 {};
    QCOMPARE(::stat(QFile::encodeName(testSettingsFile()).constData(), &st1), 0);
    QVERIFY(SaveSetting(unusualSetting()));
    QCOMPARE(::stat(QFile::encodeName(testSettingsFile()).constData(), &st2), 0);
    QVERIFY(st1.st_ino != st2.st_ino);
    const QStringList leftovers = QDir(testConfigDir()).entryList(QDir::Files);
    QCOMPARE(leftovers, QStringList{"HinokiWorks.conf"});
}

QTEST_GUILESS_MAIN(TestSetting)
#include "tst_setting.moc"
