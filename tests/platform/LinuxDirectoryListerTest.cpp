#include "platform/linux/LinuxDirectoryLister.h"

#include "ErrorNumber.h"
#include "TempDriveTable.h"
#include "platform/Error.h"
#include "platform/linux/LinuxDrives.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel {
namespace {

QString u16(const char16_t* text) {
    return QString::fromUtf16(text);
}

using test::TempDriveTable;

using test::errorNumberOf;

class Lister : public ::testing::Test {
protected:
    void SetUp() override {
        m_c = m_table.makeDir(QStringLiteral("c"));
        m_table.addDrive(u'c', m_c);
        m_table.addDanglingDrive(u'a');
        for (const char* name : {"b.txt", "A.txt", "a.txt", "C.HST", ".hidden", "a:b", "ctl\x01"})
            m_table.makeFile(QStringLiteral("c/") + QString::fromUtf8(name), "x");
        const int fd = ::open(host("bad\xff").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
        for (const char* dir : {"Sub", "sub2", ".hiddendir", "Sub/deeper"})
            m_table.makeDir(QStringLiteral("c/") + QLatin1String(dir));
        link("b.txt", "linkfile");
        link("Sub", "linkdir");
        link("nothing", "broken");
        link("loop", "loop");
        ASSERT_EQ(::mkfifo(host("pipe").constData(), 0644), 0);
    }

    QByteArray host(const char* name) const { return QFile::encodeName(m_c) + '/' + name; }
    void link(const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, host(name).constData()), 0);
    }

    TempDriveTable m_table;
    QString m_c;
    LinuxDrives m_drives;
    LinuxDirectoryLister m_lister{m_drives};
};

TEST_F(Lister, FilesAreRegularVisibleAndInCaseInsensitiveOrder) {
    // "A.txt" and "a.txt" fold alike and keep a fixed order by their exact text;
    // links count as what they point to; a FIFO and a dangling link are left
    // out; odd characters and bytes that are not UTF-8 come back mapped.
    EXPECT_EQ(m_lister.files(QStringLiteral("C:\\")),
              (QStringList{QStringLiteral("A.txt"), QStringLiteral("a.txt"), u16(u"a\uF03Ab"),
                           QStringLiteral("b.txt"), u16(u"bad\uF0FF"), QStringLiteral("C.HST"),
                           u16(u"ctl\uF001"), QStringLiteral("linkfile")}));
}

TEST_F(Lister, SubFoldersIncludeLinkedFoldersAndSurviveLinkLoops) {
    EXPECT_EQ(
        m_lister.subFolders(QStringLiteral("c:\\\\")),
        (QStringList{QStringLiteral("linkdir"), QStringLiteral("Sub"), QStringLiteral("sub2")}));
    EXPECT_EQ(m_lister.subFolders(QStringLiteral("C:\\Sub")),
              QStringList{QStringLiteral("deeper")});
    EXPECT_EQ(m_lister.files(QStringLiteral("C:\\Sub")), QStringList());
}

TEST_F(Lister, FailuresCarryTheirNumbers) {
    EXPECT_EQ(errorNumberOf([&] { m_lister.files(QStringLiteral("A:\\")); }),
              err::DeviceUnavailable);
    EXPECT_EQ(errorNumberOf([&] { m_lister.files(QStringLiteral("C:\\missing")); }),
              err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { m_lister.subFolders(QStringLiteral("C:\\b.txt")); }),
              err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { m_lister.files(QStringLiteral("no path")); }), err::PathNotFound);
}

TEST_F(Lister, UnreadableFolderIsPermissionDenied) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to an unprivileged user";
    ASSERT_EQ(::chmod(QFile::encodeName(m_table.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_c).constData(), 0755), 0);
    ASSERT_EQ(::chmod(host("Sub").constData(), 0700), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        LinuxDrives drives;
        LinuxDirectoryLister lister(drives);
        ::_exit(errorNumberOf([&] { lister.files(QStringLiteral("C:\\Sub")); }));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 99)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), err::PermissionDenied);
}

TEST(SortDosNames, FoldsCaseAndBreaksTiesByExactText) {
    QStringList names{QStringLiteral("b"),  QStringLiteral("B"), QStringLiteral("a10"),
                      QStringLiteral("A2"), u16(u"\u00E9"),      u16(u"\u00C9"),
                      QStringLiteral("_x")};
    sortDosNames(names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("_x"), QStringLiteral("a10"), QStringLiteral("A2"),
                                  QStringLiteral("B"), QStringLiteral("b"), u16(u"\u00C9"),
                                  u16(u"\u00E9")}));
}

TEST(SortDosNames, AgreesWithAPlainFoldedSortOnSharedPrefixesAndShortNames) {
    QStringList names;
    for (const char* stem : {"acct", "ACCT", "acc", "Acct1", "acct1", "a", "", "b"})
        for (const char* tail : {"", "1", "10", "2.HST", "2.hst", "\u00e9", "\u00c9x"})
            names << QString::fromUtf8(stem) + QString::fromUtf8(tail);
    names.removeAll(QString());
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int c = a.toCaseFolded().compare(b.toCaseFolded());
        return c != 0 ? c < 0 : a < b;
    });
    std::reverse(names.begin(), names.end());
    sortDosNames(names);
    EXPECT_EQ(names, expected);
}

} // namespace
} // namespace qel
