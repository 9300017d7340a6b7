#include "Formcalc.h"
#include "Formsetup.h"
#include "setting.h"
#include "startup.h"
#include "ui_Formsetup.h"

#include <QtTest>

// The boxes and the fields they show; a state is one digit for each, in this order.
static const char *const Boxes[] = {"cbbox_DelReg", "cbbox_BtnFlat", "cbbox_NoMt", "cbbox_Calc_Hide",
                                    "cbbox_Calc_SavePos", "cbbox_Log_Hide", "cbbox_Log_SavePos"};
static bool TSetting::*const Fields[] = {&TSetting::DelReg, &TSetting::ButtonFlat, &TSetting::NoMt, &TSetting::Window_Calc_OpenWindowAtBoot,
                                         &TSetting::Window_Calc_SaveWindowPos, &TSetting::Window_Log_OpenWindowAtBoot, &TSetting::Window_Log_SaveWindowPos};
static QString state(bool ofBoxes)
{
    QString s;
    for (int i = 0; i < 7; ++i)
        s += (ofBoxes ? form_Setup->findChild<QCheckBox *>(Boxes[i])->isChecked() : Setting.*Fields[i]) ? '1' : '0';
    return s;
}

class TestFormSetup : public QObject
{
    Q_OBJECT

private slots:
    void init() { createForms(); }
    void cleanup() { destroyForms(); }

    // OK copies every box, even a disabled one, Cancel none; a position reset acts at once either way.
    void showThenClose_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("tick");
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK all set") << "0000100" << "1111111" << true;
        QTest::newRow("not resident keeps the hide mark; OK") << "1011000" << "0000011" << true;
        QTest::newRow("Cancel") << "0100101" << "1011010" << false;
    }
    void showThenClose()
    {
        QFETCH(QString, before);
        QFETCH(QString, tick);
        QFETCH(bool, ok);
        const Ui::Tform_Setup *ui = form_Setup->form();
        form_Calc->hide(); // first: without residency a later hide would end the program
        form_Calc->move(300, 200);
        for (int i = 0; i < 7; ++i)
            Setting.*Fields[i] = before[i] == '1';
        form_Setup->show();
        QCOMPARE(state(true), "0" + before.mid(1)); // the erase box is never loaded
        for (int i = 0; i < 7; ++i)
            form_Setup->findChild<QCheckBox *>(Boxes[i])->setChecked(tick[i] == '1');
        QCOMPARE(ui->cbbox_Calc_Hide->isEnabled(), tick[2] == '0');
        ui->BitBtn3->click();
        (ok ? ui->BitBtn1 : ui->BitBtn2)->click();
        QCOMPARE(state(false), ok ? tick : before);
        QVERIFY(!form_Calc->isVisible()); // a hidden calculator is not brought up
        QCOMPARE(form_Calc->pos(), before[4] == '1' ? QPoint(1, 1) : QPoint(300, 200)); // moved only if saving
        form_Setup->show(); // reloaded; the erase box still shows what the user left it at
        QCOMPARE(state(true), tick[0] + (ok ? tick : before).mid(1));
    }
};

QTEST_MAIN(TestFormSetup)
#include "tst_formsetup.moc"
