#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;

namespace qel {

class BackupRun;
class DirListBox;
class DriveListBox;
class FileListBox;
class FileSystemObject;
class HelpViewer;
class MultiLineTextField;
class SourceBrowser;
class TextField;
class frmAbout;
class frmBackup;
class frmDefaults;
struct Services;

// The main window: the source lists, the destination drive, the backup
// button and the menu. Closing it by its close box unloads it without a
// question; it deletes itself once no handler of it is running any more.
class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    FrmMain(Services& services, HelpViewer& help);
    ~FrmMain() override;

    // Probes the destination drive; run once, before the window is shown.
    void Form_Load();
    // Re-reads both drive lists, keeping their selections; raises no Change.
    void refreshDrives();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Dir1_OpenFailed(int number, const QString& description);
    void cmd_BackupDefault_Click();
    void Mnu_Defaults_Click();
    void Hlp_Contents_Click();
    void Hlp_About_Click();
    // Asks first; on Yes closes every window of the program, shown or hidden,
    // and leaves the event loop.
    void Cmd_exit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Busy;

    void buildControls();
    void buildMenu();
    void connectHandlers();
    void endProgram();
    FileSystemObject& fileSystemObject();

    Services& m_services;
    HelpViewer& m_help;
    std::unique_ptr<FileSystemObject> m_fso;
    std::unique_ptr<frmBackup> m_frmBackup;
    std::unique_ptr<SourceBrowser> m_browser;
    std::unique_ptr<BackupRun> m_backupRun;
    QPointer<frmDefaults> m_frmDefaults;
    QPointer<frmAbout> m_frmAbout;
    // Handlers on the stack (a backup run yields to the event loop, so a close
    // can arrive in the middle of one); the window is deleted only at zero.
    int m_busy = 0;
    bool m_closed = false;

    TextField* m_Text1 = nullptr;
    DriveListBox* m_Drive2 = nullptr;
    QPushButton* m_cmd_BackupDefault = nullptr;
    QPushButton* m_Cmd_exit = nullptr;
    QPushButton* m_Cmd_ViewFile = nullptr;
    QCheckBox* m_Check1 = nullptr;
    MultiLineTextField* m_Txt_FileInfo = nullptr;
    DriveListBox* m_Drive1 = nullptr;
    FileListBox* m_File1 = nullptr;
    DirListBox* m_Dir1 = nullptr;
    QPushButton* m_cmd_BackupNow = nullptr;
    QLabel* m_Label5x = nullptr;
    QLabel* m_Label4 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label1 = nullptr;

    QAction* m_Mnu_Defaults = nullptr;
    QMenu* m_Mnu_Help = nullptr;
    QAction* m_Hlp_Contents = nullptr;
    QAction* m_Mnu_Seperator = nullptr;
    QAction* m_Hlp_About = nullptr;
};

} // namespace qel
