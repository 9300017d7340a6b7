#include "aboutbox.h"
#include "ui_aboutbox.h"

#include "look.h"
#include "osversion.h"
#include "platform.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Pixel sizes cannot be written in a .ui file, so each label's type is set here.
enum class Ink { WindowText, Black, Blue };

struct LabelLook
{
    QLabel *Ui::AboutBox::*label;
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
    {&Ui::AboutBox::productNameStart, Gothic, 27, true, true, false, Ink::Black, false},
    {&Ui::AboutBox::versionLabel, nullptr, 15, true, false, false, Ink::WindowText, true},
    {&Ui::AboutBox::copyrightLabel, nullptr, 0, false, false, false, Ink::WindowText, false},
    {&Ui::AboutBox::descriptionLabel, Gothic, 12, false, false, false, Ink::Black, true},
    {&Ui::AboutBox::homePageLink, Gothic, 12, false, false, true, Ink::Blue, true},
    {&Ui::AboutBox::mailLink, Gothic, 12, false, false, true, Ink::Blue, true},
    {&Ui::AboutBox::windowsVersionCaption, nullptr, 0, false, false, false, Ink::WindowText, true},
    {&Ui::AboutBox::windowsVersionLabel, Gothic, 12, false, false, false, Ink::Black, false},
    {&Ui::AboutBox::memoryCaption, nullptr, 0, false, false, false, Ink::WindowText, true},
    {&Ui::AboutBox::memoryLabel, Gothic, 12, false, false, false, Ink::Black, false},
    {&Ui::AboutBox::makerLabel, nullptr, 0, true, false, false, Ink::WindowText, true},
    {&Ui::AboutBox::productNameEnd, Mincho, 35, true, true, false, Ink::Black, false},
    {&Ui::AboutBox::commentsLabel, nullptr, 0, true, false, false, Ink::WindowText, false},
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

AboutBox::AboutBox(bool debugMode, SystemQueries queries, QWidget *parent)
    : QWidget(parent), ui(new Ui::AboutBox()), m_queries(std::move(queries)), m_debugMode(debugMode)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(301, 209);
    ui->homePageLink->setText(QString::fromLatin1(MakerHomePage));
    ui->mailLink->setText(QString::fromLatin1(SupportMailAddress));
    ui->homePageLink->installEventFilter(this);
    ui->mailLink->installEventFilter(this);
    connect(ui->okButton, &QPushButton::clicked, this, &QWidget::close); // closing only hides the box
    ui->commentsLabel->hide(); // a test label, revealed only in debug mode
    applyLook();
}

AboutBox::~AboutBox()
{
    delete ui;
}

void AboutBox::applyLook()
{
    const QFont windowFont = programFont(WindowPixelSize);
    setFont(windowFont);

    for (const LabelLook &look : LabelLooks) {
        QLabel *label = ui->*look.label;
        QFont font = windowFont;
        if (look.family)
            font.setFamily(installedFace(QString::fromUtf8(look.family)));
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
    for (QLabel *figure : {ui->windowsVersionLabel, ui->memoryLabel})
        figure->setGeometry(QRect(figure->pos(), QPoint(ui->systemPanel->width() - 5, figure->geometry().bottom())));
    ui->productNameStart->setContentsMargins(0, 0, ProductNameInset, 0);

    // Two lines of word-wrapped text are taller than the box drawn for them.
    ui->commentsLabel->resize(ui->commentsLabel->width(),
                         qMax(ui->commentsLabel->height(), ui->commentsLabel->heightForWidth(ui->commentsLabel->width())));
}

void AboutBox::setVisible(bool visible)
{
    if (visible && !testAttribute(Qt::WA_WState_Created)) // its first showing
        centreOnScreen(this);
    QWidget::setVisible(visible);
}

// Only a real hidden-to-visible change gathers the figures afresh, not the
// window system's restore from minimised.
void AboutBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Once shown, the test label stays for the rest of a debug-mode run.
    if (m_debugMode)
        ui->commentsLabel->show();

    readSystemInfo();
    setFittedText(ui->windowsVersionLabel, m_info.windowsVersion);
    setFittedText(ui->memoryLabel, memoryCaption(m_info.totalMemory));
    ui->versionLabel->setText(QStringLiteral("Version ") + m_info.fileVersion);
    sizeToText(ui->versionLabel);
    setFittedText(ui->copyrightLabel, QString::fromLatin1(CopyrightNotice));
}

void AboutBox::readSystemInfo() // GetSystemInfo
{
    // Windows reports a version record that the table names; other systems are
    // not in the table and give their own name, so the label is never blank.
    if (const std::optional<OsVersionRecord> record = m_queries.versionRecord()) {
        m_info.windowsVersion = windowsVersionText(record->platformId, record->minorVersion,
                                              record->buildNumber, m_info.windowsVersion);
    } else {
        m_info.windowsVersion = m_queries.prettyName();
    }

    // The full 64-bit figure: a 32-bit count stops at 4 GiB.
    m_info.totalMemory = m_queries.totalMemory();

    // An unreadable version keeps the one read before.
    const QString fileVersion = m_queries.fileVersion();
    if (!fileVersion.isEmpty())
        m_info.fileVersion = fileVersion;
}

void AboutBox::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the default button wherever the focus is. Esc is left alone:
    // the box has no cancel button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ui->okButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    // The link labels act on a left-button release over them, like a click.
    if (event->type() == QEvent::MouseButtonRelease && (watched == ui->homePageLink || watched == ui->mailLink)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            emit linkActivated(watched == ui->homePageLink
                                   ? QString::fromLatin1(MakerHomePage)
                                   : QStringLiteral("mailto:") + QString::fromLatin1(SupportMailAddress));
        }
    }
    return QWidget::eventFilter(watched, event);
}
