#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "about.h"
#include "helpviewer.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

static bool s_trayAvailable = true;
static bool fakeTray() { return s_trayAvailable; }

static QVariant stored(const char *name)
{
    QSettings ini(testSettingsFile(), QSettings::IniFormat);
    return ini.value(QStringLiteral("Mochica/") + QLatin1String(name));
}

static QImage pictureOf(const QIcon &icon) { return icon.pixmap(16, 16).toImage(); }

// Runs the event loop until the program ends itself; -1 when it does not within 5 s.
static int runUntilExit(const std::function<void()> &step)
{
    QTimer::singleShot(0, step);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
    return QCoreApplication::exec();
}

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        removeTestSettings();
        Setting = TSetting();
        s_trayAvailable = true;
        Tform_Main::systemTrayAvailable = &fakeTray;
        createForms();
    }
    void cleanup() { destroyForms(); }

    void mainWindowForDebugMode()
    {
        QCOMPARE(form_Main->windowTitle(), QString("form_Main"));
        QCOMPARE(form_Main->size(), QSize(225, 201));
        QCOMPARE(form_Main->findChild<QPushButton *>("Button1")->text(), QString("Button1"));
        QCOMPARE(form_Main->font().pixelSize(), 12);
    }

    void trayMenuReadsInOrder()
    {
        QStringList seen;
        for (QAction *a : form_Main->pm_RightBtn->actions()) {
            if (a->isVisible())
                seen << (a->isSeparator() ? QString("-") : a->text());
        }
        QCOMPARE(seen, QStringList({"計算(&C)...", "設定(&S)...", "ヘルプ(&H)", "-", "バージョン情報(&A)...", "終了(&E)"}));
        QCOMPARE(form_Main->pm_RightBtn->actions().at(1), form_Main->act_LogWindow); // there, but hidden
        QCOMPARE(form_Main->TrayIcon->toolTip(), QString("Mochiten"));
        QCOMPARE(pictureOf(form_Main->TrayIcon->icon()), pictureOf(QIcon(":/icons/mochiten.png")));
        // The calculator's own "close window" entry takes the seventh image.
        QCOMPARE(pictureOf(Tform_Main::imglst_Act(6)), pictureOf(QIcon(":/icons/close.png")));
        QVERIFY(Tform_Main::imglst_Act(7).isNull());
    }

    void actionLooks_data()
    {
        QTest::addColumn<QAction *Tform_Main::*>("action");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("image");
        QTest::addColumn<bool>("visible");
        QTest::newRow("setup") << &Tform_Main::act_Setup << "設定(&S)..." << ":/icons/setup.png" << true;
        QTest::newRow("help") << &Tform_Main::act_Help << "ヘルプ(&H)" << ":/icons/help.png" << true;
        QTest::newRow("about") << &Tform_Main::act_About << "バージョン情報(&A)..." << ":/icons/about.png" << true;
        QTest::newRow("exit") << &Tform_Main::act_Exit << "終了(&E)" << ":/icons/exit.png" << true;
        QTest::newRow("calc") << &Tform_Main::act_Calculation << "計算(&C)..." << ":/icons/calc.png" << true;
        QTest::newRow("log") << &Tform_Main::act_LogWindow << "計算ログ(&L)..." << ":/icons/log.png" << false;
    }
    void actionLooks()
    {
        QFETCH(QAction *Tform_Main::*, action);
        QFETCH(QString, caption);
        QFETCH(QString, image);
        QFETCH(bool, visible);
        QAction *a = form_Main->*action;
        QCOMPARE(a->text(), caption);
        QVERIFY(!pictureOf(QIcon(image)).isNull());
        QCOMPARE(pictureOf(a->icon()), pictureOf(QIcon(image)));
        QCOMPARE(a->isVisible(), visible);
        QCOMPARE(a->shortcut(), action == &Tform_Main::act_Help ? QKeySequence(Qt::Key_F1) : QKeySequence());
    }

    // What each command brings up: 0 calculator, 1 log, 2 settings, 3 about,
    // 4 help, 5 tray menu, -1 nothing.
    void commandsShowTheirWindow_data()
    {
        QTest::addColumn<QAction *Tform_Main::*>("action"); // or null: a click on the tray icon
        QTest::addColumn<int>("trayReason");
        QTest::addColumn<int>("shown");
        QTest::newRow("calculate") << &Tform_Main::act_Calculation << 0 << 0;
        QTest::newRow("log") << &Tform_Main::act_LogWindow << 0 << 1;
        QTest::newRow("settings") << &Tform_Main::act_Setup << 0 << 2;
        QTest::newRow("version") << &Tform_Main::act_About << 0 << 3;
        QTest::newRow("help") << &Tform_Main::act_Help << 0 << 4;
        QTest::newRow("tray left") << (QAction *Tform_Main::*)nullptr << int(QSystemTrayIcon::Trigger) << 0;
        QTest::newRow("tray right") << (QAction *Tform_Main::*)nullptr << int(QSystemTrayIcon::Context) << 5;
        QTest::newRow("tray middle") << (QAction *Tform_Main::*)nullptr << int(QSystemTrayIcon::MiddleClick) << -1;
        QTest::newRow("tray double") << (QAction *Tform_Main::*)nullptr << int(QSystemTrayIcon::DoubleClick) << -1;
    }
    void commandsShowTheirWindow()
    {
        QFETCH(QAction *Tform_Main::*, action);
        QFETCH(int, trayReason);
        QFETCH(int, shown);
        form_Calc->hide();
        if (action)
            (form_Main->*action)->trigger();
        else
            emit form_Main->TrayIcon->activated(QSystemTrayIcon::ActivationReason(trayReason));
        const QList<QWidget *> windows{form_Calc, form_Log, form_Setup, form_About,
                                       form_Main->helpViewer(), form_Main->pm_RightBtn};
        for (int i = 0; i < windows.size(); ++i)
            QCOMPARE(windows[i] && windows[i]->isVisible(), i == shown);
        form_Main->pm_RightBtn->hide();
    }

    void trayIconFollowsNoMt_data()
    {
        QTest::addColumn<QString>("storedNoMt");
        QTest::addColumn<bool>("iconAtStart");
        QTest::newRow("new user") << QString() << true;
        QTest::newRow("resident") << "0" << true;
        QTest::newRow("not resident") << "1" << false;
        QTest::newRow("any non-zero") << "5" << false;
    }
    void trayIconFollowsNoMt()
    {
        QFETCH(QString, storedNoMt);
        QFETCH(bool, iconAtStart);
        destroyForms();
        if (!storedNoMt.isEmpty())
            QSettings(testSettingsFile(), QSettings::IniFormat).setValue("Mochica/NoMt", storedNoMt);
        createForms();
        QCOMPARE(form_Main->TrayIcon->isVisible(), iconAtStart);
        Setting.NoMt = iconAtStart;
        form_Main->UpdateTrayIcon();
        QCOMPARE(form_Main->TrayIcon->isVisible(), !iconAtStart);
    }

    void helpOpensOurPageAndExitClosesIt()
    {
        form_Main->act_Help->trigger();
        HelpViewer *help = form_Main->helpViewer();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Mochiten ヘルプ"));
        QCOMPARE(help->browser()->source(), QUrl("qrc:/help/index.html"));
        const QString text = help->browser()->toPlainText();
        for (const char *words : {"Backspace", "テンキー", "終了時レジストリ情報を消去", "HinokiWorks.conf", "計算(C)..."})
            QVERIFY2(text.contains(QString::fromUtf8(words)), words);
        QCOMPARE(runUntilExit([] { form_Main->act_Exit->trigger(); }), 0);
        QVERIFY(!help->isVisible());
    }

    void f1OpensHelpFromEveryWindow_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("calculator") << 0;
        QTest::newRow("settings") << 1;
        QTest::newRow("about") << 2;
    }
    void f1OpensHelpFromEveryWindow()
    {
        QFETCH(int, window);
        QWidget *w = QList<QWidget *>{form_Calc, form_Setup, form_About}.at(window);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_F1);
        QVERIFY(form_Main->helpViewer() && form_Main->helpViewer()->isVisible());
    }

    void exitWritesTheStore_data()
    {
        QTest::addColumn<bool>("noMt");
        QTest::addColumn<bool>("delReg");
        QTest::addColumn<bool>("byHidingCalc");
        QTest::addColumn<int>("logLeft");
        QTest::newRow("resident") << false << false << false << 123;
        QTest::newRow("not resident: closes twice, log geometry still saved") << true << false << false << 123;
        QTest::newRow("not resident, calculator hidden: log's last hide kept") << true << false << true << 55;
        QTest::newRow("erase at exit") << false << true << false << 0;
    }
    void exitWritesTheStore()
    {
        QFETCH(bool, noMt);
        QFETCH(bool, delReg);
        QFETCH(bool, byHidingCalc);
        QFETCH(int, logLeft);
        QSettings(testSettingsFile(), QSettings::IniFormat).setValue("Other/Keep", 7);
        Setting.NoMt = noMt;
        Setting.DelReg = delReg;
        Setting.ButtonFlat = true;
        Setting.Window_Log_Window_Left = 55;
        form_Calc->move(140, 90);
        form_Log->show();
        form_Log->move(123, 77); // never hidden: only the exit sequence can store this
        form_Log->resize(210, 170);
        const auto exitStep = [byHidingCalc] {
            if (byHidingCalc)
                form_Calc->hide();
            else
                form_Main->act_Exit->trigger();
        };
        QCOMPARE(runUntilExit(exitStep), 0);

        QCOMPARE(QSettings(testSettingsFile(), QSettings::IniFormat).value("Other/Keep").toInt(), 7);
        if (delReg) {
            QVERIFY(!QSettings(testSettingsFile(), QSettings::IniFormat).childGroups().contains("Mochica"));
            return;
        }
        QCOMPARE(stored("NoMt").toInt(), int(noMt));
        QCOMPARE(stored("ButtonFlat").toInt(), 1);
        QCOMPARE(stored("Window_Calc_Window_Left").toInt(), 140);
        QCOMPARE(stored("Window_Calc_Window_Top").toInt(), 90);
        QCOMPARE(stored("Window_Log_Window_Left").toInt(), logLeft);
        if (!byHidingCalc)
            QCOMPARE(stored("Window_Log_Window_Width").toInt(), 210);
    }

    void sessionEndSavesOnce()
    {
        Setting.ButtonFlat = true;
        form_Main->sessionEnding();
        QCOMPARE(stored("ButtonFlat").toInt(), 1);
        removeTestSettings();
        form_Main->sessionEnding(); // the exit has run: nothing more to do
        QVERIFY(!QFile::exists(testSettingsFile()));
    }

    void secondStart_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("noMt");
        QTest::addColumn<int>("otherWindow"); // -1 none, 0 calculator, 1 settings, 2 calculator minimised
        QTest::addColumn<bool>("calcShown");
        QTest::newRow("icon in the tray: silent") << true << false << -1 << false;
        QTest::newRow("no tray on the desktop") << false << false << -1 << true;
        QTest::newRow("not resident, nothing open") << true << true << -1 << true;
        QTest::newRow("no tray, settings open") << false << false << 1 << false;
        QTest::newRow("no tray, calculator open") << false << false << 0 << true;
        QTest::newRow("no tray, calculator minimised") << false << false << 2 << true;
    }
    void secondStart()
    {
        QFETCH(bool, tray);
        QFETCH(bool, noMt);
        QFETCH(int, otherWindow);
        QFETCH(bool, calcShown);
        form_Calc->hide(); // first: without residency, hiding it would end the program
        s_trayAvailable = tray;
        Setting.NoMt = noMt;
        form_Main->UpdateTrayIcon();
        if (otherWindow == 0)
            form_Calc->show();
        if (otherWindow == 1)
            form_Setup->show();
        if (otherWindow == 2) {
            form_Calc->show();
            form_Calc->showMinimized();
        }
        form_Main->secondStartRequested();
        QCOMPARE(form_Calc->isVisible() && !form_Calc->isMinimized(), calcShown);
        QCOMPARE(form_Setup->isVisible(), otherWindow == 1);
        QVERIFY(!QFile::exists(testSettingsFile())); // nothing ended
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
