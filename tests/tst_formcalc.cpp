#include "Formcalc.h"
#include "Formmain.h"
#include "Formsetup.h"
#include "platform.h"
#include "setting.h"
#include "startup.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <memory>

static int s_divisionNotices = 0;

// Expected texts are written with "."; the window uses the locale's separator.
static QString localised(QString text)
{
    return text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

static QToolButton *button(QWidget *calc, const QString &name)
{
    auto *b = calc->findChild<QToolButton *>(name);
    if (!b)
        qFatal("no button %s", qPrintable(name));
    return b;
}

// One character per key of the calculator: digits, ".", the four operators,
// "=" (Enter) and "A" (all clear: Backspace).
static void typeKeys(QWidget *calc, const QString &keys)
{
    for (const QChar c : keys) {
        switch (c.unicode()) {
        case '.': QTest::keyClick(calc, Qt::Key_Period); break;
        case '+': QTest::keyClick(calc, Qt::Key_Plus); break;
        case '-': QTest::keyClick(calc, Qt::Key_Minus); break;
        case '*': QTest::keyClick(calc, Qt::Key_Asterisk); break;
        case '/': QTest::keyClick(calc, Qt::Key_Slash); break;
        case '=': QTest::keyClick(calc, Qt::Key_Return); break;
        case 'A': QTest::keyClick(calc, Qt::Key_Backspace); break;
        default: QTest::keyClick(calc, Qt::Key(Qt::Key_0 + c.digitValue())); break;
        }
    }
}

static void clickButtons(QWidget *calc, const QString &keys)
{
    static const QHash<QChar, QString> names = {
        {'.', "spbtn_Dot"}, {'+', "spbtn_Add"}, {'-', "spbtn_Sub"}, {'*', "spbtn_Mul"},
        {'/', "spbtn_Div"}, {'=', "spbtn_Equal"}, {'A', "spbtn_Ac"},
    };
    for (const QChar c : keys) {
        const QString name = c.isDigit() ? QStringLiteral("spbtn_") + c : names.value(c);
        QTest::mouseClick(button(calc, name), Qt::LeftButton);
    }
}

class TestFormCalc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void layout_data();
    void layout();
    void window();

    void typedSequences_data();
    void typedSequences();
    void clickedSequences_data();
    void clickedSequences();
    void entryKeepsSixteenDigits();
    void keys_data();
    void keys();

    void hidingRecordsPosition_data();
    void hidingRecordsPosition();
    void showRestoresSavedPositionOnlyWhenSaving_data();
    void showRestoresSavedPositionOnlyWhenSaving();
    void absurdPositionsStayRepresentable_data();
    void absurdPositionsStayRepresentable();
    void visibleAtStart_data();
    void visibleAtStart();
    void flatButtonsFollowTheSetting_data();
    void flatButtonsFollowTheSetting();
    void handlersWorkOnAHiddenWindow();
    void calculationSurvivesHiding();
    void windowAloneHasOnlyItsOwnMenuEntry();

    void withAllWindows();

private:
    std::unique_ptr<Tform_Calc> makeShownCalc();
};

void TestFormCalc::initTestCase()
{
    installJapaneseFontSubstitutes();
    QApplication::setQuitOnLastWindowClosed(false);
    Tform_Calc::divisionByZeroNotice = [](QWidget *) { ++s_divisionNotices; };
}

void TestFormCalc::init()
{
    // A user who never ran the program.
    removeTestSettings();
    Setting = TSetting{};
    LoadSetting(Setting);
    s_divisionNotices = 0;
}

std::unique_ptr<Tform_Calc> TestFormCalc::makeShownCalc()
{
    auto calc = std::make_unique<Tform_Calc>();
    if (!calc->isVisible())
        qFatal("the calculator should show itself at start");
    return calc;
}

void TestFormCalc::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");

    QTest::newRow("AC") << "spbtn_Ac" << "AC" << QRect(4, 4, 33, 33) << 19 << true;
    QTest::newRow("/") << "spbtn_Div" << "/" << QRect(36, 4, 33, 33) << 24 << true;
    QTest::newRow("*") << "spbtn_Mul" << "*" << QRect(68, 4, 33, 33) << 24 << true;
    QTest::newRow("-") << "spbtn_Sub" << "-" << QRect(100, 4, 33, 33) << 24 << true;
    QTest::newRow("7") << "spbtn_7" << "7" << QRect(4, 36, 33, 33) << 24 << false;
    QTest::newRow("8") << "spbtn_8" << "8" << QRect(36, 36, 33, 33) << 24 << false;
    QTest::newRow("9") << "spbtn_9" << "9" << QRect(68, 36, 33, 33) << 24 << false;
    QTest::newRow("+ spans two rows") << "spbtn_Add" << "+" << QRect(100, 36, 33, 65) << 24 << true;
    QTest::newRow("4") << "spbtn_4" << "4" << QRect(4, 68, 33, 33) << 24 << false;
    QTest::newRow("5") << "spbtn_5" << "5" << QRect(36, 68, 33, 33) << 24 << false;
    QTest::newRow("6") << "spbtn_6" << "6" << QRect(68, 68, 33, 33) << 24 << false;
    QTest::newRow("1") << "spbtn_1" << "1" << QRect(4, 100, 33, 33) << 24 << false;
    QTest::newRow("2") << "spbtn_2" << "2" << QRect(36, 100, 33, 33) << 24 << false;
    QTest::newRow("3") << "spbtn_3" << "3" << QRect(68, 100, 33, 33) << 24 << false;
    QTest::newRow("= spans two rows") << "spbtn_Equal" << "=" << QRect(100, 100, 33, 65) << 24 << true;
    QTest::newRow("0 spans two columns") << "spbtn_0" << "0" << QRect(4, 132, 65, 33) << 24 << false;
    QTest::newRow(".") << "spbtn_Dot" << "." << QRect(68, 132, 33, 33) << 24 << false;
}

void TestFormCalc::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);

    Tform_Calc calc;
    QToolButton *b = button(&calc, name);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->geometry(), geometry);
    QCOMPARE(b->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(b->font().pixelSize(), pixelSize);
    QCOMPARE(b->font().bold(), bold);
    // Keys must reach the window, never a button.
    QCOMPARE(b->focusPolicy(), Qt::NoFocus);
}

void TestFormCalc::window()
{
    Tform_Calc calc;
    QCOMPARE(calc.size(), QSize(137, 169));
    QCOMPARE(calc.minimumSize(), calc.maximumSize()); // not resizable
    QCOMPARE(calc.windowTitle(), QStringLiteral("Mochiten V2"));
    QCOMPARE(calc.windowType(), Qt::Tool);
    QVERIFY(calc.windowFlags() & Qt::WindowTitleHint);
    QVERIFY(!(calc.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(calc.findChildren<QToolButton *>().size(), 17);
}

void TestFormCalc::typedSequences_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("notices");

    QTest::newRow("nothing yet") << "" << "Mochiten V2" << 0;
    QTest::newRow("a first operator keeps the caption") << "+" << "Mochiten V2" << 0;
    QTest::newRow("the point alone shows nothing") << "." << "Mochiten V2" << 0;
    QTest::newRow("point, 5") << ".5" << "0.5" << 0;
    QTest::newRow("the point does not refresh") << "12." << "12" << 0;
    QTest::newRow("1+2=") << "1+2=" << "3" << 0;
    QTest::newRow("+ shows the running result") << "1+2+" << "3" << 0;
    QTest::newRow("no precedence") << "2+3*4=" << "20" << 0;
    QTest::newRow("7-10=") << "7-10=" << "-3" << 0;
    QTest::newRow("1/4=") << "1/4=" << "0.25" << 0;
    QTest::newRow(".1+.2=") << ".1+.2=" << "0.3" << 0;
    QTest::newRow("2/3=") << "2/3=" << "0.666666666666667" << 0;
    QTest::newRow("fifteen ones in full") << "111111111111111" << "111111111111111" << 0;
    QTest::newRow("sixteen ones") << "1111111111111111" << "1.11111111111111E15" << 0;
    QTest::newRow("a seventeenth digit is ignored") << "11111111111111112" << "1.11111111111111E15" << 0;
    QTest::newRow("all clear shows 0") << "12A" << "0" << 0;
    QTest::newRow("all clear drops the operand") << "5+A3=" << "3" << 0;
    QTest::newRow("a digit after = starts afresh") << "1+2=4+1=" << "5" << 0;
    QTest::newRow("the result is the next operand") << "1+2=+4=" << "7" << 0;
    QTest::newRow("5/0= tells once and shows 5") << "5/0=" << "5" << 1;
    QTest::newRow("5/.= tells too") << "5/.=" << "5" << 1;
    QTest::newRow("5/= does not divide") << "5/=" << "5" << 0;
    QTest::newRow("5/0+ shows 5 and goes on") << "5/0+1=" << "6" << 1;
    QTest::newRow("overflow shows INF") << "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999*99999999*"
                                           "99999999*99999999*99999999*99999999*99999999="
                                        << "INF" << 0;
}

void TestFormCalc::typedSequences()
{
    QFETCH(QString, keys);
    QFETCH(QString, title);
    QFETCH(int, notices);

    auto calc = makeShownCalc();
    typeKeys(calc.get(), keys);
    QCOMPARE(calc->windowTitle(), localised(title));
    QCOMPARE(s_divisionNotices, notices);
    QVERIFY(calc->isVisible());
}

void TestFormCalc::clickedSequences_data()
{
    typedSequences_data();
}

void TestFormCalc::clickedSequences()
{
    QFETCH(QString, keys);
    QFETCH(QString, title);
    QFETCH(int, notices);

    auto calc = makeShownCalc();
    clickButtons(calc.get(), keys);
    QCOMPARE(calc->windowTitle(), localised(title));
    QCOMPARE(s_divisionNotices, notices);
}

void TestFormCalc::entryKeepsSixteenDigits()
{
    auto calc = makeShownCalc();
    typeKeys(calc.get(), QStringLiteral("1111111111111111"));
    QCOMPARE(calc->engine().Entry, 1111111111111111.0);
    QCOMPARE(calc->windowTitle(), localised(QStringLiteral("1.11111111111111E15")));
}

void TestFormCalc::keys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<uint>("scanCode");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("title");

    const int none = Qt::NoModifier, shift = Qt::ShiftModifier, kp = Qt::KeypadModifier;
    // X keycodes: 8 is 17 on the digit row; the Japanese ";+" key is 47.
    QTest::newRow("Shift+8 types 8") << "" << int(Qt::Key_Asterisk) << shift << 17u << "" << "8";
    QTest::newRow("keypad 7") << "" << int(Qt::Key_7) << kp << 0u << "" << "7";
    QTest::newRow("keypad +") << "6" << int(Qt::Key_Plus) << kp << 0u << "3=" << "9";
    QTest::newRow("keypad -") << "6" << int(Qt::Key_Minus) << kp << 0u << "3=" << "3";
    QTest::newRow("keypad *") << "6" << int(Qt::Key_Asterisk) << kp << 0u << "3=" << "18";
    QTest::newRow("keypad /") << "6" << int(Qt::Key_Slash) << kp << 0u << "3=" << "2";
    QTest::newRow("keypad . (no refresh)") << "6" << int(Qt::Key_Period) << kp << 0u << "" << "6";
    QTest::newRow("keypad decimal comma") << "6" << int(Qt::Key_Comma) << kp << 0u << "5" << "6.5";
    QTest::newRow("keypad Enter is equals") << "6+3" << int(Qt::Key_Enter) << kp << 0u << "" << "9";
    QTest::newRow("NumLock-off keypad Home clears") << "6" << int(Qt::Key_Home) << kp << 0u << "" << "0";
    QTest::newRow("JP ; adds") << "6" << int(Qt::Key_Semicolon) << none << 47u << "3=" << "9";
    QTest::newRow("JP Shift+; adds") << "6" << int(Qt::Key_Plus) << shift << 47u << "3=" << "9";
    QTest::newRow("JP : multiplies") << "6" << int(Qt::Key_Colon) << none << 0u << "3=" << "18";
    QTest::newRow("JP Shift+- (=) subtracts") << "6" << int(Qt::Key_Equal) << shift << 0u << "3=" << "3";
    QTest::newRow("US = adds") << "6" << int(Qt::Key_Equal) << none << 0u << "3=" << "9";
    QTest::newRow("Shift+/ divides") << "6" << int(Qt::Key_Question) << shift << 0u << "3=" << "2";
    QTest::newRow("Home clears") << "12" << int(Qt::Key_Home) << none << 0u << "" << "0";
    QTest::newRow("Ctrl+5 is 5") << "" << int(Qt::Key_5) << int(Qt::ControlModifier) << 0u << "" << "5";
    QTest::newRow("Delete does nothing") << "12" << int(Qt::Key_Delete) << none << 0u << "" << "12";
    QTest::newRow("comma does nothing") << "12" << int(Qt::Key_Comma) << none << 0u << "3" << "123";
    QTest::newRow("a letter does nothing") << "12" << int(Qt::Key_C) << none << 0u << "" << "12";
    QTest::newRow("Shift alone does nothing") << "12" << int(Qt::Key_Shift) << shift << 50u << "" << "12";
    QTest::newRow("NumLock does nothing") << "12" << int(Qt::Key_NumLock) << none << 77u << "" << "12";
}

void TestFormCalc::keys()
{
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(uint, scanCode);
    QFETCH(QString, after);
    QFETCH(QString, title);

    auto calc = makeShownCalc();
    typeKeys(calc.get(), before);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, 0, 0);
    QApplication::sendEvent(calc.get(), &press);
    typeKeys(calc.get(), after);
    QCOMPARE(calc->windowTitle(), localised(title));
    QVERIFY(calc->isVisible());
}

void TestFormCalc::hidingRecordsPosition_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("saving");

    for (const bool saving : {true, false}) {
        const char *suffix = saving ? "" : ", saving off";
        QTest::addRow("Escape%s", suffix) << "Escape" << saving;
        QTest::addRow("End%s", suffix) << "End" << saving;
        QTest::addRow("keypad End%s", suffix) << "keypad End" << saving;
        QTest::addRow("menu%s", suffix) << "menu" << saving;
        QTest::addRow("window manager%s", suffix) << "close" << saving;
    }
}

void TestFormCalc::hidingRecordsPosition()
{
    QFETCH(QString, how);
    QFETCH(bool, saving);

    Setting.Window_Calc_SaveWindowPos = saving;
    auto calc = makeShownCalc();
    calc->move(210, 150); // where the user dragged it

    if (how == QLatin1String("Escape"))
        QTest::keyClick(calc.get(), Qt::Key_Escape);
    else if (how == QLatin1String("End"))
        QTest::keyClick(calc.get(), Qt::Key_End);
    else if (how == QLatin1String("keypad End"))
        QTest::keyClick(calc.get(), Qt::Key_End, Qt::KeypadModifier);
    else if (how == QLatin1String("menu"))
        calc->pm_Close->trigger();
    else
        QVERIFY(calc->close());

    QVERIFY(!calc->isVisible());
    QCOMPARE(Setting.Window_Calc_Window_Left, 210);
    QCOMPARE(Setting.Window_Calc_Window_Top, 150);
}

void TestFormCalc::showRestoresSavedPositionOnlyWhenSaving_data()
{
    QTest::addColumn<bool>("saving");
    QTest::newRow("saving on") << true;
    QTest::newRow("saving off: centred") << false;
}

void TestFormCalc::showRestoresSavedPositionOnlyWhenSaving()
{
    QFETCH(bool, saving);

    Setting.Window_Calc_SaveWindowPos = saving;
    Setting.Window_Calc_Window_Left = 33;
    Setting.Window_Calc_Window_Top = 44;
    auto calc = makeShownCalc();
    if (saving) {
        QCOMPARE(calc->pos(), QPoint(33, 44));
    } else {
        // Centred before the window manager has told the size of the frame.
        const QPoint offCentre = calc->frameGeometry().center() - calc->screen()->availableGeometry().center();
        QVERIFY2(qAbs(offCentre.x()) <= 16 && qAbs(offCentre.y()) <= 16,
                 qPrintable(QStringLiteral("window at %1,%2").arg(calc->x()).arg(calc->y())));
    }

    // Moved, hidden, shown again: back where it was hidden, whichever the mode.
    calc->move(70, 90);
    calc->hide();
    QCOMPARE(Setting.Window_Calc_Window_Left, 70);
    QCOMPARE(Setting.Window_Calc_Window_Top, 90);
    calc->show();
    QCOMPARE(calc->pos(), QPoint(70, 90));
}

void TestFormCalc::absurdPositionsStayRepresentable_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<QPoint>("placed");

    QTest::newRow("new user's top-left corner") << 0 << 0 << QPoint(0, 0);
    QTest::newRow("negative is used as is") << -50 << -20 << QPoint(-50, -20);
    QTest::newRow("off screen is used as is") << 5000 << 3000 << QPoint(5000, 3000);
    QTest::newRow("INT_MIN") << INT_MIN << INT_MIN << QPoint(-32000, -32000);
    QTest::newRow("INT_MAX") << INT_MAX << INT_MAX << QPoint(32000, 32000);
    QTest::newRow("mixed") << INT_MAX << INT_MIN << QPoint(32000, -32000);
}

void TestFormCalc::absurdPositionsStayRepresentable()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(QPoint, placed);

    Setting.Window_Calc_Window_Left = left;
    Setting.Window_Calc_Window_Top = top;
    auto calc = makeShownCalc();
    QCOMPARE(calc->pos(), placed);
    typeKeys(calc.get(), QStringLiteral("1+2="));
    QCOMPARE(calc->windowTitle(), QStringLiteral("3"));
    calc->hide();
    QCOMPARE(QPoint(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top), placed);
}

void TestFormCalc::visibleAtStart_data()
{
    QTest::addColumn<bool>("notAtBoot");
    QTest::addColumn<bool>("noMt");
    QTest::addColumn<bool>("visible");

    QTest::newRow("default: shown") << false << false << true;
    QTest::newRow("not at start: hidden") << true << false << false;
    QTest::newRow("not resident: shown anyway") << true << true << true;
    QTest::newRow("not resident, default") << false << true << true;
}

void TestFormCalc::visibleAtStart()
{
    QFETCH(bool, notAtBoot);
    QFETCH(bool, noMt);
    QFETCH(bool, visible);

    Setting.Window_Calc_OpenWindowAtBoot = notAtBoot;
    Setting.NoMt = noMt;
    Tform_Calc calc;
    QCOMPARE(calc.isVisible(), visible);
    QCOMPARE(calc.windowTitle(), QStringLiteral("Mochiten V2"));
}

void TestFormCalc::flatButtonsFollowTheSetting_data()
{
    QTest::addColumn<bool>("flat");
    QTest::newRow("flat") << true;
    QTest::newRow("raised") << false;
}

void TestFormCalc::flatButtonsFollowTheSetting()
{
    QFETCH(bool, flat);

    Setting.ButtonFlat = flat;
    auto calc = makeShownCalc();
    for (QToolButton *b : calc->findChildren<QToolButton *>())
        QVERIFY2(b->autoRaise() == flat, qPrintable(b->objectName()));

    // Changed while shown: applied by the next show.
    Setting.ButtonFlat = !flat;
    calc->hide();
    calc->show();
    for (QToolButton *b : calc->findChildren<QToolButton *>())
        QVERIFY2(b->autoRaise() == !flat, qPrintable(b->objectName()));
}

void TestFormCalc::handlersWorkOnAHiddenWindow()
{
    Setting.Window_Calc_OpenWindowAtBoot = true;
    Setting.Window_Calc_Window_Left = 300;
    Setting.Window_Calc_Window_Top = 200;
    Tform_Calc calc;
    QVERIFY(!calc.isVisible());

    // Never shown: hiding keeps the stored position instead of inventing one.
    calc.FormHide();
    QCOMPARE(Setting.Window_Calc_Window_Left, 300);
    QCOMPARE(Setting.Window_Calc_Window_Top, 200);

    // The settings dialog's reset: new position and flat state, still hidden.
    Setting.Window_Calc_Window_Left = 1;
    Setting.Window_Calc_Window_Top = 1;
    Setting.ButtonFlat = true;
    calc.FormShow();
    QVERIFY(!calc.isVisible());
    QCOMPARE(calc.pos(), QPoint(1, 1));
    QVERIFY(button(&calc, "spbtn_Equal")->autoRaise());

    // The exit sequence records the position of a hidden window.
    calc.FormHide();
    QCOMPARE(Setting.Window_Calc_Window_Left, 1);
    QCOMPARE(Setting.Window_Calc_Window_Top, 1);

    calc.show();
    QCOMPARE(calc.pos(), QPoint(1, 1));
    calc.move(40, 50);
    calc.hide();
    calc.FormHide();
    QCOMPARE(Setting.Window_Calc_Window_Left, 40);
    QCOMPARE(Setting.Window_Calc_Window_Top, 50);
}

void TestFormCalc::calculationSurvivesHiding()
{
    auto calc = makeShownCalc();
    typeKeys(calc.get(), QStringLiteral("12+3"));
    QTest::keyClick(calc.get(), Qt::Key_Escape);
    QVERIFY(!calc->isVisible());
    calc->show();
    QCOMPARE(calc->windowTitle(), QStringLiteral("3"));
    typeKeys(calc.get(), QStringLiteral("="));
    QCOMPARE(calc->windowTitle(), QStringLiteral("15"));
}

void TestFormCalc::windowAloneHasOnlyItsOwnMenuEntry()
{
    Tform_Calc calc;
    const QList<QAction *> items = calc.PopupMenu1->actions();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first(), calc.pm_Close);
    QCOMPARE(calc.pm_Close->text(), QStringLiteral("ウィンドウを閉じる(&C)"));
}

// The five windows as the program builds them: the shared menu entries, and the
// non-resident rule that hiding the calculator ends the program.
void TestFormCalc::withAllWindows()
{
    createForms();
    QVERIFY(form_Main && form_Calc && form_Setup);

    const QList<QAction *> items = form_Calc->PopupMenu1->actions();
    QCOMPARE(items.size(), 7);
    QCOMPARE(items.at(0), form_Calc->pm_Close);
    QCOMPARE(items.at(1), form_Main->act_Setup);
    QCOMPARE(items.at(2), form_Main->act_LogWindow);
    QVERIFY(!items.at(2)->isVisible());
    QCOMPARE(items.at(3), form_Main->act_Help);
    QVERIFY(items.at(4)->isSeparator());
    QCOMPARE(items.at(5), form_Main->act_About);
    QCOMPARE(items.at(6), form_Main->act_Exit);

    int mainCloses = 0;
    struct CloseCounter : QObject
    {
        int *count;
        explicit CloseCounter(int *c) : count(c) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Close)
                ++*count;
            return false;
        }
    } counter(&mainCloses);
    form_Main->installEventFilter(&counter);

    // Resident: hiding never ends the program.
    Setting.NoMt = false;
    form_Calc->show();
    form_Calc->hide();
    QCOMPARE(mainCloses, 0);

    // Not resident, settings dialog open: the dialog re-shows the calculator.
    Setting.NoMt = true;
    form_Calc->show();
    form_Setup->show();
    form_Calc->hide();
    QCOMPARE(mainCloses, 0);

    // Not resident, dialog closed: hiding the calculator closes the main window.
    form_Setup->hide();
    form_Calc->show();
    form_Calc->hide();
    QCOMPARE(mainCloses, 1);

    form_Main->removeEventFilter(&counter);
    Setting.NoMt = false;
    destroyForms();
}

QTEST_MAIN(TestFormCalc)
#include "tst_formcalc.moc"
