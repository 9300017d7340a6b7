#pragma once

#include "formsupport.h"

#include "platform.h"

#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
namespace Ui { class Tform_About; }

// Where the maker is reached. The link labels show these and open them.
inline constexpr char MakerHomePage[] = "https://www.example.com/hinokiworks/";
inline constexpr char SupportMailAddress[] = "support@example.com";
inline constexpr char CopyrightNotice[] = "Copyright (C) 2026 HinokiWorks";


// The version box: product, file version, platform and memory, and the links to
// the maker. Modeless; closing it only hides it.
class Tform_About : public FormWindow<QWidget>
{
    Q_OBJECT

public:
    explicit Tform_About(QWidget *parent = nullptr);
    ~Tform_About() override;

    // What the box last gathered from the system.
    struct SystemInfo
    {
        QString WinVersionStr;
        quint64 TotalMemory = 0;
        QString FileVersionStr;
    };
    const SystemInfo &systemInfo() const { return m_info; }

    // The questions GetSystemInfo asks the platform; tests substitute their own.
    struct SystemQueries
    {
        std::function<std::optional<OsVersionRecord>()> versionRecord = osVersionRecord;
        std::function<QString()> prettyName = osPrettyName;
        std::function<quint64()> totalMemory = totalPhysicalMemory;
        std::function<QString()> fileVersion = programFileVersion;
    };
    void setSystemQueries(SystemQueries queries) { m_queries = std::move(queries); }

    void FormShow();
    void GetSystemInfo();
    void setVisible(bool visible) override;

public slots:
    void OKButtonClick();
    void lbl_WWWClick();
    void lbl_EMailClick();

protected:
    void formShown() override;

private:
    void buildContents();
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyLook();
    Ui::Tform_About *ui;
    SystemInfo m_info;
    SystemQueries m_queries;
    bool m_built = false;
    bool m_placed = false;
};

extern Tform_About *form_About;
