#pragma once

#include <QWidget>

class QTextBrowser;

// The program's help: our own Japanese pages from the resources, shown in a
// plain browser window. Links within the help stay here; web and mail links are
// reported.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows the window at the start of the contents page and brings it forward.
    void showContents();

signals:
    // A web or mail link, which the desktop opens.
    void linkActivated(const QString &url);

private:
    static const char contentsUrl[];
    QTextBrowser *m_browser;
};
