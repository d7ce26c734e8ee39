#include "controls/FileListBox.h"

#include "TempDriveTable.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace qel {
namespace {

using test::TempDriveTable;

class FileListBoxTest : public ::testing::Test {
protected:
    FileListBoxTest() {
        m_box.resize(200, 300);
        m_box.show();
    }

    // Runs before the widget is made, which reads the table at once.
    static bool populate(TempDriveTable& table) {
        for (const char* name : {"c/ACCT.CVT", "c/ACCT.HST", "c/notes.txt", "c/sub/x.y"})
            table.makeFile(QLatin1String(name), "x");
        table.addDrive(u'c', table.root() + QStringLiteral("/c"));
        return true;
    }

    void click(int row) {
        m_box.doItemsLayout(); // the view lays out lazily after a refill
        QTest::mouseClick(m_box.viewport(), Qt::LeftButton, {},
                          m_box.visualItemRect(m_box.item(row)).center());
    }

    TempDriveTable m_table;
    bool m_populated = populate(m_table);
    LinuxDrives m_drives;
    LinuxDirectoryLister m_lister{m_drives};
    FileListBox m_box{m_lister};
    QSignalSpy m_click{&m_box, &FileListBox::Click};
};

TEST_F(FileListBoxTest, StartsEmptyAndListsTheFolderSetByPath) {
    EXPECT_EQ(m_box.ListCount(), 0);
    m_box.setPath(QStringLiteral("C:\\"));
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\"));
    ASSERT_EQ(m_box.ListCount(), 3);
    EXPECT_EQ(m_box.List(0), QStringLiteral("ACCT.CVT"));
    EXPECT_EQ(m_box.List(2), QStringLiteral("notes.txt"));
    EXPECT_EQ(m_box.ListIndex(), -1);
    try {
        m_box.List(3);
        ADD_FAILURE() << "no error for an index past the end";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 381);
    }
}

// A name no DOS path can hold shows a look-alike, while List() gives the DOS
// name that maps back to the file.
TEST_F(FileListBoxTest, MappedNamesShowLookAlikesAndListTheirDosNames) {
    m_table.makeFile(QStringLiteral("c/sub/a\\b.CVT"), "x");
    m_box.setPath(QStringLiteral("C:\\sub"));
    ASSERT_EQ(m_box.ListCount(), 2);
    EXPECT_EQ(m_box.item(0)->text(), QString::fromUtf16(u"a\u2216b.CVT"));
    EXPECT_EQ(m_box.List(0), QString::fromUtf16(u"a\uF05Cb.CVT"));
    EXPECT_EQ(m_box.item(1)->text(), QStringLiteral("x.y"));
    EXPECT_EQ(m_box.List(1), QStringLiteral("x.y"));
}

TEST_F(FileListBoxTest, EachClickTogglesItsEntryAndRaisesClick) {
    m_box.setPath(QStringLiteral("C:\\"));
    click(1);
    click(2);
    EXPECT_EQ(m_click.count(), 2);
    EXPECT_EQ(m_box.ListIndex(), 2);
    EXPECT_TRUE(m_box.item(1)->isSelected());
    EXPECT_TRUE(m_box.item(2)->isSelected());

    click(1);
    EXPECT_EQ(m_click.count(), 3);
    EXPECT_EQ(m_box.ListIndex(), 1);
    EXPECT_FALSE(m_box.item(1)->isSelected());

    // A refill starts again with nothing clicked.
    m_box.setPath(QStringLiteral("C:\\sub"));
    EXPECT_EQ(m_box.ListIndex(), -1);
    EXPECT_EQ(m_box.ListCount(), 1);
}

TEST_F(FileListBoxTest, FailedRefillLeavesAnEmptyListOnTheNewPath) {
    m_box.setPath(QStringLiteral("C:\\"));
    try {
        m_box.setPath(QStringLiteral("C:\\gone"));
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathNotFound);
    }
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\gone"));
    EXPECT_EQ(m_box.ListCount(), 0);
}

} // namespace
} // namespace qel
