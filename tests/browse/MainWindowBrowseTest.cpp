#include "FakeDialogs.h"
#include "FakeHelpViewer.h"
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "Screenshot.h"
#include "app/FrmMain.h"
#include "app/TextField.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "backup/RunRecord.h"
#include "platform/AppObject.h"
#include "platform/DateText.h"
#include "platform/Services.h"
#include "platform/linux/LinuxPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "MainWindowBrowseTest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(data), data.size());
}

// The real main window over real folders: C: and D: are folders of a
// temporary drive table, A: a removable drive with no medium; the lists open
// on C:\DATA.
class MainWindowBrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        guiApp();
        ASSERT_TRUE(m_tmp.isValid());
        const QString root = m_tmp.path();
        ASSERT_TRUE(QDir(root).mkpath("c/DATA/ACCT1"));
        ASSERT_TRUE(QDir(root).mkpath("c/DATA/ACCT2"));
        ASSERT_TRUE(QDir(root).mkpath("d"));
        ASSERT_TRUE(QDir(root).mkpath("config/qel-trekkel/dosdevices"));
        writeFile(root + "/c/DATA/ACCT1/PORT.HST", "12345");
        writeFile(root + "/c/DATA/ACCT1/ACCT1.CVT", "x");
        writeFile(root + "/c/DATA/TOP.HST", "top");
        const QString devices = root + "/config/qel-trekkel/dosdevices/";
        ASSERT_TRUE(QFile::link(root + "/c", devices + "c:"));
        ASSERT_TRUE(QFile::link(root + "/d", devices + "d:"));
        ASSERT_TRUE(QFile::link(root + "/no-medium", devices + "a:"));

        DriveTableSources sources = DriveTableSources::system();
        const QByteArray config = QFile::encodeName(root + "/config");
        const QByteArray start = QFile::encodeName(root + "/c/DATA");
        sources.configHome = [config] { return config; };
        sources.currentDir = [start] { return start; };
        m_platform = std::make_unique<LinuxPlatform>(sources, [] { return QDBusConnection(QString()); });
        m_record = std::make_unique<RunRecord>(root + "/backup.log");
        m_services = std::make_unique<Services>(Services{
            m_app, m_platform->drives(), m_platform->lister(), m_dialogs, m_registry, m_launcher,
            m_platform->scheduler(), [this] { return m_platform->makeFileSystemObject(); },
            *m_record});

        m_window = new FrmMain(*m_services, m_help);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
        m_dir1 = m_window->findChild<DirListBox*>("Dir1");
        m_file1 = m_window->findChild<FileListBox*>("File1");
        m_panel = m_window->findChild<MultiLineTextField*>("Txt_FileInfo");
        ASSERT_TRUE(m_dir1 && m_file1 && m_panel);
    }

    void TearDown() override { delete m_window.data(); }

    QString hostPath(const QString& relative) const { return m_tmp.path() + '/' + relative; }

    void doubleClickFolder(const QString& name) {
        const auto items = m_dir1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        m_dir1->scrollToItem(items[0]);
        const QPoint at = m_dir1->visualItemRect(items[0]).center();
        QTest::mouseClick(m_dir1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(m_dir1->viewport(), Qt::LeftButton, {}, at);
    }

    void clickFile(const QString& name) {
        const auto items = m_file1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        m_file1->scrollToItem(items[0]);
        QTest::mouseClick(m_file1->viewport(), Qt::LeftButton, {},
                          m_file1->visualItemRect(items[0]).center());
    }

    QStringList fileNames() const {
        QStringList names;
        for (int i = 0; i < m_file1->ListCount(); ++i)
            names << m_file1->List(i);
        return names;
    }

    QTemporaryDir m_tmp;
    AppObject m_app{"C:\\", 1, 0, 0};
    FakeDialogs m_dialogs;
    FakeHelpViewer m_help;
    FakeRegistry m_registry;
    FakeLauncher m_launcher;
    std::unique_ptr<LinuxPlatform> m_platform;
    std::unique_ptr<RunRecord> m_record;
    std::unique_ptr<Services> m_services;
    QPointer<FrmMain> m_window;
    DirListBox* m_dir1 = nullptr;
    FileListBox* m_file1 = nullptr;
    MultiLineTextField* m_panel = nullptr;
};

TEST_F(MainWindowBrowseTest, OpeningAFolderAndClickingAFileShowsItsFacts) {
    ASSERT_EQ(m_dir1->Path(), "C:\\DATA");
    EXPECT_EQ(fileNames(), QStringList{"TOP.HST"});
    clickFile("TOP.HST");
    ASSERT_FALSE(m_panel->Text().isEmpty());

    doubleClickFolder("ACCT1");

    EXPECT_EQ(m_dir1->Path(), "C:\\DATA\\ACCT1");
    EXPECT_EQ(m_file1->Path(), "C:\\DATA\\ACCT1");
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST"}));
    EXPECT_EQ(m_panel->Text(), "") << "a new folder empties the panel";

    clickFile("PORT.HST");

    const QFileInfo info(hostPath("c/DATA/ACCT1/PORT.HST"));
    const QString text = m_panel->Text();
    QStringList lines = text.split("\r\n");
    // A file system without birth times leaves the first line out.
    if (!lines.first().startsWith("Created: "))
        lines.prepend(QString());
    ASSERT_EQ(lines.size(), 7) << text.toStdString();
    EXPECT_EQ(lines[2], "Last Modified: " + dateText(info.lastModified()));
    EXPECT_TRUE(lines[1].startsWith("Last Accessed: "));
    EXPECT_EQ(lines[3], "Drive: C:");
    EXPECT_EQ(lines[4], "Size: 5 bytes");
    EXPECT_EQ(lines[5], "Path: C:\\DATA\\ACCT1\\PORT.HST");
    EXPECT_EQ(lines[6], "Short Name: PORT.HST");
    EXPECT_TRUE(m_dialogs.boxes().isEmpty());
    test::keepScreenshot(*m_window, "main-window-browsing.png");
}

TEST_F(MainWindowBrowseTest, VanishedFolderAndFileAreReportedAndTheWindowGoesOn) {
    ASSERT_TRUE(QDir(hostPath("c/DATA/ACCT2")).removeRecursively());
    m_dialogs.answer({Answer::OK});

    doubleClickFolder("ACCT2");

    ASSERT_EQ(m_dialogs.boxes().size(), 1);
    EXPECT_EQ(m_dialogs.boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(m_dialogs.boxes()[0].text, "Path not found");
    EXPECT_EQ(m_dialogs.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(m_dir1->Path(), "C:\\DATA");

    ASSERT_TRUE(QFile::remove(hostPath("c/DATA/TOP.HST")));
    m_dialogs.answer({Answer::OK});

    clickFile("TOP.HST");

    ASSERT_EQ(m_dialogs.boxes().size(), 2);
    EXPECT_EQ(m_dialogs.boxes()[1].text, "File not found");
    EXPECT_EQ(m_panel->Text(), "");

    doubleClickFolder("ACCT1");
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST"}));
}

TEST_F(MainWindowBrowseTest, DriveWithoutMediumFallsBackToTheSecondDrive) {
    auto* drive1 = m_window->findChild<DriveListBox*>("Drive1");
    ASSERT_TRUE(drive1);
    ASSERT_EQ(drive1->List(0), "a:");
    ASSERT_EQ(drive1->List(1), "C:");
    doubleClickFolder("ACCT1");
    m_dialogs.answer({Answer::Retry, Answer::Cancel});

    drive1->setCurrentIndex(0); // the user picks a:

    EXPECT_EQ(m_dialogs.texts(), QStringList(2, "Drive is not available."));
    EXPECT_EQ(drive1->Drive(), "C:");
    EXPECT_EQ(m_dir1->Path(), "C:\\DATA\\ACCT1") << "C: keeps its current folder";
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST"}));

    // A medium arrives: picking a: now shows its root.
    ASSERT_TRUE(QDir(m_tmp.path()).mkpath("no-medium"));
    writeFile(hostPath("no-medium/ACCT1.CVT"), "x");
    drive1->setCurrentIndex(0);
    EXPECT_EQ(m_dir1->Path(), drive1->Drive() + "\\") << "the letter as the drive list gives it";
    EXPECT_EQ(fileNames(), QStringList{"ACCT1.CVT"});
    EXPECT_EQ(m_dialogs.boxes().size(), 2);
}

} // namespace
} // namespace qel::test
