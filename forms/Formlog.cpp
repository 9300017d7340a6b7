#include "Formlog.h"
#include "ui_Formlog.h"

#include "setting.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>

Tform_Log *form_Log = nullptr;

namespace {

constexpr int WindowPixelSize = 12;
constexpr int MemoPixelSize = 15;
const char Gothic[] = "ＭＳ Ｐゴシック";

// Stored values are applied as they are, except what the window system cannot
// take: X11 keeps coordinates in 16 bits, and a window needs at least one pixel
// each way (a zero-sized one is never mapped). Sizes stop at 8192: a window
// drawn at the X11 limit of 32767 would take gigabytes of memory to paint.
constexpr int CoordinateLimit = 32767;
constexpr int SizeLimit = 8192;

QPoint representablePosition(qint32 left, qint32 top)
{
    return QPoint(qBound(-CoordinateLimit, left, CoordinateLimit),
                  qBound(-CoordinateLimit, top, CoordinateLimit));
}

QSize representableSize(qint32 width, qint32 height)
{
    return QSize(qBound(1, width, SizeLimit), qBound(1, height, SizeLimit));
}

// Only what is applied is bounded: while the window keeps what a stored value
// gave it, that value is kept as it was stored.
void keepUnlessChanged(qint32 &stored, int now, int applied)
{
    if (now != applied)
        stored = now;
}

} // namespace

Tform_Log::Tform_Log(QWidget *parent)
    : QWidget(parent), ui(new Ui::Tform_Log)
{
    ui->setupUi(this);
    // A tool window: small caption bar, no task-bar button, resizable.
    setWindowFlags(Qt::Tool);
    setMinimumSize(1, 1);

    QFont windowFont(QString::fromUtf8(Gothic));
    windowFont.setPixelSize(WindowPixelSize);
    setFont(windowFont);
    QFont memoFont = windowFont;
    memoFont.setPixelSize(MemoPixelSize);
    ui->memo_Log->setFont(memoFont);

    FormCreate();
}

Tform_Log::~Tform_Log()
{
    delete ui;
}

void Tform_Log::FormCreate()
{
    // Remembered position (FormShow applies it), or centred at the first showing.
    m_centreAtFirstShow = !Setting.Window_Log_SaveWindowPos;

    // Until it is first shown the window holds the remembered geometry, so that
    // the exit sequence stores back what was loaded rather than a default.
    move(representablePosition(Setting.Window_Log_Window_Left, Setting.Window_Log_Window_Top));
    resize(representableSize(Setting.Window_Log_Window_Width, Setting.Window_Log_Window_Height));

    // A stored 1 means: do not open at start.
    if (!Setting.Window_Log_OpenWindowAtBoot)
        show();

    ui->memo_Log->clear();
}

void Tform_Log::FormShow()
{
    if (Setting.Window_Log_SaveWindowPos)
        move(representablePosition(Setting.Window_Log_Window_Left, Setting.Window_Log_Window_Top));
    // The client size comes back whether or not the position does.
    resize(representableSize(Setting.Window_Log_Window_Width, Setting.Window_Log_Window_Height));
    setToolBarFlat(Setting.ButtonFlat);
}

void Tform_Log::FormHide()
{
    // Stored at every hide, even while positions are not restored.
    TSetting &s = Setting;
    const QPoint place = representablePosition(s.Window_Log_Window_Left, s.Window_Log_Window_Top);
    const QSize size = representableSize(s.Window_Log_Window_Width, s.Window_Log_Window_Height);
    keepUnlessChanged(s.Window_Log_Window_Left, x(), place.x());
    keepUnlessChanged(s.Window_Log_Window_Top, y(), place.y());
    keepUnlessChanged(s.Window_Log_Window_Height, height(), size.height());
    keepUnlessChanged(s.Window_Log_Window_Width, width(), size.width());
}

void Tform_Log::setToolBarFlat(bool flat)
{
    // A flat tool bar's buttons rise only under the mouse.
    for (QAction *action : ui->tbar_Command->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(ui->tbar_Command->widgetForAction(action)))
            button->setAutoRaise(flat);
    }
}

void Tform_Log::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(screen->availableGeometry().center() - rect().center());
}

void Tform_Log::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    // Centred with the size just restored.
    if (m_centreAtFirstShow && !m_shownBefore)
        centreOnScreen();
    m_shownBefore = true;
}

void Tform_Log::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A minimised window is still the user's; only a real hide records it.
    if (!event->spontaneous())
        FormHide();
}
