#include "Formlog.h"
#include "ui_Formlog.h"

#include "formsupport.h"
#include "platform.h"
#include "setting.h"

#include <QLayout>
#include <QPlainTextEdit>
#include <QToolButton>

Tform_Log *form_Log = nullptr;

namespace {

constexpr int WindowPixelSize = 12;
constexpr int MemoPixelSize = 15;

} // namespace

Tform_Log::Tform_Log(QWidget *parent)
    : FormWindow<QWidget>(parent), ui(new Ui::Tform_Log)
{
    ui->setupUi(this);
    // A tool window: small caption bar, no task-bar button, resizable.
    setWindowFlags(Qt::Tool);
    setMinimumSize(1, 1);

    setFont(programFont(WindowPixelSize));
    ui->ToolButton2->setIcon(programIcon(":/icons/tool1.png"));
    ui->ToolButton3->setIcon(programIcon(":/icons/tool2.png"));

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
}

void Tform_Log::setVisible(bool visible)
{
    // The memo is made when the window is first shown: a memo lays out its page
    // as it is made, in the system's default face, which a log window never
    // opened should not load.
    if (visible && !m_memo) {
        m_memo = new QPlainTextEdit(this);
        m_memo->setObjectName(QStringLiteral("memo_Log"));
        m_memo->setFont(programFont(MemoPixelSize));
        layout()->addWidget(m_memo);
    }
    FormWindow<QWidget>::setVisible(visible);
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
    if (windowPlacementWorks()) {
        keepUnlessChanged(s.Window_Log_Window_Left, x(), place.x());
        keepUnlessChanged(s.Window_Log_Window_Top, y(), place.y());
    }
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

void Tform_Log::formShown()
{
    FormShow();
    // Centred with the size just restored. A minimised window is still the
    // user's; only a real hide records it (FormHide).
    if (m_centreAtFirstShow && !m_shownBefore)
        centreOnScreen(this);
    m_shownBefore = true;
}
