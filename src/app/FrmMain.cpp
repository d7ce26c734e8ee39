#include "app/FrmMain.h"

#include "app/DestinationProbe.h"
#include "app/ExitConfirmation.h"
#include "app/TextField.h"
#include "backup/BackupRun.h"
#include "backup/RunRecord.h"
#include "backup/frmBackup.h"
#include "backup/frmDefaults.h"
#include "browse/SourceBrowser.h"
#include "controls/AccessibleLabel.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "controls/FormLayout.h"
#include "help/ContextHelp.h"
#include "help/HelpContents.h"
#include "help/frmAbout.h"
#include "platform/AppObject.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/FileSystemObject.h"
#include "platform/Services.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace qel {

namespace {

constexpr int CantCreateObject = 429;

} // namespace

// Counts a handler while it runs and deletes a window closed meanwhile once
// the outermost handler has returned.
class FrmMain::Busy {
public:
    explicit Busy(FrmMain& form)
        : m_form(form) {
        ++m_form.m_busy;
    }
    ~Busy() {
        if (--m_form.m_busy == 0 && m_form.m_closed)
            m_form.deleteLater();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    FrmMain& m_form;
};

FrmMain::FrmMain(Services& services, HelpViewer& help)
    : m_services(services)
    , m_help(help) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Qel Trekkel"));
    // No icon of its own: the application's icon is the same picture, and
    // reading the picture again would be paid before the first paint.
    setProperty("HelpContextID", 130);
    setProperty("Tag", QStringLiteral("This is where all the activity occurs. Selecting the QEL "
                                      "directories and files to be backed up. Executing the "
                                      "backup."));
    setFont(classicFont(8.25));
    keepCaptionsWhole(this);

    m_frmBackup = std::make_unique<frmBackup>(services.drives, this);
    buildControls();
    buildMenu();

    auto fso = [this]() -> FileSystemObject& { return fileSystemObject(); };
    m_browser = std::make_unique<SourceBrowser>(*m_Drive1, *m_Dir1, *m_File1, *m_Txt_FileInfo,
                                                services.dialogs, fso);
    m_backupRun = std::make_unique<BackupRun>(*m_File1, *m_Dir1, *m_Drive2, *m_frmBackup,
                                              services.dialogs, services.app, fso);
    connectHandlers();

    // The file list opens on the folder the directory list shows; a folder it
    // cannot read leaves it empty.
    try {
        m_File1->setPath(m_Dir1->Path());
    } catch (const Error&) {
    }

    // The client area below the menu bar is the layout's size.
    resize(twips(10275), twips(7350) + menuBar()->sizeHint().height());
    m_Dir1->setFocus();
}

FrmMain::~FrmMain() {
    // The controls outlive the handlers' helpers by a moment (Qt deletes
    // children last); no signal of theirs may reach a handler meanwhile.
    const QList<QObject*> senders{m_Drive1,   m_Dir1,         m_File1,        m_cmd_BackupDefault,
                                  m_Cmd_exit, m_Mnu_Defaults, m_Hlp_Contents, m_Hlp_About};
    for (QObject* sender : senders)
        disconnect(sender, nullptr, this, nullptr);
}

void FrmMain::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    Drives& drives = m_services.drives;
    const DirectoryLister& lister = m_services.lister;

    // Created back to front, so overlapping controls stack as laid out.
    m_Text1 = place(new TextField(client), "Text1", twipsRect(3000, 6960, 5175, 285));
    m_Text1->setFocusPolicy(Qt::NoFocus);
    QPalette text1Palette = m_Text1->palette();
    text1Palette.setColor(QPalette::Base, activeBorderColour());
    m_Text1->setPalette(text1Palette);
    m_Text1->setAccessibleName(QStringLiteral("Status line"));

    m_Drive2 = place(new DriveListBox(drives, client), "Drive2", twipsRect(6720, 120, 2415, 315));
    m_Drive2->setToolTip(QStringLiteral("Destination of backup files"));

    m_cmd_BackupDefault = makeButton(
        client, "cmd_BackupDefault", QStringLiteral("Backup QEL Files"),
        twipsRect(3840, 2640, 1815, 495), QStringLiteral("Backup Corvane QEL data files"));
    m_Cmd_exit = makeButton(client, "Cmd_exit", QStringLiteral("Exit"),
                            twipsRect(8280, 6840, 1695, 375), QStringLiteral("Exit the program"));
    m_Cmd_ViewFile =
        makeButton(client, "Cmd_ViewFile", QStringLiteral("View this File"),
                   twipsRect(7800, 4440, 1695, 375), QStringLiteral("View last selected file"));
    m_Cmd_ViewFile->setEnabled(false);

    m_Check1 =
        place(new QCheckBox(QStringLiteral("Save current directory as startup default?"), client),
              "Check1", twipsRect(120, 4080, 3255, 255));
    m_Check1->setEnabled(false);

    m_Txt_FileInfo =
        place(new MultiLineTextField(client), "Txt_FileInfo", twipsRect(120, 4440, 7455, 1575));
    m_Txt_FileInfo->setAccessibleName(QStringLiteral("File information"));

    m_Drive1 = place(new DriveListBox(drives, client), "Drive1", twipsRect(120, 960, 2055, 315));
    m_Drive1->setToolTip(QStringLiteral("Which drive are the files on?"));

    m_File1 = place(new FileListBox(lister, client), "File1", twipsRect(6720, 1800, 3255, 2040));
    m_File1->setToolTip(QStringLiteral("Which SPECIFIC files do you want backed up?  Select all."));

    m_Dir1 =
        place(new DirListBox(drives, lister, client), "Dir1", twipsRect(120, 1800, 3255, 2115));
    m_Dir1->setToolTip(QStringLiteral("Which directory has the files to be backed up?"));

    m_cmd_BackupNow = makeButton(client, "cmd_BackupNow", QStringLiteral("Backup Now"),
                                 twipsRect(0, 6840, 2295, 375),
                                 QStringLiteral("Backup selected files to the destination drive"));
    m_cmd_BackupNow->setVisible(false);

    m_Label5x = makeLabel(client, "Label5x",
                          QStringLiteral("Copyright \u00A9 QEL Trekkel. All rights reserved."),
                          twipsRect(3600, 840, 5415, 255));
    m_Label5x->setFont(classicFont(8.25, true, true));
    QPalette redText = m_Label5x->palette();
    redText.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_Label5x->setPalette(redText);
    m_Label5x->setVisible(false);

    m_Label4 = makeLabel(client, "Label4", QStringLiteral("Select the source drive"),
                         twipsRect(120, 720, 1935, 255));
    m_Label3 = makeLabel(client, "Label3", QStringLiteral("Select the files"),
                         twipsRect(6720, 1440, 2895, 255));
    m_Label3->setEnabled(false);
    m_Label2 = makeLabel(client, "Label2", QStringLiteral("Select the directory with QEL files"),
                         twipsRect(120, 1560, 3255, 255));
    m_Label1 = makeLabel(client, "Label1",
                         QStringLiteral("Select the files to copy to the destination drive  ==>"),
                         twipsRect(120, 120, 6375, 375));
    m_Label1->setFont(classicFont(12, true));

    // A screen reader reads each list by the label that describes it (the
    // arrow of Label1 points at the destination list).
    describeBy(m_Label4, m_Drive1);
    describeBy(m_Label2, m_Dir1);
    describeBy(m_Label3, m_File1);
    describeBy(m_Label1, m_Drive2);

    // Tab order by tab index; labels, hidden and disabled controls and Text1
    // never take the focus, which leaves Dir1, File1, Drive1, Txt_FileInfo,
    // Cmd_exit, cmd_BackupDefault, Drive2.
    const QList<QWidget*> tabOrder{m_cmd_BackupNow,     m_Dir1,   m_File1,        m_Drive1,
                                   m_Txt_FileInfo,      m_Check1, m_Cmd_ViewFile, m_Cmd_exit,
                                   m_cmd_BackupDefault, m_Drive2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void FrmMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    m_Mnu_Defaults = bar->addAction(QStringLiteral("Defaults"));
    m_Mnu_Defaults->setObjectName(QStringLiteral("Mnu_Defaults"));
    m_Mnu_Defaults->setProperty("HelpContextID", 310);

    m_Mnu_Help = bar->addMenu(QStringLiteral("Help"));
    m_Mnu_Help->setObjectName(QStringLiteral("Mnu_Help"));
    m_Mnu_Help->setProperty("HelpContextID", 320);
    m_Mnu_Help->menuAction()->setProperty("HelpContextID", 320);

    m_Hlp_Contents = m_Mnu_Help->addAction(QStringLiteral("Contents"));
    m_Hlp_Contents->setObjectName(QStringLiteral("Hlp_Contents"));
    m_Mnu_Seperator = m_Mnu_Help->addSeparator();
    m_Mnu_Seperator->setObjectName(QStringLiteral("Mnu_Seperator"));
    m_Hlp_About = m_Mnu_Help->addAction(QStringLiteral("About"));
    m_Hlp_About->setObjectName(QStringLiteral("Hlp_About"));
}

void FrmMain::connectHandlers() {
    connect(m_Drive1, &DriveListBox::Change, this, &FrmMain::Drive1_Change);
    connect(m_Dir1, &DirListBox::Change, this, &FrmMain::Dir1_Change);
    connect(m_Dir1, &DirListBox::failed, this, &FrmMain::Dir1_OpenFailed);
    connect(m_File1, &FileListBox::Click, this, &FrmMain::File1_Click);
    connect(m_cmd_BackupDefault, &QPushButton::clicked, this, &FrmMain::cmd_BackupDefault_Click);
    connect(m_Cmd_exit, &QPushButton::clicked, this, &FrmMain::Cmd_exit_Click);
    connect(m_Mnu_Defaults, &QAction::triggered, this, &FrmMain::Mnu_Defaults_Click);
    connect(m_Hlp_Contents, &QAction::triggered, this, &FrmMain::Hlp_Contents_Click);
    connect(m_Hlp_About, &QAction::triggered, this, &FrmMain::Hlp_About_Click);
}

FileSystemObject& FrmMain::fileSystemObject() {
    if (!m_fso) {
        m_fso = m_services.makeFileSystemObject();
        if (!m_fso)
            throw Error(CantCreateObject, QStringLiteral("ActiveX component can't create object"));
    }
    return *m_fso;
}

void FrmMain::Form_Load() {
    probeDestination(*m_Drive2, m_services.dialogs);
}

void FrmMain::refreshDrives() {
    m_Drive1->refresh();
    m_Drive2->refresh();
}

void FrmMain::Drive1_Change() {
    Busy busy(*this);
    m_browser->Drive1_Change();
}

void FrmMain::Dir1_Change() {
    Busy busy(*this);
    m_browser->Dir1_Change();
}

void FrmMain::File1_Click() {
    Busy busy(*this);
    m_browser->File1_Click();
}

void FrmMain::Dir1_OpenFailed(int number, const QString& description) {
    Busy busy(*this);
    m_browser->Dir1_OpenFailed(number, description);
}

void FrmMain::cmd_BackupDefault_Click() {
    Busy busy(*this);
    // A record that cannot be written costs the user nothing now; the window
    // keeps to its own messages.
    QString unrecorded;
    runRecorded(*m_backupRun, m_services.record, unrecorded);
}

void FrmMain::Mnu_Defaults_Click() {
    Busy busy(*this);
    if (!m_frmDefaults)
        m_frmDefaults = new frmDefaults();
    m_frmDefaults->show();
    m_frmDefaults->raise();
    m_frmDefaults->activateWindow();
}

void FrmMain::Hlp_Contents_Click() {
    Busy busy(*this);
    qel::Hlp_Contents_Click(m_services.app, m_help, m_services.dialogs, windowTitle(),
                            qel::windowHandle(this));
}

void FrmMain::Hlp_About_Click() {
    Busy busy(*this);
    if (!m_frmAbout)
        m_frmAbout = new frmAbout(m_services, this);
    m_frmAbout->show();
    m_frmAbout->raise();
    m_frmAbout->activateWindow();
}

void FrmMain::Cmd_exit_Click() {
    Busy busy(*this);
    if (confirmExit(m_services.dialogs, m_services.app))
        endProgram();
}

void FrmMain::endProgram() {
    // Every window of the program goes, hidden ones included; those that
    // delete themselves on close do so once the event loop has them.
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget != this && (type == Qt::Window || type == Qt::Dialog))
            windows << widget;
    }
    for (const QPointer<QWidget>& window : windows)
        if (window)
            window->close();
    close();
    QCoreApplication::quit();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    if (m_busy == 0)
        deleteLater();
}

} // namespace qel
