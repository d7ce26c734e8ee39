#include "AppHarness.h"
#include "Screenshot.h"
#include "app/FrmMain.h"
#include "app/TextField.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "platform/DateText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace qel::test {
namespace {

// The real main window over the harness's folders, A: a removable drive with
// no medium; the lists open on C:\DATA.
class MainWindowBrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.table.makeDir("c/DATA/ACCT2");
        h.table.makeFile("c/DATA/TOP.HST", "top");
        m_window = new FrmMain(h.services, h.help);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
        m_dir1 = m_window->findChild<DirListBox*>("Dir1");
        m_file1 = m_window->findChild<FileListBox*>("File1");
        m_panel = m_window->findChild<MultiLineTextField*>("Txt_FileInfo");
        ASSERT_TRUE(m_dir1 && m_file1 && m_panel);
    }

    void TearDown() override { delete m_window.data(); }

    QString hostPath(const QString& relative) const { return h.table.root() + '/' + relative; }

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

    AppHarness h{false};
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
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST", "WINCORV.EXE"}));
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
    EXPECT_EQ(lines[4], "Size: 3 bytes");
    EXPECT_EQ(lines[5], "Path: C:\\DATA\\ACCT1\\PORT.HST");
    EXPECT_EQ(lines[6], "Short Name: PORT.HST");
    EXPECT_TRUE(h.dialogs.boxes().isEmpty());
    test::keepScreenshot(*m_window, "main-window-browsing.png");
}

TEST_F(MainWindowBrowseTest, VanishedFolderAndFileAreReportedAndTheWindowGoesOn) {
    ASSERT_TRUE(QDir(hostPath("c/DATA/ACCT2")).removeRecursively());
    h.dialogs.answer({Answer::OK});

    doubleClickFolder("ACCT2");

    ASSERT_EQ(h.dialogs.boxes().size(), 1);
    EXPECT_EQ(h.dialogs.boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(h.dialogs.boxes()[0].text, "Path not found");
    EXPECT_EQ(h.dialogs.boxes()[0].icon, Icon::Exclamation);
    EXPECT_EQ(m_dir1->Path(), "C:\\DATA");

    ASSERT_TRUE(QFile::remove(hostPath("c/DATA/TOP.HST")));
    h.dialogs.answer({Answer::OK});

    clickFile("TOP.HST");

    ASSERT_EQ(h.dialogs.boxes().size(), 2);
    EXPECT_EQ(h.dialogs.boxes()[1].text, "File not found");
    EXPECT_EQ(m_panel->Text(), "");

    doubleClickFolder("ACCT1");
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST", "WINCORV.EXE"}));
}

TEST_F(MainWindowBrowseTest, DriveWithoutMediumFallsBackToTheSecondDrive) {
    auto* drive1 = m_window->findChild<DriveListBox*>("Drive1");
    ASSERT_TRUE(drive1);
    ASSERT_EQ(drive1->List(0), "a:");
    ASSERT_EQ(drive1->List(1), "C:");
    doubleClickFolder("ACCT1");
    h.dialogs.answer({Answer::Retry, Answer::Cancel});

    drive1->setCurrentIndex(0); // the user picks a:

    EXPECT_EQ(h.dialogs.texts(), QStringList(2, "Drive is not available."));
    EXPECT_EQ(drive1->Drive(), "C:");
    EXPECT_EQ(m_dir1->Path(), "C:\\DATA\\ACCT1") << "C: keeps its current folder";
    EXPECT_EQ(fileNames(), (QStringList{"ACCT1.CVT", "PORT.HST", "WINCORV.EXE"}));

    // A medium arrives: picking a: now shows its root.
    h.table.makeFile("no-such-folder-A/ACCT1.CVT", "x");
    drive1->setCurrentIndex(0);
    EXPECT_EQ(m_dir1->Path(), drive1->Drive() + "\\") << "the letter as the drive list gives it";
    EXPECT_EQ(fileNames(), QStringList{"ACCT1.CVT"});
    EXPECT_EQ(h.dialogs.boxes().size(), 2);
}

} // namespace
} // namespace qel::test
