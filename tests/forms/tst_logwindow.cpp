#include "logwindow.h"

#include <QScreen>
#include <QToolBar>
#include <QtTest>

class TestLogWindow : public QObject
{
    Q_OBJECT

private slots:
    // Shown from what was stored, then hidden, when the place and size are stored: what was loaded
    // while the window still has it, else what the window has. A window never shown stores nothing.
    void showAndHide_data()
    {
        QTest::addColumn<QRect>("loaded");
        QTest::addColumn<QRect>("placed"); // none: not saving, so centred
        QTest::newRow("where it was; flat") << QRect(40, 50, 210, 310) << QRect(40, 50, 210, 310);
        QTest::newRow("centred, its size kept; not flat") << QRect(40, 50, 210, 310) << QRect();
        QTest::newRow("off screen, too wide, negative height") << QRect(-120, 9000, 9000, -40) << QRect(-120, 9000, 8192, 1);
        QTest::newRow("beyond the limits, no width, too high") << QRect(INT_MIN + 9, 40000, 0, 2000000000) << QRect(-32000, 32000, 1, 8192);
    }
    void showAndHide()
    {
        QFETCH(QRect, loaded);
        QFETCH(QRect, placed);
        WindowSettings s{!placed.isNull(), false, loaded.x(), loaded.y(), loaded.width(), loaded.height()};
        const auto stored = [&s] { return QRect(s.left, s.top, s.width, s.height); };
        LogWindow log(s);
        log.rememberPlacement();
        QCOMPARE(stored(), loaded);
        log.setFlatToolBar(!placed.isNull());
        log.show();
        const QRect centred(log.screen()->availableGeometry().center() - log.rect().center(), loaded.size());
        QCOMPARE(QRect(log.pos(), log.size()), placed.isNull() ? centred : placed);
        const QToolBar *bar = log.findChild<QToolBar *>();
        for (QAction *action : bar->actions()) // every button, not only the first
            QCOMPARE(bar->widgetForAction(action)->property("autoRaise").toBool(), !placed.isNull());
        log.hide();
        QCOMPARE(stored(), placed.isNull() ? centred : loaded);
        log.resize(250, 260);
        log.rememberPlacement();
        QCOMPARE(QSize(s.width, s.height), QSize(250, 260));
    }
};

QTEST_MAIN(TestLogWindow)
#include "tst_logwindow.moc"
