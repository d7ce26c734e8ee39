#include "platform/linux/LinuxFileSystemObject.h"

#include "FsoTestFolders.h"
#include "platform/Error.h"
#include "platform/linux/LinuxFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace qel::test {
namespace {

class GetFileTest : public FsoTestFolders {
protected:
    int errorOf(const QString& path) {
        try {
            m_fso.GetFile(path);
        } catch (const Error& e) {
            return e.number();
        }
        return 0;
    }

    LinuxFileSystemObject m_fso{m_drives};
};

TEST_F(GetFileTest, ReadsEveryItemOfAFileInASubfolder) {
    makeFolder(c("DATA"));
    writeFile(c("DATA/ACCT.CVT"), "12345");
    const timespec times[2] = {{1600000000, 0}, {1500000000, 250000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, c("DATA/ACCT.CVT").constData(), times, 0), 0);

    const auto file = m_fso.GetFile(QStringLiteral("c:\\DATA\\ACCT.CVT"));
    // The drive letter as the path gave it.
    EXPECT_EQ(file->Path(), QStringLiteral("c:\\DATA\\ACCT.CVT"));
    EXPECT_EQ(file->DrivePath(), QStringLiteral("c:"));
    EXPECT_EQ(file->Size(), 5);
    EXPECT_EQ(file->ShortName(), QStringLiteral("ACCT.CVT"));
    EXPECT_EQ(file->DateLastAccessed().toSecsSinceEpoch(), 1600000000);
    EXPECT_EQ(file->DateLastModified().toMSecsSinceEpoch(), 1500000000250LL);
    EXPECT_EQ(file->DateLastModified().timeSpec(), Qt::LocalTime);
}

TEST_F(GetFileTest, DriveRootWithDoubledSeparatorGivesSingleSeparatorPath) {
    writeFile(c("ROOT.CVT"), "");
    const auto file = m_fso.GetFile(QStringLiteral("C:\\\\ROOT.CVT"));
    EXPECT_EQ(file->Path(), QStringLiteral("C:\\ROOT.CVT"));
    EXPECT_EQ(file->Size(), 0);
}

TEST_F(GetFileTest, SizeBeyondFourGigabytes) {
    const int fd = open(c("BIG.HST").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 5LL << 30), 0); // sparse: no real space taken
    close(fd);
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("C:\\BIG.HST"))->Size(), 5LL << 30);
}

TEST_F(GetFileTest, FailuresCarryTheirNumbers) {
    makeFolder(c("DATA"));
    EXPECT_EQ(errorOf(QStringLiteral("C:\\DATA\\MISSING.CVT")), err::FileNotFound);
    EXPECT_EQ(errorOf(QStringLiteral("C:\\DATA")), err::FileNotFound); // a folder
    EXPECT_EQ(errorOf(QStringLiteral("C:\\DATA\\")), err::FileNotFound);
    EXPECT_EQ(errorOf(QStringLiteral("C:\\NOFOLDER\\X.CVT")), err::PathNotFound);
    EXPECT_EQ(errorOf(QStringLiteral("D:\\X.CVT")), err::DeviceUnavailable);
    EXPECT_EQ(errorOf(QStringLiteral("X.CVT")), err::PathNotFound);
}

TEST_F(GetFileTest, NamesThatNeedMappingAreFound) {
    // A host name holding a backslash reaches the program mapped, and maps back.
    writeFile(c("a\\b.txt"), "x");
    writeFile(c("\xc3\xa4rger mit leer.txt"), "xy");
    const QString mapped = QStringLiteral("a") + QChar(0xF000 + 0x5C) + QStringLiteral("b.txt");
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("C:\\") + mapped)->Size(), 1);
    const auto umlaut = m_fso.GetFile(QString::fromUtf8("C:\\\xc3\xa4rger mit leer.txt"));
    EXPECT_EQ(umlaut->Size(), 2);
    EXPECT_EQ(umlaut->ShortName(), QStringLiteral("_RGERM~1.TXT"));
}

TEST_F(GetFileTest, ShortNameCountersFollowTheFolder) {
    writeFile(c("long file name.text"), "");
    writeFile(c("long file name.tex2"), "");
    writeFile(c("LONGFI~1.TEX"), "");
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("C:\\long file name.tex2"))->ShortName(),
              QStringLiteral("LONGFI~2.TEX"));
    EXPECT_EQ(m_fso.GetFile(QStringLiteral("C:\\long file name.text"))->ShortName(),
              QStringLiteral("LONGFI~3.TEX"));
}

TEST_F(GetFileTest, CreationTimeOnlyWhereTheFileSystemKeepsOne) {
    writeFile(c("X.CVT"), "");
    struct statx info {};
    ASSERT_EQ(statx(AT_FDCWD, c("X.CVT").constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &info),
              0);
    info.stx_mask |= STATX_BTIME;
    info.stx_btime = {1400000000, 0, 0};
    EXPECT_EQ(LinuxFile(info, QStringLiteral("C:\\X.CVT"), c("X.CVT")).DateCreated(),
              QDateTime::fromSecsSinceEpoch(1400000000));

    info.stx_mask &= ~STATX_BTIME;
    const LinuxFile withoutBirth(info, QStringLiteral("C:\\X.CVT"), c("X.CVT"));
    EXPECT_THROW(withoutBirth.DateCreated(), Error);
    EXPECT_NO_THROW(withoutBirth.DateLastModified());
}

class FolderTest : public GetFileTest {};

TEST_F(FolderTest, FolderExistsOnlyForFolders) {
    makeFolder(a("ACCT1"));
    writeFile(a("FILE"), "");
    EXPECT_TRUE(m_fso.FolderExists(QStringLiteral("a:\\ACCT1")));
    EXPECT_TRUE(m_fso.FolderExists(QStringLiteral("a:\\")));
    EXPECT_TRUE(m_fso.FolderExists(QStringLiteral("a:\\\\")));
    EXPECT_FALSE(m_fso.FolderExists(QStringLiteral("a:\\FILE")));
    EXPECT_FALSE(m_fso.FolderExists(QStringLiteral("a:\\MISSING")));
    EXPECT_FALSE(m_fso.FolderExists(QStringLiteral("d:\\")));
    EXPECT_FALSE(m_fso.FolderExists(QStringLiteral("a: [STICK]\\ACCT1")));
}

TEST_F(FolderTest, CreateFolderMakesOneFolderOrSaysWhyNot) {
    m_fso.CreateFolder(QStringLiteral("a:\\ACCT1"));
    EXPECT_TRUE(m_fso.FolderExists(QStringLiteral("a:\\ACCT1")));

    writeFile(a("FILE"), "");
    const auto numberOf = [&](const char* path) {
        try {
            m_fso.CreateFolder(QString::fromUtf8(path));
        } catch (const Error& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf("a:\\ACCT1"), err::FileAlreadyExists);
    EXPECT_EQ(numberOf("a:\\FILE"), err::FileAlreadyExists);
    EXPECT_EQ(numberOf("a:\\NO\\ACCT1"), err::PathNotFound);
    EXPECT_EQ(numberOf("a:\\FILE\\ACCT1"), err::PathNotFound);
    EXPECT_EQ(numberOf("d:\\ACCT1"), err::DiskNotReady); // no medium: "insert a disk"
}

} // namespace
} // namespace qel::test
