// The destination disk as users have it: small, nearly full, FAT, pulled out.
// Each case runs on a real file system: a tmpfs, and FAT images through fusefat,
// which fsck.fat must find whole after every case.
#include "FailingCopyIo.h"
#include "FsoTestFolders.h"
#include "TestDisk.h"
#include "platform/DosNames.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qel::test {
namespace {

using Kind = TestDisk::Kind;

class DiskTest : public FsoTestFolders {
protected:
    void SetUp() override {
        makeFolder(c("ACCT1"));
        m_disk.emplace(kind(), m_a, root());
        if (!m_disk->mounted())
            GTEST_SKIP() << m_disk->whyNot().toStdString();
    }
    void TearDown() override {
        if (m_disk && m_disk->mounted())
            EXPECT_EQ(m_disk->damage().toStdString(), "");
    }
    virtual Kind kind() const = 0;
    virtual LinuxFileSystemObject& fso() { return m_fso; }

    // The Error raised by CopyFile, its description kept; 0 when none.
    int copy(const char* source, const char* destination) {
        return failure([&] {
            fso().CopyFile(QString::fromLatin1(source), QString::fromLatin1(destination), true);
        });
    }
    int createFolder(const QString& path) {
        return failure([&] { fso().CreateFolder(path); });
    }
    int failure(const std::function<void()>& operation) {
        try {
            operation();
        } catch (const Error& e) {
            m_error = e.description();
            return e.number();
        }
        return 0;
    }

    std::optional<TestDisk> m_disk;
    FailingCopyIo m_io;
    LinuxFileSystemObject m_fso{m_drives};
    QString m_error;
    const bool m_attached = (m_io.attach(m_fso), true);
};

class OnEachDisk : public DiskTest, public ::testing::WithParamInterface<Kind> {
protected:
    Kind kind() const override { return GetParam(); }
};

// --- room: one extra copy at a time ----------------------------------------

struct RoomCase {
    const char* name;
    std::vector<std::pair<const char*, int>> old; // in a:\ACCT1, KiB
    int fillerKib;                                // in a:\, so the disk is as full as asked
    std::vector<std::pair<const char*, int>> fresh;
    QList<QByteArray> replaced; // the rest keep their old copy
    const char* failure;        // how the error ends; nullptr: none
};

class Room : public DiskTest, public ::testing::WithParamInterface<std::tuple<Kind, RoomCase>> {
protected:
    Kind kind() const override { return std::get<0>(GetParam()); }
};

TEST_P(Room, EachFileIsReplacedBesideItsOldCopyOrKeepsIt) {
    const RoomCase& room = std::get<1>(GetParam());
    makeFolder(a("ACCT1"));
    if (room.fillerKib)
        writeFile(a("FILLER"), pattern(room.fillerKib * 1024, 'f'));
    for (const auto& [name, kib] : room.old)
        writeFile(a("ACCT1/") + name, pattern(kib * 1024, 'o'));
    for (const auto& [name, kib] : room.fresh) {
        writeFile(c("ACCT1/") + name, pattern(kib * 1024, 'n'));
        // An odd second: FAT keeps two-second steps, which must not fail a copy.
        const timespec times[2] = {{1700000001, 0}, {1700000001, 999999999}};
        ASSERT_EQ(utimensat(AT_FDCWD, (c("ACCT1/") + name).constData(), times, 0), 0);
    }

    const int number = copy("C:\\ACCT1\\*.CVD", "A:\\ACCT1\\");

    if (room.failure) {
        EXPECT_EQ(number, err::DiskFull);
        EXPECT_TRUE(m_error.startsWith(QStringLiteral("Disk full: ")) &&
                    m_error.endsWith(QLatin1String(room.failure)))
            << m_error.toStdString();
    } else {
        EXPECT_EQ(number, 0) << m_error.toStdString();
    }
    for (const auto& [name, kib] : room.fresh) {
        const bool isNew = room.replaced.contains(name);
        const auto old = std::find_if(room.old.begin(), room.old.end(),
                                      [&](const auto& o) { return qstrcmp(o.first, name) == 0; });
        const QByteArray expected = isNew                   ? pattern(kib * 1024, 'n')
                                    : old != room.old.end() ? pattern(old->second * 1024, 'o')
                                                            : QByteArray("<missing>");
        EXPECT_TRUE(readFile(a("ACCT1/") + name) == expected) << name;
        // fusefat keeps no times of its own choosing, so only the tmpfs can tell.
        if (isNew && kind() == Kind::Tmpfs) {
            struct stat st {};
            ASSERT_EQ(stat((a("ACCT1/") + name).constData(), &st), 0);
            EXPECT_EQ(st.st_mtim.tv_nsec, 999999999);
        }
    }
    EXPECT_TRUE(tempFiles(a("ACCT1")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Disks, Room,
    ::testing::Combine(
        ::testing::Values(Kind::Tmpfs, Kind::Fat12Floppy),
        ::testing::Values(
            // Both new copies beside both old ones would not fit; one at a time does.
            RoomCase{"RefreshFitsOneFileAtATime",
                     {{"A.CVD", 400}, {"B.CVD", 400}},
                     0,
                     {{"A.CVD", 400}, {"B.CVD", 400}},
                     {"A.CVD", "B.CVD"},
                     nullptr},
            RoomCase{"NoRoomBesideTheOldCopy",
                     {{"A.CVD", 400}, {"B.CVD", 400}},
                     600,
                     {{"A.CVD", 400}, {"B.CVD", 400}},
                     {},
                     " KB more to be replaced safely"},
            RoomCase{"FillsHalfWayThroughTheStep",
                     {{"A.CVD", 100}, {"B.CVD", 400}},
                     500,
                     {{"A.CVD", 100}, {"B.CVD", 500}, {"C.CVD", 10}},
                     {"A.CVD"},
                     " KB more to be replaced safely"},
            RoomCase{
                "NewFileBeyondTheRoom", {}, 1000, {{"A.CVD", 600}}, {}, " KB more to be copied"})),
    [](const auto& info) {
        return std::string(kindName(std::get<0>(info.param))) + std::get<1>(info.param).name;
    });

// --- names, sizes and entries that FAT cannot hold ---------------------------

TEST_P(OnEachDisk, NamesDifferingOnlyInCaseAreNamedBeforeAnythingIsWritten) {
    makeFolder(a("ACCT1"));
    writeFile(c("ACCT1/Acct.HST"), "mixed");
    writeFile(c("ACCT1/ACCT.HST"), "upper");
    writeFile(c("ACCT1/B.HST"), "b");

    const int number = copy("C:\\ACCT1\\*.HST", "A:\\ACCT1\\");

    if (GetParam() == Kind::Tmpfs) {
        EXPECT_EQ(number, 0);
        EXPECT_EQ(folderNames(a("ACCT1")), (QList<QByteArray>{"ACCT.HST", "Acct.HST", "B.HST"}));
        return;
    }
    EXPECT_EQ(number, err::FileAlreadyExists);
    EXPECT_TRUE(m_error.contains(QStringLiteral("C:\\ACCT1\\ACCT.HST and C:\\ACCT1\\Acct.HST")))
        << m_error.toStdString();
    EXPECT_TRUE(folderNames(a("ACCT1")).isEmpty()); // no probe left behind either
}

// What a new reader of the medium gets back, also for files of one cluster
// and less (through fusefat these once read back as zeros).
TEST_P(OnEachDisk, SmallFilesAreCopiedWhole) {
    makeFolder(a("ACCT1"));
    const QList<int> sizes{0, 1, 6, 511, 512, 513, 2048};
    for (int size : sizes)
        writeFile(c("ACCT1/S") + QByteArray::number(size) + ".CVT", pattern(size, 's'));
    writeFile(a("ACCT1/S6.CVT"), "older");

    ASSERT_EQ(copy("C:\\ACCT1\\*.CVT", "A:\\ACCT1\\"), 0) << m_error.toStdString();
    for (int size : sizes)
        EXPECT_EQ(readFile(a("ACCT1/S") + QByteArray::number(size) + ".CVT"), pattern(size, 's'))
            << size;
    EXPECT_TRUE(tempFiles(a("ACCT1")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Disks, OnEachDisk, ::testing::Values(Kind::Tmpfs, Kind::Fat12Floppy),
                         [](const auto& info) { return std::string(kindName(info.param)); });

class Fat32 : public DiskTest {
protected:
    Kind kind() const override { return Kind::Fat32Stick; }
};

TEST_F(Fat32, AFileOverFourGigabytesIsRefusedBeforeItIsCopied) {
    makeFolder(a("ACCT1"));
    writeFile(a("ACCT1/BIG.CVD"), "old copy");
    const int fd = open(c("ACCT1/BIG.CVD").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 9LL << 29), 0); // 4.5 GiB, all hole
    close(fd);

    EXPECT_EQ(copy("C:\\ACCT1\\*.CVD", "A:\\ACCT1\\"), err::PathFileAccessError);
    EXPECT_TRUE(m_error.contains(QStringLiteral("C:\\ACCT1\\BIG.CVD is larger than 4 GB")))
        << m_error.toStdString();
    EXPECT_EQ(readFile(a("ACCT1/BIG.CVD")), "old copy");
    EXPECT_EQ(m_io.bytesWritten, 0);
}

class Floppy : public DiskTest {
protected:
    Kind kind() const override { return Kind::Fat12Floppy; }
};

TEST_F(Floppy, AFullRootFolderIsDiskFullNotAMissingDisk) {
    writeFile(a("WINCORV.EXE"), "old program");
    // A FAT12 root holds 224 entries; short names take one each.
    for (int i = 0; i < 224; ++i) {
        const QByteArray name = a("F") + QByteArray::number(i) + ".T";
        const int fd = open(name.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            break;
        close(fd);
    }
    writeFile(c("WINCORV.EXE"), "new program");

    EXPECT_EQ(copy("C:\\WINCORV.EXE", "A:\\"), err::DiskFull);
    EXPECT_TRUE(m_error.contains(QStringLiteral("has no room for another file")))
        << m_error.toStdString();
    EXPECT_EQ(readFile(a("WINCORV.EXE")), "old program");
    try {
        m_fso.CreateFolder(QStringLiteral("A:\\ACCT1"));
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::DiskFull);
    }
}

// Refused by the disk, such a name is the user's to change: it is named, and
// never mistaken for a missing or write-protected disk.
TEST_F(Floppy, ANameTheDiskCannotHoldIsNamed) {
    makeFolder(a("ACCT1"));
    for (const char* name : {"A:B.CVT", "A\tB.CVT", "\xe4\xb8\xad.CVT"}) {
        SCOPED_TRACE(name);
        writeFile(c("ACCT1/") + name, "x");
        EXPECT_EQ(copy("C:\\ACCT1\\*.CVT", "A:\\ACCT1\\"), err::PathFileAccessError);
        EXPECT_TRUE(m_error.startsWith(QStringLiteral("C:\\ACCT1\\") + hostNameToDos(name) +
                                       QStringLiteral(": the disk in drive A: cannot hold")))
            << m_error.toStdString();
        ASSERT_EQ(unlink((c("ACCT1/") + name).constData()), 0);
    }
    EXPECT_EQ(createFolder(QStringLiteral("A:\\") + hostNameToDos("A:B")),
              err::PathFileAccessError);
    EXPECT_TRUE(folderNames(a("ACCT1")).isEmpty());
    EXPECT_EQ(folderNames(a()), QList<QByteArray>{"ACCT1"});
}

// Whole as a new reader of the image sees it after every rename of a backup and
// of its refresh (fusefat once wrote directory entries over renamed copies).
TEST_F(Floppy, ABackupAndItsRefreshAreWholeOnTheImage) {
    makeFolder(a("ACCT1"));
    const auto name = [](int i) { return "ACCOUNT" + QByteArray::number(i) + ".CVT"; };
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 9; ++i)
            writeFile(c("ACCT1/") + name(i), pattern(700 + 300 * i + round, char('a' + i + round)));
        ASSERT_EQ(copy("C:\\ACCT1\\*.CVT", "A:\\ACCT1\\"), 0) << m_error.toStdString();
    }
    EXPECT_EQ(m_disk->damage().toStdString(), "");
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m_disk->imageFile("ACCT1/" + name(i)), pattern(701 + 300 * i, char('b' + i)));
}

TEST_F(Floppy, APulledDiskLeavesNothingHalfWrittenAndAKilledCopyIsClearedNextTime) {
    makeFolder(a("ACCT1"));
    writeFile(a("ACCT1/ACCT.CVD"), "old");
    writeFile(c("ACCT1/ACCT.HST"), pattern(50 * 1024, 'h'));
    writeFile(c("ACCT1/ACCT.CVD"), pattern(300 * 1024, 'n'));
    ASSERT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\ACCT1\\"), 0);

    // Pulled between two steps: the next step asks for the disk.
    m_disk->unmount();
    EXPECT_EQ(copy("C:\\ACCT1\\*.CVD", "A:\\ACCT1\\"), err::DiskNotReady);
    ASSERT_TRUE(m_disk->remount());
    m_fso.beginRun(QStringLiteral("a:")); // the user put it back and pressed OK
    EXPECT_EQ(readFile(a("ACCT1/ACCT.HST")), pattern(50 * 1024, 'h'));
    EXPECT_EQ(readFile(a("ACCT1/ACCT.CVD")), "old");

    // Killed part-way: the old copy stays, the next run clears the leftover.
    ASSERT_TRUE(killedMidCopy(m_drives, QStringLiteral("C:\\ACCT1\\*.CVD"),
                              QStringLiteral("A:\\ACCT1\\"), 100 << 10));
    ASSERT_TRUE(m_disk->remount());
    EXPECT_EQ(readFile(a("ACCT1/ACCT.CVD")), "old");
    EXPECT_EQ(tempFiles(a("ACCT1")).size(), 1);

    QThread::sleep(2); // FAT times have two-second steps
    m_fso.beginRun(QStringLiteral("a:"));  // a later run of the same program
    m_fso.CopyFile(QStringLiteral("C:\\ACCT1\\*.CVD"), QStringLiteral("A:\\ACCT1\\"), true);
    EXPECT_EQ(readFile(a("ACCT1/ACCT.CVD")), pattern(300 * 1024, 'n'));
    EXPECT_TRUE(tempFiles(a("ACCT1")).isEmpty());
}

// --- a medium that goes away -------------------------------------------------

// Through the real drive table, which follows a medium's mount folder.
class Stick : public DiskTest {
protected:
    Stick() {
        const QByteArray links = m_config + "/qel-trekkel/dosdevices";
        QDir().mkpath(QString::fromUtf8(links));
        symlink(m_a.constData(), (links + "/a:").constData());
        symlink(c().constData(), (links + "/c:").constData());
    }
    DriveTableSources sources() {
        DriveTableSources sources;
        sources.configHome = [this] { return m_config; };
        sources.mountInfo = sources.home = sources.currentDir = [this] { return c(); };
        sources.winePrefix = [] { return QByteArray(); };
        return sources;
    }
    Kind kind() const override { return Kind::Tmpfs; }
    LinuxFileSystemObject& fso() override { return m_stickFso; }

    QByteArray m_config = root() + "/config";
    LinuxDrives m_table{sources()};
    LinuxFileSystemObject m_stickFso{m_table};
    const bool m_stickAttached = (m_io.attach(m_stickFso), true);
};

// Pulled from its fixed mount folder, a medium leaves that empty folder on the
// internal disk: no write goes there, not even from a retry, and another
// medium in its place is not the one the run writes to until it starts again.
TEST_F(Stick, AMediumThatWentAwayIsNotReady) {
    writeFile(c("ACCT1/ACCT.HST"), "hst");
    writeFile(c("ACCT1/ACCT.CVD"), pattern(100 * 1024, 'd'));
    fso().beginRun(QStringLiteral("a:"));
    ASSERT_EQ(createFolder(QStringLiteral("A:\\ACCT1")), 0);
    ASSERT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\ACCT1\\"), 0);

    m_io.failAfterBytes = m_io.bytesWritten + 50 * 1024;
    m_io.atLimit = [&] {
        m_disk->unmount(); // mid-copy: the copy goes on on the detached medium
        m_io.failAfterBytes = -1;
    };
    EXPECT_EQ(copy("C:\\ACCT1\\*.CVD", "A:\\ACCT1\\"), err::DiskNotReady);

    fso().beginRun(QStringLiteral("a:")); // OK without a disk in the drive
    EXPECT_EQ(createFolder(QStringLiteral("A:\\ACCT1")), err::DiskNotReady);
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), err::DiskNotReady);
    EXPECT_TRUE(folderNames(m_a).isEmpty());

    ASSERT_TRUE(m_disk->remount()); // a disk put in, then OK
    fso().beginRun(QStringLiteral("a:"));
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), 0);
    const TestDisk other(Kind::Tmpfs, m_a, root()); // another medium in its place
    ASSERT_TRUE(other.mounted());
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), err::DiskNotReady);
}

// Another medium in the folder of one that went away usually gets its device
// number (two tmpfs mounts, two sticks in one port): it is still not the
// run's medium, and nothing is written to it.
TEST_F(Stick, AnotherMediumWithTheSameDeviceNumberIsNotTheRunsOne) {
    writeFile(c("ACCT1/ACCT.HST"), "hst");
    fso().beginRun(QStringLiteral("a:"));
    ASSERT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), 0);
    struct stat first {};
    ASSERT_EQ(stat(m_a.constData(), &first), 0);
    ASSERT_TRUE(m_disk->remount());
    struct stat second {};
    ASSERT_EQ(stat(m_a.constData(), &second), 0);
    if (second.st_dev != first.st_dev)
        GTEST_SKIP() << "the new mount got another device number: nothing to tell apart";
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), err::DiskNotReady);
    EXPECT_TRUE(folderNames(m_a).isEmpty());
}

// Gone after the destination was chosen and before the run's first write
// (during the question, or the run's first message): the drive table, having
// seen the medium there, no longer offers its bare folder.
TEST_F(Stick, AMediumGoneBeforeTheFirstWriteIsAskedFor) {
    writeFile(c("ACCT1/ACCT.HST"), "hst");
    ASSERT_TRUE(m_table.isReady(u'A')); // the destination list shows it
    m_disk->unmount();
    fso().beginRun(QStringLiteral("a:")); // Yes
    EXPECT_EQ(createFolder(QStringLiteral("A:\\ACCT1")), err::DiskNotReady);

    ASSERT_TRUE(m_disk->remount());
    fso().beginRun(QStringLiteral("a:")); // OK with the disk in
    m_disk->unmount();
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), err::DiskNotReady);
    EXPECT_TRUE(folderNames(m_a).isEmpty());

    ASSERT_TRUE(m_disk->remount());
    fso().beginRun(QStringLiteral("a:"));
    EXPECT_EQ(copy("C:\\ACCT1\\*.HST", "A:\\"), 0);
}

} // namespace
} // namespace qel::test
