#include "controls/DriveListBox.h"

#include "TempDriveTable.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/MountWatcher.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include "ErrorNumber.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

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

TEST(DriveListsFollowTheMounts, BurstsOfChangesComeAsOneRefresh) {
    MountWatcher watcher("/nonexistent/mountinfo", 50); // only the changes told
    QSignalSpy changed(&watcher, &MountWatcher::changed);
    for (int i = 0; i < 100; ++i)
        watcher.noteChange();
    ASSERT_TRUE(changed.wait(2000));
    QTest::qWait(200);
    EXPECT_EQ(changed.count(), 1);
}

// A real tmpfs mounted below a media folder of the test's own while both
// lists are up, as a stick an automounter puts under /media.
TEST(DriveListsFollowTheMounts, StickMountedWhileRunningAppearsInBothLists) {
    QTemporaryDir tmp;
    const QString stick = tmp.path() + QStringLiteral("/media/STICK");
    const QByteArray home = QFile::encodeName(tmp.path() + QStringLiteral("/home"));
    ASSERT_TRUE(QDir().mkpath(stick) && QDir().mkpath(QFile::decodeName(home)));
    DriveTableSources sources = DriveTableSources::system();
    sources.home = [home] { return home; };
    sources.configHome = sources.home; // no dosdevices folder there
    sources.winePrefix = sources.home; // nor a prefix
    sources.currentDir = sources.home;
    sources.mediaFolders = {QFile::encodeName(tmp.path() + QStringLiteral("/media/"))};
    LinuxDrives drives(sources);
    DriveListBox drive1(drives);
    DriveListBox drive2(drives);
    drive2.setDrive(QStringLiteral("C:"));
    QSignalSpy change1(&drive1, &DriveListBox::Change);
    QSignalSpy change2(&drive2, &DriveListBox::Change);
    MountWatcher watcher;
    QObject::connect(&watcher, &MountWatcher::changed, [&] {
        drive1.refresh();
        drive2.refresh();
    });
    ASSERT_EQ(drive1.List(0), QStringLiteral("a:"));

    if (::mount("qel-test", QFile::encodeName(stick).constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    bool mounted = true;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            ::umount2(QFile::encodeName(stick).constData(), MNT_DETACH);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return drive1.List(0) == QStringLiteral("a: [STICK]"); }));
    EXPECT_EQ(drive2.List(0), QStringLiteral("a: [STICK]"));
    EXPECT_EQ(drive2.Drive(), QStringLiteral("C:")) << "the selection stays";
    EXPECT_EQ(change1.count() + change2.count(), 0) << "a refresh raises no Change";
    drive1.setDrive(QStringLiteral("a:"));
    EXPECT_EQ(change1.count(), 1);

    ASSERT_EQ(::umount2(QFile::encodeName(stick).constData(), 0), 0);
    mounted = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return drive1.List(0) == QStringLiteral("a:"); }));
    EXPECT_EQ(drive1.Drive(), QStringLiteral("a:")) << "the letter stays, not ready";
    EXPECT_EQ(errorNumberOf([&] { drive2.setDrive(QStringLiteral("a:")); }),
              err::DeviceUnavailable);
    EXPECT_EQ(change1.count(), 1);
}

} // namespace
} // namespace qel
