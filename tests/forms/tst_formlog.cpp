#include "Formlog.h"
#include "setting.h"

#include <QScreen>
#include <QToolBar>
#include <QtTest>

static QRect stored() { return {Setting.Window_Log_Window_Left, Setting.Window_Log_Window_Top, Setting.Window_Log_Window_Width, Setting.Window_Log_Window_Height}; }

class TestFormLog : public QObject
{
    Q_OBJECT

private slots:
    // As at start from the store, then as at exit, when the hide handler stores the geometry: what was
    // loaded while the window still has it, else what the window has. Only a stored 0 opens the window.
    void startAndExit_data()
    {
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QRect>("loaded");
        QTest::addColumn<QRect>("placed"); // none: not saving, so centred
        QTest::newRow("opens where it was; flat") << true << QRect(40, 50, 210, 310) << QRect(40, 50, 210, 310);
        QTest::newRow("opens centred, its size kept; not flat") << true << QRect(40, 50, 210, 310) << QRect();
        QTest::newRow("hidden; off screen, too wide, negative height") << false << QRect(-120, 9000, 9000, -40) << QRect(-120, 9000, 8192, 1);
        QTest::newRow("hidden; beyond the limits, no width, too high") << false << QRect(INT_MIN + 9, 40000, 0, 2000000000) << QRect(-32000, 32000, 1, 8192);
    }
    void startAndExit()
    {
        QFETCH(bool, opens);
        QFETCH(QRect, loaded);
        QFETCH(QRect, placed);
        Setting.Window_Log_SaveWindowPos = Setting.ButtonFlat = !placed.isNull();
        Setting.Window_Log_OpenWindowAtBoot = !opens;
        Setting.Window_Log_Window_Left = loaded.x(), Setting.Window_Log_Window_Top = loaded.y();
        Setting.Window_Log_Window_Width = loaded.width(), Setting.Window_Log_Window_Height = loaded.height();
        Tform_Log log;
        QCOMPARE(log.isVisible(), opens);
        const QRect centred(log.screen()->availableGeometry().center() - log.rect().center(), loaded.size());
        QCOMPARE(QRect(log.pos(), log.size()), placed.isNull() ? centred : placed);
        const QToolBar *bar = log.findChild<QToolBar *>();
        for (QAction *action : bar->actions()) // every button, not only the first
            QCOMPARE(bar->widgetForAction(action)->property("autoRaise").toBool(), Setting.ButtonFlat);
        log.FormHide();
        QCOMPARE(stored(), placed.isNull() ? centred : loaded);
        log.resize(250, 260);
        log.FormHide();
        QCOMPARE(stored().size(), QSize(250, 260));
    }
};

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
