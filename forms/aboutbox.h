#pragma once

#include "platform.h"

#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
namespace Ui { class AboutBox; }

// Where the maker is reached. The link labels show these and open them.
inline constexpr char MakerHomePage[] = "https://www.example.com/hinokiworks/";
inline constexpr char SupportMailAddress[] = "support@example.com";
inline constexpr char CopyrightNotice[] = "Copyright (C) 2026 HinokiWorks";

// The questions the About box asks the system at each showing; tests give their own.
struct SystemQueries
{
    std::function<std::optional<OsVersionRecord>()> versionRecord = osVersionRecord;
    std::function<QString()> prettyName = osPrettyName;
    std::function<quint64()> totalMemory = totalPhysicalMemory;
    std::function<QString()> fileVersion = programFileVersion;
};

// The version box: product, file version, platform and memory, and the links to
// the maker. Modeless; closing it only hides it.
class AboutBox : public QWidget
{
    Q_OBJECT

public:
    // debugMode reveals the test label "Comments: TestVersion".
    explicit AboutBox(bool debugMode, SystemQueries queries = {}, QWidget *parent = nullptr);
    ~AboutBox() override;

    void setVisible(bool visible) override;

signals:
    // A link label was clicked: the web address, or the "mailto:" link.
    void linkActivated(const QString &url);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readSystemInfo();
    void applyLook();

    // What the box last gathered from the system.
    struct SystemInfo
    {
        QString windowsVersion; // WinVersionStr
        quint64 totalMemory = 0;
        QString fileVersion;    // FileVersionStr
    };

    Ui::AboutBox *ui;
    SystemInfo m_info;
    const SystemQueries m_queries;
    const bool m_debugMode;
};
