#include "platform/linux/LinuxDirectoryLister.h"
#include "platform/DosNameOrder.h"

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

struct SortCase {
    const char* locale;
    std::vector<const char*> sorted; // UTF-8
};

class SortDosNames : public ::testing::TestWithParam<SortCase> {};

// Names sort as the user's locale orders words, case aside; names that
// collate alike keep a fixed order by their exact text, whatever order the
// folder gave them in.
TEST_P(SortDosNames, FollowsTheLocaleAndBreaksTiesByExactText) {
    QStringList expected;
    for (const char* name : GetParam().sorted)
        expected << QString::fromUtf8(name);
    const QLocale locale(QString::fromLatin1(GetParam().locale));
    for (const bool reversed : {false, true}) {
        QStringList names = expected;
        if (reversed)
            std::reverse(names.begin(), names.end());
        else
            std::rotate(names.begin(), names.begin() + names.size() / 2, names.end());
        sortDosNames(names, locale);
        EXPECT_EQ(names, expected) << GetParam().locale;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Locales, SortDosNames,
    ::testing::Values(SortCase{"en_US",
                               {"a10", "A2", "B", "b", "\u00C9T\u00C9.TXT", "\u00E9t\u00E9.txt",
                                "ol", "\u00F6l", "x.tar.gz", "zebra"}},
                      // The C locale has no order of its own: it sorts as English does.
                      SortCase{"C",
                               {"a10", "A2", "B", "b", "\u00C9T\u00C9.TXT", "\u00E9t\u00E9.txt",
                                "ol", "\u00F6l", "x.tar.gz", "zebra"}},
                      // Names of plain ASCII alone take a faster road to the same order,
                      // also where a locale reads two letters as one (Czech "ch" after "h").
                      SortCase{"en_US",
                               {"a", "a b", "A_b", "a-b", "a.b", "ch", "cz", "d", "h", "x1", "X10",
                                "x2"}},
                      SortCase{"cs_CZ", {"a", "cz", "d", "h", "ch"}},
                      // Swedish puts "\u00F6" after "z".
                      SortCase{"sv_SE",
                               {"a10", "A2", "B", "b", "\u00C9T\u00C9.TXT", "\u00E9t\u00E9.txt",
                                "ol", "x.tar.gz", "zebra", "\u00F6l"}}));

} // namespace
} // namespace qel
