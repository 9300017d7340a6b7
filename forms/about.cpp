#include "about.h"
#include "ui_about.h"

#include "debugmode.h"
#include "formsupport.h"
#include "osversion.h"

#include <QKeyEvent>
#include <QMouseEvent>

Tform_About *form_About = nullptr;

namespace {

// Pixel sizes cannot be written in a .ui file, so each label's type is set here.
enum class Ink { WindowText, Black, Blue };

struct LabelLook
{
    QLabel *Ui::Tform_About::*label;
    const char *family;  // nullptr: the window's face
    int pixelSize;       // 0: the window's size
    bool bold, italic, underline;
    Ink ink;
    bool sizesToText;    // grows and shrinks with its text, like an auto-sized label
};

const char Gothic[] = "ＭＳ Ｐゴシック";
const char Mincho[] = "ＭＳ Ｐ明朝";
constexpr int WindowPixelSize = 12;
constexpr int ProductNameInset = 6;

const LabelLook LabelLooks[] = {
    {&Ui::Tform_About::ProductName, Gothic, 27, true, true, false, Ink::Black, false},
    {&Ui::Tform_About::Version, nullptr, 15, true, false, false, Ink::WindowText, true},
    {&Ui::Tform_About::Copyright, nullptr, 0, false, false, false, Ink::WindowText, false},
    {&Ui::Tform_About::Label1, Gothic, 12, false, false, false, Ink::Black, true},
    {&Ui::Tform_About::lbl_WWW, Gothic, 12, false, false, true, Ink::Blue, true},
    {&Ui::Tform_About::lbl_EMail, Gothic, 12, false, false, true, Ink::Blue, true},
    {&Ui::Tform_About::Label2, nullptr, 0, false, false, false, Ink::WindowText, true},
    {&Ui::Tform_About::lbl_Version, Gothic, 12, false, false, false, Ink::Black, false},
    {&Ui::Tform_About::Label3, nullptr, 0, false, false, false, Ink::WindowText, true},
    {&Ui::Tform_About::lbl_Memory, Gothic, 12, false, false, false, Ink::Black, false},
    {&Ui::Tform_About::Label4, nullptr, 0, true, false, false, Ink::WindowText, true},
    {&Ui::Tform_About::Label5, Mincho, 35, true, true, false, Ink::Black, false},
    {&Ui::Tform_About::Comments, nullptr, 0, true, false, false, Ink::WindowText, false},
};

// An auto-sized label takes its text's size; a right-aligned one keeps its right edge.
void sizeToText(QLabel *label)
{
    QRect box = label->geometry();
    const QSize wanted = label->sizeHint();
    if (label->alignment() & Qt::AlignRight)
        box.setLeft(box.right() + 1 - wanted.width());
    else
        box.setWidth(wanted.width());
    box.setHeight(wanted.height());
    label->setGeometry(box);
}

// A fixed-size label never cuts a line of text in half: the substitute faces run
// a pixel or two taller than the ones the layout was drawn for.
void makeRoomForOneLine(QLabel *label)
{
    const int lineHeight = label->fontMetrics().height();
    if (label->height() < lineHeight)
        label->resize(label->width(), lineHeight);
}

// Text for a fixed-size label: when it does not fit, a trailing "(...)" goes
// first, then the end is elided; the whole text stays in the tool tip.
void setFittedText(QLabel *label, const QString &text)
{
    const QFontMetrics metrics = label->fontMetrics();
    const int room = label->contentsRect().width();
    QString shown = text;
    if (metrics.horizontalAdvance(shown) > room) {
        const int bracket = shown.lastIndexOf(QLatin1String(" ("));
        if (bracket > 0 && shown.endsWith(QLatin1Char(')')))
            shown.truncate(bracket);
        if (metrics.horizontalAdvance(shown) > room)
            shown = metrics.elidedText(shown, Qt::ElideRight, room);
    }
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

QString memoryCaption(quint64 bytes)
{
    if (bytes == 0)
        return QStringLiteral("-"); // the system did not say
    return QString::number(bytes) + QStringLiteral(" Bytes");
}

} // namespace

Tform_About::Tform_About(QWidget *parent)
    : FormWindow<QWidget>(parent), ui(new Ui::Tform_About())
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(301, 209);
}

void Tform_About::setVisible(bool visible)
{
    if (visible)
        buildContents();
    FormWindow<QWidget>::setVisible(visible);
}

void Tform_About::buildContents()
{
    // Built just before the first showing, so that the labels show with the box
    // (children made after it would stay hidden), yet a box that is never opened
    // costs no labels and none of their faces (Mincho among them).
    if (m_built)
        return;
    m_built = true;
    ui->setupUi(this);
    setFixedSize(301, 209);
    ui->lbl_WWW->setText(QString::fromLatin1(MakerHomePage));
    ui->lbl_EMail->setText(QString::fromLatin1(SupportMailAddress));
    ui->lbl_WWW->installEventFilter(this);
    ui->lbl_EMail->installEventFilter(this);
    connect(ui->OKButton, &QPushButton::clicked, this, &Tform_About::OKButtonClick);

    // A test label, revealed only in debug mode.
    ui->Comments->hide();
    applyLook();
}

Tform_About::~Tform_About()
{
    delete ui;
}

void Tform_About::applyLook()
{
    const QFont windowFont = programFont(WindowPixelSize);
    setFont(windowFont);

    for (const LabelLook &look : LabelLooks) {
        QLabel *label = ui->*look.label;
        QFont font = windowFont;
        if (look.family)
            font.setFamily(QString::fromUtf8(look.family));
        if (look.pixelSize)
            font.setPixelSize(look.pixelSize);
        font.setBold(look.bold);
        font.setItalic(look.italic);
        font.setUnderline(look.underline);
        label->setFont(font);

        if (look.ink != Ink::WindowText) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, look.ink == Ink::Blue ? Qt::blue : Qt::black);
            label->setPalette(palette);
        }
        if (look.sizesToText)
            sizeToText(label);
        else
            makeRoomForOneLine(label);
    }
    // The substitute face runs wider than the one the box was drawn for: the two
    // figures take the panel's full inner width so that they clear their captions,
    // and the product name's first half stops short of the second half's slant.
    for (QLabel *figure : {ui->lbl_Version, ui->lbl_Memory})
        figure->setGeometry(QRect(figure->pos(), QPoint(ui->Panel2->width() - 5, figure->geometry().bottom())));
    ui->ProductName->setContentsMargins(0, 0, ProductNameInset, 0);

    // Two lines of word-wrapped text are taller than the box drawn for them.
    ui->Comments->resize(ui->Comments->width(),
                         qMax(ui->Comments->height(), ui->Comments->heightForWidth(ui->Comments->width())));
}

void Tform_About::formShown()
{
    // Only a real hidden-to-visible change gathers the figures afresh, not a
    // window-system restore.
    if (!m_placed) {
        centreOnScreen(this);
        m_placed = true;
    }
    FormShow();
}

void Tform_About::FormShow()
{
    // Once shown, the test label stays for the rest of a debug-mode run.
    if (DebugMode)
        ui->Comments->show();

    GetSystemInfo();
    setFittedText(ui->lbl_Version, m_info.WinVersionStr);
    setFittedText(ui->lbl_Memory, memoryCaption(m_info.TotalMemory));
    ui->Version->setText(QStringLiteral("Version ") + m_info.FileVersionStr);
    sizeToText(ui->Version);
    setFittedText(ui->Copyright, QString::fromLatin1(CopyrightNotice));
}

void Tform_About::GetSystemInfo()
{
    // Windows reports a version record that the table names; other systems are
    // not in the table and give their own name, so the label is never blank.
    if (const std::optional<OsVersionRecord> record = m_queries.versionRecord()) {
        m_info.WinVersionStr = WinVersionText(record->platformId, record->minorVersion,
                                              record->buildNumber, m_info.WinVersionStr);
    } else {
        m_info.WinVersionStr = m_queries.prettyName();
    }

    // The full 64-bit figure: a 32-bit count stops at 4 GiB.
    m_info.TotalMemory = m_queries.totalMemory();

    // An unreadable version keeps the one read before.
    const QString fileVersion = m_queries.fileVersion();
    if (!fileVersion.isEmpty())
        m_info.FileVersionStr = fileVersion;
}

void Tform_About::OKButtonClick()
{
    close();
}

void Tform_About::lbl_WWWClick()
{
    openLink(QString::fromLatin1(MakerHomePage));
}

void Tform_About::lbl_EMailClick()
{
    openLink(QStringLiteral("mailto:") + QString::fromLatin1(SupportMailAddress));
}

void Tform_About::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the default button wherever the focus is. Esc is left alone:
    // the box has no cancel button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ui->OKButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Tform_About::eventFilter(QObject *watched, QEvent *event)
{
    // The link labels act on a left-button release over them, like a click.
    if (event->type() == QEvent::MouseButtonRelease && (watched == ui->lbl_WWW || watched == ui->lbl_EMail)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (watched == ui->lbl_WWW)
                lbl_WWWClick();
            else
                lbl_EMailClick();
        }
    }
    return QWidget::eventFilter(watched, event);
}
