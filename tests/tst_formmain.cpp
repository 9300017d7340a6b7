#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "about.h"
#include "helpviewer.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"

#include <QMenu>
#include <QtTest>

using Step = std::function<void()>;
Q_DECLARE_METATYPE(Step)

static bool s_trayAvailable = true;
static bool fakeTray() { return s_trayAvailable; }
static Step act(QAction *Tform_Main::*a) { return [a] { (form_Main->*a)->trigger(); }; }
static Step tray(QSystemTrayIcon::ActivationReason r) { return [r] { emit form_Main->TrayIcon->activated(r); }; }
static void pressF1(QWidget *w)
{
    w->show();
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w);
    QTest::keyClick(w, Qt::Key_F1);
    w->hide();
}
// A second start knocks while the desktop and our windows are as the words say.
static Step knock(const QString &situation)
{
    return [situation] {
        s_trayAvailable = situation.contains("tray");
        Setting.NoMt = situation.contains("noMt");
        form_Main->UpdateTrayIcon();
        form_Calc->setVisible(situation.contains("calc"));
        form_Setup->setVisible(situation.contains("setup"));
        if (situation.contains("min"))
            form_Calc->showMinimized();
        form_Main->secondStartRequested();
    };
}

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Tform_Main::systemTrayAvailable = &fakeTray; }
    void init()
    {
        removeTestSettings();
        createForms();
    }
    void cleanup() { destroyForms(); }

    // What each command brings up: 0 calculator, 1 log, 2 settings, 3 about, 4 help, 5 tray menu, -1 nothing.
    void commandsShowTheirWindow_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<int>("shown");
        QTest::newRow("calculate") << act(&Tform_Main::act_Calculation) << 0;
        QTest::newRow("log") << act(&Tform_Main::act_LogWindow) << 1;
        QTest::newRow("settings") << act(&Tform_Main::act_Setup) << 2;
        QTest::newRow("version") << act(&Tform_Main::act_About) << 3;
        QTest::newRow("help") << act(&Tform_Main::act_Help) << 4;
        QTest::newRow("F1 in calculator") << Step([] { pressF1(form_Calc); }) << 4;
        QTest::newRow("F1 in settings") << Step([] { pressF1(form_Setup); }) << 4;
        QTest::newRow("tray left") << tray(QSystemTrayIcon::Trigger) << 0;
        QTest::newRow("tray right") << tray(QSystemTrayIcon::Context) << 5;
        QTest::newRow("tray middle") << tray(QSystemTrayIcon::MiddleClick) << -1;
        // A second start shows the calculator only when nothing else would lead the user to us.
        QTest::newRow("knock, icon in the tray") << knock("tray") << -1;
        QTest::newRow("knock, no tray on the desktop") << knock("") << 0;
        QTest::newRow("knock, not resident") << knock("tray noMt") << 0;
        QTest::newRow("knock, no tray, settings open") << knock("setup") << 2;
        QTest::newRow("knock, no tray, calculator minimised") << knock("calc min") << 0;
    }
    void commandsShowTheirWindow()
    {
        QFETCH(Step, step);
        QFETCH(int, shown);
        form_Calc->hide(); // first: without residency, a later hide would end the program
        step();
        const QList<QWidget *> windows{form_Calc, form_Log, form_Setup, form_About,
                                       form_Main->helpViewer(), form_Main->pm_RightBtn};
        for (int i = 0; i < windows.size(); ++i)
            QCOMPARE(windows[i] && windows[i]->isVisible() && !windows[i]->isMinimized(), i == shown);
        QVERIFY(!QFile::exists(testSettingsFile())); // none of these ends the program
        form_Main->pm_RightBtn->hide();
    }

    // Without residency the calculator's hide closes the main window first; the final close
    // then saves the log's place too. However it ends, it ends once.
    void exitWritesTheStore_data()
    {
        QTest::addColumn<bool>("noMt");
        QTest::addColumn<bool>("delReg");
        QTest::addColumn<Step>("step");
        QTest::newRow("resident") << false << false << act(&Tform_Main::act_Exit);
        QTest::newRow("not resident: closes twice") << true << false << act(&Tform_Main::act_Exit);
        QTest::newRow("erase at exit") << false << true << act(&Tform_Main::act_Exit);
        QTest::newRow("session ends") << false << false << Step([] { form_Main->sessionEnding(); });
    }
    void exitWritesTheStore()
    {
        QFETCH(bool, noMt);
        QFETCH(bool, delReg);
        QFETCH(Step, step);
        QSettings(testSettingsFile(), QSettings::IniFormat).setValue("Other/Keep", 7);
        Setting.NoMt = noMt;
        Setting.DelReg = delReg;
        form_Calc->move(140, 90);
        form_Log->show();
        form_Log->move(123, 77); // never hidden: only the exit sequence can store this
        QCOMPARE(runUntilExit(step), 0);
        Setting.NoMt = !noMt;
        form_Main->sessionEnding(); // the exit has run: nothing more is written
        QCOMPARE(storedValue("Other/Keep"), 7);
        QCOMPARE(storedValue("Mochica/NoMt"), delReg ? -1 : int(noMt));
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), delReg ? -1 : 140);
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Top"), delReg ? -1 : 90);
        QCOMPARE(storedValue("Mochica/Window_Log_Window_Left"), delReg ? -1 : 123);

        // The next start shows the tray icon unless told not to; UpdateTrayIcon follows NoMt.
        destroyForms();
        createForms();
        QCOMPARE(form_Main->TrayIcon->isVisible(), !noMt || delReg);
        Setting.NoMt = !Setting.NoMt;
        form_Main->UpdateTrayIcon();
        QCOMPARE(form_Main->TrayIcon->isVisible(), noMt && !delReg);
    }

    // A logout that may yet be cancelled: what Exit would store is stored, and nothing ends.
    void sessionSaveKeepsRunning()
    {
        Setting.NoMt = true; // even where hiding the calculator would end the program
        form_Calc->move(140, 90);
        form_Log->move(123, 77);
        form_Main->commitSessionData();
        QVERIFY(form_Calc->isVisible());
        QCOMPARE(storedValue("Mochica/NoMt"), 1);
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), 140);
        QCOMPARE(storedValue("Mochica/Window_Log_Window_Left"), 123);
        QCOMPARE(runUntilExit([] { form_Calc->move(150, 90); form_Main->sessionEnding(); }), 0); // the end comes later
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), 150);
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
