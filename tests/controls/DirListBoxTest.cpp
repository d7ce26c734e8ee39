#include "controls/DirListBox.h"

#include "ErrorNumber.h"
#include "TempDriveTable.h"
#include "platform/DirectoryLister.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/linux/LinuxDrives.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace qel {
namespace {

using test::TempDriveTable;

using test::errorNumberOf;

class DirListBoxTest : public ::testing::Test {
protected:
    DirListBoxTest() {
        m_box.resize(200, 300);
        m_box.show();
    }

    // Runs before the widget is made, which reads the table at once.
    static bool populate(TempDriveTable& table) {
        table.makeDir(QStringLiteral("c/DATA/ACCT1"));
        table.makeDir(QStringLiteral("c/DATA/b"));
        table.makeDir(QStringLiteral("d"));
        table.addDrive(u'c', table.root() + QStringLiteral("/c"));
        table.addDrive(u'd', table.root() + QStringLiteral("/d"));
        table.addDanglingDrive(u'a');
        table.setCurrentDir(table.root() + QStringLiteral("/c/DATA"));
        return true;
    }

    QStringList texts() const {
        QStringList list;
        for (int i = 0; i < m_box.count(); ++i)
            list << m_box.item(i)->text();
        return list;
    }

    void doubleClick(int row) {
        m_box.doItemsLayout(); // the view lays out lazily after a refill
        const QPoint at = m_box.visualItemRect(m_box.item(row)).center();
        // The sequence a real double-click delivers: the view acts only on a
        // double-click over the entry it saw pressed.
        QTest::mouseClick(m_box.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(m_box.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(m_box.viewport(), Qt::LeftButton, {}, at);
    }

    TempDriveTable m_table;
    bool m_populated = populate(m_table);
    LinuxDrives m_drives;
    LinuxDirectoryLister m_lister{m_drives};
    DirListBox m_box{m_drives, m_lister};
    QSignalSpy m_change{&m_box, &DirListBox::Change};
    QSignalSpy m_failed{&m_box, &DirListBox::failed};
};

TEST_F(DirListBoxTest, ShowsAncestorsThenSubFoldersOfTheStartDirectory) {
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA"));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("C:\\"), QStringLiteral("DATA"),
                                    QStringLiteral("ACCT1"), QStringLiteral("b")}));
    EXPECT_EQ(m_box.currentRow(), 1);
}

TEST_F(DirListBoxTest, SetPathMovesRemembersAndRaisesChangeOnlyWhenThePathChanges) {
    m_box.setPath(QStringLiteral("C:\\DATA\\\\ACCT1\\"));
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA\\ACCT1"));
    EXPECT_EQ(m_change.count(), 1);
    EXPECT_EQ(m_drives.currentDirectory(u'C'), QStringLiteral("C:\\DATA\\ACCT1"));

    m_box.setPath(QStringLiteral("C:\\DATA\\ACCT1"));
    EXPECT_EQ(m_change.count(), 1);

    // A drive text goes to that drive's current directory, and back again,
    // with the letter written as the drive text gives it.
    m_box.setPath(QStringLiteral("D:"));
    EXPECT_EQ(m_box.Path(), QStringLiteral("D:\\"));
    m_box.setPath(QStringLiteral("c: [label]"));
    EXPECT_EQ(m_box.Path(), QStringLiteral("c:\\DATA\\ACCT1"));
    EXPECT_EQ(m_box.item(0)->text(), QStringLiteral("c:\\"));
    EXPECT_EQ(m_change.count(), 3);
}

TEST_F(DirListBoxTest, FailedSetPathKeepsThePathAndRaisesNothing) {
    EXPECT_EQ(errorNumberOf([&] { m_box.setPath(QStringLiteral("a:")); }), err::DeviceUnavailable);
    EXPECT_EQ(errorNumberOf([&] { m_box.setPath(QStringLiteral("C:\\missing")); }),
              err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { m_box.setPath(QStringLiteral("DATA")); }), err::PathNotFound);
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA"));
    EXPECT_EQ(m_box.count(), 4);
    EXPECT_EQ(m_change.count(), 0);
}

TEST_F(DirListBoxTest, DoubleClickAndEnterOpenFoldersDownAndUp) {
    doubleClick(2); // ACCT1
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA\\ACCT1"));
    EXPECT_EQ(m_change.count(), 1);

    doubleClick(0); // the root
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(m_change.count(), 2);

    m_box.setCurrentRow(1); // DATA, a sub-folder of the root now
    QTest::keyClick(&m_box, Qt::Key_Return);
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA"));
    EXPECT_EQ(m_change.count(), 3);
    EXPECT_EQ(m_failed.count(), 0);
}

// The real lister, but some folders cannot be read.
class UnreadableFolders final : public DirectoryLister {
public:
    UnreadableFolders(const DirectoryLister& real, QStringList unreadable)
        : m_real(real)
        , m_unreadable(std::move(unreadable)) {}
    QStringList subFolders(const QString& dosDir) const override {
        check(dosDir);
        return m_real.subFolders(dosDir);
    }
    QStringList files(const QString& dosDir) const override {
        check(dosDir);
        return m_real.files(dosDir);
    }

private:
    void check(const QString& dosDir) const {
        if (m_unreadable.contains(dosDir, Qt::CaseInsensitive))
            throw Error(err::PermissionDenied);
    }
    const DirectoryLister& m_real;
    QStringList m_unreadable;
};

// A drive whose remembered folder became unreadable opens at its root; only
// an unreadable root fails, and a path asked for by name never falls back.
TEST_F(DirListBoxTest, UnreadableRememberedFolderFallsBackToTheDriveRoot) {
    const struct {
        const char* set;
        QStringList unreadable;
        const char* path; // nullptr: fails with 70 and stays
    } cases[] = {
        {"c:", {"C:\\DATA\\ACCT1"}, "c:\\"},
        {"C:", {"C:\\DATA\\ACCT1", "C:\\"}, nullptr},
        {"C:\\DATA\\ACCT1", {"C:\\DATA\\ACCT1"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        m_drives.setCurrentDirectory(QStringLiteral("C:\\DATA\\ACCT1"));
        UnreadableFolders lister(m_lister, c.unreadable);
        DirListBox box(m_drives, lister);
        box.setPath(QStringLiteral("D:"));
        if (c.path) {
            box.setPath(QString::fromLatin1(c.set));
            EXPECT_EQ(box.Path(), QString::fromLatin1(c.path));
        } else {
            EXPECT_EQ(errorNumberOf([&] { box.setPath(QString::fromLatin1(c.set)); }),
                      err::PermissionDenied);
            EXPECT_EQ(box.Path(), QStringLiteral("D:\\"));
        }
    }
}

TEST_F(DirListBoxTest, OpeningAVanishedFolderReportsFailedAndStays) {
    ASSERT_TRUE(QDir(m_table.root() + QStringLiteral("/c/DATA/b")).removeRecursively());
    doubleClick(3);
    ASSERT_EQ(m_failed.count(), 1);
    EXPECT_EQ(m_failed[0][0].toInt(), err::PathNotFound);
    EXPECT_EQ(m_failed[0][1].toString(), QStringLiteral("Path not found"));
    EXPECT_EQ(m_box.Path(), QStringLiteral("C:\\DATA"));
    EXPECT_EQ(m_change.count(), 0);
}

} // namespace
} // namespace qel
