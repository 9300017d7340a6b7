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

static QSettings storedFile()
{
    return QSettings(testSettingsFile(), QSettings::IniFormat);
}

// Every field away from its default, so that a field not stored shows.
static TSetting unusualSetting()
{
    TSetting s;
    s.NoMt = s.ButtonFlat = s.Window_Calc_OpenWindowAtBoot = true;
    s.Window_Calc_Window_Left = -1200;
    s.Window_Calc_Window_Top = 2147483647;
    s.Window_Log_Window_Left = -2147483647 - 1;
    s.Window_Log_Window_Top = 77;
    s.Window_Log_Window_Height = 31;
    s.Window_Log_Window_Width = 4096;
    return s;
}

// The stored fields as text, "name=value" in store order, for one-line comparisons.
static QString describe(const TSetting &s)
{
    QStringList parts;
    for (const SettingValue &v : SettingValues)
        parts << QStringLiteral("%1=%2").arg(v.name).arg(v.flag ? int(s.*v.flag) : s.*v.number);
    return parts.join(QLatin1Char(' '));
}

static QString loaded()
{
    TSetting s = unusualSetting();
    LoadSetting(s);
    return describe(s);
}

static const QString NewUser = QStringLiteral(
    "ButtonFlat=0 NoMt=0 Window_Calc_SaveWindowPos=1 Window_Calc_OpenWindowAtBoot=0 "
    "Window_Calc_Window_Left=0 Window_Calc_Window_Top=0 Window_Log_SaveWindowPos=1 "
    "Window_Log_OpenWindowAtBoot=1 Window_Log_Window_Left=0 Window_Log_Window_Top=0 "
    "Window_Log_Window_Height=300 Window_Log_Window_Width=200");

class TestSetting : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        removeTestSettings();
        QFile::remove(testSettingsFile() + ".bad");
    }

    void defaultsForANewUser()
    {
        QCOMPARE(loaded(), NewUser);
        QVERIFY(!QFile::exists(testSettingsFile())); // reading creates nothing
    }

    void savedValuesComeBackAsWritten()
    {
        TSetting s = unusualSetting();
        s.DelReg = true;
        QVERIFY(SaveSetting(s));
        QCOMPARE(loaded(), describe(s));
        QSettings file = storedFile();
        QCOMPARE(file.allKeys().size(), 12); // DelReg is never stored
        QCOMPARE(file.value("Mochica/NoMt").toString(), QString("1"));
        QCOMPARE(file.value("Mochica/Window_Calc_SaveWindowPos").toString(), QString("0"));
        QCOMPARE(file.value("Mochica/Window_Log_Window_Left").toString(), QString("-2147483648"));
    }

    void valuesRead_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("NoMt 5 is true") << QByteArray("NoMt=5") << "NoMt=1";
        QTest::newRow("NoMt -1 is true") << QByteArray("NoMt=-1") << "NoMt=1";
        QTest::newRow("0 overrides a default 1") << QByteArray("Window_Calc_SaveWindowPos=0") << "Window_Calc_SaveWindowPos=0";
        QTest::newRow("negative position kept") << QByteArray("Window_Calc_Window_Left=-300") << "Window_Calc_Window_Left=-300";
        QTest::newRow("off-screen position kept") << QByteArray("Window_Log_Window_Top=99999") << "Window_Log_Window_Top=99999";
        QTest::newRow("blanks around a number") << QByteArray("Window_Log_Window_Width= 640 ") << "Window_Log_Window_Width=640";
        // anything that is not a 32-bit whole number gives the default
        QTest::newRow("text") << QByteArray("Window_Log_Window_Height=abc") << "Window_Log_Window_Height=300";
        QTest::newRow("empty") << QByteArray("Window_Log_Window_Width=") << "Window_Log_Window_Width=200";
        QTest::newRow("beyond 32 bits") << QByteArray("Window_Log_Window_Height=4294967296") << "Window_Log_Window_Height=300";
        QTest::newRow("just beyond int32") << QByteArray("Window_Calc_Window_Left=2147483648") << "Window_Calc_Window_Left=0";
        QTest::newRow("fraction") << QByteArray("Window_Log_Window_Width=12.5") << "Window_Log_Window_Width=200";
        QTest::newRow("hex") << QByteArray("Window_Log_Window_Width=0x20") << "Window_Log_Window_Width=200";
        QTest::newRow("list") << QByteArray("Window_Log_OpenWindowAtBoot=0, 0") << "Window_Log_OpenWindowAtBoot=1";
        QTest::newRow("variant blob") << QByteArray("Window_Log_Window_Height=@Rect(1 2 3 4)") << "Window_Log_Window_Height=300";
        QTest::newRow("DelReg is not read") << QByteArray("DelReg=1") << "";
    }
    void valuesRead()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        writeStoreFile("[Mochica]\n" + line + "\n");
        TSetting s;
        LoadSetting(s);
        QCOMPARE(s.DelReg, false);
        QString want = NewUser;
        if (!expected.isEmpty()) {
            const QString name = expected.section('=', 0, 0);
            want.replace(QRegularExpression(QStringLiteral("\\b%1=-?\\d+").arg(name)), expected);
        }
        QCOMPARE(describe(s), want);
    }

    void unparsableFileGivesDefaultsAndIsKeptAside()
    {
        const QByteArray junk("\x00\x01\x02\xff\xfe not an ini file\n[[[\n=\n\xff\xd8", 33);
        writeStoreFile(junk);
        QCOMPARE(loaded(), NewUser);
        SaveSetting(unusualSetting());
        QCOMPARE(loaded(), describe(unusualSetting()));
        QFile kept(testSettingsFile() + ".bad");
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), junk);
    }

    void eraseRemovesOnlyTheSection()
    {
        writeStoreFile("[Other]\nkeep=me\n");
        QVERIFY(SaveSetting(unusualSetting()));
        QVERIFY(EraseSetting());
        QCOMPARE(loaded(), NewUser); // the next start sees every default
        QCOMPARE(storedFile().allKeys(), QStringList{"Other/keep"});
        QVERIFY(EraseSetting()); // erasing nothing is fine too
        QVERIFY(!QFile::exists(testSettingsFile() + ".bad"));
    }

    void unwritableStoreKeepsTheProgramRunning()
    {
        QVERIFY(QDir().mkpath(testSettingsFile())); // a folder where the file should be
        QCOMPARE(loaded(), NewUser);
        QVERIFY(!SaveSetting(unusualSetting()));
        QVERIFY(!EraseSetting());
        QVERIFY(QDir().rmdir(testSettingsFile()));
        QVERIFY(SaveSetting(unusualSetting())); // and works again once the way is clear
    }

    void saveReplacesTheFileWhole()
    {
        // A new file renamed over the old one: a crash in the middle of a save
        // leaves the old file or the new one, never half of one.
        QVERIFY(SaveSetting(TSetting()));
        struct stat before {}, after {};
        QCOMPARE(::stat(QFile::encodeName(testSettingsFile()).constData(), &before), 0);
        QVERIFY(SaveSetting(unusualSetting()));
        QCOMPARE(::stat(QFile::encodeName(testSettingsFile()).constData(), &after), 0);
        QVERIFY(before.st_ino != after.st_ino);
        QCOMPARE(QDir(testConfigDir()).entryList(QDir::Files), QStringList{"HinokiWorks.conf"});
    }
};

QTEST_GUILESS_MAIN(TestSetting)
#include "tst_setting.moc"
