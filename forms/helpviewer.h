#pragma once

#include <QWidget>

class QTextBrowser;

// The program's help: our own Japanese pages from the resources, shown in a
// plain browser window. Links within the help stay here; web and mail links go
// to the desktop.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows the window at the start of the contents page and brings it forward.
    void showContents();

    QTextBrowser *browser() const { return m_browser; }

    static const char contentsUrl[];

private:
    QTextBrowser *m_browser;
};
