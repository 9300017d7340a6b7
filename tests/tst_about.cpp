#include "about.h"
#include "startup.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

class TestAbout : public QObject
{
    Q_OBJECT

    // What the fake system reports, and how often it was asked.
    struct
    {
        std::optional<OsVersionRecord> record;
        QString prettyName;
        quint64 memory;
        QString fileVersion;
        int asked;
    } sys;
    std::unique_ptr<Tform_About> box;

    QLabel *label(const char *name) { return box->findChild<QLabel *>(QLatin1String(name)); }
    // A label that had to shorten its text keeps the whole text in its tool tip.
    QString fullText(const char *name)
    {
        QLabel *l = label(name);
        return l->toolTip().isEmpty() ? l->text() : l->toolTip();
    }
    // Where a one-line label's text is inked, in its parent's coordinates.
    QRect ink(const char *name)
    {
        QLabel *l = label(name);
        const QFontMetrics fm = l->fontMetrics();
        const QRect room = l->contentsRect().translated(l->pos());
        const int x = (l->alignment() & Qt::AlignRight) ? room.right() + 1 - fm.horizontalAdvance(l->text()) : room.left();
        return fm.boundingRect(l->text()).translated(x, room.top() + fm.ascent());
    }
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
        sys = {std::nullopt, QStringLiteral("Debian GNU/Linux 12 (bookworm)"), 17179869184ull,
               QStringLiteral("2.1.0.3"), 0};
        box = std::make_unique<Tform_About>();
        box->setSystemQueries({[this] { ++sys.asked; return sys.record; }, [this] { return sys.prettyName; },
                               [this] { return sys.memory; }, [this] { return sys.fileVersion; }});
    }
    void cleanup()
    {
        box.reset();
        DebugMode = false;
        setLinkHandler({});
    }

    void winVersionTable_data()
    {
        QTest::addColumn<quint32>("id");
        QTest::addColumn<quint32>("minor");
        QTest::addColumn<quint32>("build");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("expected");
        const QString was = QStringLiteral("was");
        QTest::newRow("Win32s") << 0u << 99u << 4000u << was << "Win32s on Windows 3.1";
        QTest::newRow("95, build 0") << 1u << 0u << 0u << was << "Win32 on Windows 95";
        QTest::newRow("95, build 1000") << 1u << 0u << 1000u << was << "Win32 on Windows 95";
        QTest::newRow("95 OSR2, build 1001") << 1u << 0u << 1001u << was << "Win32 on Windows 95 OSR2";
        QTest::newRow("build compared whole") << 1u << 0u << 0x040003B6u << was << "Win32 on Windows 95 OSR2";
        QTest::newRow("98") << 1u << 10u << 1998u << was << "Win32 on Windows 98";
        QTest::newRow("9x, minor 90") << 1u << 90u << 3000u << was << "Win32 on Windows";
        QTest::newRow("NT, any numbers") << 2u << 0xFFFFFFFFu << 0xFFFFFFFFu << was << "Windows NT/2000";
        QTest::newRow("id 3 keeps the text") << 3u << 0u << 0u << "Windows NT/2000" << "Windows NT/2000";
        QTest::newRow("id 3 at first showing") << 3u << 10u << 0u << QString() << QString();
        QTest::newRow("largest id keeps the text") << 0xFFFFFFFFu << 0u << 0u << was << was;
    }
    void winVersionTable()
    {
        QFETCH(quint32, id);
        QFETCH(quint32, minor);
        QFETCH(quint32, build);
        QFETCH(QString, previous);
        QTEST(WinVersionText(id, minor, build, previous), "expected");
    }

    void labelsOnShow_data()
    {
        QTest::addColumn<quint64>("memory");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("memoryText");
        QTest::addColumn<QString>("versionText");
        const QString debian = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
        QTest::newRow("16 GiB, Linux") << 17179869184ull << false << "17179869184 Bytes" << debian;
        QTest::newRow("2^31 is not negative") << 2147483648ull << true << "2147483648 Bytes" << "Windows NT/2000";
        QTest::newRow("2^32") << 4294967296ull << true << "4294967296 Bytes" << "Windows NT/2000";
        QTest::newRow("largest figure") << 18446744073709551615ull << false << "18446744073709551615 Bytes" << debian;
        QTest::newRow("system does not say") << 0ull << false << "-" << debian;
    }
    void labelsOnShow()
    {
        QFETCH(quint64, memory);
        QFETCH(bool, windows);
        sys.memory = memory;
        if (windows)
            sys.record = OsVersionRecord{2, 0, 19045};
        showBox();
        QTEST(fullText("lbl_Memory"), "memoryText");
        QTEST(fullText("lbl_Version"), "versionText");
        QCOMPARE(label("Version")->text(), QStringLiteral("Version 2.1.0.3"));
        QCOMPARE(label("Copyright")->text(), QString::fromLatin1(CopyrightNotice));
        QCOMPARE(label("lbl_WWW")->text(), QString::fromLatin1(MakerHomePage));
        QCOMPARE(label("lbl_EMail")->text(), QStringLiteral("support@example.com"));
    }

    void nothingClippedOrOverlapping()
    {
        sys.memory = 68719476736ull;
        showBox();
        for (QLabel *l : box->findChildren<QLabel *>()) {
            if (!l->isVisible() || !l->pixmap().isNull())
                continue;
            const QByteArray name = l->objectName().toLatin1();
            QVERIFY2(l->parentWidget()->rect().contains(l->geometry()), name.constData());
            QVERIFY2(l->fontMetrics().height() <= l->contentsRect().height(), name.constData());
            QVERIFY2(l->wordWrap() || l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(), name.constData());
        }
        QVERIFY(ink("Label2").right() < ink("lbl_Version").left());
        QVERIFY(ink("Label3").right() < ink("lbl_Memory").left());
        // The product name's halves meet and read as one word.
        QLabel *first = label("ProductName");
        QVERIFY(qAbs(ink("Label5").left() - first->contentsRect().translated(first->pos()).right()) <= 3);
    }

    void refreshedOnlyWhenBecomingVisible_data()
    {
        QTest::addColumn<bool>("debug");
        QTest::newRow("ordinary run") << false;
        QTest::newRow("debug mode: test label from the first showing on") << true;
    }
    void refreshedOnlyWhenBecomingVisible()
    {
        QFETCH(bool, debug);
        DebugMode = debug;
        QVERIFY(!label("Comments")->isVisibleTo(box.get()));
        sys.record = OsVersionRecord{3, 0, 0};
        sys.fileVersion.clear();
        showBox();
        QCOMPARE(sys.asked, 1);
        QCOMPARE(label("lbl_Version")->text(), QString()); // the layout's "-" replaced by nothing
        QCOMPARE(label("Version")->text(), QStringLiteral("Version "));

        sys = {OsVersionRecord{1, 10, 2222}, QString(), 8589934592ull, QStringLiteral("2.1.0.3"), 1};
        box->show(); // already visible: nothing is read again
        QCOMPARE(sys.asked, 1);
        QCOMPARE(label("lbl_Memory")->text(), QStringLiteral("17179869184 Bytes"));

        for (int showing = 2; showing <= 3; ++showing) {
            box->hide();
            showBox();
            QCOMPARE(sys.asked, showing);
            QCOMPARE(label("lbl_Version")->text(), QStringLiteral("Win32 on Windows 98"));
            QCOMPARE(label("lbl_Memory")->text(), QStringLiteral("8589934592 Bytes"));
            QCOMPARE(label("Version")->text(), QStringLiteral("Version 2.1.0.3"));
            QCOMPARE(label("Comments")->isVisible(), debug);
            sys.fileVersion.clear(); // unreadable next time: the last version read stays
        }
    }

    void realSystem()
    {
        box = std::make_unique<Tform_About>();
        showBox();
        QCOMPARE(label("Version")->text(), QStringLiteral("Version 2.1.0.3"));
        QCOMPARE(fullText("lbl_Version"), osPrettyName());
        QCOMPARE(label("lbl_Memory")->text(), QString::number(totalPhysicalMemory()) + " Bytes");
    }

    void links_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("home page") << "lbl_WWW" << Qt::LeftButton << QStringList{MakerHomePage};
        QTest::newRow("support mail") << "lbl_EMail" << Qt::LeftButton << QStringList{"mailto:support@example.com"};
        QTest::newRow("right button") << "lbl_WWW" << Qt::RightButton << QStringList();
        QTest::newRow("not a link") << "lbl_Version" << Qt::LeftButton << QStringList();
    }
    void links()
    {
        QFETCH(QString, name);
        QFETCH(Qt::MouseButton, button);
        QStringList opened;
        setLinkHandler([&opened](const QString &url) { opened << url; });
        showBox();
        QTest::mouseClick(label(qPrintable(name)), button);
        QTEST(opened, "opened");
    }

    void closing_data()
    {
        QTest::addColumn<int>("key"); // 0: click OK; -1: the title bar's close box
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("OK button") << 0 << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("close box") << -1 << false;
        QTest::newRow("Esc does nothing") << int(Qt::Key_Escape) << true;
    }
    void closing()
    {
        QFETCH(int, key);
        showBox();
        box->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        if (key == 0)
            QTest::mouseClick(box->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        else if (key == -1)
            box->close();
        else
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box.get(), Qt::Key(key));
        QTEST(box->isVisible(), "staysOpen");
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
