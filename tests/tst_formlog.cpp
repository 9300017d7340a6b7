#include "Formlog.h"
#include "setting.h"

#include <QScreen>
#include <QToolButton>
#include <QtTest>

static QRect stored()
{
    const TSetting &s = Setting;
    return {s.Window_Log_Window_Left, s.Window_Log_Window_Top, s.Window_Log_Window_Width, s.Window_Log_Window_Height};
}
static void store(QRect r)
{
    Setting.Window_Log_Window_Left = r.x(), Setting.Window_Log_Window_Top = r.y();
    Setting.Window_Log_Window_Width = r.width(), Setting.Window_Log_Window_Height = r.height();
}

class TestFormLog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Tform_Log> log;
    QRect geometry() const { return QRect(log->pos(), log->size()); }
    bool toolBarFlat() const
    {
        bool flat = true;
        for (const QToolButton *b : log->findChildren<QToolButton *>())
            flat &= b->autoRaise();
        return flat;
    }
    // Created once Setting holds what the store gave, as at start; a stored 0 opens it.
    void create(bool savePos, QRect geometry)
    {
        Setting = TSetting();
        Setting.Window_Log_SaveWindowPos = savePos;
        Setting.Window_Log_OpenWindowAtBoot = !savePos;
        Setting.ButtonFlat = true;
        store(geometry);
        log = std::make_unique<Tform_Log>();
    }

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void lifeOfTheWindow_data()
    {
        QTest::addColumn<bool>("savePos");
        QTest::newRow("saving on: opens at start") << true;
        QTest::newRow("saving off: hidden at start, centred") << false;
    }
    void lifeOfTheWindow()
    {
        QFETCH(bool, savePos);
        create(savePos, {40, 50, 210, 310});
        QCOMPARE(log->isVisible(), savePos);
        log->show();
        const QPoint centred = log->screen()->availableGeometry().center() - log->rect().center();
        QCOMPARE(geometry(), QRect(savePos ? QPoint(40, 50) : centred, QSize(210, 310)));
        log->move(70, 80);
        log->resize(250, 260);
        Setting.ButtonFlat = false;
        log->close(); // the close box only hides, and the hide stores the geometry
        QCOMPARE(stored(), QRect(70, 80, 250, 260));
        store({90, 95, 230, 240});
        log->show(); // the size comes back either way, the position only when saving; the look follows
        QCOMPARE(geometry(), QRect(savePos ? QPoint(90, 95) : QPoint(70, 80), QSize(230, 240)));
        QVERIFY(!toolBarFlat());
        log->hide(); // the settings dialog's reset: 1, 1 stored, the show handler called on a hidden window
        store({1, 1, 220, 180});
        log->FormShow();
        QVERIFY(!log->isVisible());
        QCOMPARE(geometry(), QRect(savePos ? QPoint(1, 1) : QPoint(70, 80), QSize(220, 180)));
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
