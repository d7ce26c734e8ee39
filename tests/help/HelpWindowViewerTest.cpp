#include "help/HelpWindowViewer.h"

#include "GuiApp.h"
#include "Screenshot.h"
#include "TempDriveTable.h"
#include "help/HelpWindow.h"
#include "platform/linux/LinuxDrives.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <memory>

namespace qel {
namespace {

QByteArray realDocument() {
    QFile file(QStringLiteral(QEL_HELP_DOCUMENT));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << QEL_HELP_DOCUMENT;
    return file.readAll();
}

// Where the block that holds anchor begins, in document coordinates; -1 when none.
int anchorTop(const QTextDocument& document, const QString& anchor) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        bool found = block.charFormat().anchorNames().contains(anchor);
        for (auto it = block.begin(); !found && !it.atEnd(); ++it)
            found = it.fragment().charFormat().anchorNames().contains(anchor);
        if (found)
            return int(document.documentLayout()->blockBoundingRect(block).top());
    }
    return -1;
}

class HelpWindowViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        m_table.addDrive('C', m_table.makeDir("c"));
        m_table.addDanglingDrive('A');
        m_table.makeFile("c/Apps/qeltrkl.HLP", realDocument());
        m_drives = std::make_unique<LinuxDrives>();
        m_viewer = std::make_unique<HelpWindowViewer>(*m_drives);
    }

    QString shownText() const { return m_viewer->window()->browser()->toPlainText(); }
    bool reportsFailureOf(const QString& shownName) const {
        return shownText().contains(shownName + " cannot be opened");
    }
    int scroll() const { return m_viewer->window()->browser()->verticalScrollBar()->value(); }

    test::TempDriveTable m_table;
    std::unique_ptr<LinuxDrives> m_drives;
    std::unique_ptr<HelpWindowViewer> m_viewer;
};

TEST_F(HelpWindowViewerTest, ContentsOpenInOneWindowThatIsReused) {
    m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
    HelpWindow* window = m_viewer->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "QEL Trekkel Help");
    EXPECT_TRUE(shownText().contains("Backup QEL Files"));
    EXPECT_FALSE(reportsFailureOf("C:\\Apps\\qeltrkl.HLP"));

    m_viewer->showTopic(1, "C:\\Apps\\qeltrkl.HLP", 3);
    EXPECT_GT(scroll(), 0);
    m_viewer->showContents(2, "C:\\Apps\\qeltrkl.HLP");
    EXPECT_EQ(m_viewer->window(), window);
    EXPECT_EQ(scroll(), 0);
}

TEST_F(HelpWindowViewerTest, EveryNumberTheWindowsCarryHasItsTopic) {
    m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
    QTextBrowser* browser = m_viewer->window()->browser();
    const int maximum = browser->verticalScrollBar()->maximum();
    for (int id : {130, 310, 320, 4, 110, 1, 410, 3}) {
        const QString anchor = QStringLiteral("ctx%1").arg(id);
        SCOPED_TRACE(anchor.toStdString());
        m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
        m_viewer->showTopic(1, "C:\\Apps\\qeltrkl.HLP", id);
        const int top = anchorTop(*browser->document(), anchor);
        ASSERT_GE(top, 0);
        // The topic is scrolled to the top, or as far as the document goes.
        EXPECT_NEAR(scroll(), std::min(top, maximum), 40);
    }
}

TEST_F(HelpWindowViewerTest, UnknownTopicShowsTheContents) {
    m_viewer->showTopic(1, "C:\\Apps\\qeltrkl.HLP", 3);
    m_viewer->showTopic(1, "C:\\Apps\\qeltrkl.HLP", 9999);
    EXPECT_EQ(scroll(), 0);
    EXPECT_TRUE(shownText().contains("Backup QEL Files"));
}

TEST_F(HelpWindowViewerTest, DocumentThatCannotBeOpenedIsReportedInsideTheWindow) {
    m_table.makeDir("c/Folder/qeltrkl.HLP");
    const struct {
        const char* helpFile;
        const char* shownName;
        const char* reason; // part of the explanation, empty to skip
        bool missing;       // only then is reinstalling the advice
    } cases[] = {
        {"C:\\Nowhere\\qeltrkl.HLP", "C:\\Nowhere\\qeltrkl.HLP", "", true},
        {"C:\\Folder\\qeltrkl.HLP", "C:\\Folder\\qeltrkl.HLP", "folder", false},
        {"A:\\qeltrkl.HLP", "A:\\qeltrkl.HLP", "Device unavailable", false},
        {"C:\\<b>odd</b> & co\\qeltrkl.HLP", "C:\\<b>odd</b> & co\\qeltrkl.HLP", "", true},
        {"", "(none)", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.helpFile);
        EXPECT_NO_THROW(m_viewer->showContents(1, QString::fromUtf8(c.helpFile)));
        ASSERT_NE(m_viewer->window(), nullptr);
        EXPECT_TRUE(m_viewer->window()->isVisible());
        EXPECT_TRUE(reportsFailureOf(QString::fromUtf8(c.shownName)));
        EXPECT_TRUE(shownText().contains(QString::fromUtf8(c.reason)));
        EXPECT_EQ(shownText().contains("Installing the program again"), c.missing);
    }
}

// The program's folder reaches the viewer even when no drive of the table
// holds it (a table of only a: and c:).
TEST_F(HelpWindowViewerTest, DocumentInTheProgramFolderOpensWithoutItsDrive) {
    m_table.makeFile("prog/lib/qeltrkl.HLP", realDocument());
    const QByteArray host = QFile::encodeName(m_table.root() + "/prog/lib");
    HelpWindowViewer viewer(*m_drives, "Z:\\usr\\lib", host);
    viewer.showContents(1, "Z:\\usr\\lib\\qeltrkl.HLP");
    ASSERT_NE(viewer.window(), nullptr);
    EXPECT_TRUE(viewer.window()->browser()->toPlainText().contains("Backup QEL Files"));

    // Outside the program's folder the drive table still decides.
    viewer.showContents(1, "Z:\\usr\\qeltrkl.HLP");
    EXPECT_TRUE(viewer.window()->browser()->toPlainText().contains("Device unavailable"));
}

TEST_F(HelpWindowViewerTest, DocumentIsReadAfreshEachTime) {
    m_viewer->showContents(1, "C:\\Later\\qeltrkl.HLP");
    EXPECT_TRUE(reportsFailureOf("C:\\Later\\qeltrkl.HLP"));
    m_table.makeFile("c/Later/qeltrkl.HLP", realDocument());
    m_viewer->showContents(1, "C:\\Later\\qeltrkl.HLP");
    EXPECT_FALSE(reportsFailureOf("C:\\Later\\qeltrkl.HLP"));
}

TEST_F(HelpWindowViewerTest, QuitHidesTheWindowAndIsHarmlessWithoutOne) {
    EXPECT_NO_THROW(m_viewer->quit(0, "C:\\Apps\\qeltrkl.HLP"));
    EXPECT_EQ(m_viewer->window(), nullptr);

    m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
    HelpWindow* window = m_viewer->window();
    m_viewer->quit(1, "C:\\Apps\\qeltrkl.HLP");
    EXPECT_FALSE(window->isVisible());
    // An open help window never keeps the program running by itself.
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));

    m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
    EXPECT_EQ(m_viewer->window(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(HelpWindowViewerTest, LinksInsideTheDocumentLeadToTheirTopicsAndBack) {
    m_viewer->showContents(1, "C:\\Apps\\qeltrkl.HLP");
    HelpWindow* window = m_viewer->window();
    QTextBrowser* browser = window->browser();
    // Clicked as a reader does: Qt would hand the link to the desktop.
    const QTextCursor link =
        browser->document()->find(QStringLiteral("Every message and what to do"));
    ASSERT_FALSE(link.isNull());
    QTextCursor start = link;
    start.setPosition(link.selectionStart());
    const QPoint middle =
        (browser->cursorRect(start).center() + browser->cursorRect(link).center()) / 2;
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, middle);
    EXPECT_GT(scroll(), 0);
    EXPECT_TRUE(browser->isBackwardAvailable());
    browser->backward();
    EXPECT_EQ(scroll(), 0);

    EXPECT_FALSE(window->grab().toImage().isNull());
    test::keepScreenshot(*window, "help-window.png");
}

} // namespace
} // namespace qel
