#include "about.h"
#include "startup.h"

#include <QLabel>
#include <QtTest>

using Record = QList<quint32>; // platform id, minor version, build number; empty: not Windows

class TestAbout : public QObject
{
    Q_OBJECT

    // What the stand-in system reports, and the links handed on.
    Record record;
    quint64 memory = 0;
    QString fileVersion;
    QStringList opened;
    std::unique_ptr<Tform_About> box;

    QLabel *label(const char *name) { return box->findChild<QLabel *>(QLatin1String(name)); }
    // A label too narrow for its text keeps the whole text in its tool tip.
    QString fullText(const char *name)
    {
        QLabel *l = label(name);
        return l->toolTip().isEmpty() ? l->text() : l->toolTip();
    }
    QStringList shown() { return {fullText("lbl_Version"), fullText("lbl_Memory"), label("Version")->text()}; }
    void showBox()
    {
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    }

private slots:
    void initTestCase()
    {
        installJapaneseFontSubstitutes();
        qApp->setQuitOnLastWindowClosed(false);
    }
    void init()
    {
        DebugMode = false;
        record.clear();
        memory = 17179869184ull;
        fileVersion = QStringLiteral("2.1.0.3");
        opened.clear();
        setLinkHandler([this](const QString &url) { opened << url; });
        box = std::make_unique<Tform_About>();
        const auto version = [this]() -> std::optional<OsVersionRecord> {
            if (record.isEmpty())
                return std::nullopt;
            return OsVersionRecord{record[0], record[1], record[2]};
        };
        box->setSystemQueries({version, [] { return QStringLiteral("Debian GNU/Linux 12 (bookworm)"); },
                               [this] { return memory; }, [this] { return fileVersion; }});
    }

    void figuresOnFirstShowing_data()
    {
        QTest::addColumn<Record>("system");
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<QString>("memoryText");
        QTest::addColumn<bool>("debug");
        QTest::newRow("Win32s; 2^31 Bytes, not negative") << Record{0, 99, 4000} << 2147483648ull << "Win32s on Windows 3.1" << "2147483648 Bytes" << false;
        QTest::newRow("95 build 1000; 2^32 Bytes") << Record{1, 0, 1000} << 4294967296ull << "Win32 on Windows 95" << "4294967296 Bytes" << false;
        QTest::newRow("95 OSR2 build 1001; largest") << Record{1, 0, 1001} << ~0ull << "Win32 on Windows 95 OSR2" << "18446744073709551615 Bytes" << false;
        QTest::newRow("build compared whole; no figure") << Record{1, 0, 0x040003B6} << 0ull << "Win32 on Windows 95 OSR2" << "-" << false;
        QTest::newRow("98") << Record{1, 10, 1998} << 1ull << "Win32 on Windows 98" << "1 Bytes" << false;
        QTest::newRow("9x, other minor") << Record{1, 90, 3000} << 1ull << "Win32 on Windows" << "1 Bytes" << false;
        QTest::newRow("NT, any numbers") << Record{2, ~0u, ~0u} << 1ull << "Windows NT/2000" << "1 Bytes" << false;
        QTest::newRow("platform 3 at first: nothing") << Record{3, 10, 0} << 1ull << "" << "1 Bytes" << false;
        QTest::newRow("not Windows; debug mode: test label") << Record{} << 1ull << "Debian GNU/Linux 12 (bookworm)" << "1 Bytes" << true;
    }
    void figuresOnFirstShowing()
    {
        QFETCH(Record, system);
        QFETCH(quint64, bytes);
        QFETCH(QString, versionText);
        QFETCH(QString, memoryText);
        QFETCH(bool, debug);
        record = system;
        memory = bytes;
        DebugMode = debug;
        showBox();
        QCOMPARE(shown(), (QStringList{versionText, memoryText, "Version 2.1.0.3"}));
        QCOMPARE(label("Comments")->isVisible(), debug);
    }

    void refreshOnlyWhenBecomingVisible()
    {
        DebugMode = true;
        record = {1, 10, 2222};
        showBox();
        record = {3, 0, 0};
        memory = 8589934592ull;
        fileVersion.clear();
        box->show(); // already visible: nothing is read again
        QCOMPARE(label("lbl_Memory")->text(), "17179869184 Bytes");
        box->hide();
        showBox();
        // Platform 3 and an unreadable file version keep what was shown last.
        QCOMPARE(shown(), (QStringList{"Win32 on Windows 98", "8589934592 Bytes", "Version 2.1.0.3"}));
        QVERIFY(label("Comments")->isVisible()); // the test label stays for the run
    }

    void clicksAndKeys_data()
    {
        QTest::addColumn<QString>("widget"); // none: the close box
        QTest::addColumn<int>("key");        // 0: a click
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("home page") << "lbl_WWW" << 0 << QStringList{MakerHomePage} << true;
        QTest::newRow("support mail") << "lbl_EMail" << 0 << QStringList{"mailto:support@example.com"} << true;
        QTest::newRow("OK button") << "OKButton" << 0 << QStringList() << false;
        QTest::newRow("Enter") << "OKButton" << int(Qt::Key_Return) << QStringList() << false;
        QTest::newRow("close box") << "" << 0 << QStringList() << false;
        QTest::newRow("Esc does nothing") << "OKButton" << int(Qt::Key_Escape) << QStringList() << true;
    }
    void clicksAndKeys()
    {
        QFETCH(QString, widget);
        QFETCH(int, key);
        showBox();
        QWidget *target = box->findChild<QWidget *>(widget);
        if (!target)
            box->close();
        else if (key)
            QTest::keyClick(target, Qt::Key(key));
        else
            QTest::mouseClick(target, Qt::LeftButton);
        QTEST(opened, "opened");
        QTEST(box->isVisible(), "staysOpen");
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
