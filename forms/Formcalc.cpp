#include "Formcalc.h"
#include "ui_Formcalc.h"

#include "Formmain.h"
#include "Formsetup.h"
#include "formsupport.h"
#include "keyboard.h"
#include "numberformat.h"
#include "platform.h"
#include "setting.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <iterator>

Tform_Calc *form_Calc = nullptr;

std::function<void(QWidget *)> Tform_Calc::divisionByZeroNotice = &Tform_Calc::showDivisionByZeroBox;

namespace {

constexpr int ClientWidth = 137;
constexpr int ClientHeight = 169;

// The seventeen buttons in field order (the order the flat state is applied in),
// with their handlers, caption sizes in pixels and the names a screen reader
// speaks for them: "/" or "*" read aloud says nothing of what the key does.
struct CalcButton
{
    QToolButton *Ui::Tform_Calc::*button;
    void (Tform_Calc::*click)();
    int fontPixels;
    const char *accessibleName;
};

const CalcButton CalcButtons[] = {
    {&Ui::Tform_Calc::spbtn_Ac, &Tform_Calc::spbtn_AcClick, 19, "オールクリア"},
    {&Ui::Tform_Calc::spbtn_Div, &Tform_Calc::spbtn_DivClick, 24, "割る"},
    {&Ui::Tform_Calc::spbtn_Mul, &Tform_Calc::spbtn_MulClick, 24, "掛ける"},
    {&Ui::Tform_Calc::spbtn_Sub, &Tform_Calc::spbtn_SubClick, 24, "引く"},
    {&Ui::Tform_Calc::spbtn_7, &Tform_Calc::spbtn_7Click, 24, "7"},
    {&Ui::Tform_Calc::spbtn_8, &Tform_Calc::spbtn_8Click, 24, "8"},
    {&Ui::Tform_Calc::spbtn_9, &Tform_Calc::spbtn_9Click, 24, "9"},
    {&Ui::Tform_Calc::spbtn_4, &Tform_Calc::spbtn_4Click, 24, "4"},
    {&Ui::Tform_Calc::spbtn_5, &Tform_Calc::spbtn_5Click, 24, "5"},
    {&Ui::Tform_Calc::spbtn_6, &Tform_Calc::spbtn_6Click, 24, "6"},
    {&Ui::Tform_Calc::spbtn_1, &Tform_Calc::spbtn_1Click, 24, "1"},
    {&Ui::Tform_Calc::spbtn_2, &Tform_Calc::spbtn_2Click, 24, "2"},
    {&Ui::Tform_Calc::spbtn_3, &Tform_Calc::spbtn_3Click, 24, "3"},
    {&Ui::Tform_Calc::spbtn_0, &Tform_Calc::spbtn_0Click, 24, "0"},
    {&Ui::Tform_Calc::spbtn_Dot, &Tform_Calc::spbtn_DotClick, 24, "小数点"},
    {&Ui::Tform_Calc::spbtn_Add, &Tform_Calc::spbtn_AddClick, 24, "足す"},
    {&Ui::Tform_Calc::spbtn_Equal, &Tform_Calc::spbtn_EqualClick, 24, "イコール"},
};

} // namespace

Tform_Calc::Tform_Calc(QWidget *parent)
    : FormWindow<QWidget>(parent), ui(new Ui::Tform_Calc), m_engine(*this)
{
    ui->setupUi(this);
    // A small title bar with the number in it, and no close box: Escape, End or
    // the context menu hide the window.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    setFont(programFont());
    for (const CalcButton &b : CalcButtons) {
        QToolButton *button = ui->*b.button;
        QFont f = button->font();
        f.setPixelSize(b.fontPixels);
        button->setFont(f);
        button->setAccessibleName(QString::fromUtf8(b.accessibleName));
        connect(button, &QToolButton::clicked, this, b.click);
    }
    createPopupMenu();
    FormCreate();
}

Tform_Calc::~Tform_Calc()
{
    delete ui;
}

void Tform_Calc::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    claimSharedEntries(PopupMenu1);
    PopupMenu1->setFont(font()); // a menu is a window of its own and inherits no font
    pm_Close = PopupMenu1->addAction(Tform_Main::imglst_Act(6), QStringLiteral("ウィンドウを閉じる(&C)"));
    connect(pm_Close, &QAction::triggered, this, &Tform_Calc::pm_CloseClick);
    if (!form_Main)
        return; // built alone, as in tests: only the window's own entry
    const auto link = [this](QAction *action) {
        if (action)
            PopupMenu1->addAction(action);
        return action;
    };
    S1 = link(form_Main->act_Setup);
    L1 = link(form_Main->act_LogWindow);
    Help1 = link(form_Main->act_Help);
    N1 = PopupMenu1->addSeparator();
    About1 = link(form_Main->act_About);
    Exit1 = link(form_Main->act_Exit);
}

void Tform_Calc::FormCreate()
{
    setFixedSize(ClientWidth, ClientHeight);
    m_engine.ClearEntry();
    // Saved positions are applied by FormShow; otherwise the window is centred
    // when it first appears.
    m_centreAtFirstShow = !Setting.Window_Calc_SaveWindowPos;
    if (!Setting.Window_Calc_OpenWindowAtBoot || Setting.NoMt)
        show();
}

void Tform_Calc::FormShow()
{
    applySavedPosition();
    const bool flat = Setting.ButtonFlat;
    for (const CalcButton &b : CalcButtons)
        (ui->*b.button)->setAutoRaise(flat);
}

void Tform_Calc::applySavedPosition()
{
    if (!Setting.Window_Calc_SaveWindowPos)
        return;
    const QPoint saved = representablePosition(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top);
    // Moving again to where the window already is would, between creating the
    // native window and mapping it, make X11 take the point for the client area.
    // But a window never moved at all is placed by the window manager, so the
    // stored point (0, 0 for a new user) must be asked for once.
    if (pos() != saved || !testAttribute(Qt::WA_Moved))
        move(saved);
    m_placedOnScreen = true;
}

void Tform_Calc::storePosition()
{
    // A window that has never been placed, or that the window system places
    // itself, has no position of its own: keep the stored one rather than
    // overwrite it with the toolkit's default.
    if (m_placedOnScreen && windowPlacementWorks()) {
        const QPoint applied = representablePosition(Setting.Window_Calc_Window_Left, Setting.Window_Calc_Window_Top);
        keepUnlessChanged(Setting.Window_Calc_Window_Left, pos().x(), applied.x());
        keepUnlessChanged(Setting.Window_Calc_Window_Top, pos().y(), applied.y());
    }
}

void Tform_Calc::FormHide()
{
    storePosition();
    // Without a tray icon this window is the program: hiding it ends the program,
    // except while the settings dialog, which hides and re-shows it, is open.
    if (Setting.NoMt && !(form_Setup && form_Setup->isVisible()) && form_Main)
        form_Main->close();
}

void Tform_Calc::setVisible(bool visible)
{
    // The first placement happens before the native window exists: only then is
    // a position taken as the frame's on X11, where the frame is not yet known.
    if (visible && !testAttribute(Qt::WA_WState_Created)) {
        if (m_centreAtFirstShow) {
            m_centreAtFirstShow = false;
            centreOnScreen(this);
        }
        applySavedPosition();
    }
    QWidget::setVisible(visible);
}

void Tform_Calc::formShown()
{
    m_placedOnScreen = true;
    FormShow();
}

void Tform_Calc::formHidden()
{
    FormHide();
}

void Tform_Calc::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
}

bool Tform_Calc::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    // The title bar belongs to the system: let it handle the double click first,
    // then hide.
    if (isTitleBarDoubleClick(eventType, message))
        QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
    return QWidget::nativeEvent(eventType, message, result);
}

void Tform_Calc::pm_CloseClick()
{
    close(); // closing only hides this window
}

void Tform_Calc::DispEntry()
{
    showNumber(m_engine.Entry);
}

void Tform_Calc::DispResult()
{
    showNumber(m_engine.Accumulator);
}

void Tform_Calc::showNumber(double value)
{
    m_numberShown = true;
    const QString text = FormatNumber(value);
    if (text == windowTitle())
        return;
    setWindowTitle(text);
    // The title is also the window's accessible name, but Qt tells no screen
    // reader that a title changed: without this the result goes unspoken.
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void Tform_Calc::copyNumber()
{
    if (m_numberShown)
        QGuiApplication::clipboard()->setText(windowTitle());
    else
        QApplication::beep(); // the title still holds the program's name, no number
}

void Tform_Calc::pasteNumber()
{
    const QString keys = PastedNumberKeys(QGuiApplication::clipboard()->text(), QLocale::system().decimalPoint());
    if (keys.isEmpty()) {
        QApplication::beep();
        return;
    }
    // Typed key by key into a fresh entry, as after an operator: the digit limit,
    // the point and the digits typed next then work on it as on a typed number.
    m_engine.ClearEntry();
    for (const QChar key : keys)
        m_engine.InputNumber(key == u'.' ? 0 : key.digitValue(), key == u'.');
    DispEntry();
}

void Tform_Calc::ReportDivisionByZero()
{
    if (divisionByZeroNotice)
        divisionByZeroNotice(this);
}

void Tform_Calc::showDivisionByZeroBox(QWidget *parent)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error!"), QStringLiteral("０で除算はできません。"),
                    QMessageBox::Ok, parent);
    box.exec();
}

void Tform_Calc::digitClick(int digit)
{
    m_engine.InputNumber(digit, 0);
    DispEntry();
}

void Tform_Calc::spbtn_0Click() { digitClick(0); }
void Tform_Calc::spbtn_1Click() { digitClick(1); }
void Tform_Calc::spbtn_2Click() { digitClick(2); }
void Tform_Calc::spbtn_3Click() { digitClick(3); }
void Tform_Calc::spbtn_4Click() { digitClick(4); }
void Tform_Calc::spbtn_5Click() { digitClick(5); }
void Tform_Calc::spbtn_6Click() { digitClick(6); }
void Tform_Calc::spbtn_7Click() { digitClick(7); }
void Tform_Calc::spbtn_8Click() { digitClick(8); }
void Tform_Calc::spbtn_9Click() { digitClick(9); }

void Tform_Calc::spbtn_DotClick()
{
    m_engine.InputNumber(0, 1); // the point alone does not change the number shown
}

void Tform_Calc::spbtn_AddClick() { m_engine.InputOperator(OP_ADD); }
void Tform_Calc::spbtn_SubClick() { m_engine.InputOperator(OP_SUB); }
void Tform_Calc::spbtn_MulClick() { m_engine.InputOperator(OP_MUL); }
void Tform_Calc::spbtn_DivClick() { m_engine.InputOperator(OP_DIV); }

void Tform_Calc::spbtn_EqualClick()
{
    m_engine.InputOperator(OP_EQUAL);
    m_engine.ResetOnInput = true; // the next digit starts a new number
}

void Tform_Calc::spbtn_AcClick()
{
    m_engine.ClearEntry();
    m_engine.OperandHeld = false;
    DispEntry();
}

void Tform_Calc::runKeyAction(CalcKeyAction action)
{
    switch (action) {
    case CalcKeyAction::None: break;
    case CalcKeyAction::Point: spbtn_DotClick(); break;
    case CalcKeyAction::Add: spbtn_AddClick(); break;
    case CalcKeyAction::Subtract: spbtn_SubClick(); break;
    case CalcKeyAction::Multiply: spbtn_MulClick(); break;
    case CalcKeyAction::Divide: spbtn_DivClick(); break;
    case CalcKeyAction::Equals: spbtn_EqualClick(); break;
    case CalcKeyAction::AllClear: spbtn_AcClick(); break;
    case CalcKeyAction::HideWindow: hide(); break;
    default: // the ten digits, as their buttons enter them
        // Called directly: GCC 12's -fsanitize=bounds miscompiles a call through
        // an array of member-function pointers here.
        digitClick(int(action) - int(CalcKeyAction::Digit0));
        break;
    }
}

void Tform_Calc::FormKeyDown(QKeyEvent *event)
{
    runKeyAction(actionForVirtualKey(virtualKeyOf(*event)));
}

void Tform_Calc::keyPressEvent(QKeyEvent *event)
{
    // The clipboard keys of any text field, the keypad's Insert among them. C, V
    // and Insert do nothing in the key map, so only these exact combinations are
    // taken from it. With Ctrl held, a Cyrillic or Greek layout reports the Latin
    // letter when a Latin layout is set up beside it, as for Qt's own shortcuts.
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert))
        copyNumber();
    else if ((ctrl && key == Qt::Key_V) || (modifiers == Qt::ShiftModifier && key == Qt::Key_Insert))
        pasteNumber();
    else
        FormKeyDown(event);
    QWidget::keyPressEvent(event); // the key is left for the system, not consumed
}
