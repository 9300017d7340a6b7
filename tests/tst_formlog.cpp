#include "Formlog.h"
#include "setting.h"

#include <QScreen>
#include <QToolButton>
#include <QtTest>

class TestFormLog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Tform_Log> log;

    static QRect stored()
    {
        const TSetting &s = Setting;
        return {s.Window_Log_Window_Left, s.Window_Log_Window_Top, s.Window_Log_Window_Width, s.Window_Log_Window_Height};
    }
    static void store(QRect r)
    {
        Setting.Window_Log_Window_Left = r.x();
        Setting.Window_Log_Window_Top = r.y();
        Setting.Window_Log_Window_Width = r.width();
        Setting.Window_Log_Window_Height = r.height();
    }
    QRect geometry() const { return QRect(log->pos(), log->size()); }
    bool toolBarFlat() const
    {
        bool flat = true;
        for (const QToolButton *b : log->findChildren<QToolButton *>())
            flat &= b->autoRaise();
        return flat;
    }
    // Created once Setting holds what the store gave, as at start.
    void create(bool savePos, QRect geometry, bool doNotOpen = true)
    {
        Setting = TSetting();
        Setting.Window_Log_SaveWindowPos = savePos;
        Setting.Window_Log_OpenWindowAtBoot = doNotOpen;
        Setting.ButtonFlat = true;
        store(geometry);
        log = std::make_unique<Tform_Log>();
    }

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void lifeOfTheWindow_data()
    {
        QTest::addColumn<bool>("savePos");
        QTest::addColumn<bool>("visible"); // at the settings dialog's reset
        QTest::newRow("saving on: opens at start; reset while visible") << true << true;
        QTest::newRow("saving on: opens at start; reset while hidden") << true << false;
        QTest::newRow("saving off: hidden at start; reset while visible") << false << true;
        QTest::newRow("saving off: hidden at start; reset while hidden") << false << false;
    }
    void lifeOfTheWindow()
    {
        QFETCH(bool, savePos);
        QFETCH(bool, visible);
        create(savePos, {40, 50, 210, 310}, !savePos); // a stored 0 opens it at start
        QCOMPARE(log->isVisible(), savePos);
        QCOMPARE(log->findChild<QWidget *>("memo_Log")->property("plainText"), QVariant(QString()));
        log->show();
        // Without saving, the first showing is centred.
        const QPoint centred = log->screen()->availableGeometry().center() - log->rect().center();
        QCOMPARE(geometry(), QRect(savePos ? QPoint(40, 50) : centred, QSize(210, 310)));
        log->move(70, 80);
        log->resize(250, 260);
        Setting.ButtonFlat = false;
        QVERIFY(toolBarFlat()); // the look follows at the next showing
        log->close(); // the close box only hides, and the hide stores the geometry
        QCOMPARE(stored(), QRect(70, 80, 250, 260));
        store({90, 95, 230, 240});
        log->show();
        // The size comes back either way, the position only when saving.
        QCOMPARE(geometry(), QRect(savePos ? QPoint(90, 95) : QPoint(70, 80), QSize(230, 240)));
        QVERIFY(!toolBarFlat());

        // The settings dialog's reset: 1, 1 stored, then the show handler called directly.
        log->setVisible(visible);
        store({1, 1, 220, 180});
        Setting.ButtonFlat = true;
        log->FormShow();
        QCOMPARE(log->isVisible(), visible);
        QCOMPARE(geometry(), QRect(savePos ? QPoint(1, 1) : QPoint(70, 80), QSize(220, 180)));
        QVERIFY(toolBarFlat());
    }

    // Applied within what the window system takes, but stored back as they were: the window never moved.
    void exitOnNeverShownWindow_data()
    {
        QTest::addColumn<QRect>("loaded");
        QTest::newRow("off screen") << QRect(-120, 9000, 640, 80);
        QTest::newRow("zero and negative size") << QRect(5, 5, 0, -40);
        QTest::newRow("beyond the limits") << QRect(INT_MIN + 9, 40000, INT_MAX - 9, 40000);
    }
    void exitOnNeverShownWindow()
    {
        QFETCH(QRect, loaded);
        create(false, loaded);
        log->FormHide(); // as the exit sequence does
        QCOMPARE(stored(), loaded);
    }
};

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
