#include "calculatorwindow.h"
#include "controller.h"
#include "helpviewer.h"
#include "platform.h"
#include "settingsdialog.h"
#include "testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The settings dialog's boxes and the settings they show; a state is one digit for each, in this order.
static const char *const Boxes[] = {"eraseOnExitBox", "flatButtonsBox", "notResidentBox", "calculatorHiddenAtStartBox",
                                    "calculatorSavePositionBox", "logHiddenAtStartBox", "logSavePositionBox"};
static bool &field(Settings &s, int i)
{
    bool *const fields[] = {&s.eraseOnExit, &s.flatButtons, &s.notResident, &s.calculator.hiddenAtStart,
                            &s.calculator.savePosition, &s.log.hiddenAtStart, &s.log.savePosition};
    return *fields[i];
}

// The seven boxes before the dialog opens and as ticked in it, and whether OK (else Cancel) ends it.
struct Choice { QString before, tick; bool ok; };
Q_DECLARE_METATYPE(Choice)

class TestController : public QObject
{
    Q_OBJECT

    std::unique_ptr<Controller> controller;

    void start() { controller = std::make_unique<Controller>(ControllerOptions{false, [] { return true; }}); } // a tray, shown offscreen by none
    CalculatorWindow *calc() const { return controller->calculator(); }
    void trigger(const char *caption) const // a menu entry, as the tray menu and the calculator's menu have it
    {
        for (QAction *a : controller->findChildren<QAction *>())
            if (a->text() == QString::fromUtf8(caption))
                return a->trigger();
        QFAIL(caption);
    }
    QCheckBox *box(int i) const { return controller->settingsDialog()->findChild<QCheckBox *>(Boxes[i]); }
    QString state(bool ofBoxes) const
    {
        QString s;
        for (int i = 0; i < 7; ++i)
            s += (ofBoxes ? box(i)->isChecked() : field(controller->settings(), i)) ? '1' : '0';
        return s;
    }

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); } // as the start does
    void init() { QFile::remove(testSettingsFile()), start(); } // as for a user who never ran the program
    void cleanup() { controller.reset(); }

    // The calculator names installed faces before it first paints (asked for a missing one,
    // Qt ranks every font against it then), and draws in the face that stood in for the one asked.
    void calculatorNamesInstalledFaces()
    {
        const QStringList installed = QFontDatabase::families();
        const QString asked = QStringLiteral("ＭＳ Ｐゴシック");
        const QStringList faces = QStringList(asked) + QFont::substitutes(asked);
        if (std::none_of(faces.begin(), faces.end(), [&](const QString &f) { return installed.contains(f, Qt::CaseInsensitive); }))
            QSKIP("no Japanese Gothic face installed");
        QList<QWidget *> widgets = calc()->findChildren<QWidget *>();
        for (QWidget *w : widgets << calc()) {
            QFont before = w->font();
            before.setFamily(asked);
            QVERIFY2(installed.contains(w->font().family(), Qt::CaseInsensitive), qPrintable(w->objectName()));
            QCOMPARE(QFontInfo(w->font()).family(), QFontInfo(before).family());
        }
    }

    void f1OpensTheHelpFromTheCalculator()
    {
        calc()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(calc()));
        QTest::keyClick(calc(), Qt::Key_F1);
        QVERIFY(controller->helpViewer() && controller->helpViewer()->isVisible());
    }

    // A second start brings the calculator up, hidden and minimised, whatever else leads the user to us.
    void secondStart()
    {
        calc()->hide();
        calc()->setWindowState(Qt::WindowMinimized);
        trigger("設定(&S)...");
        controller->secondStartRequested();
        QVERIFY(calc()->isVisible() && !calc()->isMinimized());
    }

    // A logout that may be cancelled stores and ends nothing; the end stores again, and only once.
    void exitWritesTheStore_data()
    {
        QTest::addColumn<bool>("notResident");
        QTest::addColumn<bool>("erase");
        QTest::newRow("resident: Exit") << false << false;
        QTest::newRow("not resident: hiding the calculator ends it") << true << false;
        QTest::newRow("erase at Exit") << false << true;
    }
    void exitWritesTheStore()
    {
        QFETCH(bool, notResident);
        QFETCH(bool, erase);
        controller->settings().notResident = notResident;
        controller->settings().eraseOnExit = erase;
        calc()->move(140, 90);
        controller->commitSessionData(); // without hiding the calculator, which may end the program
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), erase ? -1 : 140);
        calc()->move(150, 90);
        QTimer::singleShot(0, [this, notResident] { notResident ? calc()->hide() : trigger("終了(&E)"); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); }); // should it never end
        QCOMPARE(QCoreApplication::exec(), 0);
        controller->settings().notResident = !notResident; // the exit has run: nothing more is written, whoever asks
        controller->exit();
        controller->commitSessionData();
        QCOMPARE(storedValue("Mochica/NoMt"), erase ? -1 : int(notResident));
        QCOMPARE(storedValue("Mochica/Window_Calc_Window_Left"), erase ? -1 : 150);
        start(); // the next start shows the tray icon unless told not to
        QCOMPARE(controller->trayIcon()->isVisible(), !notResident);
    }

    // OK copies every box, even a disabled one, Cancel none; a position reset acts at once either way.
    void settingsDialog_data()
    {
        QTest::addColumn<Choice>("choice");
        QTest::newRow("OK all set") << Choice{"0000100", "1111111", true};
        QTest::newRow("not resident keeps the hide mark; OK") << Choice{"1011000", "0000011", true};
        QTest::newRow("Cancel") << Choice{"0100101", "1011010", false};
    }
    void settingsDialog()
    {
        QFETCH(Choice, choice);
        const auto &[before, tick, ok] = choice;
        calc()->hide(); // first: without residency a later hide would end the program
        calc()->move(300, 200);
        for (int i = 0; i < 7; ++i)
            field(controller->settings(), i) = before[i] == '1';
        trigger("設定(&S)...");
        QCOMPARE(state(true), "0" + before.mid(1)); // the erase box is never loaded
        for (int i = 0; i < 7; ++i)
            box(i)->setChecked(tick[i] == '1');
        QCOMPARE(box(3)->isEnabled(), tick[2] == '0');
        controller->settingsDialog()->findChild<QPushButton *>("resetCalculatorButton")->click();
        controller->settingsDialog()->findChild<QPushButton *>(ok ? "okButton" : "cancelButton")->click();
        QVERIFY(!controller->settingsDialog()->isVisible());
        QCOMPARE(state(false), ok ? tick : before);
        QVERIFY(!calc()->isVisible()); // a hidden calculator is not brought up
        QCOMPARE(calc()->pos(), before[4] == '1' ? QPoint(1, 1) : QPoint(300, 200)); // moved only if saving
        trigger("設定(&S)..."); // reloaded; the erase box still shows what the user left it at
        QCOMPARE(state(true), tick[0] + (ok ? tick : before).mid(1));
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"
