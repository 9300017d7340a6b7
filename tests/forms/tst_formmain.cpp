#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "helpviewer.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"

#include <QtTest>

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Tform_Main::systemTrayAvailable = [] { return false; }; } // a tray: the desktop tests
    void init()
    {
        QFile::remove(testSettingsFile()); // a user who never ran the program
        createForms();
    }
    void cleanup() { destroyForms(); }

    void f1OpensTheHelpFromTheCalculator()
    {
        form_Calc->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_Calc));
        QTest::keyClick(form_Calc, Qt::Key_F1);
        QVERIFY(form_Main->helpViewer() && form_Main->helpViewer()->isVisible());
    }

    // A second start brings the calculator up when nothing else leads the user to us.
    void secondStart_data()
    {
        QTest::addColumn<bool>("settingsOpen");
        QTest::addColumn<bool>("minimised");
        QTest::newRow("calculator minimised: restored") << false << true;
        QTest::newRow("settings open: they lead to us") << true << false;
    }
    void secondStart()
    {
        QFETCH(bool, settingsOpen);
        QFETCH(bool, minimised);
        form_Calc->setWindowState(minimised ? Qt::WindowMinimized : Qt::WindowNoState);
        form_Calc->setVisible(minimised);
        form_Setup->setVisible(settingsOpen);
        form_Main->secondStartRequested();
        QCOMPARE(form_Calc->isVisible() && !form_Calc->isMinimized(), !settingsOpen);
    }

    // A logout that may be cancelled stores and ends nothing; the end stores again, and only once.
    void exitWritesTheStore_data()
    {
        QTest::addColumn<bool>("noMt");
        QTest::addColumn<bool>("delReg");
        QTest::newRow("resident: Exit") << false << false;
        QTest::newRow("not resident, session ends: the calculator's hide closes first") << true << false;
        QTest::newRow("erase at Exit") << false << true;
    }
    void exitWritesTheStore()
    {
        QFETCH(bool, noMt);
        QFETCH(bool, delReg);
        Setting.NoMt = noMt;
        Setting.DelReg = delReg;
        form_Calc->move(140, 90);
        form_Main->commitSessionData(); // without hiding the calculator, which may end the program
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), delReg ? -1 : 140);
        form_Calc->move(150, 90);
        form_Log->move(123, 77); // never shown: only the exit sequence stores this
        QCOMPARE(runUntilExit([noMt] { noMt ? form_Main->sessionEnding() : form_Main->act_Exit->trigger(); }), 0);
        Setting.NoMt = !noMt; // the exit has run: nothing more is written, whoever asks
        form_Main->sessionEnding();
        form_Main->commitSessionData();
        QCOMPARE(storedValue("Mochica/NoMt"), delReg ? -1 : int(noMt));
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), delReg ? -1 : 150);
        QCOMPARE(storedValue("Mochica/Window_Log_Window_Top"), delReg ? -1 : 77);
        destroyForms();
        createForms(); // the next start shows the tray icon unless told not to
        QCOMPARE(form_Main->TrayIcon->isVisible(), !noMt);
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
