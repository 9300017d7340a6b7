#include "Formlog.h"
#include "setting.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

class TestFormLog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Tform_Log> log;

    // Created after Setting holds what the store gave, as at start.
    void create() { log = std::make_unique<Tform_Log>(); }
    bool toolBarFlat()
    {
        auto *bar = log->findChild<QToolBar *>(QStringLiteral("tbar_Command"));
        bool flat = true;
        for (QAction *action : bar->actions())
            flat = flat && qobject_cast<QToolButton *>(bar->widgetForAction(action))->autoRaise();
        return flat;
    }
    static QRect stored()
    {
        return QRect(Setting.Window_Log_Window_Left, Setting.Window_Log_Window_Top,
                     Setting.Window_Log_Window_Width, Setting.Window_Log_Window_Height);
    }
    static void store(const QRect &r)
    {
        Setting.Window_Log_Window_Left = r.x();
        Setting.Window_Log_Window_Top = r.y();
        Setting.Window_Log_Window_Width = r.width();
        Setting.Window_Log_Window_Height = r.height();
    }

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }
    void init()
    {
        Setting = TSetting(); // the stored defaults
        Setting.Window_Log_SaveWindowPos = true;
        Setting.Window_Log_OpenWindowAtBoot = true;
        store(QRect(0, 0, 200, 300));
    }
    void cleanup() { log.reset(); }

    void openAtStart_data()
    {
        QTest::addColumn<bool>("doNotOpen");
        QTest::newRow("stored 1: stays hidden") << true;
        QTest::newRow("stored 0: opens") << false;
    }
    void openAtStart()
    {
        QFETCH(bool, doNotOpen);
        Setting.Window_Log_OpenWindowAtBoot = doNotOpen;
        create();
        QCOMPARE(log->isVisible(), !doNotOpen);
        QCOMPARE(log->findChild<QPlainTextEdit *>("memo_Log")->toPlainText(), QString());
    }

    void geometryThroughHideAndShow_data()
    {
        QTest::addColumn<bool>("savePos");
        QTest::newRow("position saving on") << true;
        QTest::newRow("position saving off") << false;
    }
    void geometryThroughHideAndShow()
    {
        QFETCH(bool, savePos);
        Setting.Window_Log_SaveWindowPos = savePos;
        store(QRect(40, 50, 210, 310));
        create();
        log->show();
        QCOMPARE(log->size(), QSize(210, 310));
        if (savePos)
            QCOMPARE(log->pos(), QPoint(40, 50));
        else // centred at the first showing
            QVERIFY((log->geometry().center() - log->screen()->availableGeometry().center()).manhattanLength() <= 4);

        log->move(70, 80);
        log->resize(250, 260);
        log->close(); // the close box only hides, and the hide stores the geometry
        QVERIFY(log->isHidden());
        QCOMPARE(stored(), QRect(70, 80, 250, 260));

        store(QRect(90, 95, 230, 240));
        log->show();
        QCOMPARE(log->size(), QSize(230, 240)); // the size comes back either way
        QCOMPARE(log->pos(), savePos ? QPoint(90, 95) : QPoint(70, 80));
    }

    void exitOnNeverShownWindow_data()
    {
        QTest::addColumn<QRect>("loaded");
        QTest::addColumn<QRect>("keptAtExit");
        QTest::newRow("defaults") << QRect(0, 0, 200, 300) << QRect(0, 0, 200, 300);
        QTest::newRow("off screen") << QRect(-120, 9000, 640, 80) << QRect(-120, 9000, 640, 80);
        QTest::newRow("zero size") << QRect(5, 5, 0, 0) << QRect(5, 5, 1, 1);
        QTest::newRow("negative size") << QRect(5, 5, -40, -1) << QRect(5, 5, 1, 1);
        QTest::newRow("largest") << QRect(QPoint(32767, -32767), QSize(8192, 8192))
                                 << QRect(QPoint(32767, -32767), QSize(8192, 8192));
        QTest::newRow("beyond the limits") << QRect(QPoint(INT_MAX - 9, INT_MIN + 9), QSize(INT_MAX - 9, 40000))
                                           << QRect(QPoint(32767, -32767), QSize(8192, 8192));
    }
    void exitOnNeverShownWindow()
    {
        QFETCH(QRect, loaded);
        Setting.Window_Log_SaveWindowPos = false;
        store(loaded);
        create();
        log->FormHide(); // as the exit sequence does
        QTEST(stored(), "keptAtExit");
    }

    void positionReset_data()
    {
        QTest::addColumn<bool>("savePos");
        QTest::addColumn<bool>("visible");
        QTest::newRow("saving on, visible") << true << true;
        QTest::newRow("saving on, hidden") << true << false;
        QTest::newRow("saving off, visible") << false << true;
        QTest::newRow("saving off, hidden") << false << false;
    }
    void positionReset()
    {
        QFETCH(bool, savePos);
        QFETCH(bool, visible);
        Setting.Window_Log_SaveWindowPos = savePos;
        create();
        log->show();
        log->move(400, 300);
        log->resize(150, 150);
        log->setVisible(visible);
        store(QRect(1, 1, 220, 180)); // the settings dialog's reset button, then:
        Setting.ButtonFlat = true;
        log->FormShow();

        QCOMPARE(log->isVisible(), visible);
        QCOMPARE(log->pos(), savePos ? QPoint(1, 1) : QPoint(400, 300));
        QCOMPARE(log->size(), QSize(220, 180));
        QVERIFY(toolBarFlat());
        log->show();
        QCOMPARE(log->pos(), savePos ? QPoint(1, 1) : QPoint(400, 300));
    }

    void flatFollowsAtNextShowing_data()
    {
        QTest::addColumn<bool>("flat");
        QTest::newRow("flat") << true;
        QTest::newRow("raised") << false;
    }
    void flatFollowsAtNextShowing()
    {
        QFETCH(bool, flat);
        Setting.ButtonFlat = flat;
        create();
        log->show();
        QCOMPARE(toolBarFlat(), flat);
        Setting.ButtonFlat = !flat;
        QCOMPARE(toolBarFlat(), flat);
        log->hide();
        log->show();
        QCOMPARE(toolBarFlat(), !flat);
    }
};

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
