#include "controls/DriveListBox.h"

#include "TempDriveTable.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include "ErrorNumber.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::TempDriveTable;

using test::errorNumberOf;

class DriveListBoxTest : public ::testing::Test {
protected:
    // Runs before the widget is made, which reads the table at once.
    static bool populate(TempDriveTable& table) {
        table.addDanglingDrive(u'a');
        table.addDrive(u'c', table.makeDir(QStringLiteral("c")));
        table.addDrive(u'd', table.makeDir(QStringLiteral("d/sub")).chopped(4));
        table.setCurrentDir(table.root() + QStringLiteral("/d/sub"));
        return true;
    }

    QStringList texts() const {
        QStringList list;
        for (int i = 0; i < m_box.ListCount(); ++i)
            list << m_box.List(i);
        return list;
    }

    TempDriveTable m_table;
    bool m_populated = populate(m_table);
    LinuxDrives m_drives;
    DriveListBox m_box{m_drives};
    QSignalSpy m_change{&m_box, &DriveListBox::Change};
};

TEST_F(DriveListBoxTest, ListsTheTableAndStartsOnTheWorkingDrive) {
    EXPECT_EQ(texts(),
              (QStringList{QStringLiteral("a:"), QStringLiteral("C:"), QStringLiteral("D:")}));
    EXPECT_EQ(m_box.Drive(), QStringLiteral("D:"));
    EXPECT_EQ(errorNumberOf([&] { m_box.List(3); }), 381);
    EXPECT_EQ(errorNumberOf([&] { m_box.List(-1); }), 381);
}

TEST_F(DriveListBoxTest, SetDriveSelectsByFirstLetterAndRaisesChangeOncePerMove) {
    m_box.setDrive(QStringLiteral("c: [anything]"));
    EXPECT_EQ(m_box.Drive(), QStringLiteral("C:"));
    EXPECT_EQ(m_change.count(), 1);
    m_box.setDrive(QStringLiteral("C:"));
    EXPECT_EQ(m_change.count(), 1) << "no move, no Change";
}

TEST_F(DriveListBoxTest, NotReadyOrUnknownDriveThrows68AndKeepsTheSelection) {
    for (const QString& text : {QStringLiteral("a:"), QStringLiteral("q:"), QString()}) {
        EXPECT_EQ(errorNumberOf([&] { m_box.setDrive(text); }), err::DeviceUnavailable)
            << text.toStdString();
        EXPECT_EQ(m_box.Drive(), QStringLiteral("D:"));
    }
    EXPECT_EQ(m_change.count(), 0);

    // A medium arrives: the same write now succeeds.
    m_table.addDrive(u'a', m_table.makeDir(QStringLiteral("floppy")));
    m_box.setDrive(QStringLiteral("a:"));
    EXPECT_EQ(m_box.Drive(), QStringLiteral("a:"));
    EXPECT_EQ(m_change.count(), 1);
}

TEST_F(DriveListBoxTest, UserMayPickANotReadyDrive) {
    m_box.setDrive(QStringLiteral("C:"));
    m_change.clear();
    m_box.show();
    QTest::keyClick(&m_box, Qt::Key_Up);
    EXPECT_EQ(m_box.Drive(), QStringLiteral("a:"));
    EXPECT_EQ(m_change.count(), 1);
}

TEST_F(DriveListBoxTest, RefreshFollowsTheTableButKeepsTheSelection) {
    m_table.addDrive(u'b', m_table.makeDir(QStringLiteral("b")));
    ASSERT_TRUE(QFile::remove(m_table.dosDevices() + QStringLiteral("/d:")));
    m_box.refresh();
    // The selected drive vanished but stays listed until the selection moves.
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("a:"), QStringLiteral("b:"),
                                    QStringLiteral("C:"), QStringLiteral("D:")}));
    EXPECT_EQ(m_box.Drive(), QStringLiteral("D:"));
    EXPECT_EQ(m_change.count(), 0);

    // A drive added after the last refresh can be set straight away.
    m_table.addDrive(u'e', m_table.makeDir(QStringLiteral("e")));
    m_box.setDrive(QStringLiteral("E:"));
    EXPECT_EQ(m_box.Drive(), QStringLiteral("E:"));
    EXPECT_EQ(m_change.count(), 1);
}

} // namespace
} // namespace qel
