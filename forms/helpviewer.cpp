#include "helpviewer.h"

#include "look.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

const char HelpViewer::contentsUrl[] = "qrc:/help/index.html";

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Mochiten ヘルプ"));
    setWindowIcon(programIcon(":/icons/help.png"));
    setFont(programFont(14));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    // We follow links ourselves: the browser would try to show a web page in place.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const QUrl url = m_browser->source().resolved(link);
        if (url.scheme() == QLatin1String("qrc"))
            m_browser->setSource(url);
        else
            emit linkActivated(url.toString()); // web and mail links belong to the desktop
    });
    resize(560, 600);
}

void HelpViewer::showContents()
{
    m_browser->setSource(QUrl(QLatin1String(contentsUrl)));
    m_browser->moveCursor(QTextCursor::Start);
    m_browser->verticalScrollBar()->setValue(0);
    show();
    raise();
    activateWindow();
}
