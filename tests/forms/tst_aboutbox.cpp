#include "aboutbox.h"

#include <QLabel>
#include <QtTest>

// What the stand-in system reports: a Windows version record (none: not Windows), memory, file version.
struct System { std::optional<OsVersionRecord> windows; quint64 memory; QString fileVersion; };
Q_DECLARE_METATYPE(System)

class TestAboutBox : public QObject
{
    Q_OBJECT

    System system;
    AboutBox box{false, {[this] { return system.windows; }, [] { return QStringLiteral("Debian GNU/Linux 12 (bookworm)"); },
                         [this] { return system.memory; }, [this] { return system.fileVersion; }}};

    // The version, memory and file version labels as shown; one too narrow keeps its whole text in its tool tip.
    QString shown() const
    {
        QStringList texts;
        for (const char *name : {"windowsVersionLabel", "memoryLabel", "versionLabel"}) {
            const QLabel *l = box.findChild<QLabel *>(name);
            texts << (!l->isVisible() ? "hidden" : l->toolTip().isEmpty() ? l->text() : l->toolTip());
        }
        return texts.join(" | ");
    }

private slots:
    // Each row shows the box anew after the row before: an unknown platform or file version keeps the old text.
    void figures_data()
    {
        QTest::addColumn<System>("now");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Win32s; 2^31 is not negative") << System{OsVersionRecord{0, 99, 4000}, 2147483648ull, "2.1.0.3"} << "Win32s on Windows 3.1 | 2147483648 Bytes | Version 2.1.0.3";
        QTest::newRow("95 build 1000; 2^32") << System{OsVersionRecord{1, 0, 1000}, 4294967296ull, "2.1.0.4"} << "Win32 on Windows 95 | 4294967296 Bytes | Version 2.1.0.4";
        QTest::newRow("OSR2 build 1001; largest") << System{OsVersionRecord{1, 0, 1001}, ~0ull, ""} << "Win32 on Windows 95 OSR2 | 18446744073709551615 Bytes | Version 2.1.0.4";
        QTest::newRow("build compared whole; no figure") << System{OsVersionRecord{1, 0, 0x040003B6}, 0, ""} << "Win32 on Windows 95 OSR2 | - | Version 2.1.0.4";
        QTest::newRow("98") << System{OsVersionRecord{1, 10, 1998}, 1, ""} << "Win32 on Windows 98 | 1 Bytes | Version 2.1.0.4";
        QTest::newRow("9x, other minor") << System{OsVersionRecord{1, 90, 3000}, 1, ""} << "Win32 on Windows | 1 Bytes | Version 2.1.0.4";
        QTest::newRow("NT, any numbers") << System{OsVersionRecord{2, ~0u, ~0u}, 1, ""} << "Windows NT/2000 | 1 Bytes | Version 2.1.0.4";
        QTest::newRow("platform 3 keeps the text") << System{OsVersionRecord{3, 10, 0}, 1, ""} << "Windows NT/2000 | 1 Bytes | Version 2.1.0.4";
        QTest::newRow("not Windows") << System{std::nullopt, 1, ""} << "Debian GNU/Linux 12 (bookworm) | 1 Bytes | Version 2.1.0.4";
    }
    void figures()
    {
        QFETCH(System, now);
        system = now;
        box.hide();
        box.show();
        QTEST(shown(), "shown");
        QVERIFY(!box.findChild<QLabel *>("commentsLabel")->isVisible()); // the test label is for debug mode
    }

    void linksAndButtons()
    {
        QSignalSpy opened(&box, &AboutBox::linkActivated);
        QTest::mouseClick(box.findChild<QLabel *>("homePageLink"), Qt::LeftButton);
        QTest::mouseClick(box.findChild<QLabel *>("mailLink"), Qt::LeftButton);
        QTest::keyClick(&box, Qt::Key_Escape); // no cancel button: Esc leaves the box open
        QVERIFY(box.isVisible() && opened.count() == 2);
        QCOMPARE(opened[0][0].toString() + ' ' + opened[1][0].toString(), QString(MakerHomePage) + " mailto:support@example.com");
        QTest::mouseClick(box.findChild<QWidget *>("okButton"), Qt::LeftButton);
        QVERIFY(!box.isVisible());
        AboutBox debugBox(true);
        debugBox.show();
        QVERIFY(debugBox.findChild<QLabel *>("commentsLabel")->isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
