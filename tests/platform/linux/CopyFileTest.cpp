#include "FailingCopyIo.h"
#include "FsoTestFolders.h"
#include "TestDisk.h"
#include "platform/Error.h"
#include "platform/linux/LinuxFileSystemObject.h"

#include <QDir>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::test {
namespace {

class CopyFileTest : public FsoTestFolders {
protected:
    CopyFileTest() {
        makeFolder(c("DATA"));
        makeFolder(a("DATA"));
        m_io.attach(m_fso);
    }

    int copyError(const QString& source, const QString& destination) {
        try {
            m_fso.CopyFile(source, destination, true);
        } catch (const Error& e) {
            m_lastError = e.description();
            return e.number();
        }
        return 0;
    }

    FailingCopyIo m_io;
    LinuxFileSystemObject m_fso{m_drives};
    QString m_lastError;
};

TEST_F(CopyFileTest, CopiesMatchingRegularFilesUnderTheirOwnNames) {
    writeFile(c("DATA/ACCT1.HST"), "one");
    writeFile(c("DATA/acct2.hst"), "two");
    writeFile(c("DATA/ACCT1.CVD"), "other kind");
    writeFile(c("DATA/wincorv.exe"), "program");
    makeFolder(c("DATA/FOLDER.HST"));
    ASSERT_EQ(mkfifo(c("DATA/PIPE.HST").constData(), 0644), 0);
    ASSERT_EQ(symlink("ACCT1.CVD", c("DATA/LINKED.HST").constData()), 0);
    ASSERT_EQ(symlink("nowhere", c("DATA/DANGLING.HST").constData()), 0);

    m_fso.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);
    m_fso.CopyFile(QStringLiteral("C:\\DATA\\WINCORV.EXE"), QStringLiteral("A:\\"), true);

    // A FIFO is never opened (that would block), folders and dangling links
    // are skipped, a link to a file is copied as a file.
    EXPECT_EQ(folderNames(a("DATA")), (QList<QByteArray>{"ACCT1.HST", "LINKED.HST", "acct2.hst"}));
    EXPECT_EQ(readFile(a("DATA/ACCT1.HST")), "one");
    EXPECT_EQ(readFile(a("DATA/acct2.hst")), "two");
    EXPECT_EQ(readFile(a("DATA/LINKED.HST")), "other kind");
    struct stat st {};
    ASSERT_EQ(lstat(a("DATA/LINKED.HST").constData(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(readFile(a("wincorv.exe")), "program");
}

TEST_F(CopyFileTest, NothingToCopyIsFileNotFound) {
    writeFile(c("DATA/ACCT1.CVT"), "x");
    ASSERT_EQ(mkfifo(c("DATA/PIPE.HST").constData(), 0644), 0);
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.XPT"), QStringLiteral("A:\\DATA\\")),
              err::FileNotFound);
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\")),
              err::FileNotFound);
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\WINCORV.EXE"), QStringLiteral("A:\\")),
              err::FileNotFound);
    EXPECT_TRUE(folderNames(a("DATA")).isEmpty());
}

TEST_F(CopyFileTest, ASymlinkTargetIsReplacedNeverWrittenThrough) {
    writeFile(c("DATA/ACCT1.HST"), "backup");
    writeFile(root() + "/victim", "precious");
    ASSERT_EQ(symlink((root() + "/victim").constData(), a("DATA/ACCT1.HST").constData()), 0);

    m_fso.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);

    EXPECT_EQ(readFile(root() + "/victim"), "precious");
    struct stat st {};
    ASSERT_EQ(lstat(a("DATA/ACCT1.HST").constData(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(readFile(a("DATA/ACCT1.HST")), "backup");
}

TEST_F(CopyFileTest, CopyingOntoItselfKeepsTheData) {
    writeFile(c("ACCT1.HST"), "only copy");
    writeFile(c("WINCORV.EXE"), "program");
    // A drive-root source backed up to the same drive: doubled separators, same files.
    m_fso.CopyFile(QStringLiteral("C:\\\\*.HST"), QStringLiteral("C:\\\\"), true);
    m_fso.CopyFile(QStringLiteral("C:\\\\WINCORV.EXE"), QStringLiteral("C:\\"), true);
    EXPECT_EQ(readFile(c("ACCT1.HST")), "only copy");
    EXPECT_EQ(readFile(c("WINCORV.EXE")), "program");
    // Also when the same folder is reached through another drive letter.
    m_drives.addDrive(u'E', m_c);
    m_fso.CopyFile(QStringLiteral("C:\\*.HST"), QStringLiteral("E:\\"), true);
    EXPECT_EQ(readFile(c("ACCT1.HST")), "only copy");
    EXPECT_TRUE(tempFiles(c()).isEmpty());
}

TEST_F(CopyFileTest, ADestinationDriveWithoutItsMediumIsNotReady) {
    writeFile(c("DATA/ACCT1.HST"), "x");
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("D:\\DATA\\")),
              err::DiskNotReady);
}

TEST_F(CopyFileTest, ASourceFolderDeletedBetweenStepsIsPathNotFound) {
    writeFile(c("DATA/ACCT1.HST"), "x");
    m_fso.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);
    QDir(QString::fromUtf8(c("DATA"))).removeRecursively();
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.CVD"), QStringLiteral("A:\\DATA\\")),
              err::PathNotFound);
    EXPECT_EQ(m_lastError, QStringLiteral("Path not found: C:\\DATA"));
}

// Root reads everything, so the unreadable source is tried as an ordinary user.
TEST_F(CopyFileTest, AnUnreadableSourceNamesTheFile) {
    writeFile(c("DATA/SECRET.HST"), "x");
    ASSERT_EQ(chmod(c("DATA/SECRET.HST").constData(), 0), 0);
    ASSERT_EQ(chmod(a("DATA").constData(), 0777), 0);
    ASSERT_EQ(chmod(root().constData(), 0755), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(2);
        const int number =
            copyError(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"));
        const bool named = m_lastError.contains(QStringLiteral("C:\\DATA\\SECRET.HST"));
        _exit(number == err::PathFileAccessError && named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot switch to an ordinary user here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(tempFiles(a("DATA")).isEmpty());
}

// A large file is written and compared past the cache, with an unaligned
// end; a second backup leaves it as it is.
TEST_F(CopyFileTest, ALargeUnchangedFileIsNotWrittenAgain) {
    const QByteArray large = pattern((9 << 20) + 1234, 'a');
    writeFile(c("DATA/A.HST"), large);
    m_fso.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);
    EXPECT_TRUE(readFile(a("DATA/A.HST")) == large);
    struct stat first {};
    ASSERT_EQ(stat(a("DATA/A.HST").constData(), &first), 0);
    const long long written = m_io.bytesWritten;
    m_fso.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);
    struct stat second {};
    ASSERT_EQ(stat(a("DATA/A.HST").constData(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino);
    EXPECT_EQ(m_io.bytesWritten, written);
}

TEST_F(CopyFileTest, SparseFileCopiesQuicklyAndExactly) {
    const QByteArray source = c("DATA/BIG.HST");
    const int fd = open(source.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const off_t marker = (9LL << 29) + 12345; // 4.5 GiB and a bit
    ASSERT_EQ(pwrite(fd, "marker", 6, marker), 6);
    ASSERT_EQ(ftruncate(fd, 5LL << 30), 0);
    close(fd);

    m_fso.CopyFile(QStringLiteral("C:\\DATA\\BIG.HST"), QStringLiteral("A:\\DATA\\"), true);

    const int copy = open(a("DATA/BIG.HST").constData(), O_RDONLY);
    ASSERT_GE(copy, 0);
    struct stat st {};
    ASSERT_EQ(fstat(copy, &st), 0);
    EXPECT_EQ(st.st_size, 5LL << 30);
    EXPECT_LT(st.st_blocks * 512, 64LL << 20); // the holes stayed holes
    char buffer[8] = {};
    EXPECT_EQ(pread(copy, buffer, 6, marker), 6);
    EXPECT_STREQ(buffer, "marker");
    EXPECT_EQ(pread(copy, buffer, 6, 1 << 20), 6);
    EXPECT_EQ(QByteArray(buffer, 6), QByteArray(6, '\0'));
    close(copy);
}

// A copy killed part-way leaves its target as it was and only a temporary
// file, which the next run clears unless someone still holds it.
TEST_F(CopyFileTest, AKilledCopyLeavesNoTruncatedFile) {
    writeFile(c("DATA/A.HST"), pattern(200000, 'n'));
    writeFile(a("DATA/A.HST"), "old");

    ASSERT_TRUE(killedMidCopy(m_drives, QStringLiteral("C:\\DATA\\*.HST"),
                              QStringLiteral("A:\\DATA\\"), 50000));
    EXPECT_EQ(readFile(a("DATA/A.HST")), "old");
    ASSERT_EQ(tempFiles(a("DATA")).size(), 1);

    // A temporary file another copy still holds is left alone.
    writeFile(a("DATA/.~qel-inuse"), "busy");
    const int held = open(a("DATA/.~qel-inuse").constData(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);

    QThread::msleep(20); // the leftovers are older than the next run
    LinuxFileSystemObject nextRun(m_drives);
    nextRun.CopyFile(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\"), true);
    EXPECT_EQ(readFile(a("DATA/A.HST")), pattern(200000, 'n'));
    EXPECT_EQ(tempFiles(a("DATA")), QList<QByteArray>{".~qel-inuse"});
    close(held);
}

// A writer through a shared map changes neither size nor times: the bytes
// tell, and the file is copied again.
TEST_F(CopyFileTest, ASourceChangedThroughASharedMapIsCopiedAgain) {
    const size_t size = 200004;
    writeFile(c("DATA/A.HST"), pattern(int(size), 'n'));
    writeFile(a("DATA/A.HST"), "old");
    const int fd = open(c("DATA/A.HST").constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    auto* map = static_cast<char*>(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    ASSERT_NE(map, MAP_FAILED);
    std::memset(map, 'm', size); // dirtied now, so the writes below move no time
    m_io.failAfterBytes = 50000;
    m_io.atLimit = [&] {
        std::memset(map, 'w', size);
        m_io.failAfterBytes = -1;
    };
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\")), 0);
    EXPECT_EQ(readFile(a("DATA/A.HST")), QByteArray(int(size), 'w'));
    munmap(map, size);
    close(fd);
}

TEST_F(CopyFileTest, WriteProtectedDestinationIsPermissionDenied) {
    TestDisk readOnly(TestDisk::Kind::Tmpfs, a("DATA"), root(), 1024, MS_RDONLY);
    if (!readOnly.mounted())
        GTEST_SKIP() << readOnly.whyNot().toStdString();
    writeFile(c("DATA/A.HST"), "x");
    EXPECT_EQ(copyError(QStringLiteral("C:\\DATA\\*.HST"), QStringLiteral("A:\\DATA\\")),
              err::PermissionDenied);
    try {
        m_fso.CreateFolder(QStringLiteral("A:\\DATA\\SUB"));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PermissionDenied);
    }
}

} // namespace
} // namespace qel::test
