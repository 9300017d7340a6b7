#include "Formcalc.h"
#include "Formlog.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"
#include "ui_Formsetup.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

static bool noTray() { return false; }

using Box = QCheckBox *Ui::Tform_Setup::*;
using Field = bool TSetting::*;

// Each check box and the field it shows, in the order OK copies them.
static const struct { Box box; Field field; } Pairs[] = {
    {&Ui::Tform_Setup::cbbox_DelReg, &TSetting::DelReg},
    {&Ui::Tform_Setup::cbbox_BtnFlat, &TSetting::ButtonFlat},
    {&Ui::Tform_Setup::cbbox_NoMt, &TSetting::NoMt},
    {&Ui::Tform_Setup::cbbox_Calc_Hide, &TSetting::Window_Calc_OpenWindowAtBoot},
    {&Ui::Tform_Setup::cbbox_Calc_SavePos, &TSetting::Window_Calc_SaveWindowPos},
    {&Ui::Tform_Setup::cbbox_Log_Hide, &TSetting::Window_Log_OpenWindowAtBoot},
    {&Ui::Tform_Setup::cbbox_Log_SavePos, &TSetting::Window_Log_SaveWindowPos},
};

// One bit per row of Pairs.
static QList<bool> fieldsOf(const TSetting &s)
{
    QList<bool> bits;
    for (const auto &p : Pairs)
        bits << s.*p.field;
    return bits;
}
static QList<bool> boxesOf(Ui::Tform_Setup *ui)
{
    QList<bool> bits;
    for (const auto &p : Pairs)
        bits << (ui->*p.box)->isChecked();
    return bits;
}
static QList<bool> bits(const char *pattern)
{
    QList<bool> b;
    for (const char *c = pattern; *c; ++c)
        b << (*c == '1');
    return b;
}

class TestFormSetup : public QObject
{
    Q_OBJECT

    Ui::Tform_Setup *ui() const { return form_Setup->form(); }

private slots:
    void init()
    {
        removeTestSettings();
        Setting = TSetting();
        Tform_Main::systemTrayAvailable = &noTray;
        createForms();
    }
    void cleanup() { destroyForms(); }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        QTest::newRow("OK") << "BitBtn1" << QRect(84, 180, 75, 25) << "&OK";
        QTest::newRow("Cancel") << "BitBtn2" << QRect(164, 180, 75, 25) << "&Cancel";
        QTest::newRow("calc group") << "GroupBox1" << QRect(12, 8, 229, 93) << "計算ウィンドウ";
        QTest::newRow("calc save") << "cbbox_Calc_SavePos" << QRect(12, 40, 129, 17) << "ウィンドウ位置の保存";
        QTest::newRow("calc reset") << "BitBtn3" << QRect(80, 60, 141, 25) << "ウィンドウ位置のリセット";
        QTest::newRow("calc hide") << "cbbox_Calc_Hide" << QRect(12, 16, 205, 17) << "起動時にウィンドウを表示しない";
        QTest::newRow("log group") << "GroupBox2" << QRect(252, 8, 229, 93) << "計算ログウィンドウ";
        QTest::newRow("log save") << "cbbox_Log_SavePos" << QRect(12, 40, 129, 17) << "ウィンドウ位置の保存";
        QTest::newRow("log reset") << "BitBtn4" << QRect(80, 60, 141, 25) << "ウィンドウ位置のリセット";
        QTest::newRow("log hide") << "cbbox_Log_Hide" << QRect(12, 16, 205, 17) << "起動時にウィンドウを表示しない";
        QTest::newRow("erase") << "cbbox_DelReg" << QRect(16, 148, 165, 17) << "終了時レジストリ情報を消去";
        QTest::newRow("flat") << "cbbox_BtnFlat" << QRect(16, 108, 129, 17) << "ボタンをフラットにする";
        QTest::newRow("not resident") << "cbbox_NoMt" << QRect(16, 128, 173, 17) << "「Mochiten」を常駐しない";
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        form_Setup->show();
        auto *w = form_Setup->findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), place);
        QCOMPARE(w->property(qobject_cast<QGroupBox *>(w) ? "title" : "text").toString(), caption);
        QCOMPARE(w->isVisibleTo(form_Setup), !name.contains("Log") && name != "GroupBox2" && name != "BitBtn4");
        QCOMPARE(form_Setup->windowTitle(), QString("設定"));
        QCOMPARE(form_Setup->size(), QSize(261, 247));
        QCOMPARE(form_Setup->font().pixelSize(), 12);
        QVERIFY(ui()->BitBtn1->isDefault() && !ui()->BitBtn1->icon().isNull());
    }

    void tabOrder()
    {
        const QStringList expected{"BitBtn1", "BitBtn2", "cbbox_Calc_SavePos", "BitBtn3", "cbbox_Calc_Hide",
                                   "cbbox_Log_SavePos", "BitBtn4", "cbbox_Log_Hide",
                                   "cbbox_DelReg", "cbbox_BtnFlat", "cbbox_NoMt"};
        QStringList seen;
        QWidget *w = ui()->BitBtn1;
        do {
            if (expected.contains(w->objectName()))
                seen << w->objectName();
            w = w->nextInFocusChain();
        } while (w != ui()->BitBtn1 && seen.size() < expected.size());
        QCOMPARE(seen, expected);
    }

    void showLoadsTheBoxes_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("calcHideEnabled");
        // Columns: erase, flat, not resident, calc hide, calc save, log hide, log save.
        QTest::newRow("all clear") << "0000000" << true;
        QTest::newRow("all set") << "0111111" << false;
        QTest::newRow("not resident keeps the hide mark") << "0011000" << false;
        QTest::newRow("resident") << "0100101" << true;
    }
    void showLoadsTheBoxes()
    {
        QFETCH(QString, setting);
        QFETCH(bool, calcHideEnabled);
        const QList<bool> want = bits(setting.toLatin1());
        for (int i = 0; i < want.size(); ++i)
            Setting.*Pairs[i].field = want[i];
        form_Main->act_Setup->trigger();
        QCOMPARE(boxesOf(ui()), want);
        QCOMPARE(ui()->cbbox_Calc_Hide->isEnabled(), calcHideEnabled);
        ui()->cbbox_NoMt->click();
        QCOMPARE(ui()->cbbox_Calc_Hide->isEnabled(), !calcHideEnabled);
    }

    void okCopiesTheBoxes_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::newRow("all set") << "1111111";
        QTest::newRow("disabled calc hide still copied") << "0011000";
        QTest::newRow("only log boxes") << "0000011";
        QTest::newRow("all clear") << "0000000";
    }
    void okCopiesTheBoxes()
    {
        QFETCH(QString, boxes);
        form_Calc->hide();
        form_Setup->show();
        const QList<bool> want = bits(boxes.toLatin1());
        for (int i = 0; i < want.size(); ++i)
            (ui()->*Pairs[i].box)->setChecked(want[i]);
        QTest::mouseClick(ui()->BitBtn1, Qt::LeftButton);
        QCOMPARE(fieldsOf(Setting), want);
        QVERIFY(!form_Setup->isVisible());
        QCOMPARE(form_Main->TrayIcon->isVisible(), !want[2]);
        QVERIFY(!form_Calc->isVisible()); // a hidden calculator is not brought up
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, escape);
        form_Setup->show();
        const TSetting before = Setting;
        for (const auto &p : Pairs)
            (ui()->*p.box)->toggle();
        if (escape)
            QTest::keyClick(form_Setup, Qt::Key_Escape);
        else
            QTest::mouseClick(ui()->BitBtn2, Qt::LeftButton);
        QVERIFY(!form_Setup->isVisible());
        QCOMPARE(fieldsOf(Setting), fieldsOf(before));
        QVERIFY(form_Main->TrayIcon->isVisible());
    }

    void eraseBoxOutlivesCancel()
    {
        Setting.DelReg = true; // the box shows what the user left it at, not the field
        form_Setup->show();
        QVERIFY(!ui()->cbbox_DelReg->isChecked());
        ui()->cbbox_DelReg->setChecked(true);
        Setting.DelReg = false;
        ui()->BitBtn2->click();
        QVERIFY(!Setting.DelReg);
        form_Setup->show();
        QVERIFY(ui()->cbbox_DelReg->isChecked());
        ui()->BitBtn1->click();
        QVERIFY(Setting.DelReg);
    }

    void positionResetActsAtOnce_data()
    {
        QTest::addColumn<bool>("log");
        QTest::addColumn<bool>("savePos");
        QTest::newRow("calculator, position saved") << false << true;
        QTest::newRow("calculator, position not saved") << false << false;
        QTest::newRow("log, position saved") << true << true;
        QTest::newRow("log, position not saved") << true << false;
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
        ui()->BitBtn2->click(); // Cancel does not undo a reset
        QCOMPARE(log ? Setting.Window_Log_Window_Left : Setting.Window_Calc_Window_Left, 1);
        QCOMPARE(log ? Setting.Window_Log_Window_Top : Setting.Window_Calc_Window_Top, 1);
        QCOMPARE(window->pos(), savePos ? QPoint(1, 1) : QPoint(300, 200));
    }

    void okWithNotResident_data()
    {
        QTest::addColumn<bool>("calcVisible");
        QTest::newRow("calculator on screen") << true;
        QTest::newRow("calculator hidden") << false;
    }
    void okWithNotResident()
    {
        QFETCH(bool, calcVisible);
        form_Calc->setVisible(calcVisible);
        form_Calc->move(200, 150); // only a hide stores this
        form_Setup->show();
        ui()->cbbox_NoMt->setChecked(true);
        ui()->BitBtn1->click(); // a visible calculator is hidden and shown again, and must not end here
        QVERIFY(!form_Main->TrayIcon->isVisible());
        QCOMPARE(form_Calc->isVisible(), calcVisible);
        QVERIFY(!QFile::exists(testSettingsFile())); // still running
        if (!calcVisible) {
            form_Main->secondStartRequested(); // starting it again is the way back
            QVERIFY(form_Calc->isVisible());
            return;
        }
        QCOMPARE(QPoint(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top), QPoint(200, 150));
        // From now on hiding the calculator ends the program, settings saved.
        QTimer::singleShot(0, [] { form_Calc->hide(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(QSettings(testSettingsFile(), QSettings::IniFormat).value("Mochica/NoMt").toInt(), 1);
    }
};

QTEST_MAIN(TestFormSetup)
#include "tst_formsetup.moc"
