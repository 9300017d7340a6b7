#include "calculatorwindow.h"
#include "ui_calculatorwindow.h"

#include "clipboardtext.h"
#include "displayaccessible.h"
#include "keyboard.h"
#include "look.h"
#include "numberformat.h"
#include "platform.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>

namespace {

constexpr int ClientWidth = 137;
constexpr int ClientHeight = 169;

// The seventeen buttons in the order the flat state is applied in, with the key
// each stands for, its caption's size in pixels and the name a screen reader
// speaks for it: "/" or "*" read aloud says nothing of what the key does.
struct CalculatorButton
{
    QToolButton *Ui::CalculatorWindow::*button;
    KeyAction key;
    int fontPixels;
    const char *accessibleName;
};

const CalculatorButton CalculatorButtons[] = {
    {&Ui::CalculatorWindow::allClearButton, KeyAction::AllClear, 19, "オールクリア"},
    {&Ui::CalculatorWindow::divideButton, KeyAction::Divide, 24, "割る"},
    {&Ui::CalculatorWindow::multiplyButton, KeyAction::Multiply, 24, "掛ける"},
    {&Ui::CalculatorWindow::subtractButton, KeyAction::Subtract, 24, "引く"},
    {&Ui::CalculatorWindow::digit7Button, KeyAction::Digit7, 24, "7"},
    {&Ui::CalculatorWindow::digit8Button, KeyAction::Digit8, 24, "8"},
    {&Ui::CalculatorWindow::digit9Button, KeyAction::Digit9, 24, "9"},
    {&Ui::CalculatorWindow::digit4Button, KeyAction::Digit4, 24, "4"},
    {&Ui::CalculatorWindow::digit5Button, KeyAction::Digit5, 24, "5"},
    {&Ui::CalculatorWindow::digit6Button, KeyAction::Digit6, 24, "6"},
    {&Ui::CalculatorWindow::digit1Button, KeyAction::Digit1, 24, "1"},
    {&Ui::CalculatorWindow::digit2Button, KeyAction::Digit2, 24, "2"},
    {&Ui::CalculatorWindow::digit3Button, KeyAction::Digit3, 24, "3"},
    {&Ui::CalculatorWindow::digit0Button, KeyAction::Digit0, 24, "0"},
    {&Ui::CalculatorWindow::pointButton, KeyAction::Point, 24, "小数点"},
    {&Ui::CalculatorWindow::addButton, KeyAction::Add, 24, "足す"},
    {&Ui::CalculatorWindow::equalsButton, KeyAction::Equals, 24, "イコール"},
};

} // namespace

CalculatorWindow::CalculatorWindow(WindowSettings &stored, QWidget *parent)
    : QWidget(parent), ui(new Ui::CalculatorWindow), m_engine(*this), m_placement(*this, stored, false),
      m_clipboard(new ClipboardText(this))
{
    // First: once Qt has made the window's accessible object, it keeps its generic one.
    DisplayAccessible::install(this);
    ui->setupUi(this);
    // A small title bar with the number in it, and no close box: Escape, End or
    // the context menu hide the window.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(programFont());
    for (const CalculatorButton &b : CalculatorButtons) {
        QToolButton *button = ui->*b.button;
        QFont f = button->font();
        f.setPixelSize(b.fontPixels);
        button->setFont(f);
        button->setAccessibleName(QString::fromUtf8(b.accessibleName));
        connect(button, &QToolButton::clicked, this, [this, key = b.key] { press(key); });
    }

    m_menu = new QMenu(this);
    claimSharedEntries(m_menu);
    m_menu->setFont(font()); // a menu is a window of its own and inherits no font
    QAction *close = m_menu->addAction(programIcon(":/icons/close.png"), QStringLiteral("ウィンドウを閉じる(&C)"));
    connect(close, &QAction::triggered, this, &QWidget::close); // closing only hides this window
}

CalculatorWindow::~CalculatorWindow()
{
    delete ui;
}

void CalculatorWindow::addMenuActions(const QList<QAction *> &actions)
{
    m_menu->addActions(actions);
}

void CalculatorWindow::setFlatButtons(bool flat)
{
    for (const CalculatorButton &b : CalculatorButtons)
        (ui->*b.button)->setAutoRaise(flat);
}

void CalculatorWindow::setVisible(bool visible)
{
    if (visible)
        m_placement.beforeShow();
    QWidget::setVisible(visible);
}

// Only the program's own shows and hides count, not the window system's (back
// from minimised, another desktop).
void CalculatorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_placement.restore();
}

void CalculatorWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        m_placement.remember();
        emit hidden();
    }
}

void CalculatorWindow::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->popup(event->globalPos());
}

bool CalculatorWindow::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    // The title bar belongs to the system: let it handle the double click first,
    // then hide.
    if (isTitleBarDoubleClick(eventType, message))
        QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
    return QWidget::nativeEvent(eventType, message, result);
}

void CalculatorWindow::showNumber(double value) // DispEntry, DispResult
{
    m_numberShown = true;
    const QString text = formatNumber(value);
    if (text == windowTitle())
        return;
    setWindowTitle(text);
    DisplayAccessible::numberShown(this, value); // Qt tells no screen reader that a title changed
}

void CalculatorWindow::reportDivisionByZero()
{
    emit divisionByZero();
}

void CalculatorWindow::press(KeyAction key)
{
    switch (key) {
    case KeyAction::None: break;
    case KeyAction::Point: m_engine.point(); break;
    case KeyAction::Add: m_engine.apply(Operator::Add); break;
    case KeyAction::Subtract: m_engine.apply(Operator::Subtract); break;
    case KeyAction::Multiply: m_engine.apply(Operator::Multiply); break;
    case KeyAction::Divide: m_engine.apply(Operator::Divide); break;
    case KeyAction::Equals: m_engine.equals(); break;
    case KeyAction::AllClear: m_engine.allClear(); break;
    case KeyAction::HideWindow: hide(); break;
    default: // the ten digits, in order
        m_engine.digit(int(key) - int(KeyAction::Digit0));
        break;
    }
}

void CalculatorWindow::copyNumber()
{
    if (m_numberShown)
        QGuiApplication::clipboard()->setText(windowTitle());
    else
        QApplication::beep(); // the title still holds the program's name, no number
}

void CalculatorWindow::pasteNumber()
{
    // The text may come later; keys typed meanwhile wait for it.
    m_clipboard->request([this](const QString &text) { typeNumber(text); });
}

void CalculatorWindow::typeNumber(const QString &text)
{
    const QString keys = pastedNumberKeys(text, QLocale::system().decimalPoint());
    if (keys.isEmpty()) {
        QApplication::beep();
        return;
    }
    // A fresh entry, as after an operator: the digits typed next carry on from it.
    m_engine.enterNumber(keys);
}

void CalculatorWindow::keyPressEvent(QKeyEvent *event)
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
        press(actionForKeyEvent(*event));
    QWidget::keyPressEvent(event); // the key is left for the system, not consumed
}
