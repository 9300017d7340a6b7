#include "Formlog.h"
#include "setting.h"

#include <QScreen>
#include <QToolBar>
#include <QtTest>

// The stored geometry: left, top, client width and height.
static QRect stored()
{
    return {Setting.Window_Log_Window_Left, Setting.Window_Log_Window_Top, Setting.Window_Log_Window_Width,
            Setting.Window_Log_Window_Height};
}
static void store(QRect r)
{
    Setting.Window_Log_Window_Left = r.x(), Setting.Window_Log_Window_Top = r.y();
    Setting.Window_Log_Window_Width = r.width(), Setting.Window_Log_Window_Height = r.height();
}

class TestFormLog : public QObject
{
    Q_OBJECT

private slots:
    // Only a stored 0 opens the window, at start: no menu leads to it. Exit stores it: tst_formmain.
    void openedAtStart_data()
    {
        QTest::addColumn<bool>("savePos");
        QTest::newRow("saving on: where it was; flat") << true;
        QTest::newRow("saving off: centred, its size kept; not flat") << false;
    }
    void openedAtStart()
    {
        QFETCH(bool, savePos);
        Setting.Window_Log_SaveWindowPos = savePos;
        Setting.Window_Log_OpenWindowAtBoot = false;
        Setting.ButtonFlat = savePos;
        store({40, 50, 210, 310});
        Tform_Log log;
        const QPoint centred = log.screen()->availableGeometry().center() - log.rect().center();
        QCOMPARE(QRect(log.pos(), log.size()), QRect(savePos ? QPoint(40, 50) : centred, QSize(210, 310)));
        const QToolBar *bar = log.findChild<QToolBar *>();
        for (QAction *action : bar->actions()) // every button, not only the first
            QCOMPARE(bar->widgetForAction(action)->property("autoRaise").toBool(), savePos);
    }

    // Never shown (a stored 1), it is placed within what X11 takes, but stores back at exit what it loaded.
    void exitOnNeverShownWindow_data()
    {
        QTest::addColumn<QRect>("loaded");
        QTest::newRow("off screen; too wide, negative height") << QRect(-120, 9000, 9000, -40);
        QTest::newRow("beyond the limits; no width, too high") << QRect(INT_MIN + 9, 40000, 0, INT_MAX);
    }
    void exitOnNeverShownWindow()
    {
        QFETCH(QRect, loaded);
        Setting.Window_Log_OpenWindowAtBoot = true;
        store(loaded);
        Tform_Log().FormHide();
        QCOMPARE(stored(), loaded);
    }
};

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
