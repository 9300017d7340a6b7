#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"
#include "ui_Formsetup.h"

#include <QtTest>

// The check boxes and the fields they show, in this order: erase, flat, not resident,
// calculator hidden at start, calculator place saved, log hidden at start, log place saved.
static QList<QCheckBox *> boxes()
{
    const Ui::Tform_Setup *u = form_Setup->form();
    return {u->cbbox_DelReg, u->cbbox_BtnFlat, u->cbbox_NoMt, u->cbbox_Calc_Hide, u->cbbox_Calc_SavePos, u->cbbox_Log_Hide, u->cbbox_Log_SavePos};
}
static QList<bool *> fields()
{
    return {&Setting.DelReg, &Setting.ButtonFlat, &Setting.NoMt, &Setting.Window_Calc_OpenWindowAtBoot,
            &Setting.Window_Calc_SaveWindowPos, &Setting.Window_Log_OpenWindowAtBoot, &Setting.Window_Log_SaveWindowPos};
}
// One digit per box (or per field), in the order above.
static QString state(bool ofBoxes)
{
    QString s;
    for (int i = 0; i < 7; ++i)
        s += QChar((ofBoxes ? boxes()[i]->isChecked() : *fields()[i]) ? '1' : '0');
    return s;
}

class TestFormSetup : public QObject
{
    Q_OBJECT

    Ui::Tform_Setup *ui() const { return form_Setup->form(); }

private slots:
    void init()
    {
        removeTestSettings();
        createForms();
    }
    void cleanup() { destroyForms(); }

    // Showing loads the boxes (all but erase, which keeps what the user left); OK copies
    // them all, even the disabled one; Cancel and Escape change nothing. Then reopen and OK.
    void showThenClose_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("tick");
        QTest::addColumn<int>("closeBy"); // 0 OK, 1 Cancel, 2 Escape
        QTest::newRow("OK all set") << "0000000" << "1111111" << 0;
        QTest::newRow("OK, disabled calculator box still copied") << "0000000" << "0011000" << 0;
        QTest::newRow("not resident keeps the hide mark; OK") << "1011000" << "0000011" << 0;
        QTest::newRow("Cancel") << "0100101" << "1011010" << 1;
        QTest::newRow("Escape") << "0111111" << "1000000" << 2;
    }
    void showThenClose()
    {
        QFETCH(QString, before);
        QFETCH(QString, tick);
        QFETCH(int, closeBy);
        form_Calc->hide();
        for (int i = 0; i < before.size(); ++i)
            *fields()[i] = before[i] == '1';
        form_Main->UpdateTrayIcon();
        form_Main->act_Setup->trigger();
        QCOMPARE(state(true), "0" + before.mid(1));
        QCOMPARE(ui()->cbbox_Calc_Hide->isEnabled(), before[2] == '0');
        for (int i = 0; i < tick.size(); ++i)
            boxes()[i]->setChecked(tick[i] == '1');
        QCOMPARE(ui()->cbbox_Calc_Hide->isEnabled(), tick[2] == '0');
        if (closeBy == 2)
            QTest::keyClick(form_Setup, Qt::Key_Escape);
        else
            (closeBy ? ui()->BitBtn2 : ui()->BitBtn1)->click();
        QVERIFY(!form_Setup->isVisible());
        QCOMPARE(state(false), closeBy ? before : tick);
        QCOMPARE(form_Main->TrayIcon->isVisible(), !Setting.NoMt);
        QVERIFY(!form_Calc->isVisible()); // a hidden calculator is not brought up
        QVERIFY(!QFile::exists(testSettingsFile())); // nor does the program end
        form_Setup->show(); // the erase box still shows what the user left it at, whatever Cancel did
        QCOMPARE(ui()->cbbox_DelReg->isChecked(), tick[0] == '1');
        ui()->BitBtn1->click();
        QCOMPARE(Setting.DelReg, tick[0] == '1');
    }

    // The reset buttons act at once, and Cancel does not undo them.
    void positionResetActsAtOnce_data()
    {
        QTest::addColumn<bool>("log");
        QTest::addColumn<bool>("savePos");
        QTest::newRow("calculator, place saved") << false << true;
        QTest::newRow("calculator, place not saved") << false << false;
        QTest::newRow("log, place saved") << true << true;
        QTest::newRow("log, place not saved") << true << false;
    }
    void positionResetActsAtOnce()
    {
        QFETCH(bool, log);
        QFETCH(bool, savePos);
        QWidget *window = log ? static_cast<QWidget *>(form_Log) : form_Calc;
        (log ? Setting.Window_Log_SaveWindowPos : Setting.Window_Calc_SaveWindowPos) = savePos;
        window->show();
        window->move(300, 200);
        form_Setup->show();
        (log ? ui()->BitBtn4 : ui()->BitBtn3)->click();
        ui()->BitBtn2->click();
        QCOMPARE(log ? Setting.Window_Log_Window_Left + Setting.Window_Log_Window_Top
                     : Setting.Window_Calc_Window_Left + Setting.Window_Calc_Window_Top, 2);
        QCOMPARE(window->pos(), savePos ? QPoint(1, 1) : QPoint(300, 200));
    }

    void okWithNotResidentWhileTheCalculatorShows()
    {
        form_Calc->show();
        form_Calc->move(200, 150); // only a hide stores this
        form_Setup->show();
        ui()->cbbox_NoMt->setChecked(true);
        ui()->BitBtn1->click(); // hides and shows the calculator, which must not end the program here
        QVERIFY(form_Calc->isVisible() && !form_Main->TrayIcon->isVisible());
        QVERIFY(!QFile::exists(testSettingsFile()));
        QCOMPARE(QPoint(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top), QPoint(200, 150));
        QCOMPARE(runUntilExit([] { form_Calc->hide(); }), 0); // from now on hiding it ends the program
        QCOMPARE(storedValue("Mochica/NoMt"), 1);
    }
};

QTEST_MAIN(TestFormSetup)
#include "tst_formsetup.moc"
